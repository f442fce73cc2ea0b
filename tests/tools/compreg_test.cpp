#include "toolrun.h"

#include "testwidgetids.h"

#include "platform/commondialog.h"
#include "platform/module.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString commonDialogLine()
{
    return platform::CommonDialog::Clsid.toString()
           + QStringLiteral("  MSComDlg.CommonDialog  CommonDialog  control  (built into the runtime)");
}

QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

TEST(Compreg, RegisterThenListShowsTheLibrarysClasses)
{
    ToolWorld world;
    const ToolRun reg = world.compreg({QStringLiteral("register"), testWidgetPath()});
    ASSERT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    EXPECT_EQ(reg.outLines(), QStringList {QStringLiteral("registered %1 in %2").arg(testWidgetPath(), world.registry())});
    EXPECT_EQ(world.registryFiles(), QStringList {QStringLiteral("libtestwidget.json")});

    const ToolRun list = world.compreg({QStringLiteral("list")});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.err.isEmpty()) << list.err.toStdString();
    const QString library = canonical(testWidgetPath());
    EXPECT_EQ(list.outLines(),
              (QStringList {QStringLiteral("registry %1").arg(world.registry()), commonDialogLine(),
                            testwidget::WidgetClsid.toString() + QStringLiteral("  Velloc.TestWidget  TestWidget  control  ")
                                + library,
                            testwidget::CounterClsid.toString() + QStringLiteral("  Velloc.TestCounter  TestCounter  ")
                                + library}));
}

TEST(Compreg, AnEmptyRegistryListsOnlyTheBuiltInClass)
{
    ToolWorld world;
    const ToolRun list = world.compreg({QStringLiteral("list")});
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.outLines(), (QStringList {QStringLiteral("registry %1").arg(world.registry()), commonDialogLine()}));
}

TEST(Compreg, UnregisterRemovesTheEntry)
{
    ToolWorld world;
    ASSERT_TRUE(world.registerTestWidget());
    const ToolRun unreg = world.compreg({QStringLiteral("unregister"), testWidgetPath()});
    ASSERT_EQ(unreg.exitCode, 0) << unreg.err.toStdString();
    EXPECT_EQ(unreg.outLines(),
              QStringList {QStringLiteral("unregistered %1 in %2").arg(testWidgetPath(), world.registry())});
    EXPECT_TRUE(world.registryFiles().isEmpty());
    EXPECT_EQ(world.compreg({QStringLiteral("list")}).outLines().size(), 2);
}

// One file per library: registering or removing one leaves the others' entries alone.
TEST(Compreg, LibrariesHaveAnEntryEach)
{
    ToolWorld world;
    const QString first = world.work() + QStringLiteral("/libfirst.so");
    const QString second = world.work() + QStringLiteral("/libsecond.so");
    ASSERT_TRUE(QFile::copy(testWidgetPath(), first));
    ASSERT_TRUE(QFile::copy(testWidgetPath(), second));
    ASSERT_EQ(world.compreg({QStringLiteral("register"), first}).exitCode, 0);
    ASSERT_EQ(world.compreg({QStringLiteral("register"), second}).exitCode, 0);
    EXPECT_EQ(world.registryFiles(), (QStringList {QStringLiteral("libfirst.json"), QStringLiteral("libsecond.json")}));
    ASSERT_EQ(world.compreg({QStringLiteral("unregister"), first}).exitCode, 0);
    EXPECT_EQ(world.registryFiles(), QStringList {QStringLiteral("libsecond.json")});
    const ToolRun list = world.compreg({QStringLiteral("list")});
    EXPECT_EQ(list.outLines().size(), 4);
    for (const QString& line : list.outLines().mid(2))
        EXPECT_TRUE(line.endsWith(canonical(second))) << line.toStdString();
}

TEST(Compreg, TheEnvironmentNamesTheRegistryWhenNoOptionDoes)
{
    ToolWorld world;
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELLOC_REGISTRY"), world.registry());
    const ToolRun reg = world.run(compregPath(), {QStringLiteral("register"), testWidgetPath()}, {}, env);
    ASSERT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    EXPECT_EQ(world.registryFiles(), QStringList {QStringLiteral("libtestwidget.json")});
}

