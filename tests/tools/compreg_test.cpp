#include "toolrun.h"

#include "testwidgetids.h"

#include "velloc/hosting/commondialog.h"
#include "velloc/core/module.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString commonDialogLine()
{
    return velloc::CommonDialog::Clsid.toString()
           + QStringLiteral("  MSComDlg.CommonDialog  CommonDialog  control  (built into the runtime)");
}

// list shows the registry, the built-in class and each registered class; register and
// unregister say what they did. One file per library: removing one leaves the others' entries.
TEST(Compreg, RegisterListAndUnregister)
{
    ToolWorld world;
    const QStringList empty {QStringLiteral("registry %1").arg(world.registry()), commonDialogLine()};
    EXPECT_EQ(lines(world.compreg({QStringLiteral("list")}).out), empty);

    const ToolRun reg = world.compreg({QStringLiteral("register"), testWidgetPath});
    ASSERT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    EXPECT_EQ(lines(reg.out), QStringList {QStringLiteral("registered %1 in %2").arg(testWidgetPath, world.registry())});
    const ToolRun list = world.compreg({QStringLiteral("list")});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.err.isEmpty()) << list.err.toStdString();
    const QString library = QFileInfo(testWidgetPath).canonicalFilePath();
    const QStringList classes {testwidget::WidgetClsid.toString() + QStringLiteral("  Velloc.TestWidget  TestWidget  control  "),
                               testwidget::CounterClsid.toString() + QStringLiteral("  Velloc.TestCounter  TestCounter  ")};
    EXPECT_EQ(lines(list.out), empty + (QStringList {classes[0] + library, classes[1] + library}));

    const QString second = world.work() + QStringLiteral("/libsecond.so");
    ASSERT_TRUE(QFile::copy(testWidgetPath, second));
    ASSERT_EQ(world.compreg({QStringLiteral("register"), second}).exitCode, 0);
    EXPECT_EQ(world.registryFiles(), (QStringList {QStringLiteral("libsecond.json"), QStringLiteral("libtestwidget.json")}));
    const ToolRun unreg = world.compreg({QStringLiteral("unregister"), testWidgetPath});
    ASSERT_EQ(unreg.exitCode, 0) << unreg.err.toStdString();
    EXPECT_EQ(lines(unreg.out),
              QStringList {QStringLiteral("unregistered %1 in %2").arg(testWidgetPath, world.registry())});
    EXPECT_EQ(world.registryFiles(), QStringList {QStringLiteral("libsecond.json")});
    const QString secondPath = QFileInfo(second).canonicalFilePath();
    EXPECT_EQ(lines(world.compreg({QStringLiteral("list")}).out),
              empty + (QStringList {classes[0] + secondPath, classes[1] + secondPath}));
}

