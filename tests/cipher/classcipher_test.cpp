#include "testtext.h"

#include <gtest/gtest.h>

using namespace cipher;

namespace {

CipherResult classCipher(std::string_view text, std::string_view key)
{
    CipherParams params;
    params.key = key;
    return ClassCipher(text, params);
}

} // namespace

// Key "ABCD": pair 1 = 'A'^'B' = 0x03, pair 2 = 'B'^'C' = 0x01, pair 3 = 'C'^'D' = 0x07.
// Positions 1..9 use pairs i mod 4 with 0 as 1: 1, 2, 3, 1, 1, 2, 3, 1, 1.
TEST(ClassCipher, FourCharacterKeyUsesPairsOneTwoThreeOneOne)
{
    EXPECT_EQ(classCipher(std::string(9, '\0'), "ABCD").text,
              testtext::codes({0x03, 0x01, 0x07, 0x03, 0x03, 0x01, 0x07, 0x03, 0x03}));
}

// A two-character key has the one pair 'x'^'Z' = 0x78^0x5A = 0x22 at every position; a key of
// equal characters has key byte 0 and changes nothing.
TEST(ClassCipher, ShortAndUniformKeys)
{
    const std::string text = testtext::mixedText(1000, 7, 255);
    std::string expected = text;
    for (char& c : expected)
        c = static_cast<char>(c ^ 0x22);
    EXPECT_EQ(classCipher(text, "xZ").text, expected);
    EXPECT_EQ(classCipher(text, "qqqqq").text, text);
}

TEST(ClassCipher, OneCharacterKeyIsRefusedOnlyWhenThereIsText)
{
    for (std::string_view key : {"K", ""}) {
        const CipherResult refused = classCipher("a", key);
        ASSERT_TRUE(refused.error) << key;
        EXPECT_EQ(refused.error->number, 5);
        EXPECT_EQ(refused.text, "");

        const CipherResult empty = classCipher("", key);
        EXPECT_TRUE(empty.ok());
        EXPECT_EQ(empty.text, "");
    }
}
