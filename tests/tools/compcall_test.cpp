#include "toolrun.h"

#include "testwidgetids.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList lines(const QString& text)
{
    QStringList out = text.split(QLatin1Char('\n'));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

// A world with the test component registered and the files scripts use in its working folder:
// picture.png (3 x 2 pixels) and bytes.bin (the bytes 0 to 255).
class CompcallWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world.registerTestWidget());
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::magenta);
        ASSERT_TRUE(picture.save(world.work() + QStringLiteral("/picture.png")));
        QByteArray bytes;
        for (int c = 0; c < 256; ++c)
            bytes += char(c);
        ASSERT_TRUE(writeFile(world.work() + QStringLiteral("/bytes.bin"), bytes));
    }
    QString substitute(QString text) const
    {
        return text.replace(QStringLiteral("@WORK@"), world.work())
            .replace(QStringLiteral("@REGISTRY@"), world.registry())
            .replace(QStringLiteral("@SCRIPTS@"), QStringLiteral(SCRIPTS_DIR));
    }

    ToolWorld world;
};

std::vector<std::string> scriptNames()
{
    std::vector<std::string> names;
    for (const QString& name : QStringLiteral(COMPCALL_SCRIPTS).split(QLatin1Char(','), Qt::SkipEmptyParts))
        names.push_back(name.toStdString());
    return names;
}

class CompcallScript : public CompcallWorld, public ::testing::WithParamInterface<std::string> {};

// Runs scripts/NAME.ccs and compares standard output with scripts/NAME.out line by line. Lines
// of the script starting with "#>" say what else to expect: "#> exit N", "#> stderr TEXT" (each
// line of standard error, in order), "#> env NAME=VALUE". @WORK@ stands for the working folder,
// @REGISTRY@ for the registry and @SCRIPTS@ for the folder of the scripts.
TEST_P(CompcallScript, PrintsWhatTheContractSays)
{
    const QString name = QString::fromStdString(GetParam());
    const QString script = substitute(readFile(QStringLiteral(SCRIPTS_DIR "/%1.ccs").arg(name)));
    ASSERT_FALSE(script.isEmpty());
    const QString expectedOut = substitute(readFile(QStringLiteral(SCRIPTS_DIR "/%1.out").arg(name)));

    int expectedExit = 0;
    QStringList expectedErr;
    QProcessEnvironment env;
    for (const QString& line : lines(script)) {
        if (!line.startsWith(QStringLiteral("#> ")))
            continue;
        const QString directive = line.mid(3).section(QLatin1Char(' '), 0, 0);
        const QString rest = line.mid(3).section(QLatin1Char(' '), 1);
        if (directive == QLatin1String("exit"))
            expectedExit = rest.toInt();
        else if (directive == QLatin1String("stderr"))
            expectedErr << rest;
        else if (directive == QLatin1String("env"))
            env.insert(rest.section(QLatin1Char('='), 0, 0), rest.section(QLatin1Char('='), 1));
        else
            FAIL() << "unknown directive " << line.toStdString();
    }

    const QString path = world.work() + QStringLiteral("/%1.ccs").arg(name);
    ASSERT_TRUE(writeFile(path, script.toUtf8()));
    const ToolRun r = world.compcall({QFileInfo(path).fileName()}, {}, env);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.outLines(), lines(expectedOut));
    EXPECT_EQ(r.errLines(), expectedErr);
    EXPECT_EQ(r.exitCode, expectedExit) << r.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scripts, CompcallScript, ::testing::ValuesIn(scriptNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_F(CompcallWorld, ReadsTheScriptFromStandardInputWithAnyLineEnding)
{
    const QByteArray script = "new w Velloc.TestWidget\r\nset w.Caption \"A\"\r\n\r\n# note\r\nget w.caption\r\n";
    const ToolRun r = world.compcall({}, script);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.outLines(), (QStringList {QStringLiteral("changed w.Caption"), QStringLiteral("bstr:\"A\"")}));
}

