// Every fuzz target runs over its seed corpus here as well, so the seeds' cases are checked in
// every build, not only where libFuzzer is at hand; and the cipher-type targets run over inputs
// made for every type in the catalogue, so a new type is checked without a seed of its own.
#include "fuzz/fuzztargets.h"
#include "testtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace fuzztargets {
void PrintTo(const Target& target, std::ostream* os) { *os << target.name; }
} // namespace fuzztargets

namespace {

const fs::path CorpusDir = CIPHER_FUZZ_CORPUS_DIR;

class FuzzSeeds : public testing::TestWithParam<fuzztargets::Target> {};

} // namespace

TEST_P(FuzzSeeds, EverySeedPassesItsTargetsChecks)
{
    const fuzztargets::Target& target = GetParam();
    int seeds = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir / target.name)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        try {
            target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const std::logic_error& failure) {
            ADD_FAILURE() << entry.path().filename() << ": " << failure.what();
        }
        ++seeds;
    }
    EXPECT_GT(seeds, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzSeeds, testing::ValuesIn(fuzztargets::All),
                         [](const testing::TestParamInfo<fuzztargets::Target>& info) { return std::string(info.param.name); });

TEST(FuzzSeeds, EveryCorpusHasATarget)
{
    std::set<std::string> targets;
    for (const fuzztargets::Target& target : fuzztargets::All)
        targets.insert(target.name);
    const std::string runtime = RUNTIME_FUZZ_TARGETS;
    for (std::size_t at = 0; at < runtime.size();) {
        const std::size_t comma = std::min(runtime.find(',', at), runtime.size());
        targets.insert(runtime.substr(at, comma - at));
        at = comma + 1;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir))
        EXPECT_TRUE(targets.count(entry.path().filename().string())) << entry.path();
}

namespace {

class EveryCipherType : public testing::TestWithParam<cipher::CipherType> {};

// An input of the round-trip and decode targets: the type's place in the catalogue, the
// offset, the key length, the key, the text.
std::string targetInput(std::size_t place, std::uint8_t offset, std::string_view key, std::string_view text)
{
    std::string input{static_cast<char>(place), static_cast<char>(offset), static_cast<char>(key.size())};
    return input.append(key).append(text);
}

void run(const fuzztargets::Target& target, const std::string& input)
{
    try {
        target.run(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    } catch (const std::logic_error& failure) {
        ADD_FAILURE() << target.name << ": " << failure.what();
    }
}

} // namespace

// Keys on both sides of every minimum length, offsets that do and do not shift, texts with and
// without code 255, runs, and enciphered-looking text.
TEST_P(EveryCipherType, PassesTheRoundTripAndDecodeChecks)
{
    const cipher::CipherType& type = GetParam();
    const auto catalogue = cipher::catalogue();
    const std::size_t place = std::size_t(std::ranges::find(catalogue, type.type, &cipher::CipherType::type) - catalogue.begin());
    const std::string texts[] = {
        "",
        "Harbour Lanterns\r\n",
        testtext::mixedText(2000, 1, 254),
        testtext::mixedText(2000, 2, 255),
        testtext::codebookText(300, 3),
        cipher::String1Encode(testtext::codebookText(300, 4), {}).text,
    };
    for (const fuzztargets::Target target : {fuzztargets::Target{"roundtrip", &fuzztargets::roundtrip},
                                              fuzztargets::Target{"decode", &fuzztargets::decode}}) {
        for (std::string_view key : {"", "K", "Ke", "Harbour Lanterns"})
            for (std::uint8_t offset : {0, 30, 255})
                for (const std::string& text : texts)
                    run(target, targetInput(place, offset, key, text));
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EveryCipherType, testing::ValuesIn(cipher::catalogue()),
                         [](const testing::TestParamInfo<cipher::CipherType>& info) { return std::string(info.param.name); });
