// The run-length cipher fed in pieces against the whole-text routines: the same output, refusals
// and progress points, and a cancellation at the same point, wherever the pieces are cut.
#include "testtext.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

using namespace cipher;

namespace {

struct Outcome {
    std::string text;
    std::optional<std::string> refusal; // the message of an error 5
    std::vector<std::int64_t> points;
    bool stopped = false;

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os)
{
    *os << o.text.size() << " characters, refusal " << o.refusal.value_or("none") << ", " << o.points.size()
        << " points" << (o.stopped ? ", stopped" : "");
}

CipherRoutine routineFor(Direction direction) { return direction == Direction::Encipher ? &RleEncode : &RleDecode; }

// The progress callback of both runs: records every point and asks to stop at the stopAt-th.
ProgressPoint recorder(Outcome& outcome, std::size_t stopAt)
{
    return [&outcome, stopAt](std::int64_t q) {
        outcome.points.push_back(q);
        return outcome.points.size() != stopAt;
    };
}

Outcome whole(Direction direction, std::string_view text, std::size_t stopAt)
{
    Outcome outcome;
    CipherParams params;
    params.progress = recorder(outcome, stopAt);
    CipherResult r = routineFor(direction)(text, params);
    if (r.error) {
        EXPECT_EQ(r.error->number, InvalidArgumentError);
        outcome.refusal = r.error->message;
    }
    outcome.text = std::move(r.text);
    outcome.stopped = r.cancelled;
    return outcome;
}

// Both passes, as a file operation makes them: every piece checked, then every piece fed.
Outcome streamed(Direction direction, const std::vector<std::string_view>& pieces, std::size_t stopAt,
                 std::size_t chunkSize)
{
    Outcome outcome;
    RleStream stream(direction, recorder(outcome, stopAt), chunkSize);
    for (std::string_view piece : pieces) {
        if (auto refusal = stream.check(piece))
            return outcome.refusal = refusal->message, outcome;
    }
    if (auto refusal = stream.checkEnd())
        return outcome.refusal = refusal->message, outcome;

    std::string output;
    const TextSink sink = [&](std::string_view bytes) {
        EXPECT_LE(bytes.size(), std::max(chunkSize, std::size_t(2048)));
        output.append(bytes);
        return true;
    };
    for (std::string_view piece : pieces) {
        const StreamStatus status = stream.feed(piece, sink);
        EXPECT_FALSE(status.error);
        if (status.stopped)
            return outcome.stopped = true, outcome; // the routine gives no text when stopped
    }
    const StreamStatus status = stream.finish(sink);
    EXPECT_FALSE(status.error);
    outcome.stopped = status.stopped;
    if (!outcome.stopped)
        outcome.text = std::move(output);
    return outcome;
}

// Fed without the first pass, a refusal still comes, with the same message.
std::optional<std::string> refusalWhenFedUnchecked(Direction direction, const std::vector<std::string_view>& pieces)
{
    RleStream stream(direction, {}, 2048);
    for (std::string_view piece : pieces) {
        if (StreamStatus status = stream.feed(piece, {}); status.error)
            return status.error->message;
    }
    if (StreamStatus status = stream.finish({}); status.error)
        return status.error->message;
    return std::nullopt;
}

std::vector<std::string_view> cutAt(std::string_view text, const std::vector<std::size_t>& lengths)
{
    std::vector<std::string_view> pieces;
    std::size_t at = 0;
    for (std::size_t i = 0; at < text.size(); ++i) {
        const std::size_t length = std::min(lengths[i % lengths.size()], text.size() - at);
        pieces.push_back(text.substr(at, length));
        at += length;
    }
    return pieces;
}

std::string literals(std::size_t n) // no three equal characters in a row
{
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text.push_back(static_cast<char>('a' + i % 7));
    return text;
}

// Mostly random codes, with a run of 3 to 600 now and then: the output fills many chunks.
std::string sparseRuns(std::size_t size, unsigned seed)
{
    static constexpr std::size_t RunLengths[] = {3, 4, 5, 254, 255, 256, 257, 258, 600};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> code(0, 254);
    std::uniform_int_distribution<std::size_t> pickRun(0, std::size(RunLengths) - 1);
    std::string text;
    while (text.size() < size) {
        if (random() % 40 == 0)
            text.append(RunLengths[pickRun(random)], static_cast<char>(code(random)));
        else
            text.push_back(static_cast<char>(code(random)));
    }
    text.resize(size);
    return text;
}

std::string triple(std::size_t runLength, char c) { return std::string{'\xFF', static_cast<char>(runLength - 1), c}; }

std::string enciphered(const std::string& plain) { return RleEncode(plain, {}).text; }

// How a case cuts its text into pieces.
enum class Cut {
    EveryPosition, // into two pieces, at every position in turn
    Around,        // into two pieces, at every position within 300 of each multiple of BlockSize
    Lengths,       // into pieces of the given lengths, repeated
    Random,        // into pieces of 1 to the given length, at random
};

struct StreamCase {
    const char* name;
    Direction direction;
    std::function<std::string()> text;
    Cut cut;
    std::vector<std::size_t> lengths = {};
    std::size_t chunkSize = 2048;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class RleStreamed : public testing::TestWithParam<StreamCase> {};

std::vector<std::vector<std::string_view>> cuttings(const StreamCase& c, std::string_view text)
{
    std::vector<std::vector<std::string_view>> all;
    const auto twoPieces = [&](std::size_t at) { all.push_back({text.substr(0, at), text.substr(at)}); };
    switch (c.cut) {
    case Cut::EveryPosition:
        for (std::size_t at = 0; at <= text.size(); ++at)
            twoPieces(at);
        break;
    case Cut::Around:
        for (std::size_t block = std::size_t(BlockSize); block < text.size() + 300; block += std::size_t(BlockSize)) {
            for (std::size_t at = block - 300; at <= std::min(block + 300, text.size()); ++at)
                twoPieces(at);
        }
        break;
    case Cut::Lengths:
        all.push_back(cutAt(text, c.lengths));
        break;
    case Cut::Random: {
        std::mt19937 random(7);
        std::uniform_int_distribution<std::size_t> length(1, c.lengths.at(0));
        for (int round = 0; round < 5; ++round) {
            std::vector<std::size_t> lengths(64);
            for (std::size_t& l : lengths)
                l = length(random);
            all.push_back(cutAt(text, lengths));
        }
        break;
    }
    }
    return all;
}

} // namespace

TEST_P(RleStreamed, GivesWhatTheWholeTextRoutineGivesWhereverThePiecesAreCut)
{
    const StreamCase& c = GetParam();
    const std::string text = c.text();
    const Outcome expected = whole(c.direction, text, 0);
    // Stopping at the first point, at the second, and at the last there is.
    std::vector<std::size_t> stops = {0, 1, 2};
    if (expected.points.size() > 2)
        stops.push_back(expected.points.size());

    for (const std::vector<std::string_view>& pieces : cuttings(c, text)) {
        SCOPED_TRACE(testing::Message() << pieces.size() << " pieces, the first " << pieces.front().size() << " long");
        for (std::size_t stopAt : stops) {
            const Outcome expectedHere = stopAt == 0 ? expected : whole(c.direction, text, stopAt);
            ASSERT_EQ(streamed(c.direction, pieces, stopAt, c.chunkSize), expectedHere) << "stopping at point " << stopAt;
            if (expected.refusal)
                break;
        }
        if (expected.refusal) {
            EXPECT_EQ(refusalWhenFedUnchecked(c.direction, pieces), expected.refusal);
        }
    }
}

// mixedText: random codes among runs of 1 to 600, so runs of 255 and more end at every place
// relative to a cut. Deciphering reads those texts enciphered, and triples whose runs expand far
// beyond the output chunk.
INSTANTIATE_TEST_SUITE_P(Pieces, RleStreamed, testing::Values(
    StreamCase{"EncipherCutEverywhere", Direction::Encipher, [] { return testtext::mixedText(1600, 1); }, Cut::EveryPosition},
    StreamCase{"DecipherCutEverywhere", Direction::Decipher, [] { return enciphered(testtext::mixedText(3000, 2)); }, Cut::EveryPosition},
    StreamCase{"EncipherOneByOne", Direction::Encipher, [] { return testtext::mixedText(5000, 3); }, Cut::Lengths, {1}},
    StreamCase{"DecipherOneByOne", Direction::Decipher, [] { return enciphered(testtext::mixedText(5000, 4)); }, Cut::Lengths, {1}},
    StreamCase{"EncipherOneAndTwo", Direction::Encipher, [] { return std::string(1000, 'q') + "ab" + std::string(520, 'r'); }, Cut::Lengths, {2, 1}},
    StreamCase{"EncipherRandomPieces", Direction::Encipher, [] { return sparseRuns(300000, 5); }, Cut::Random, {3000}},
    StreamCase{"DecipherRandomPieces", Direction::Decipher, [] { return enciphered(sparseRuns(300000, 6)); }, Cut::Random, {3000}},
    StreamCase{"DecipherExpandingRandomPieces", Direction::Decipher, [] { return enciphered(testtext::mixedText(300000, 6)); }, Cut::Random, {300}},
    StreamCase{"EncipherLargeChunks", Direction::Encipher, [] { return sparseRuns(3000000, 8); }, Cut::Lengths, {65536}, TextStream::DefaultChunkSize},
    StreamCase{"DecipherLongLiterals", Direction::Decipher, [] { return literals(20000) + triple(40, 'x') + literals(30000); }, Cut::Random, {3000}},
    StreamCase{"DecipherTriplesOnly", Direction::Decipher, [] { return enciphered(std::string(200000, 'x')); }, Cut::Random, {20}},
    StreamCase{"EncipherRunsAtBlockEnds", Direction::Encipher, [] { return literals(9996) + "zzzz" + literals(9990) + std::string(30, 'y') + literals(5); }, Cut::Around},
    StreamCase{"DecipherTriplesAtBlockEnds", Direction::Decipher, [] { return literals(9997) + triple(9, 'z') + literals(9990) + triple(30, 'y') + literals(5); }, Cut::Around},
    StreamCase{"RefusesCode255", Direction::Encipher, [] { return testtext::mixedText(900, 9) + "\xFF" + literals(900); }, Cut::EveryPosition},
    StreamCase{"RefusesCount255", Direction::Decipher, [] { return literals(700) + testtext::codes({0xFF, 0xFF, 'a'}) + literals(3) + "\xFF"; }, Cut::EveryPosition},
    StreamCase{"RefusesMarkerLast", Direction::Decipher, [] { return enciphered(testtext::mixedText(900, 10)) + "\xFF"; }, Cut::EveryPosition},
    StreamCase{"RefusesCount255Last", Direction::Decipher, [] { return literals(50) + testtext::codes({0xFF, 0xFF}); }, Cut::EveryPosition}),
    [](const testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

TEST(RleStream, TheCatalogueOpensItForTheRunLengthTypeOnly)
{
    for (const CipherType& type : catalogue()) {
        for (Direction direction : {Direction::Encipher, Direction::Decipher})
            EXPECT_EQ(openPiecewise(type.number(), direction, {}) != nullptr, type.feed == Feed::WholeText) << type.name;
    }
    EXPECT_EQ(openPiecewise(200, Direction::Encipher, {}), nullptr);
}

// A sink that fails stops the stream, which then takes nothing more.
TEST(RleStream, ASinkThatFailsStopsIt)
{
    const std::string text = literals(50000);
    RleStream stream(Direction::Encipher, {}, 4096);
    int calls = 0;
    const TextSink failing = [&](std::string_view) { return ++calls < 2; };
    StreamStatus status = stream.feed(text, failing);
    EXPECT_TRUE(status.stopped);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(stream.feed("abc", failing).stopped);
    EXPECT_TRUE(stream.finish(failing).stopped);
    EXPECT_EQ(calls, 2);
}

TEST(RleStream, TakesNothingAfterTheEnd)
{
    std::string output;
    const TextSink sink = [&](std::string_view bytes) { return output.append(bytes), true; };
    RleStream stream(Direction::Encipher, {});
    EXPECT_TRUE(stream.feed("aaaab", sink).ok());
    EXPECT_TRUE(stream.finish(sink).ok());
    EXPECT_TRUE(stream.feed("c", sink).stopped);
    EXPECT_TRUE(stream.finish(sink).stopped);
    EXPECT_EQ(output, triple(4, 'a') + "b");
}

// A text of triples that would decipher past the most a file may hold is refused by the first
// pass, as the whole-text routine refuses it, before anything is deciphered; fed without that
// pass, the stream refuses it before its output passes the limit.
TEST(RleStream, RefusesWhatWouldDecipherPastTheFileLimit)
{
    std::string text;
    for (std::size_t i = 0; i <= MaxDecodedLength / MaxRunLength; ++i)
        text += triple(MaxRunLength, 'A');
    const CipherResult whole = RleDecode(text, {});
    ASSERT_TRUE(whole.error);
    RleStream stream(Direction::Decipher, {});
    for (std::string_view piece : cutAt(text, {1 << 20}))
        ASSERT_FALSE(stream.check(piece));
    const std::optional<CipherError> refusal = stream.checkEnd();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, whole.error->message);

    RleStream unchecked(Direction::Decipher, {});
    std::uint64_t given = 0;
    const TextSink count = [&](std::string_view bytes) {
        given += bytes.size();
        return true;
    };
    StreamStatus status;
    for (std::string_view piece : cutAt(text, {1 << 20}))
        if (status = unchecked.feed(piece, count); !status.ok())
            break;
    if (status.ok())
        status = unchecked.finish(count);
    ASSERT_TRUE(status.error);
    EXPECT_NE(status.error->message.find("2147483647"), std::string::npos) << status.error->message;
    EXPECT_LE(given, MaxDecodedLength);
}

TEST(RleStream, SizesTheDecipheredTextInItsFirstPass)
{
    const std::string plain = testtext::mixedText(40000, 12);
    const std::string text = enciphered(plain);
    RleStream stream(Direction::Decipher, {});
    for (std::string_view piece : cutAt(text, {777}))
        ASSERT_FALSE(stream.check(piece));
    ASSERT_FALSE(stream.checkEnd());
    EXPECT_EQ(stream.decipheredSize(), plain.size());
}
