#include "testtext.h"

#include <gtest/gtest.h>

#include <vector>

using namespace cipher;

namespace {

std::string triple(std::size_t runLength, char c)
{
    return std::string{'\xFF', static_cast<char>(runLength - 1), c};
}

struct RleCase {
    const char* name;
    std::string plain;
    std::string enciphered;
};

void PrintTo(const RleCase& c, std::ostream* os) { *os << c.name; }

class RleKnownAnswer : public testing::TestWithParam<RleCase> {};

} // namespace

TEST_P(RleKnownAnswer, EnciphersAndDeciphers)
{
    const RleCase& c = GetParam();
    const CipherResult encoded = RleEncode(c.plain, {});
    ASSERT_TRUE(encoded.ok());
    EXPECT_EQ(encoded.text, c.enciphered);
    const CipherResult decoded = RleDecode(c.enciphered, {});
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.text, c.plain);
}

// Runs longer than 255 go out as triples of 255 while at least 3 remain; a rest of one or two
// characters stays literal.
INSTANTIATE_TEST_SUITE_P(Vectors, RleKnownAnswer, testing::Values(
    RleCase{"Empty", "", ""},
    RleCase{"NoRuns", std::string("abcabc\0\x01\xFE", 9), std::string("abcabc\0\x01\xFE", 9)},
    RleCase{"TwoEqualStayLiterals", "xaab", "xaab"},
    RleCase{"ThreeEqualMakeOneTriple", "xaaab", "x" + triple(3, 'a') + "b"},
    RleCase{"TextEndingInARun", "xy" + std::string(7, '\0'), "xy" + triple(7, '\0')},
    RleCase{"Run255", std::string(255, 'q'), triple(255, 'q')},
    RleCase{"Run256", std::string(256, 'q') + "z", triple(255, 'q') + "qz"},
    RleCase{"Run257", std::string(257, 'q'), triple(255, 'q') + "qq"},
    RleCase{"Run258", std::string(258, 'q'), triple(255, 'q') + triple(3, 'q')},
    RleCase{"Run600", std::string(600, ' '), triple(255, ' ') + triple(255, ' ') + triple(90, ' ')},
    RleCase{"RunsBackToBack", "aaabbbb", triple(3, 'a') + triple(4, 'b')}),
    [](const testing::TestParamInfo<RleCase>& info) { return std::string(info.param.name); });

// Counts 0 and 1 are never written but read unambiguously as one and two copies; a triple
// whose run character is code 255 is never written either, but reads as that many 255s.
TEST(RleDecode, AcceptsWhatTheAlgorithmDecodes)
{
    EXPECT_EQ(RleDecode(testtext::codes({0xFF, 0, 'a', 0xFF, 1, 'b'}), {}).text, "abb");
    EXPECT_EQ(RleDecode(testtext::codes({0xFF, 2, 0xFF}), {}).text, std::string(3, '\xFF'));
    EXPECT_EQ(RleDecode(testtext::codes({'a', 0xFF, 5, 0xFF, 'b'}), {}).text, "a" + std::string(6, '\xFF') + "b");
}

TEST(RleRefusals, MalformedOrUnencodableTextIsRefusedBeforeAnyProgress)
{
    const struct {
        CipherRoutine routine;
        std::string text;
    } cases[] = {
        {&RleEncode, "plain\xFF"},
        {&RleDecode, "ab\xFF"},                      // marker last
        {&RleDecode, "ab\xFF\x05"},                  // marker second to last
        {&RleDecode, testtext::codes({0xFF, 0xFF, 'a'})}, // count 255
    };
    for (const auto& c : cases) {
        int calls = 0;
        CipherParams params;
        params.progress = [&](std::int64_t) { return ++calls, true; };
        const CipherResult result = c.routine(c.text, params);
        ASSERT_TRUE(result.error) << testing::PrintToString(c.text);
        EXPECT_EQ(result.error->number, 5);
        EXPECT_EQ(result.text, "");
        EXPECT_EQ(calls, 0);
    }
}