// The option names the registry, else the environment; without either, it is the one beside
// the programs (the build tree's), or else the one in the user's data folder.
TEST(Compreg, TheRegistryComesFromTheOptionTheEnvironmentOrTheInstallation)
{
    ToolWorld world;
    QTemporaryDir fromEnv;
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELLOC_REGISTRY"), fromEnv.path());
    const QStringList reg {QStringLiteral("register"), testWidgetPath};
    ASSERT_EQ(world.run(compregPath, QStringList {QStringLiteral("--registry"), world.registry()} + reg, {}, env).exitCode, 0);
    ASSERT_EQ(world.run(compregPath, reg, {}, env).exitCode, 0);
    EXPECT_EQ(world.registryFiles() + QDir(fromEnv.path()).entryList(QDir::Files),
              (QStringList {QStringLiteral("libtestwidget.json"), QStringLiteral("libtestwidget.json")}));

    const ToolRun list = world.run(compregPath, {QStringLiteral("list")});
    ASSERT_TRUE(list.exitCode == 0 || list.exitCode == 1) << list.err.toStdString();
    const QString beside = QFileInfo(compregPath).absolutePath() + QStringLiteral("/../share/velloc/registry");
    const QString expected = QFileInfo(beside).isDir() ? QDir::cleanPath(beside)
                                                       : world.home() + QStringLiteral("/.local/share/velloc/registry");
    EXPECT_EQ(lines(list.out).value(0), QStringLiteral("registry ") + expected);
    // Listing creates nothing in the user's home.
    EXPECT_TRUE(QDir(world.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST(Compreg, TypelibListsTheLibraryInInterfaceOrder)
{
    ToolWorld world;
    const ToolRun r = world.compreg({QStringLiteral("typelib"), testWidgetPath});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile expected(QStringLiteral(EXPECTED_DIR "/testwidget.typelib"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(lines(r.out), QString::fromUtf8(expected.readAll()).split(u'\n', Qt::SkipEmptyParts));
    // Reading a type library registers nothing.
    EXPECT_TRUE(world.registryFiles().isEmpty());
}

// Each broken library is refused by every command with its own message (all of standard error
// after "compreg: "; %1 is the library's path) and status 1, and the registry is left as it
// was: no entry, no half-written file.
TEST(Compreg, RefusesABrokenLibraryWithItsOwnMessageAndWritesNothing)
{
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("/nonexistent/velloc/libnothing.so"), QStringLiteral("cannot load %1: no such file")},
        {QStringLiteral(FIXTURE_GARBAGE_PATH), QStringLiteral("cannot load %1: %1: ")},
        {QStringLiteral(FIXTURE_NOEXPORTS_PATH),
         QStringLiteral("%1 is not a component library: it lacks the entry points DllRegisterServer, "
                        "DllUnregisterServer, DllGetClassObject and DllCanUnloadNow")},
        {QStringLiteral(FIXTURE_PARTIALEXPORTS_PATH), QStringLiteral("%1 is not a component library: it lacks the entry points")},
        {QStringLiteral(FIXTURE_NOHEADER_PATH), QStringLiteral("%1 is not a component library: it has no module header")},
        {QStringLiteral(FIXTURE_WRONGABI_PATH),
         QStringLiteral("version mismatch: %1 was built for runtime ABI ") + QString::number(velloc::ModuleAbi + 1)
             + QStringLiteral(", this runtime has ABI ") + QString::number(velloc::ModuleAbi)},
    };
    ToolWorld world;
    for (const auto& [library, message] : rows) {
        for (const QString& command : {QStringLiteral("register"), QStringLiteral("unregister"), QStringLiteral("typelib")}) {
            SCOPED_TRACE((command + u' ' + library).toStdString());
            const ToolRun r = world.compreg({command, library});
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_FALSE(r.crashed);
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
            ASSERT_EQ(lines(r.err).size(), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("compreg: ") + message.arg(library))) << r.err.toStdString();
            EXPECT_TRUE(world.registryFiles().isEmpty()) << world.registryFiles().join(u' ').toStdString();
        }
    }
}

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
    EXPECT_EQ(lines(list.out).size(), 4) << list.out.toStdString();
    ASSERT_EQ(lines(list.err).size(), 1);
    EXPECT_TRUE(list.err.startsWith(QStringLiteral("compreg: unreadable registry entry: %1: ").arg(broken.fileName())))
        << list.err.toStdString();
}

// An entry whose library is gone (sorting first, claiming the same classes) does not hide the
// registered one; two entries whose libraries are present are a conflict that list reports.
TEST(Compreg, ABrokenEntryDoesNotShadowAGoodOneAndTwoLiveOnesAreAConflict)
{
    ToolWorld world;
    ASSERT_TRUE(world.registerTestWidget());
    QFile shadow(world.registry() + QStringLiteral("/aaa.json"));
    ASSERT_TRUE(shadow.open(QIODevice::WriteOnly));
    shadow.write(QStringLiteral(R"({"path": "/nonexistent/other.so", "abi": 1, "classes": [{"clsid": "%1", "progid": "Velloc.TestWidget"}]})")
                     .arg(testwidget::WidgetClsid.toString())
                     .toUtf8());
    shadow.close();
    for (const QByteArray& by : {QByteArray("Velloc.TestWidget"), testwidget::WidgetClsid.toString().toUtf8()}) {
        const ToolRun r = world.compcall({}, "new w " + by + "\nget w.Caption\n");
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(lines(r.out), QStringList {QStringLiteral(R"(bstr:"Widget")")});
    }
    ToolRun list = world.compreg({QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.err.isEmpty()) << list.err.toStdString();

    const QString second = world.work() + QStringLiteral("/libsecond.so");
    ASSERT_TRUE(QFile::copy(testWidgetPath, second));
    ASSERT_TRUE(world.registerLibrary(second));
    list = world.compreg({QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 1);
    const QString claim = QStringLiteral("%1/%2 (%3)");
    const QString secondClaim = claim.arg(world.registry(), QStringLiteral("libsecond.json"), QFileInfo(second).canonicalFilePath());
    const QString firstClaim = claim.arg(world.registry(), QStringLiteral("libtestwidget.json"), QFileInfo(testWidgetPath).canonicalFilePath());
    EXPECT_EQ(lines(list.err),
              (QStringList {QStringLiteral("compreg: conflict: Velloc.TestWidget is claimed by %1 and %2; the first whose "
                                           "library loads is used")
                                .arg(secondClaim, firstClaim),
                            QStringLiteral("compreg: conflict: Velloc.TestCounter is claimed by %1 and %2; the first whose "
                                           "library loads is used")
                                .arg(secondClaim, firstClaim)}));

    // When no entry's library loads, the error names each.
    ASSERT_TRUE(QFile::remove(second));
    ASSERT_EQ(world.compreg({QStringLiteral("unregister"), testWidgetPath}).exitCode, 0);
    const ToolRun gone = world.compcall({}, "new w Velloc.TestWidget\n");
    EXPECT_EQ(gone.exitCode, 2);
    EXPECT_EQ(lines(gone.err), QStringList {QStringLiteral("compcall: line 1: cannot load /nonexistent/other.so: no such file; "
                                                           "cannot load %1: no such file")
                                                .arg(QFileInfo(world.work()).canonicalFilePath() + QStringLiteral("/libsecond.so"))});
}

TEST(Compreg, AWrongCallExitsWith2AndShowsHowToCallIt)
{
    const QString library = testWidgetPath;
    const QStringList rows[] = {{}, {QStringLiteral("register")}, {QStringLiteral("install"), library},
                                {QStringLiteral("register"), library, library}, {QStringLiteral("list"), QStringLiteral("x")},
                                {QStringLiteral("--registry"), QStringLiteral("/tmp")}};
    ToolWorld world;
    for (const QStringList& args : rows) {
        const ToolRun r = world.run(compregPath, args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage: compreg"))) << r.err.toStdString();
        EXPECT_TRUE(world.registryFiles().isEmpty());
    }
}

} // namespace
