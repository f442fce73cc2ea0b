// File operations under failure: a full disk, a folder the user may not write, and a process
// killed midway. The original must always survive whole, and no temporary file may stay.
#include "vellochost.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString childPath()
{
    return QStringLiteral(FILEOP_CHILD);
}

QString runChild(const QStringList& args)
{
    QProcess p;
    p.start(childPath(), args);
    p.waitForFinished(120000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

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

TEST(FaultInjection, UnwritableFolderIsReportedAndChangesNothing)
{
    ScratchDir dir;
    const QByteArray original = patternBytes(20000);
    const QString path = dir.path("locked.bin");
    writeAll(path, original);
    QStringList args;
    if (geteuid() == 0) {
        // Root writes anywhere; run the operation as an ordinary user instead.
        chmod(QFile::encodeName(dir.path()).constData(), 0755);
        chmod(QFile::encodeName(path).constData(), 0666);
        args << "--user" << "nobody";
    } else {
        chmod(QFile::encodeName(dir.path()).constData(), 0555);
    }
    const QString out = runChild(args << "encode" << path);
    EXPECT_TRUE(out.startsWith("error 75:")) << out.toStdString();
    EXPECT_EQ(readAll(path), original);
    EXPECT_EQ(dir.entries(), QStringList {"locked.bin"});
}

TEST(FaultInjection, KilledMidwayLeavesAllOldOrAllNew)
{
    ScratchDir dir;
    const QByteArray original = patternBytes(600000, 3);
    const QString path = dir.path("victim.bin");
    QByteArray enciphered;
    {
        writeAll(path, original);
        ASSERT_EQ(runChild({"encode", path}), "result ok");
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
        // Wait for a random block, or let some rounds run to their very end.
        const int block = QRandomGenerator::global()->bounded(70);
        int seen = 0;
        while (seen <= block && p.waitForReadyRead(5000))
            seen += p.readAllStandardOutput().count("progress");
        const qint64 pid = p.processId(); // 0 once it has ended: kill(0) would hit this test too
        if (pid > 0)
            ::kill(pid_t(pid), SIGKILL);
        p.waitForFinished();
        const QByteArray now = readAll(path);
        ASSERT_TRUE(now == original || now == enciphered) << "round " << round << ": a mixed file";
        (now == original ? sawOld : sawNew)++;
        ASSERT_EQ(dir.entries(), QStringList {"victim.bin"}) << "round " << round;
    }
    EXPECT_GT(sawOld, 0);
}

} // namespace