// Without an option or the environment, the registry is the one beside the programs (the build
// tree's), or else the one in the user's data folder.
TEST(Compreg, WithoutAChoiceTheRegistryBesideTheProgramsIsUsed)
{
    ToolWorld world;
    const ToolRun list = world.run(compregPath(), {QStringLiteral("list")});
    ASSERT_EQ(list.exitCode == 0 || list.exitCode == 1, true) << list.err.toStdString();
    ASSERT_FALSE(list.outLines().isEmpty());
    const QString beside = QFileInfo(compregPath()).absolutePath() + QStringLiteral("/../share/velloc/registry");
    const QString expected = QFileInfo(beside).isDir() ? QDir::cleanPath(beside)
                                                       : world.home() + QStringLiteral("/.local/share/velloc/registry");
    EXPECT_EQ(list.outLines()[0], QStringLiteral("registry ") + expected);
    // Listing creates nothing in the user's home.
    EXPECT_TRUE(QDir(world.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST(Compreg, TypelibListsTheLibraryInInterfaceOrder)
{
    ToolWorld world;
    const ToolRun r = world.compreg({QStringLiteral("typelib"), testWidgetPath()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString expected = readFile(QStringLiteral(EXPECTED_DIR "/testwidget.typelib"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(r.outLines(), expected.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    // Reading a type library registers nothing.
    EXPECT_TRUE(world.registryFiles().isEmpty());
}

struct Refusal {
    const char* label;
    QString library;
    QString message; // all of standard error after "compreg: "; %1 is the library's path
};

void PrintTo(const Refusal& r, std::ostream* os)
{
    *os << r.label;
}

class CompregRefuses : public ::testing::TestWithParam<Refusal> {};

// Each broken library is refused with its own message and a non-zero status, and the registry
// is left as it was: no entry, no half-written file.
TEST_P(CompregRefuses, WithItsOwnMessageAndWritesNothing)
{
    ToolWorld world;
    const Refusal& refusal = GetParam();
    for (const QString& command : {QStringLiteral("register"), QStringLiteral("unregister"), QStringLiteral("typelib")}) {
        const ToolRun r = world.compreg({command, refusal.library});
        EXPECT_EQ(r.exitCode, 1) << command.toStdString();
        EXPECT_FALSE(r.crashed);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
        EXPECT_TRUE(r.errLines()[0].startsWith(QStringLiteral("compreg: ") + refusal.message.arg(refusal.library)))
            << r.err.toStdString();
        EXPECT_TRUE(world.registryFiles().isEmpty()) << world.registryFiles().join(u' ').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CompregRefuses,
    ::testing::Values(
        Refusal {"missing file", QStringLiteral("/nonexistent/velloc/libnothing.so"),
                 QStringLiteral("cannot load %1: no such file")},
        Refusal {"text file", QStringLiteral(FIXTURE_GARBAGE_PATH), QStringLiteral("cannot load %1: %1: ")},
        Refusal {"no entry points", QStringLiteral(FIXTURE_NOEXPORTS_PATH),
                 QStringLiteral("%1 is not a component library: it lacks the entry points DllRegisterServer, "
                                "DllUnregisterServer, DllGetClassObject and DllCanUnloadNow")},
        Refusal {"two of four entry points", QStringLiteral(FIXTURE_PARTIALEXPORTS_PATH),
                 QStringLiteral("%1 is not a component library: it lacks the entry points")},
        Refusal {"no module header", QStringLiteral(FIXTURE_NOHEADER_PATH),
                 QStringLiteral("%1 is not a component library: it has no module header")},
        Refusal {"other runtime version", QStringLiteral(FIXTURE_WRONGABI_PATH),
                 QStringLiteral("version mismatch: %1 was built for runtime ABI ") + QString::number(platform::ModuleAbi + 1)
                     + QStringLiteral(", this runtime has ABI ") + QString::number(platform::ModuleAbi)}));

TEST(Compreg, AnUnreadableEntryIsReportedAndTheOthersListed)
{
    ToolWorld world;
    ASSERT_TRUE(world.registerTestWidget());
    QFile broken(world.registry() + QStringLiteral("/broken.json"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{ not json");
    broken.close();
    const ToolRun list = world.compreg({QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.outLines().size(), 4) << list.out.toStdString();
    ASSERT_EQ(list.errLines().size(), 1);
    EXPECT_TRUE(list.errLines()[0].startsWith(QStringLiteral("compreg: unreadable registry entry: %1: ")
                                                  .arg(broken.fileName())))
        << list.err.toStdString();
}

struct Usage {
    const char* label;
    QStringList args;
};

void PrintTo(const Usage& u, std::ostream* os)
{
    *os << u.label;
}

class CompregUsage : public ::testing::TestWithParam<Usage> {};

TEST_P(CompregUsage, ExitsWith2AndShowsHowToCallIt)
{
    ToolWorld world;
    const ToolRun r = world.run(compregPath(), GetParam().args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage: compreg"))) << r.err.toStdString();
    EXPECT_TRUE(world.registryFiles().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CompregUsage,
    ::testing::Values(Usage {"nothing", {}}, Usage {"register without a library", {QStringLiteral("register")}},
                      Usage {"unknown command", {QStringLiteral("install"), QStringLiteral(TESTWIDGET_PATH)}},
                      Usage {"two libraries",
                             {QStringLiteral("register"), QStringLiteral(TESTWIDGET_PATH), QStringLiteral(TESTWIDGET_PATH)}},
                      Usage {"list with an argument", {QStringLiteral("list"), QStringLiteral("x")}},
                      Usage {"only the registry option", {QStringLiteral("--registry"), QStringLiteral("/tmp")}}));

} // namespace
