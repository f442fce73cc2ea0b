#include "testtext.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <string_view>
#include <vector>

using namespace cipher;
using Codebook = String1Codebook;

namespace {
// Deciphering String1 cuts blocks after whole three-character codes: the largest multiple of 3
// not above BlockSize.
constexpr std::int64_t string1DecodeBlock = 9999;


std::string encode(std::string_view text) { return String1Encode(text, {}).text; }
std::string decode(std::string_view text) { return String1Decode(text, {}).text; }
std::string codeOf(char c) { return std::string(Codebook::codeFor(static_cast<unsigned char>(c))); }

} // namespace

TEST(String1Codebook, CoversExactlyTheListedCharactersWithDistinctWellFormedCodes)
{
    std::set<int> expected{10, 13, 22, 32};
    for (int c = 33; c <= 126; ++c) {
        if (c != '"' && !std::isupper(c))
            expected.insert(c);
    }
    ASSERT_EQ(expected.size(), 71u);

    std::set<int> plains;
    std::set<std::string> codes;
    for (const auto& entry : Codebook::entries()) {
        plains.insert(static_cast<unsigned char>(entry.plain));
        codes.insert(std::string(entry.code));
        ASSERT_EQ(entry.code.size(), 3u);
        EXPECT_TRUE(std::isdigit(entry.code[0]) && std::isdigit(entry.code[1])) << entry.code;
        EXPECT_TRUE(std::isgraph(static_cast<unsigned char>(entry.code[2]))) << entry.code;
    }
    EXPECT_EQ(plains, expected);
    EXPECT_EQ(codes.size(), 71u);
}

// Every ordered pair of codes, including a code with itself: the two windows that straddle
// the seam are no code, so the pair deciphers to exactly its two characters.
TEST(String1Codebook, NoWindowAcrossTwoNeighbouringCodesIsACode)
{
    for (const auto& first : Codebook::entries()) {
        for (const auto& second : Codebook::entries()) {
            const std::string pair = std::string(first.code) + std::string(second.code);
            for (std::size_t start : {1, 2})
                ASSERT_FALSE(Codebook::plainFor(std::string_view(pair).substr(start, 3))) << pair;
            ASSERT_EQ(decode(pair), (std::string{first.plain, second.plain})) << pair;
        }
    }
}

TEST(String1Encode, LowersCapitalsAndDropsCharactersWithoutEntry)
{
    const std::string hello = encode("Hello");
    EXPECT_EQ(hello.size(), 15u);
    EXPECT_EQ(decode(hello), "hello");
    for (char capital = 'A'; capital <= 'Z'; ++capital)
        EXPECT_EQ(encode(std::string(1, capital)), codeOf(static_cast<char>(capital - 'A' + 'a'))) << capital;

    EXPECT_EQ(decode(encode("a\r\nb")), "a\r\nb");
    EXPECT_EQ(encode("a\t\"\xC4\x7F" "b"), codeOf('a') + codeOf('b')); // tab, quote, 196, 127 dropped
    EXPECT_EQ(encode("\x16"), codeOf('\x16'));
    EXPECT_EQ(encode(""), "");
}

TEST(String1Decode, SkipsWhatIsNoCodeAndAnIncompleteEnd)
{
    const std::string ab = codeOf('a') + codeOf('b');
    EXPECT_EQ(decode(""), "");
    EXPECT_EQ(decode(ab + "4"), "ab");
    EXPECT_EQ(decode(ab + codeOf('c').substr(0, 2)), "ab");
    EXPECT_EQ(decode("x" + codeOf('a') + "12" + codeOf('b') + "99"), "ab"); // found at any position
    EXPECT_EQ(decode("000000"), "");
    for (const auto& entry : Codebook::entries()) { // case is significant
        std::string flipped(entry.code);
        const unsigned char third = static_cast<unsigned char>(flipped[2]);
        if (!std::isalpha(third))
            continue;
        flipped[2] = static_cast<char>(std::islower(third) ? std::toupper(third) : std::tolower(third));
        EXPECT_EQ(decode(flipped), "") << flipped;
    }
}

// 3334 covered characters give 10002 code characters; deciphered in blocks of 9999 (whole
// codes) the text comes back whole.
TEST(String1Decode, BlocksOfWholeCodesGiveTheTextBack)
{
    const std::string plain = testtext::codebookText(3334, 11);
    const std::string enciphered = encode(plain);
    ASSERT_EQ(enciphered.size(), 10002u);
    std::string deciphered;
    for (std::size_t at = 0; at < enciphered.size(); at += string1DecodeBlock)
        deciphered += decode(std::string_view(enciphered).substr(at, string1DecodeBlock));
    EXPECT_EQ(deciphered, plain);
}

namespace {

// The decoder's rule applied one position at a time, through the codebook's own look-up.
std::string decodeByWindows(std::string_view text)
{
    std::string plain;
    for (std::size_t p = 0; p + Codebook::CodeLength <= text.size(); ++p) {
        if (const auto found = Codebook::plainFor(text.substr(p, Codebook::CodeLength))) {
            plain.push_back(*found);
            p += Codebook::CodeLength - 1;
        }
    }
    return plain;
}

struct Disturbance {
    const char* what;
    std::string inserted; // put into a run of codes at each place in turn
};

} // namespace

// The decoder takes runs of codes several at a time and anything else a window at a time. A
// break in the run (a stray character, a code cut short, a near-code) at every place of the
// first groups, with every length of text around them, must give what the window rule gives.
TEST(String1Decode, GroupsOfCodesAgreeWithTheWindowRuleAroundEveryBreak)
{
    const std::string codes = encode(testtext::codebookText(40, 7));
    const std::string a = codeOf('a');
    const std::vector<Disturbance> disturbances{
        {"a stray letter", "x"},
        {"a stray digit", "4"},
        {"two digits", "46"},
        {"a code with its third character changed", a.substr(0, 2) + "b"},
        {"the slot of no code", "00B"},
        {"a digit pair sharing low bits with a code's", "t6B"},
        {"a code byte 255", "\xFF"},
    };
    for (const Disturbance& d : disturbances) {
        for (std::size_t at = 0; at <= 60; ++at) {
            std::string text = codes;
            text.insert(at, d.inserted);
            for (std::size_t length = 0; length <= text.size(); length += (length < 40 ? 1 : 7)) {
                const std::string_view cut = std::string_view(text).substr(0, length);
                ASSERT_EQ(decode(cut), decodeByWindows(cut)) << d.what << " at " << at << ", " << length << " characters";
            }
        }
    }

    std::mt19937 random(21);
    std::uniform_int_distribution<int> pick(0, 3);
    for (int round = 0; round < 200; ++round) { // codes, digits and letters mixed at random
        std::string text;
        while (text.size() < 300) {
            switch (pick(random)) {
            case 0: text += "0123456789"[random() % 10]; break;
            case 1: text += char('A' + random() % 58); break;
            default: text += codeOf(testtext::codebookText(1, unsigned(random()))[0]); break;
            }
        }
        ASSERT_EQ(decode(text), decodeByWindows(text)) << text;
    }
}
