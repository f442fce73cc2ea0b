// Both ways with the age command-line tool: what the sealer writes opens with `age -d`, and what
// `age -p` writes opens here. The tool reads its passphrase from a terminal, so it runs on a
// pseudo-terminal that answers each prompt.
#include "cipher/agearmour.h"
#include "cipher/sealedtext.h"
#include "sealedtest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace cipher;
using namespace sealedtest;
namespace fs = std::filesystem;

namespace {

struct AgeRun {
    int status = -1;
    std::string output;
};

AgeRun runAge(const std::vector<std::string>& arguments, std::string_view passphrase)
{
    std::vector<char*> argv{const_cast<char*>("age")};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    AgeRun run;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return run;
    if (child == 0) {
        execvp("age", argv.data());
        _exit(127);
    }
    std::size_t answered = 0;
    for (;;) {
        pollfd wait{terminal, POLLIN, 0};
        if (poll(&wait, 1, 60000) <= 0) {
            kill(child, SIGKILL);
            break;
        }
        char buffer[512];
        const ssize_t count = read(terminal, buffer, sizeof buffer);
        if (count <= 0) // EIO once the tool has exited
            break;
        run.output.append(buffer, std::size_t(count));
        for (std::size_t at = 0, seen = 0; (at = run.output.find("passphrase", at)) != std::string::npos; at += 10) {
            if (++seen > answered) {
                const std::string line = std::string(passphrase) + "\n";
                EXPECT_EQ(write(terminal, line.data(), line.size()), ssize_t(line.size()));
                ++answered;
            }
        }
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void writeFile(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class AgeInterop : public testing::TestWithParam<std::size_t> {
protected:
    void SetUp() override
    {
        if (std::system("command -v age >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "the age tool is not installed (scripts/install-deps.sh installs it)";
        char pattern[] = "/tmp/ageinterop.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    fs::path m_dir;
};

} // namespace

TEST_P(AgeInterop, WhatIsSealedHereOpensWithAge)
{
    const std::string plain = patternText(GetParam());
    // One size at the default work factor, the one age itself writes; the rest stretch quickly.
    const int workFactor = GetParam() == 1 ? DefaultWorkFactor : TestWorkFactor;
    AgeResult<std::string> sealed = SealText(plain, Passphrase, workFactor);
    ASSERT_TRUE(sealed.ok());
    for (const std::string& form : {sealed.value(), AgeArmour(sealed.value())}) {
        writeFile(m_dir / "sealed", form);
        fs::remove(m_dir / "opened");
        const AgeRun run = runAge({"-d", "-o", (m_dir / "opened").string(), (m_dir / "sealed").string()}, Passphrase);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(readFile(m_dir / "opened") == plain);
    }
}

TEST_P(AgeInterop, WhatAgeSealsOpensHere)
{
    const std::string plain = patternText(GetParam());
    writeFile(m_dir / "plain", plain);
    const bool armoured = GetParam() == 1;
    std::vector<std::string> arguments{"-p", "-o", (m_dir / "sealed").string(), (m_dir / "plain").string()};
    if (armoured)
        arguments.insert(arguments.begin(), "-a");
    const AgeRun run = runAge(arguments, Passphrase);
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string sealed = readFile(m_dir / "sealed");
    EXPECT_EQ(isAgeArmour(sealed), armoured);

    if (armoured) {
        AgeResult<std::string> opened = OpenText(sealed, Passphrase);
        ASSERT_TRUE(opened.ok()) << opened.error().message;
        EXPECT_TRUE(opened.value() == plain);
    } else {
        const Opened opened = openInPieces(sealed, 10000);
        ASSERT_FALSE(opened.error) << opened.error->message;
        EXPECT_TRUE(opened.plain == plain);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, AgeInterop, testing::Values(0, 1, 65535, 65536, 65537, 3 * 1024 * 1024 + 12345),
                         [](const testing::TestParamInfo<std::size_t>& info) { return "Bytes" + std::to_string(info.param); });
