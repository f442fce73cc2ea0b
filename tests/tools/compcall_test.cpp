#include "toolrun.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A world with the test component registered.
class CompcallWorld : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.registerTestWidget()); }

    ToolWorld world;
};

std::vector<std::string> scriptNames()
{
    std::vector<std::string> names;
    for (const QString& name : QStringLiteral(COMPCALL_SCRIPTS).split(u',', Qt::SkipEmptyParts))
        names.push_back(name.toStdString());
    return names;
}

class CompcallScript : public CompcallWorld, public ::testing::WithParamInterface<std::string> {};

// Runs scripts/NAME.ccs and compares standard output with scripts/NAME.out line by line. Lines
// of the script starting with "#>" say what else to expect: "#> exit N", "#> stderr TEXT" (each
// line of standard error, in order), "#> env NAME=VALUE", "#> unset NAME". @WORK@ stands for
// the working folder, @REGISTRY@ for the registry and @SCRIPTS@ for the folder of the scripts
// and of the files they read (picture.png, 3 x 2 pixels; bytes.bin, the bytes 0 to 255).
TEST_P(CompcallScript, PrintsWhatTheContractSays)
{
    const auto substitute = [&](QString text) {
        return text.replace(QStringLiteral("@WORK@"), world.work())
            .replace(QStringLiteral("@REGISTRY@"), world.registry())
            .replace(QStringLiteral("@SCRIPTS@"), QStringLiteral(SCRIPTS_DIR));
    };
    const QString name = QString::fromStdString(GetParam());
    const QString script = substitute(readFile(QStringLiteral(SCRIPTS_DIR "/%1.ccs").arg(name)));
    ASSERT_FALSE(script.isEmpty());
    int expectedExit = 0;
    QStringList expectedErr;
    QProcessEnvironment env;
    QStringList unset;
    for (const QString& line : lines(script)) {
        if (!line.startsWith(QStringLiteral("#> ")))
            continue;
        const QString directive = line.mid(3).section(u' ', 0, 0);
        const QString rest = line.mid(3).section(u' ', 1);
        if (directive == QLatin1String("exit"))
            expectedExit = rest.toInt();
        else if (directive == QLatin1String("stderr"))
            expectedErr << rest;
        else if (directive == QLatin1String("env"))
            env.insert(rest.section(u'=', 0, 0), rest.section(u'=', 1));
        else if (directive == QLatin1String("unset"))
            unset << rest;
        else
            FAIL() << "unknown directive " << line.toStdString();
    }

    QFile file(world.work() + QStringLiteral("/%1.ccs").arg(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(script.toUtf8()) > 0);
    file.close();
    const ToolRun r = world.run(compcallPath, {QStringLiteral("--registry"), world.registry(), QFileInfo(file).fileName()},
                                {}, env, unset);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(lines(r.out), lines(substitute(readFile(QStringLiteral(SCRIPTS_DIR "/%1.out").arg(name)))));
    EXPECT_EQ(lines(r.err), expectedErr);
    EXPECT_EQ(r.exitCode, expectedExit) << r.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scripts, CompcallScript, ::testing::ValuesIn(scriptNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_F(CompcallWorld, ReadsTheScriptFromStandardInputWithAnyLineEnding)
{
    const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\r\nset w.Caption \"A\"\r\n\r\n# note\r\nget w.caption\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(lines(r.out), (QStringList {QStringLiteral("changed w.Caption"), QStringLiteral(R"(bstr:"A")")}));
}

// A bag that cannot be written is an error of the call, printed; the script goes on.
TEST_F(CompcallWorld, ASaveThatCannotBeWrittenIsReportedAndTheScriptGoesOn)
{
    const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\nsave w no/such/folder/x.bag\necho on\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(lines(r.out).size(), 2) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("error 75: Cannot write property bag no/such/folder/x.bag")))
        << r.out.toStdString();
    EXPECT_EQ(lines(r.out)[1], QStringLiteral("on"));
}

// A class whose library has gone cannot be created: a script error naming the library.
TEST_F(CompcallWorld, AClassWhoseLibraryIsGoneIsAScriptError)
{
    const QString copy = world.work() + QStringLiteral("/libgone.so");
    ASSERT_TRUE(QFile::copy(testWidgetPath, copy));
    ASSERT_EQ(world.compreg({QStringLiteral("unregister"), testWidgetPath}).exitCode, 0);
    ASSERT_EQ(world.compreg({QStringLiteral("register"), copy}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(copy));
    const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(lines(r.err), QStringList {QStringLiteral("compcall: line 1: cannot load %1/libgone.so: no such file")
                                             .arg(QFileInfo(world.work()).canonicalFilePath())});
}

// A script that cannot be read, or more than one, is an error before anything runs.
TEST_F(CompcallWorld, AMissingScriptOrTwoAreErrors)
{
    const std::pair<QStringList, const char*> rows[] = {
        {{QStringLiteral("no-such-script.ccs")}, "compcall: cannot read no-such-script.ccs"},
        {{QStringLiteral("a.ccs"), QStringLiteral("b.ccs")}, "usage: compcall"}};
    for (const auto& [args, says] : rows) {
        const ToolRun r = world.compcall(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith(QString::fromUtf8(says)) && r.out.isEmpty()) << r.err.toStdString();
    }
}

// Printed lines are written in batches when they go to a file or a pipe; with both streams in
// one place, what was printed still comes before the error that follows it.
TEST_F(CompcallWorld, OutputAndErrorsKeepTheirOrderInOneStream)
{
    QByteArray script;
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        script += "echo line " + QByteArray::number(i) + '\n';
        expected << QStringLiteral("line %1").arg(i);
    }
    script += "frobnicate\necho never\n";
    expected << QStringLiteral("compcall: line 3001: unknown statement frobnicate");
    const ToolRun r = world.run(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), QStringLiteral("\"$0\" --registry \"$1\" 2>&1"), compcallPath,
                                 world.registry()},
                                script);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(lines(r.out), expected);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeBytes(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    ASSERT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    ::close(fd);
}