TEST_F(CompcallWorld, ASaveWritesTheBagsTextForm)
{
    const QByteArray script = "new w Velloc.TestWidget\n"
                              "set w.Caption \"Saved \\xe9\"\n"
                              "set w.Level 7\n"
                              "save w saved.bag\n";
    const ToolRun r = world.compcall({}, script);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = readFile(world.work() + QStringLiteral("/saved.bag"));
    QStringList entries;
    for (const QString& line : lines(text))
        if (!line.startsWith(QLatin1Char('#')))
            entries << line;
    EXPECT_EQ(entries, (QStringList {QStringLiteral("caption = bstr:\"Saved \\xe9\""), QStringLiteral("level = ui1:7")}));
}

// With no display at all, compcall draws offscreen by itself.
TEST_F(CompcallWorld, RunsWithoutADisplay)
{
    const QByteArray script = "new w Velloc.TestWidget\ncall w.AboutBox\ncall w.ShowMessage \"Hi\"\n";
    const ToolRun r = world.run(compcallPath(), {QStringLiteral("--registry"), world.registry()}, script, {},
                                {QStringLiteral("QT_QPA_PLATFORM")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(r.outLines(), (QStringList {QStringLiteral("window \"About TestWidget\""), QStringLiteral("empty"),
                                          QStringLiteral("msgbox exclamation okcancel \"Hi\""), QStringLiteral("i4:1")}));
}

// A bag that cannot be written is an error of the call, printed; the script goes on.
TEST_F(CompcallWorld, ASaveThatCannotBeWrittenIsReportedAndTheScriptGoesOn)
{
    const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\nsave w no/such/folder/x.bag\necho on\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.outLines().size(), 2) << r.out.toStdString();
    EXPECT_TRUE(r.outLines()[0].startsWith(QStringLiteral("error 75: Cannot write property bag no/such/folder/x.bag")))
        << r.out.toStdString();
    EXPECT_EQ(r.outLines()[1], QStringLiteral("on"));
}

// A class whose library has gone cannot be created: a script error naming the library.
TEST_F(CompcallWorld, AClassWhoseLibraryIsGoneIsAScriptError)
{
    const QString copy = world.work() + QStringLiteral("/libgone.so");
    ASSERT_TRUE(QFile::copy(testWidgetPath(), copy));
    ASSERT_EQ(world.compreg({QStringLiteral("unregister"), testWidgetPath()}).exitCode, 0);
    ASSERT_EQ(world.compreg({QStringLiteral("register"), copy}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(copy));
    const ToolRun r = world.compcall({}, "new w Velloc.TestWidget\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errLines(), QStringList {QStringLiteral("compcall: line 1: cannot load %1: no such file").arg(canonical(world.work()) + QStringLiteral("/libgone.so"))});
}

TEST_F(CompcallWorld, AMissingScriptIsAnError)
{
    const ToolRun r = world.compcall({QStringLiteral("no-such-script.ccs")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("compcall: cannot read no-such-script.ccs"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CompcallWorld, TakesOneScriptAtMost)
{
    const ToolRun r = world.compcall({QStringLiteral("a.ccs"), QStringLiteral("b.ccs")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage: compcall"))) << r.err.toStdString();
}

TEST(Compcall, AClassMissingFromTheRegistryIsAScriptError)
{
    ToolWorld world; // nothing registered
    const ToolRun r = world.compcall({}, "echo start\nnew w Velloc.TestWidget\necho never\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.outLines(), QStringList {QStringLiteral("start")});
    ASSERT_EQ(r.errLines().size(), 1);
    EXPECT_TRUE(r.errLines()[0].startsWith(QStringLiteral("compcall: line 2: "))) << r.err.toStdString();
    EXPECT_TRUE(r.errLines()[0].contains(QStringLiteral("Velloc.TestWidget"))) << r.err.toStdString();
}

} // namespace
