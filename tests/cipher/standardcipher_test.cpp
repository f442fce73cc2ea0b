#include "testtext.h"

#include <gtest/gtest.h>

using namespace cipher;
using testtext::code;

namespace {

CipherResult standard(std::string_view text, std::string_view key)
{
    CipherParams params;
    params.key = key;
    return StandardCipher(text, params);
}

} // namespace

// Key "abc" (L = 3) is walked from its last character: positions 1..5 use key positions
// 3, 2, 1, 3, 2, i.e. 'c', 'b', 'a', 'c', 'b'. Zero codes XOR those give the characters
// themselves.
TEST(StandardCipher, WalksKeyFromItsLastCharacter)
{
    EXPECT_EQ(standard(std::string(5, '\0'), "abc").text, "cbacb");
}

// "Harbour Lanterns" has 16 characters; a two-character text uses positions 16 ('s', 0x73) and
// 15 ('n', 0x6E): 'A' 0x41 ^ 0x73 = 0x32, 'B' 0x42 ^ 0x6E = 0x2C.
TEST(StandardCipher, KeyLongerThanTextUsesOnlyItsLastCharacters)
{
    EXPECT_EQ(standard("AB", "Harbour Lanterns").text, testtext::codes({0x32, 0x2C}));
}

// One key character 'K' (0x4B): every code XOR 0x4B; 'K' itself gives 0.
TEST(StandardCipher, OneCharacterKeyCombinesEveryCode)
{
    EXPECT_EQ(standard("KA\xFF", "K").text, testtext::codes({0x00, 0x0A, 0xB4}));
}

// Position 10001 within one call uses key position L - (10000 mod L): with "abc",
// 10000 mod 3 = 1, so key position 2, 'b'. Position 10000 uses 3 - (9999 mod 3) = 3, 'c'.
TEST(StandardCipher, KeyPositionCarriesOnAcrossTheWholeCall)
{
    const CipherResult result = standard(std::string(10001, '\0'), "abc");
    EXPECT_EQ(code(result.text, 10000), 'c');
    EXPECT_EQ(code(result.text, 10001), 'b');
}

TEST(StandardCipher, EmptyTextNeedsNoKeyButTextDoes)
{
    const CipherResult empty = standard("", "");
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.text, "");

    const CipherResult refused = standard("text", "");
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->number, 5);
    EXPECT_EQ(refused.text, "");
}
