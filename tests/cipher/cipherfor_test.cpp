#include "testtext.h"

#include <gtest/gtest.h>

using namespace cipher;

TEST(CipherFor, SelectsEachTypesRoutinesAndNoneFrom10On)
{
    const struct {
        int type;
        CipherRoutine encipher, decipher;
    } table[] = {
        {0, &StandardCipher, &StandardCipher}, {1, &RleEncode, &RleDecode},
        {2, &CeaserEncode, &CeaserDecode},     {3, &ClassCipher, &ClassCipher},
        {4, &String1Encode, &String1Decode},   {5, &VX1Cipher, &VX1Cipher},
        {6, &VX2Cipher, &VX2Cipher},           {7, &VX3Cipher, &VX3Cipher},
        {8, &VX4Cipher, &VX4Cipher},           {9, &VX5Cipher, &VX5Cipher},
    };
    for (const auto& row : table) {
        EXPECT_EQ(CipherFor(static_cast<std::uint8_t>(row.type), Direction::Encipher), row.encipher) << row.type;
        EXPECT_EQ(CipherFor(static_cast<std::uint8_t>(row.type), Direction::Decipher), row.decipher) << row.type;
    }
    for (int type = 10; type <= 255; ++type) {
        EXPECT_EQ(CipherFor(static_cast<std::uint8_t>(type), Direction::Encipher), nullptr) << type;
        EXPECT_EQ(CipherFor(static_cast<std::uint8_t>(type), Direction::Decipher), nullptr) << type;
    }
}

namespace {

class RoundTrip : public testing::TestWithParam<std::tuple<int, std::size_t>> {};

} // namespace

// Every type, through CipherFor, on texts of runs and noise (codes 0..254; codebook characters
// for String1) at sizes around one block.
TEST_P(RoundTrip, DecipheringTheEncipheredTextGivesItBack)
{
    const auto [type, size] = GetParam();
    const bool codebook = type == int(PType::String1);
    const std::string plain = codebook ? testtext::codebookText(size, unsigned(size))
                                       : testtext::mixedText(size, unsigned(size + type));
    CipherParams params;
    params.key = "Harbour Lanterns";
    params.ceaserOffset = 30;
    const CipherResult enciphered = CipherFor(std::uint8_t(type), Direction::Encipher)(plain, params);
    ASSERT_TRUE(enciphered.ok());
    const bool sameLength = type != int(PType::RLE) && type != int(PType::String1);
    if (sameLength) {
        EXPECT_EQ(enciphered.text.size(), plain.size());
    }
    if (size > 100) {
        EXPECT_NE(enciphered.text, plain);
    }
    const CipherResult deciphered = CipherFor(std::uint8_t(type), Direction::Decipher)(enciphered.text, params);
    ASSERT_TRUE(deciphered.ok());
    EXPECT_EQ(deciphered.text, plain);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, RoundTrip,
                         testing::Combine(testing::Range(0, 10),
                                          testing::Values<std::size_t>(0, 1, 9999, 10000, 10001, 30007)),
                         [](const testing::TestParamInfo<std::tuple<int, std::size_t>>& info) {
                             return "Type" + std::to_string(std::get<0>(info.param)) + "_Size" +
                                    std::to_string(std::get<1>(info.param));
                         });
