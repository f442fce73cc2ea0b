// File operations under failure: a full disk, a folder the user may not write, and a process
// killed midway. The original must always survive whole, and no temporary file may stay.
#include "testsupport.h"

using namespace testsupport;

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString childPath()
{
    return QStringLiteral(FILEOP_CHILD);
}

QString runChild(const QStringList& args, int waitMs = 120000)
{
    QProcess p;
    p.start(childPath(), args);
    if (!p.waitForFinished(waitMs))
        return QStringLiteral("(still running after %1 ms)").arg(waitMs);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// What an operation does when the system refuses something underneath it: the control is still
// made, the operation ends with a result or a clear error, nothing waits for ever, and the file
// is all old or all new with nothing left beside it.
struct SystemFault {
    const char* name;
    QStringList options;
    const char* result; // the start of the last line
    bool changed;
};

void PrintTo(const SystemFault& c, std::ostream* os) { *os << c.name; }

class SystemFaults : public ::testing::TestWithParam<SystemFault> {};

TEST_P(SystemFaults, EndWithAResultOrAClearErrorAndKeepTheFile)
{
    const SystemFault& c = GetParam();
    ScratchDir dir;
    const QByteArray original = patternBytes(25007);
    const QString path = dir.path("data.bin");
    writeAll(path, original);
    const QStringList lines = runChild(QStringList(c.options) << "encode" << path, 30000).split('\n');
    EXPECT_TRUE(lines.last().startsWith(QString::fromLatin1(c.result))) << lines.join('\n').toStdString();
    EXPECT_EQ(readAll(path) != original, c.changed);
    EXPECT_EQ(dir.entries(), QStringList {"data.bin"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SystemFaults,
    ::testing::Values(
        // Painting large areas with Qt's painter waits for a pool of threads: the control draws
        // nothing that way, neither when it is made nor on the progress window.
        SystemFault {"NoThreadsWithTheProgressWindow", {"--no-threads", "--show-progress"}, "bool:false", true},
        SystemFault {"NoThreads", {"--no-threads"}, "bool:false", true},
        // The new content is made durable before it takes the old one's place.
        SystemFault {"FsyncFails", {"--fail-fsync"}, "error 75: Cannot save the new content", false},
        SystemFault {"FsyncFailsWithTheProgressWindow", {"--fail-fsync", "--show-progress"}, "error 75: ", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A large run-length file is checked on a second thread while the first pieces are ciphered
// ahead. However the two threads meet, the host sees what it sees when the check runs first, as
// it does when no thread can be made: the same events and result, and the same file.
struct CheckAheadCase {
    const char* name;
    const char* operation;
    QByteArray (*content)();
    QStringList options;
    const char* result; // the start of the last line
    bool changed;
};

void PrintTo(const CheckAheadCase& c, std::ostream* os) { *os << c.name; }

class CheckAhead : public ::testing::TestWithParam<CheckAheadCase> {};

constexpr int CheckAheadSize = 16 << 20;

QByteArray ledger()
{
    const QByteArray line("the harbour master kept a ledger....    0000 of every ship\n");
    QByteArray text;
    text.reserve(CheckAheadSize);
    while (text.size() < CheckAheadSize)
        text += line;
    text.truncate(CheckAheadSize);
    return text;
}

QByteArray ledgerWithTriples()
{
    QByteArray text = ledger();
    for (int at = 1000; at + 3 < text.size(); at += 4096)
        text.replace(at, 3, QByteArray("\xFF\x40q", 3));
    return text;
}

TEST_P(CheckAhead, HostSeesWhatTheCheckFirstGives)
{
    const CheckAheadCase& c = GetParam();
    ScratchDir dir;
    const QByteArray original = c.content();
    const QString path = dir.path("ledger.txt");
    QStringList outputs;
    QList<QByteArray> files;
    for (const char* threads : {"", "--no-threads"}) {
        writeAll(path, original);
        QStringList args = c.options;
        if (*threads)
            args << threads;
        outputs << runChild(args << "--type" << "1" << "--announce" << c.operation << path);
        files << readAll(path);
        EXPECT_EQ(dir.entries(), QStringList {"ledger.txt"});
    }
    EXPECT_TRUE(outputs[0].section('\n', -1).startsWith(QString::fromLatin1(c.result))) << outputs[0].section('\n', -1).toStdString();
    EXPECT_EQ(outputs[0].toStdString(), outputs[1].toStdString()); // printed as a diff of lines
    EXPECT_EQ(files[0] != original, c.changed);
    EXPECT_TRUE(files[0] == files[1]);
}

INSTANTIATE_TEST_SUITE_P(
    RunLength, CheckAhead,
    ::testing::Values(
        CheckAheadCase {"Encode", "encode", &ledger, {}, "bool:false", true},
        CheckAheadCase {"EncodeRefusesCode255InTheLastPiece", "encode", [] {
                            QByteArray text = ledger();
                            text[text.size() - 10] = char(255);
                            return text;
                        }, {}, "error 5: ", false},
        CheckAheadCase {"Decode", "decode", &ledgerWithTriples, {}, "bool:false", true},
        CheckAheadCase {"DecodeRefusesCount255AtTheEnd", "decode", [] { return ledgerWithTriples() + "\xFF\xFF" "a"; },
                        {}, "error 5: ", false},
        // The disk fills while the check still reads: the points before the failure, then the error.
        CheckAheadCase {"DiskFullWhileTheCheckRuns", "encode", &ledger, {"--limit", "524288"}, "error 61: ", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FaultInjection, FullDiskLeavesTheOriginal)
{
    ScratchDir dir;
    const QByteArray original = patternBytes(300000);
    const QString path = dir.path("big.bin");
    writeAll(path, original);
    const QString out = runChild({"--limit", "100000", "encode", path});
    EXPECT_TRUE(out.startsWith("error 61:")) << out.toStdString();
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"big.bin"});
}

// Run as an ordinary user (root runs the child as `nobody`): what that user may not rewrite,
// or could not rewrite with everything the file had, is refused with error 75 after Statred and
// before anything is read, with a message that says why.
struct RefusalCase {
    const char* name;
    mode_t folderMode;
    mode_t fileMode;
    bool fileOfTheUser;   // else root's
    bool groupOfRoot;     // the file's group is one the user is not in
    const char* because;  // in the message
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusedForAnOrdinaryUser : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedForAnOrdinaryUser, BeforeAnythingIsReadAndSaysWhy)
{
    const RefusalCase& c = GetParam();
    ScratchDir dir;
    const QByteArray original = patternBytes(20000);
    const QString path = dir.path("locked.bin");
    writeAll(path, original);
    QStringList args {"--announce"};
    QString because = QString::fromLatin1(c.because).arg(dir.path());
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        ASSERT_TRUE(nobody);
        if (c.fileOfTheUser) {
            ASSERT_EQ(chown(QFile::encodeName(path).constData(), nobody->pw_uid, c.groupOfRoot ? 0 : nobody->pw_gid), 0);
        }
        args << "--user" << "nobody";
    } else if (!c.fileOfTheUser || c.groupOfRoot) {
        GTEST_SKIP() << "needs root to give the file to another user";
    }
    chmod(QFile::encodeName(path).constData(), c.fileMode);
    chmod(QFile::encodeName(dir.path()).constData(), c.folderMode);
    const QStringList lines = runChild(args << "encode" << path).split('\n');
    chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_TRUE(lines.last().startsWith("error 75:")) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.last().contains(because)) << lines.last().toStdString() << "\nshould say: " << because.toStdString();
    EXPECT_EQ(lines.first(), "event v.Statred(i4:20000)");
    EXPECT_FALSE(lines.join('\n').contains("Progress")) << "nothing was processed";
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"locked.bin"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedForAnOrdinaryUser,
    ::testing::Values(
        RefusalCase {"FolderNotWritable", 0555, 0644, true, false, "The folder %1 cannot be written"},
        RefusalCase {"AnotherUsersProtectedFile", 0777, 0644, false, false, "belongs to root, and nobody may not write it"},
        RefusalCase {"GroupTheUserIsNotIn", 0777, 0664, true, true, "may not give a new file that owner and group"},
        RefusalCase {"AnotherUsersFileInASharedFolder", 01777, 0666, false, false, "lies in the shared folder %1"},
        RefusalCase {"UnreadableFile", 0777, 0000, true, false, "Cannot read"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FaultInjection, KilledMidwayLeavesAllOldOrAllNew)
{
    ScratchDir dir;
    const QByteArray original = patternBytes(600000, 3);
    const QString path = dir.path("victim.bin");
    QByteArray enciphered;
    {
        writeAll(path, original);
        ASSERT_EQ(runChild({"encode", path}), "bool:false");
        enciphered = readAll(path);
        ASSERT_NE(enciphered, original);
    }
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 24; ++round) {
        writeAll(path, original);
        QProcess p;
        p.start(childPath(), {"--announce", "encode", path});
        ASSERT_TRUE(p.waitForStarted());
        const QString leftoverPrefix = QStringLiteral(".velloc-%1-").arg(p.processId());
        // Wait for a random block, or let some rounds run to their very end.
        const int block = QRandomGenerator::global()->bounded(70);
        int seen = 0;
        while (seen <= block && p.waitForReadyRead(5000))
            seen += p.readAllStandardOutput().count("Progress");
        const qint64 pid = p.processId(); // 0 once it has ended: kill(0) would hit this test too
        if (pid > 0)
            ::kill(pid_t(pid), SIGKILL);
        p.waitForFinished();
        const QByteArray now = readAll(path);
        ASSERT_TRUE(now == original || now == enciphered) << "round " << round << ": a mixed file";
        (now == original ? sawOld : sawNew)++;
        // A kill between naming the new content and renaming it leaves that name behind; the
        // next operation in the folder removes it.
        for (const QString& name : dir.entries())
            ASSERT_TRUE(name == "victim.bin" || name.startsWith(leftoverPrefix)) << "round " << round << ": " << name.toStdString();
    }
    EXPECT_GT(sawOld, 0);
    ASSERT_EQ(runChild({"decode", path}), "bool:false");
    EXPECT_EQ(dir.entries(), QStringList {"victim.bin"});
}

} // namespace
