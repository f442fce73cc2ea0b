// The catalogue against the routines it names: every row's flags, refusals and feeding are
// checked on the routines themselves, and every row round-trips the way the control feeds it.
#include "testtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace cipher;

namespace {
// Deciphering String1 cuts blocks after whole three-character codes: the largest multiple of 3
// not above BlockSize.
constexpr std::int64_t string1DecodeBlock = 9999;


std::string rowName(const testing::TestParamInfo<CipherType>& info) { return std::string(info.param.name); }

CipherParams defaultParams()
{
    CipherParams params;
    params.key = "Harbour Lanterns";
    params.ceaserOffset = 30;
    return params;
}

std::string expectedBack(const CipherType& type, const std::string& plain)
{
    return type.restored ? type.restored(plain) : plain;
}

// The routine applied to consecutive pieces of the text, the results joined.
std::string inPieces(CipherRoutine routine, std::string_view text, std::size_t piece, const CipherParams& params)
{
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const CipherResult r = routine(text.substr(at, piece), params);
        EXPECT_TRUE(r.ok());
        out += r.text;
    }
    return out;
}

class Catalogue : public testing::TestWithParam<CipherType> {};

} // namespace

TEST(CipherFor, FindsEveryRowByItsNumberAndNothingElse)
{
    std::set<std::string_view> names;
    for (const CipherType& type : catalogue()) {
        EXPECT_TRUE(names.insert(type.name).second) << type.name << " is named twice";
        EXPECT_TRUE(type.encipher && type.decipher) << type.name;
    }
    std::size_t found = 0;
    for (int number = 0; number <= 255; ++number) {
        const CipherType* type = findCipherType(std::uint8_t(number));
        const CipherRoutine encipher = CipherFor(std::uint8_t(number), Direction::Encipher);
        const CipherRoutine decipher = CipherFor(std::uint8_t(number), Direction::Decipher);
        if (!type) {
            EXPECT_FALSE(encipher || decipher) << number;
            EXPECT_FALSE(usesKey(std::uint8_t(number)) || usesOffset(std::uint8_t(number)) ||
                         feedsWholeText(std::uint8_t(number)));
            EXPECT_EQ(blockSize(std::uint8_t(number), Direction::Decipher), BlockSize);
            EXPECT_EQ(stringPieceSize(std::uint8_t(number), Direction::Decipher), 0u);
            continue;
        }
        ++found;
        EXPECT_EQ(type->number(), number);
        EXPECT_EQ(encipher, type->encipher);
        EXPECT_EQ(decipher, type->decipher);
    }
    EXPECT_EQ(found, catalogue().size());
}

// The block sizes the file operations have always used.
TEST(CipherFor, BlockSizesAreWholeBlocksButWholeCodesWhenDecipheringString1)
{
    const auto string1 = std::uint8_t(PType::String1);
    EXPECT_EQ(blockSize(string1, Direction::Decipher), string1DecodeBlock);
    EXPECT_EQ(blockSize(string1, Direction::Encipher), BlockSize);
    EXPECT_EQ(stringPieceSize(string1, Direction::Encipher), 32767u);
    EXPECT_EQ(stringPieceSize(string1, Direction::Decipher), 32766u);
    EXPECT_EQ(blockSize(std::uint8_t(PType::VX3), Direction::Decipher), BlockSize);
    EXPECT_TRUE(feedsWholeText(std::uint8_t(PType::RLE)));
}

// What a row says about key and offset is what the routine does: another key (or offset)
// changes the enciphered text exactly when the row says the cipher uses it.
TEST_P(Catalogue, KeyAndOffsetMatterExactlyWhenTheRowSaysSo)
{
    const CipherType& type = GetParam();
    const std::string plain = testtext::mixedText(3000, type.number());
    const CipherParams params = defaultParams();
    CipherParams otherKey = params;
    otherKey.key = "Quayside Bells";
    CipherParams otherOffset = params;
    otherOffset.ceaserOffset = 31;
    const CipherResult usual = type.encipher(plain, params);
    ASSERT_TRUE(usual.ok());
    EXPECT_EQ(type.encipher(plain, otherKey).text != usual.text, type.usesKey);
    EXPECT_EQ(type.encipher(plain, otherOffset).text != usual.text, type.usesOffset);
    EXPECT_EQ(usesKey(type.number()), type.usesKey);
    EXPECT_EQ(usesOffset(type.number()), type.usesOffset);
}