// By the name's bytes: Qt's own file classes read names as UTF-8.
QByteArray readNative(const QByteArray& path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "(unreadable)";
    return file.readAll();
}

mode_t typeOf(const QString& path)
{
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// save refuses whatever is not a bag file, and leaves it as it was: no device node or FIFO
// replaced by a regular file, no hard link split.
TEST_F(CompcallWorld, SaveRefusesWhatIsNotARegularFile)
{
    const QString work = world.work();
    const QByteArray old = "# property bag\ncaption = bstr:\"old\"\n";
    struct Row {
        const char* name;
        std::function<void()> make;
        const char* says; // after "error 75: Cannot write property bag NAME: "
        mode_t type;
    };
    const bool canMakeDevices = mknod(QFile::encodeName(work + QStringLiteral("/probe")).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0;
    const Row rows[] = {
        {"full", [] {}, "it is a character device, not a regular file; it is left as it was", S_IFCHR},
        {"fifo", [&] { ASSERT_EQ(mkfifo(QFile::encodeName(work + QStringLiteral("/fifo")).constData(), 0644), 0); },
         "it is a FIFO, not a regular file; it is left as it was", S_IFIFO},
        {"linked.bag",
         [&] {
             writeBytes(QFile::encodeName(work + QStringLiteral("/linked.bag")), old);
             ASSERT_EQ(link(QFile::encodeName(work + QStringLiteral("/linked.bag")).constData(),
                            QFile::encodeName(work + QStringLiteral("/other-name.bag")).constData()),
                       0);
         },
         "linked.bag has 2 hard links; rewriting it would leave the other names with the old content, so it is left unchanged",
         S_IFREG},
        {"dangling.bag", [&] { ASSERT_EQ(symlink("nowhere.bag", QFile::encodeName(work + QStringLiteral("/dangling.bag")).constData()), 0); },
         "it is a symbolic link to nothing; it is left as it was", S_IFLNK},
        {"folder", [&] { ASSERT_TRUE(QDir(work).mkdir(QStringLiteral("folder"))); }, "it is a folder, not a regular file; it is left as it was",
         S_IFDIR},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QString::fromLatin1(row.name);
        if (name == QLatin1String("full")) {
            if (!canMakeDevices)
                continue;
            ASSERT_EQ(rename(QFile::encodeName(work + QStringLiteral("/probe")).constData(), QFile::encodeName(work + QStringLiteral("/full")).constData()), 0);
        }
        row.make();
        const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\nset w.Caption \"new\"\nsave w " + name.toUtf8() + "\necho on\n");
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(lines(r.out), (QStringList {QStringLiteral("changed w.Caption"),
                                              QStringLiteral("error 75: Cannot write property bag %1: %2").arg(name, QString::fromUtf8(row.says)),
                                              QStringLiteral("on")}));
        EXPECT_EQ(typeOf(work + u'/' + name), row.type);
    }
    EXPECT_EQ(readBytes(work + QStringLiteral("/linked.bag")), old);
    EXPECT_EQ(readBytes(work + QStringLiteral("/other-name.bag")), old);
    EXPECT_EQ(typeOf(work + QStringLiteral("/nowhere.bag")), mode_t(0));
}

// A bag file is replaced whole and keeps its mode; a symbolic link keeps pointing at it; a new
// name gets a new file. Nothing is left beside them.
TEST_F(CompcallWorld, SaveReplacesABagFileOrMakesANewOne)
{
    const QString work = world.work();
    writeBytes(QFile::encodeName(work + QStringLiteral("/kept.bag")), "# property bag\ncaption = bstr:\"a much longer old caption\"\n");
    ASSERT_EQ(chmod(QFile::encodeName(work + QStringLiteral("/kept.bag")).constData(), 0640), 0);
    ASSERT_EQ(symlink("kept.bag", QFile::encodeName(work + QStringLiteral("/link.bag")).constData()), 0);
    const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\nset w.Caption \"new\"\nsave w link.bag\nsave w fresh.bag\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(lines(r.out), QStringList {QStringLiteral("changed w.Caption")});
    const QByteArray saved = "# property bag\ncaption = bstr:\"new\"\n";
    EXPECT_EQ(readBytes(work + QStringLiteral("/kept.bag")), saved);
    EXPECT_EQ(readBytes(work + QStringLiteral("/fresh.bag")), saved);
    EXPECT_EQ(typeOf(work + QStringLiteral("/link.bag")), mode_t(S_IFLNK));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(work + QStringLiteral("/kept.bag")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0640));
    const mode_t mask = umask(0);
    umask(mask);
    ASSERT_EQ(stat(QFile::encodeName(work + QStringLiteral("/fresh.bag")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0666 & ~mask));
    EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name),
              (QStringList {QStringLiteral("fresh.bag"), QStringLiteral("kept.bag"), QStringLiteral("link.bag")}));
}

