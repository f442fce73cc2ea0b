#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <dlfcn.h>

using namespace platform;
using namespace testsupport;

namespace {

// Each broken library is refused for its own reason, every time: nothing half-loaded is
// remembered. (compreg's tests hold the messages word for word.)
TEST(Loader, RefusesEachBrokenLibraryForItsOwnReason)
{
    using F = Module::Failure;
    QTemporaryDir dir;
    const std::tuple<QString, F, int> rows[] = {
        {QStringLiteral("/nonexistent/velloc/libnothing.so"), F::CannotLoad, loaderr::CannotLoad},
        {dir.path(), F::CannotLoad, loaderr::CannotLoad},
        {QStringLiteral(FIXTURE_GARBAGE_PATH), F::CannotLoad, loaderr::CannotLoad},
        {QStringLiteral(FIXTURE_NOEXPORTS_PATH), F::NotAComponentLibrary, loaderr::NotAComponentLibrary},
        {QStringLiteral(FIXTURE_PARTIALEXPORTS_PATH), F::NotAComponentLibrary, loaderr::NotAComponentLibrary},
        {QStringLiteral(FIXTURE_NOHEADER_PATH), F::NotAComponentLibrary, loaderr::NotAComponentLibrary},
        {QStringLiteral(FIXTURE_WRONGABI_PATH), F::VersionMismatch, loaderr::VersionMismatch},
    };
    for (const auto& [path, failure, error] : rows) {
        SCOPED_TRACE(path.toStdString());
        const Result<Module*> module = Module::load(path);
        ASSERT_TRUE(failsWith(module, error));
        EXPECT_EQ(Module::failureOf(module.error()), failure);
        EXPECT_TRUE(module.error().message().contains(path)) << module.error().message().toStdString();
        EXPECT_TRUE(failsWith(Module::load(path), error));
    }
    // The system loader's own words reach the caller.
    const QString garbage = QStringLiteral(FIXTURE_GARBAGE_PATH);
    ASSERT_EQ(dlopen(QFile::encodeName(garbage).constData(), RTLD_NOW | RTLD_LOCAL), nullptr);
    const QString expected = QString::fromLocal8Bit(dlerror());
    EXPECT_TRUE(Module::load(garbage).error().message().contains(expected)) << expected.toStdString();
}

TEST(Loader, LoadsALibraryOncePerFile)
{
    Module* module = testModule();
    ASSERT_TRUE(module);
    // Another spelling of the same file, and a link to it, give the same module.
    const QFileInfo info(testWidgetPath);
    EXPECT_EQ(Module::load(info.absolutePath() + QStringLiteral("/../") + info.dir().dirName() + u'/' + info.fileName())
                  .value(),
              module);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("liblinked.so"));
    ASSERT_TRUE(QFile::link(info.absoluteFilePath(), link));
    EXPECT_EQ(Module::load(link).value(), module);
    EXPECT_EQ(module->path(), info.canonicalFilePath());
}

TEST(Loader, CreatesOnlyItsClassesAndCanUnloadOnlyWhenNoObjectIsAlive)
{
    Module* module = testModule();
    ASSERT_TRUE(module);
    const Result<std::shared_ptr<Object>> other = module->createInstance(testwidget::LibId);
    ASSERT_TRUE(failsWith(other, errc::CannotCreateObject));
    EXPECT_TRUE(other.error().message().contains(testwidget::LibId.toString()));

    ASSERT_TRUE(module->canUnloadNow());
    auto widget = module->createInstance(testwidget::WidgetClsid).value();
    EXPECT_EQ(widget->className(), QStringLiteral("TestWidget"));
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
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), testWidgetPath});
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
    EXPECT_EQ(defined.join(u' '), QStringLiteral("DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer"));
}

} // namespace