// The shortest key the row names is accepted, a shorter one refused with error 5 in both
// directions.
TEST_P(Catalogue, KeysShorterThanTheRowsMinimumAreRefused)
{
    const CipherType& type = GetParam();
    const std::string key = "Harbour Lanterns";
    for (std::size_t length = 0; length <= type.minimumKeyLength; ++length) {
        CipherParams params = defaultParams();
        params.key = std::string_view(key).substr(0, length);
        const bool refused = length < type.minimumKeyLength;
        for (CipherRoutine routine : {type.encipher, type.decipher}) {
            const CipherResult r = routine("Lanterns", params);
            EXPECT_EQ(bool(r.error), refused) << "key length " << length;
            if (r.error) {
                EXPECT_EQ(r.error->number, InvalidArgumentError);
            }
        }
    }
}

// As a file operation feeds it: blocks of BlockSize enciphered, blocks of blockSize(Decipher)
// deciphered, or the whole text in one call; and as a string operation cuts it.
TEST_P(Catalogue, RoundTripsAsTheFileAndStringOperationsFeedIt)
{
    const CipherType& type = GetParam();
    const CipherParams params = defaultParams();
    for (std::size_t size : {0, 1, 9999, 10000, 10001, 30007, 70001}) {
        SCOPED_TRACE(size);
        const std::string plain = testtext::mixedText(size, unsigned(size + type.number()));
        const std::string expected = expectedBack(type, plain);

        const CipherResult enciphered = type.encipher(plain, params);
        ASSERT_TRUE(enciphered.ok());
        if (type.preservesLength) {
            EXPECT_EQ(enciphered.text.size(), plain.size());
        }
        if (size > 100) {
            EXPECT_NE(enciphered.text, plain);
        }
        const CipherResult deciphered = type.decipher(enciphered.text, params);
        ASSERT_TRUE(deciphered.ok());
        EXPECT_EQ(deciphered.text, expected);

        if (!feedsWholeText(type.number())) {
            const std::string file = inPieces(type.encipher, plain, std::size_t(blockSize(type.number(), Direction::Encipher)), params);
            EXPECT_EQ(inPieces(type.decipher, file, std::size_t(blockSize(type.number(), Direction::Decipher)), params), expected);
        }
        if (const std::size_t piece = stringPieceSize(type.number(), Direction::Encipher)) {
            const std::string text = inPieces(type.encipher, plain, piece, params);
            EXPECT_EQ(inPieces(type.decipher, text, stringPieceSize(type.number(), Direction::Decipher), params), expected);
        }
    }
}

// The sealed type gives new bytes at every call and stretches its key for a second; its own tests
// (age_test) hold it to its format.
std::vector<CipherType> deterministicTypes()
{
    std::vector<CipherType> types;
    for (const CipherType& type : catalogue()) {
        if (type.deterministic)
            types.push_back(type);
    }
    return types;
}

INSTANTIATE_TEST_SUITE_P(EveryType, Catalogue, testing::ValuesIn(deterministicTypes()), rowName);

TEST(CipherFor, OnlySealingRefusesTheDefaultKey)
{
    for (const CipherType& type : catalogue()) {
        for (Direction direction : {Direction::Encipher, Direction::Decipher}) {
            const bool refused = type.type == PType::Sealed && direction == Direction::Encipher;
            EXPECT_EQ(keyRefusal(type.number(), direction, DefaultKey).has_value(), refused) << type.name;
            EXPECT_FALSE(keyRefusal(type.number(), direction, "Harbour Lanterns!")) << type.name;
        }
    }
    EXPECT_TRUE(feedsStream(std::uint8_t(PType::Sealed)));
    EXPECT_EQ(std::ranges::count_if(catalogue(), [](const CipherType& type) { return !type.deterministic; }), 1);
}
