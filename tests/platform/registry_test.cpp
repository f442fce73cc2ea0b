#include "testsupport.h"

#include "platform/commondialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace platform;
using namespace testsupport;

namespace {

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

TEST_F(RegistryTest, RegisteringWritesOneFileForTheLibrary)
{
    registerTestLibrary();
    ASSERT_EQ(files(), QStringList {QStringLiteral("libtestwidget.json")});
    QFile file(registry.file(QStringLiteral("libtestwidget.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(root.value(QStringLiteral("path")).toString(), QFileInfo(testWidgetPath()).canonicalFilePath());
    EXPECT_EQ(root.value(QStringLiteral("abi")).toInteger(), qint64(ModuleAbi));
    EXPECT_EQ(Guid::parse(root.value(QStringLiteral("libid")).toString()), testwidget::LibId);
    EXPECT_EQ(root.value(QStringLiteral("version")).toString(), QStringLiteral("1.2"));

    const QList<Registry::LibraryEntry> libs = Registry::libraries();
    ASSERT_EQ(libs.size(), 1);
    ASSERT_EQ(libs[0].classes.size(), 2);
    const Registry::ClassEntry& widget = libs[0].classes[0];
    EXPECT_EQ(widget.clsid, testwidget::WidgetClsid);
    EXPECT_EQ(widget.progId, QString::fromLatin1(testwidget::WidgetProgId));
    EXPECT_EQ(widget.name, QStringLiteral("TestWidget"));
    EXPECT_TRUE(widget.control);
    EXPECT_EQ(widget.libid, testwidget::LibId);
    EXPECT_EQ(widget.typeLibVersion, QStringLiteral("1.2"));
    EXPECT_EQ(widget.modulePath, QFileInfo(testWidgetPath()).canonicalFilePath());
    const Registry::ClassEntry& counter = libs[0].classes[1];
    EXPECT_EQ(counter.progId, QString::fromLatin1(testwidget::CounterProgId));
    EXPECT_FALSE(counter.control);
}

TEST_F(RegistryTest, RegisteringAgainReplacesTheEntry)
{
    registerTestLibrary();
    registerTestLibrary();
    EXPECT_EQ(files(), QStringList {QStringLiteral("libtestwidget.json")});
    EXPECT_EQ(Registry::libraries().size(), 1);
}

TEST_F(RegistryTest, FindsClassesByProgIdInAnyCaseOrByClsid)
{
    registerTestLibrary();
    for (const QString& name : {QStringLiteral("Velloc.TestWidget"), QStringLiteral("velloc.testwidget"),
                                QStringLiteral("VELLOC.TESTWIDGET"), testwidget::WidgetClsid.toString(),
                                testwidget::WidgetClsid.toString().toLower()}) {
        const Result<Registry::ClassEntry> found = Registry::findClass(name);
        ASSERT_TRUE(found.ok()) << name.toStdString() << ": " << found.error().message().toStdString();
        EXPECT_EQ(found->clsid, testwidget::WidgetClsid);
    }
}

TEST_F(RegistryTest, CreatesObjectsByProgIdOrClsid)
{
    registerTestLibrary();
    for (const QString& name : {QStringLiteral("velloc.TESTwidget"), testwidget::WidgetClsid.toString()}) {
        const Result<std::shared_ptr<Object>> object = createObject(name);
        ASSERT_TRUE(object.ok()) << object.error().message().toStdString();
        EXPECT_EQ(object.value()->className(), QStringLiteral("TestWidget"));
        EXPECT_TRUE(std::dynamic_pointer_cast<Control>(object.value()));
    }
    const Result<std::shared_ptr<Object>> counter = createObject(QStringLiteral("Velloc.TestCounter"));
    ASSERT_TRUE(counter.ok());
    EXPECT_EQ(counter.value()->className(), QStringLiteral("TestCounter"));
    // Each creation is a new instance.
    EXPECT_NE(createObject(QStringLiteral("Velloc.TestCounter")).value(), counter.value());
}

TEST_F(RegistryTest, AnUnknownNameIsError429NamingIt)
{
    registerTestLibrary();
    for (const QString& name : {QStringLiteral("Velloc.NoSuchWidget"), QStringLiteral("Velloc.TestWidget.1"),
                                QStringLiteral("{00000000-0000-0000-0000-000000000001}")}) {
        const Result<std::shared_ptr<Object>> object = createObject(name);
        ASSERT_TRUE(failsWith(object, errc::CannotCreateObject)) << name.toStdString();
        EXPECT_TRUE(object.error().message().contains(name)) << object.error().message().toStdString();
    }
}

TEST_F(RegistryTest, TheCommonDialogNeedsNoRegistration)
{
    ASSERT_TRUE(files().isEmpty());
    for (const QString& name : {QStringLiteral("MSComDlg.CommonDialog"), QStringLiteral("mscomdlg.commondialog"),
                                CommonDialog::Clsid.toString()}) {
        const Result<std::shared_ptr<Object>> dialog = createObject(name);
        ASSERT_TRUE(dialog.ok()) << name.toStdString();
        EXPECT_TRUE(std::dynamic_pointer_cast<CommonDialog>(dialog.value()));
    }
}

struct BadEntry {
    const char* label;
    QByteArray content;
    const char* says;
};

void PrintTo(const BadEntry& b, std::ostream* os)
{
    *os << b.label;
}

class RegistryBadEntry : public RegistryTest, public ::testing::WithParamInterface<BadEntry> {};

// A file that cannot be read is reported by name and does not hide the good entries.
TEST_P(RegistryBadEntry, IsReportedAndSpoilsNothingElse)
{
    registerTestLibrary();
    writeFile(registry.file(QStringLiteral("broken.json")), GetParam().content);
    QStringList problems;
    const QList<Registry::LibraryEntry> libs = Registry::libraries(&problems);
    ASSERT_EQ(libs.size(), 1);
    EXPECT_EQ(libs[0].classes.size(), 2);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(registry.file(QStringLiteral("broken.json")))) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QString::fromUtf8(GetParam().says))) << problems[0].toStdString();

    EXPECT_TRUE(createObject(QStringLiteral("Velloc.TestWidget")).ok());
    // A name found nowhere mentions the unreadable file, which might have held it.
    const Result<std::shared_ptr<Object>> missing = createObject(QStringLiteral("Velloc.Elsewhere"));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().message().contains(QStringLiteral("broken.json"))) << missing.error().message().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryBadEntry,
    ::testing::Values(BadEntry {"not JSON", "this is not JSON", "not valid JSON"},
                      BadEntry {"truncated", "{\"path\": \"/x/liby.so\", \"classes\": [", "not valid JSON"},
                      BadEntry {"empty file", "", "not valid JSON"},
                      BadEntry {"no path", "{\"classes\": []}", "\"path\""},
                      BadEntry {"classes not a list", "{\"path\": \"/x/liby.so\", \"classes\": 5}", "\"classes\""},
                      BadEntry {"a list, not an object", "[1, 2]", "\"path\""},
                      BadEntry {"bad class identifier",
                                "{\"path\": \"/x/liby.so\", \"classes\": [{\"clsid\": \"{1234}\", \"progid\": \"A.B\"}]}",
                                "clsid"}));

