#include "testcomponent.h"
#include "testsupport.h"

#include "velloc/hosting/commondialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <dlfcn.h>
#include <sys/stat.h>

using namespace velloc;
using namespace testsupport;

namespace {

// Each broken library is refused for its own reason, every time: nothing half-loaded is
// remembered. (compreg's tests hold the messages word for word.)
TEST(Loader, RefusesEachBrokenLibraryForItsOwnReason)
{
    using F = Module::Failure;
    QTemporaryDir dir;
    // A FIFO would hold the system loader for ever: refused without being opened.
    const QString fifo = dir.filePath(QStringLiteral("libfifo.so"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::tuple<QString, F, int> rows[] = {
        {QStringLiteral("/nonexistent/velloc/libnothing.so"), F::CannotLoad, loaderr::CannotLoad},
        {dir.path(), F::CannotLoad, loaderr::CannotLoad},
        {fifo, F::CannotLoad, loaderr::CannotLoad},
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

// ---- The registry of component libraries ----

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

class RegistryTest : public ::testing::Test {
protected:
    void registerTestLibrary()
    {
        Module* module = testModule();
        ASSERT_TRUE(module);
        ASSERT_EQ(module->registerServer(), hr::Ok);
    }
    QStringList files() const { return QDir(registry.path()).entryList(QDir::Files, QDir::Name); }

    ScopedRegistry registry;
};

// One file a library, replaced when it registers again, with every class of its type library;
// unregistering removes that file only, and unregistering again is no failure.
TEST_F(RegistryTest, RegisteringWritesOneFileForTheLibrary)
{
    registerTestLibrary();
    registerTestLibrary();
    writeFile(registry.file(QStringLiteral("other.json")), "{\"path\": \"/x/libother.so\", \"classes\": []}");
    ASSERT_EQ(files(), (QStringList {QStringLiteral("libtestwidget.json"), QStringLiteral("other.json")}));
    const QList<Registry::LibraryEntry> libs = Registry::libraries();
    ASSERT_EQ(libs.size(), 2);
    ASSERT_EQ(libs[0].classes.size(), 2);
    const Registry::ClassEntry& widget = libs[0].classes[0];
    EXPECT_EQ(widget.libid, testwidget::LibId);
    EXPECT_EQ(widget.typeLibVersion, QStringLiteral("1.2"));
    EXPECT_EQ(widget.modulePath, QFileInfo(testWidgetPath).canonicalFilePath());
    EXPECT_TRUE(widget.control);
    EXPECT_FALSE(libs[0].classes[1].control);

    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(testModule()->unregisterServer(), hr::Ok);
    EXPECT_EQ(files(), QStringList {QStringLiteral("other.json")});
    EXPECT_TRUE(failsWith(createObject(QStringLiteral("Velloc.TestWidget")), errc::CannotCreateObject));
}

// The common dialog needs no registration; a name registered nowhere is error 429 naming it.
// (The scripts create objects by identifiers in any case.)
TEST_F(RegistryTest, CreatesObjectsByName)
{
    EXPECT_TRUE(std::dynamic_pointer_cast<CommonDialog>(createObject(CommonDialog::Clsid.toString()).value()));
    registerTestLibrary();
    for (const QString& name : {QStringLiteral("Velloc.NoSuchWidget"), QStringLiteral("Velloc.TestWidget.1"),
                                QStringLiteral("{00000000-0000-0000-0000-000000000001}")}) {
        const Result<std::shared_ptr<Object>> object = createObject(name);
        ASSERT_TRUE(failsWith(object, errc::CannotCreateObject)) << name.toStdString();
        EXPECT_TRUE(object.error().message().contains(name)) << object.error().message().toStdString();
    }
}

// A file that cannot be read is reported by name and hides none of the good entries; a name
// found nowhere mentions it, as it might have held the name.
TEST_F(RegistryTest, ABadEntryIsReportedAndSpoilsNothingElse)
{
    registerTestLibrary();
    const std::pair<QByteArray, const char*> rows[] = {
        {"this is not JSON", "not valid JSON"},
        {"", "not valid JSON"},
        {"{\"classes\": []}", "\"path\""},
        {"{\"path\": \"/x/liby.so\", \"classes\": 5}", "\"classes\""},
        {"[1, 2]", "\"path\""},
        {"{\"path\": \"/x/liby.so\", \"classes\": [{\"clsid\": \"{1234}\", \"progid\": \"A.B\"}]}", "clsid"},
    };
    const QString broken = registry.file(QStringLiteral("broken.json"));
    for (const auto& [content, says] : rows) {
        SCOPED_TRACE(content.toStdString());
        writeFile(broken, content);
        QStringList problems;
        const QList<Registry::LibraryEntry> libs = Registry::libraries(&problems);
        ASSERT_EQ(libs.size(), 1);
        EXPECT_EQ(libs[0].classes.size(), 2);
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(broken)) << problems[0].toStdString();
        EXPECT_TRUE(problems[0].contains(QString::fromUtf8(says))) << problems[0].toStdString();
        EXPECT_TRUE(createObject(QStringLiteral("Velloc.TestWidget")).ok());
        const Result<std::shared_ptr<Object>> missing = createObject(QStringLiteral("Velloc.Elsewhere"));
        EXPECT_TRUE(missing.error().message().contains(QStringLiteral("broken.json")))
            << missing.error().message().toStdString();
    }
}

TEST_F(RegistryTest, RegistrationFailsWhenTheRegistryCannotBeWritten)
{
    // The registry location is taken by a file, so no folder can be made there.
    const QString blocker = registry.file(QStringLiteral("blocker"));
    writeFile(blocker, "x");
    Registry::setLocation(blocker);
    EXPECT_EQ(testModule()->registerServer(), hr::RegistrationFailed);
    Registry::setLocation(registry.path());
    EXPECT_EQ(files(), QStringList {QStringLiteral("blocker")});
}

} // namespace