// A script's own file literals read regular files only, of bounded size; a bag to load must be
// a regular file too. Each refusal is a script error that names the line, never a hang.
TEST_F(CompcallWorld, FileLiteralsAndBagsReadOnlyRegularFiles)
{
    const QString work = world.work();
    ASSERT_EQ(mkfifo(QFile::encodeName(work + QStringLiteral("/fifo")).constData(), 0644), 0);
    QFile huge(work + QStringLiteral("/huge.bin"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize((64 << 20) + 1));
    huge.close();
    const std::pair<const char*, const char*> rows[] = {
        {"set w.Caption file:fifo", "Cannot read file fifo: it is a FIFO, not a regular file"},
        {"set w.Caption file:/dev/zero", "Cannot read file /dev/zero: it is a character device, not a regular file"},
        {"set w.Caption file:huge.bin", "Cannot read file huge.bin: it holds 67108865 bytes, more than the 67108864 it may hold"},
        {"set w.Caption file:.", "Cannot read file .: it is a folder, not a regular file"},
        {"setref w.Picture picture:fifo", "Cannot read picture file fifo: it is a FIFO, not a regular file"},
        {"load v Velloc.TestWidget fifo", "Cannot read property bag fifo: it is a FIFO, not a regular file"},
        {"bag /dev/zero", "Cannot read property bag /dev/zero: it is a character device, not a regular file"},
    };
    for (const auto& [statement, says] : rows) {
        SCOPED_TRACE(statement);
        const ToolRun r = world.compcall({}, QByteArray("new w Velloc.TestWidget\n") + statement + "\necho never\n");
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(lines(r.err), QStringList {QStringLiteral("compcall: line 2: ") + QString::fromUtf8(says)});
    }
}

// A world with the encryption control registered.
class CompcallVelpack : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.registerLibrary(QStringLiteral(VELPACK_PATH))); }

    ToolWorld world;
};