TEST_F(RegistryTest, AnEntryForAVanishedLibraryFailsAtCreation)
{
    const QJsonObject entry {{QStringLiteral("path"), QStringLiteral("/nonexistent/velloc/libgone.so")},
                             {QStringLiteral("abi"), qint64(ModuleAbi)},
                             {QStringLiteral("classes"),
                              QJsonArray {QJsonObject {{QStringLiteral("clsid"), QStringLiteral("{00000000-0000-0000-0000-0000000000AA}")},
                                                       {QStringLiteral("progid"), QStringLiteral("Gone.Widget")},
                                                       {QStringLiteral("name"), QStringLiteral("Widget")}}}}};
    writeFile(registry.file(QStringLiteral("libgone.json")), QJsonDocument(entry).toJson());
    const Result<std::shared_ptr<Object>> object = createObject(QStringLiteral("gone.widget"));
    ASSERT_TRUE(failsWith(object, loaderr::CannotLoad));
    EXPECT_TRUE(object.error().message().contains(QStringLiteral("/nonexistent/velloc/libgone.so")));
}

TEST_F(RegistryTest, UnregisteringRemovesTheLibrarysFileOnly)
{
    registerTestLibrary();
    writeFile(registry.file(QStringLiteral("other.json")), "{\"path\": \"/x/libother.so\", \"classes\": []}");
    ASSERT_EQ(testModule()->unregisterServer(), hr::Ok);
    EXPECT_EQ(files(), QStringList {QStringLiteral("other.json")});
    EXPECT_TRUE(failsWith(createObject(QStringLiteral("Velloc.TestWidget")), errc::CannotCreateObject));
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(testModule()->unregisterServer(), hr::Ok);
}

TEST_F(RegistryTest, RegistrationFailsWhenTheRegistryCannotBeWritten)
{
    // The registry location is taken by a file, so no folder can be made there.
    const QString blocker = registry.file(QStringLiteral("blocker"));
    writeFile(blocker, "x");
    Registry::setLocation(blocker);
    Module* module = testModule();
    ASSERT_TRUE(module);
    EXPECT_EQ(module->registerServer(), hr::RegistrationFailed);
    Registry::setLocation(registry.path());
    EXPECT_TRUE(files() == QStringList {QStringLiteral("blocker")});
}

TEST(RegistryLocation, AnExplicitFolderWinsOverTheEnvironment)
{
    QTemporaryDir env;
    QTemporaryDir chosen;
    const QByteArray saved = qgetenv("VELLOC_REGISTRY");
    qputenv("VELLOC_REGISTRY", QFile::encodeName(env.path()));
    Registry::setLocation(QString());
    EXPECT_EQ(Registry::location(), env.path());
    Registry::setLocation(chosen.path());
    EXPECT_EQ(Registry::location(), chosen.path());
    Registry::setLocation(QString());
    if (saved.isNull())
        qunsetenv("VELLOC_REGISTRY");
    else
        qputenv("VELLOC_REGISTRY", saved);
}

} // namespace
