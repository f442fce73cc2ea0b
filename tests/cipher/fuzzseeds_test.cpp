// Every fuzz target runs over its seed corpus here as well, so the seeds' cases are checked in
// every build, not only where libFuzzer is at hand.
#include "fuzz/fuzztargets.h"

#include <gtest/gtest.h>

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
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir))
        EXPECT_TRUE(targets.count(entry.path().filename().string())) << entry.path();
}
