#include "toolrun.h"

#include <QFile>

#include <gtest/gtest.h>

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

} // namespace
