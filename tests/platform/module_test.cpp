#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <dlfcn.h>

using namespace platform;
using namespace testsupport;

namespace {

struct BrokenLibrary {
    const char* label;
    QString path;
    Module::Failure failure;
    int error;
    const char* says; // a phrase the message must hold
};

void PrintTo(const BrokenLibrary& b, std::ostream* os)
{
    *os << b.label;
}

class LoaderRefuses : public ::testing::TestWithParam<BrokenLibrary> {};

// Each broken library is refused for its own reason, with a message that names the library.
TEST_P(LoaderRefuses, WithItsOwnReason)
{
    const BrokenLibrary& b = GetParam();
    const Result<Module*> module = Module::load(b.path);
    ASSERT_TRUE(failsWith(module, b.error));
    EXPECT_EQ(Module::failureOf(module.error()), b.failure);
    const QString message = module.error().message();
    EXPECT_TRUE(message.contains(b.path)) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(b.says))) << message.toStdString();
    // A second attempt is refused again; nothing half-loaded is remembered.
    EXPECT_TRUE(failsWith(Module::load(b.path), b.error));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LoaderRefuses,
    ::testing::Values(
        BrokenLibrary {"missing file", QStringLiteral("/nonexistent/velloc/libnothing.so"), Module::Failure::CannotLoad,
                       loaderr::CannotLoad, "no such file"},
        BrokenLibrary {"text file", QStringLiteral(FIXTURE_GARBAGE_PATH), Module::Failure::CannotLoad,
                       loaderr::CannotLoad, "cannot load"},
        BrokenLibrary {"no entry points", QStringLiteral(FIXTURE_NOEXPORTS_PATH), Module::Failure::NotAComponentLibrary,
                       loaderr::NotAComponentLibrary, "is not a component library"},
        BrokenLibrary {"two of four entry points", QStringLiteral(FIXTURE_PARTIALEXPORTS_PATH),
                       Module::Failure::NotAComponentLibrary, loaderr::NotAComponentLibrary, "DllGetClassObject"},
        BrokenLibrary {"no module header", QStringLiteral(FIXTURE_NOHEADER_PATH), Module::Failure::NotAComponentLibrary,
                       loaderr::NotAComponentLibrary, "no module header"},
        BrokenLibrary {"other runtime version", QStringLiteral(FIXTURE_WRONGABI_PATH), Module::Failure::VersionMismatch,
                       loaderr::VersionMismatch, "version mismatch"}));

// The system loader's own words reach the caller.
TEST(Loader, CannotLoadCarriesTheSystemLoadersText)
{
    const QString path = QStringLiteral(FIXTURE_GARBAGE_PATH);
    ASSERT_EQ(dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL), nullptr);
    const QString expected = QString::fromLocal8Bit(dlerror());
    const Result<Module*> module = Module::load(path);
    ASSERT_FALSE(module.ok());
    EXPECT_TRUE(module.error().message().contains(expected)) << module.error().message().toStdString() << " / "
                                                             << expected.toStdString();
}

TEST(Loader, VersionMismatchNamesBothVersions)
{
    const Result<Module*> module = Module::load(QStringLiteral(FIXTURE_WRONGABI_PATH));
    ASSERT_FALSE(module.ok());
    EXPECT_TRUE(module.error().message().contains(QStringLiteral("ABI %1").arg(ModuleAbi + 1)));
    EXPECT_TRUE(module.error().message().contains(QStringLiteral("ABI %1").arg(ModuleAbi)));
}

TEST(Loader, ADirectoryCannotBeLoaded)
{
    QTemporaryDir dir;
    const Result<Module*> module = Module::load(dir.path());
    ASSERT_TRUE(failsWith(module, loaderr::CannotLoad));
    EXPECT_EQ(Module::failureOf(module.error()), Module::Failure::CannotLoad);
}

TEST(Loader, LoadsALibraryOncePerFile)
{
    Module* module = testModule();
    ASSERT_TRUE(module);
    // Another spelling of the same file, and a link to it, give the same module.
    const QFileInfo info(testWidgetPath());
    const QString roundabout = info.absolutePath() + QStringLiteral("/../") + info.dir().dirName() + QLatin1Char('/')
                               + info.fileName();
    EXPECT_EQ(Module::load(roundabout).value(), module);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("liblinked.so"));
    ASSERT_TRUE(QFile::link(info.absoluteFilePath(), link));
    EXPECT_EQ(Module::load(link).value(), module);
    EXPECT_EQ(module->path(), info.canonicalFilePath());
}

TEST(Loader, PublishesTheLibrarysTypeLibrary)
{
    Module* module = testModule();
    ASSERT_TRUE(module);
    const TypeLibInfo& lib = module->typeLib();
    EXPECT_EQ(lib.libid, testwidget::LibId);
    ASSERT_TRUE(lib.findClass(testwidget::WidgetClsid));
    EXPECT_EQ(lib.findClass(testwidget::WidgetClsid)->progId, QString::fromLatin1(testwidget::WidgetProgId));
    EXPECT_EQ(lib.findClass(Guid()), nullptr);
}

TEST(Loader, CreatesOnlyTheClassesTheLibraryHas)
{
    Module* module = testModule();
    ASSERT_TRUE(module);
    const Result<std::shared_ptr<Object>> widget = module->createInstance(testwidget::WidgetClsid);
    ASSERT_TRUE(widget.ok());
    EXPECT_EQ(widget.value()->className(), QStringLiteral("TestWidget"));
    const Result<std::shared_ptr<Object>> other = module->createInstance(testwidget::LibId);
    ASSERT_TRUE(failsWith(other, errc::CannotCreateObject));
    EXPECT_TRUE(other.error().message().contains(testwidget::LibId.toString()));
}

TEST(Loader, CanUnloadOnlyWhenNoObjectIsAlive)
{
    Module* module = testModule();
    ASSERT_TRUE(module);
    ASSERT_TRUE(module->canUnloadNow());
    auto widget = module->createInstance(testwidget::WidgetClsid).value();
    EXPECT_FALSE(module->canUnloadNow());
    auto counter = module->createInstance(testwidget::CounterClsid).value();
    widget.reset();
    EXPECT_FALSE(module->canUnloadNow());
    // A host's second reference keeps the object alive.
    auto held = counter;
    counter.reset();
    EXPECT_FALSE(module->canUnloadNow());
    held.reset();
    EXPECT_TRUE(module->canUnloadNow());
}

// A component library shows the dynamic linker exactly the four entry points.
TEST(Loader, AComponentLibraryExportsOnlyTheFourEntryPoints)
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), testWidgetPath()});
    if (!nm.waitForStarted())
        GTEST_SKIP() << "nm is not installed";
    ASSERT_TRUE(nm.waitForFinished(30000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    QStringList defined;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3 && fields[1] != "A")
            defined << QString::fromLatin1(fields[2]);
    }
    defined.sort();
    EXPECT_EQ(defined, (QStringList {QStringLiteral("DllCanUnloadNow"), QStringLiteral("DllGetClassObject"),
                                     QStringLiteral("DllRegisterServer"), QStringLiteral("DllUnregisterServer")}));
}

} // namespace