namespace {

struct ProgressCase {
    const char* name;
    CipherRoutine routine;
    std::string text;
    std::vector<std::int64_t> positions;
};

void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }

class RleProgress : public testing::TestWithParam<ProgressCase> {};

std::string literals(std::size_t n) // no three equal characters in a row
{
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text.push_back(static_cast<char>('a' + i % 7));
    return text;
}

} // namespace

TEST_P(RleProgress, ReportsAfterFirstElementAndEachPassedMultipleOf10000)
{
    const ProgressCase& c = GetParam();
    std::vector<std::int64_t> seen;
    CipherParams params;
    params.progress = [&](std::int64_t q) { return seen.push_back(q), true; };
    ASSERT_TRUE(c.routine(c.text, params).ok());
    EXPECT_EQ(seen, c.positions);
}

// "b" then 10000 'a' at 2..10001 (39 triples of 255 end at 9946, a triple of 55 ends at 10001),
// then 5 'c' at 10002..10006: points at the first element (1) and at the triple that passes
// 10000. Deciphering, positions are those of the enciphered text: a triple at 10000..10002
// reports its last position.
INSTANTIATE_TEST_SUITE_P(Positions, RleProgress, testing::Values(
    ProgressCase{"EmptyEncode", &RleEncode, "", {}},
    ProgressCase{"EmptyDecode", &RleDecode, "", {}},
    ProgressCase{"OneLiteral", &RleEncode, "x", {1}},
    ProgressCase{"FirstElementATriple", &RleEncode, "aaaab", {4}},
    ProgressCase{"Literals10000", &RleEncode, literals(10000), {1}},
    ProgressCase{"Literals10001", &RleEncode, literals(10001), {1, 10001}},
    ProgressCase{"Literals25000", &RleDecode, literals(25000), {1, 10001, 20001}},
    ProgressCase{"RunPassesThreshold", &RleEncode, "b" + std::string(10000, 'a') + "ccccc", {1, 10001}},
    ProgressCase{"TriplePassesThreshold", &RleDecode, literals(9999) + triple(9, 'z') + literals(5), {1, 10002}},
    // An element ending exactly at 10000 has not passed it: the next element reports.
    ProgressCase{"RunEndsAtThreshold", &RleEncode, "b" + std::string(9999, 'a') + "ccccc", {1, 10005}},
    ProgressCase{"TripleEndsAtThreshold", &RleDecode, literals(9997) + triple(9, 'z') + literals(5), {1, 10001}}),
    [](const testing::TestParamInfo<ProgressCase>& info) { return std::string(info.param.name); });

// Sized before it is made: a text of triples that would decipher past the most a file may hold
// is refused without the memory being asked for.
TEST(RleRefusals, ADecipheredTextPastTheFileLimitIsRefusedBeforeAllocating)
{
    std::string text;
    const std::size_t triples = MaxDecodedLength / 255 + 1;
    text.reserve(triples * 3);
    for (std::size_t i = 0; i < triples; ++i)
        text += triple(255, 'A');
    const CipherResult result = RleDecode(text, {});
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->number, 5);
    EXPECT_NE(result.error->message.find("2147483647"), std::string::npos) << result.error->message;
}

TEST(RleProgress, CancelledAtAProgressPointGivesEmptyText)
{
    const std::string plain = literals(30000);
    for (CipherRoutine routine : {&RleEncode, &RleDecode}) {
        for (int stopAt : {1, 2}) {
            int calls = 0;
            CipherParams params;
            params.progress = [&](std::int64_t) { return ++calls < stopAt; };
            const CipherResult result = routine(plain, params);
            EXPECT_TRUE(result.cancelled);
            EXPECT_FALSE(result.error);
            EXPECT_EQ(result.text, "");
            EXPECT_EQ(calls, stopAt);
        }
    }
}