// Under a file-size limit the write fails and the control says so (error 61); the signal
// does not end the host, and the file is as it was.
TEST_F(CompcallVelpack, AFileSizeLimitIsAnErrorNotASilentDeath)
{
    const QString path = world.work() + QStringLiteral("/big.txt");
    QByteArray text;
    for (int i = 0; text.size() < 64 * 1024; ++i)
        text += "line " + QByteArray::number(i) + " of the harbour ledger\n";
    writeBytes(QFile::encodeName(path), text);
    const ToolRun r = world.run(compcallPath, {QStringLiteral("--registry"), world.registry()},
                                "new v Vellib.Velloc\nset v.ShowProgress bool:false\nset v.File \"big.txt\"\ncall v.Encode\necho done\n",
                                {}, {}, [] {
                                    const rlimit limit {16 * 1024, 16 * 1024};
                                    setrlimit(RLIMIT_FSIZE, &limit);
                                });
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList out = lines(r.out);
    ASSERT_GE(out.size(), 2) << r.out.toStdString();
    EXPECT_EQ(out.value(out.size() - 2),
              QStringLiteral("error 61: Cannot write the new content of %1: File too large").arg(QFileInfo(path).canonicalFilePath()));
    EXPECT_EQ(out.last(), QStringLiteral("done"));
    EXPECT_EQ(readBytes(path), text);
    EXPECT_EQ(QDir(world.work()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("big.txt")});
}

// A file whose name and folder are not UTF-8 is enciphered and deciphered in place, named in a
// script by the bytes themselves or by the escapes that stand for them (\uDC80 + byte - 0x80);
// messages give the name back byte for byte.
TEST_F(CompcallVelpack, ANameThatIsNotUtf8IsProcessed)
{
    const QByteArray folder = QFile::encodeName(world.work()) + "/d\xff";
    ASSERT_EQ(mkdir(folder.constData(), 0700), 0);
    const QByteArray file = folder + "/n\xe9.txt";
    const QByteArray text = "the tide came in at dusk\n";
    writeBytes(file, text);
    const QByteArray header = "new v Vellib.Velloc\nset v.ShowProgress bool:false\nset v.KEY \"lantern\"\n";
    const QByteArray byEscapes = "set v.File \"d\\udcff/n\\udce9.txt\"\n";
    const QByteArray byBytes = "set v.File \"d\xff/n\xe9.txt\"\n";
    for (const QByteArray& naming : {byEscapes, byBytes}) {
        SCOPED_TRACE(naming.toStdString());
        ToolRun r = world.compcall({}, header + naming + "call v.Encode\n");
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("error"))) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("event v.Finished()"))) << r.out.toStdString();
        EXPECT_NE(readNative(file), text);
        r = world.compcall({}, header + naming + "call v.Decode\n");
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(readNative(file), text);
    }
    const ToolRun missing = world.compcall({}, "new v Vellib.Velloc\ncall v.CRC \"d\\udcff/gone\\udcfe\"\n");
    EXPECT_EQ(missing.rawOut, QByteArray("error 53: File not found: d\xff/gone\xfe\n"));
    // Qt's own removal reads names as UTF-8 and cannot find these.
    EXPECT_EQ(unlink(file.constData()), 0);
    EXPECT_EQ(rmdir(folder.constData()), 0);
}

} // namespace
