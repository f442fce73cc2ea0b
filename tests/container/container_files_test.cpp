// The container's files: forms opened and saved, bad forms and bags, the focus order kept, and
// the toolbox's view of the registry.
#include "containerfixture.h"

#include "velloc/hosting/formloader.h"
#include "velloc/store/registry.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUndoStack>

#include <sys/stat.h>

using namespace containertest;

namespace {

// Opening the demonstration form and saving it unchanged writes the same description, and the
// loader builds the same window from both.
TEST_F(Container, Form1RoundTrip)
{
    ASSERT_TRUE(window.openForm(Form1Path).ok());
    EXPECT_TRUE(messages(responder).isEmpty()) << messages(responder).join('\n').toStdString();
    EXPECT_EQ(form().items().size(), 26) << "twelve on the form, fourteen in the frame";
    QTemporaryDir dir;
    const QString saved = dir.filePath("Form1.json");
    ASSERT_TRUE(window.saveForm(saved).ok());

    QFile a(Form1Path), b(saved);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QJsonObject before = QJsonDocument::fromJson(a.readAll()).object(), after = QJsonDocument::fromJson(b.readAll()).object();
    for (const QString& key : before.keys() + after.keys()) {
        if (key == "controls")
            continue;
        EXPECT_EQ(before.value(key), after.value(key)) << key.toStdString();
    }
    const QJsonArray controlsBefore = before.value("controls").toArray(), controlsAfter = after.value("controls").toArray();
    ASSERT_EQ(controlsBefore.size(), controlsAfter.size());
    for (qsizetype i = 0; i < controlsBefore.size(); ++i)
        EXPECT_EQ(controlsBefore[i], controlsAfter[i]) << QJsonDocument(controlsAfter[i].toObject()).toJson().left(400).toStdString();

    Result<std::unique_ptr<Form>> original = FormLoader::load(Form1Path), again = FormLoader::load(saved);
    ASSERT_TRUE(original.ok() && again.ok());
    EXPECT_EQ((*original)->names(), (*again)->names());
    EXPECT_EQ((*original)->tabOrder(), (*again)->tabOrder());
    for (const QString& name : (*original)->names()) {
        SCOPED_TRACE(name.toStdString());
        QWidget* w1 = (*original)->control(name);
        QWidget* w2 = (*again)->control(name);
        ASSERT_EQ(!w1, !w2);
        if (w1) {
            EXPECT_EQ(w1->geometry(), w2->geometry());
            EXPECT_STREQ(w1->metaObject()->className(), w2->metaObject()->className());
        }
        if (auto c1 = std::dynamic_pointer_cast<Control>((*original)->component(name))) {
            auto c2 = std::dynamic_pointer_cast<Control>((*again)->component(name));
            PropertyBag b1, b2;
            ASSERT_TRUE(c1->writeProperties(b1).ok() && c2->writeProperties(b2).ok());
            EXPECT_EQ(b1.toText(), b2.toText());
        }
    }
}

// Bad input: each names the control or the file at fault, and the rest of the form works.
TEST_F(Container, BadFormsAndBags)
{
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return dir.filePath(name);
    };
    ASSERT_TRUE(window.openForm(Form1Path).ok());

    EXPECT_FALSE(window.openForm(write("broken.json", "{ \"controls\": [ ")).ok());
    EXPECT_TRUE(messages(responder).last().contains("is not valid JSON")) << messages(responder).last().toStdString();
    EXPECT_EQ(form().items().size(), 26) << "the open form stays";
    EXPECT_FALSE(window.openForm(dir.filePath("absent.json")).ok());
    // A form is read like a bag: no FIFO or device is waited on or read without end, and a
    // description that is not an object says so, with where.
    const QString fifo = dir.filePath("fifo.json");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        EXPECT_FALSE(window.openForm(path).ok());
        EXPECT_TRUE(messages(responder).last().contains(QStringLiteral("Cannot read form %1: it is a").arg(path)))
            << messages(responder).last().toStdString();
    }
    EXPECT_FALSE(window.openForm(write("array.json", "[1, 2]")).ok());
    EXPECT_TRUE(messages(responder).last().contains("is a JSON array; it must be an object")) << messages(responder).last().toStdString();
    EXPECT_FALSE(window.openForm(write("late.json", "{\n  \"name\": \"F\",\n  \"caption\" \"x\"\n}")).ok());
    EXPECT_TRUE(messages(responder).last().contains("missing name separator at line 3, column 14")) << messages(responder).last().toStdString();
    EXPECT_EQ(form().items().size(), 26) << "the open form stays";
    EXPECT_FALSE(window.openForm(write("twice.json", R"({"controls": [{"name": "A", "kind": "label"},
        {"name": "F", "kind": "frame", "controls": [{"name": "A", "kind": "button"}]}]})")).ok());
    EXPECT_TRUE(messages(responder).last().endsWith("A: the name is used twice")) << messages(responder).last().toStdString();
    EXPECT_EQ(form().items().size(), 26);

    const QString unknown = write("unknown.json", R"({"name": "F", "clientWidth": 4000, "clientHeight": 3000, "controls": [
        {"name": "Gauge1", "kind": "component", "progId": "No.Such", "left": 10, "top": 20, "width": 900, "height": 300,
         "bag": ["needle = i4:3"]},
        {"name": "Velloc1", "kind": "component", "progId": "Vellib.Velloc", "bag": ["protectiontype = i4:300"]},
        {"name": "Velloc2", "kind": "component", "progId": "Vellib.Velloc", "left": 2000, "top": 100}]})");
    responder.log.clear();
    ASSERT_TRUE(window.openForm(unknown).ok());
    ASSERT_EQ(messages(responder).size(), 1);
    EXPECT_TRUE(messages(responder)[0].contains(R"(Gauge1: cannot create \"No.Such\": No class is registered as No.Such)")) << messages(responder)[0].toStdString();
    EXPECT_TRUE(messages(responder)[0].contains("Velloc1: the control refused its saved properties"));
    ASSERT_EQ(form().items().size(), 3);
    EXPECT_FALSE(form().item("Gauge1")->problem.isEmpty());
    EXPECT_EQ(get(form(), "Velloc2", "KEY"), R"(bstr:"Harbour Lanterns")") << "the rest works";
    // Saving keeps what could not be made exactly as it was written.
    const QString saved = dir.filePath("saved.json");
    ASSERT_TRUE(window.saveForm(saved).ok());
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonArray controls = QJsonDocument::fromJson(f.readAll()).object().value("controls").toArray();
    ASSERT_EQ(controls.size(), 3);
    QFile original(unknown);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QJsonArray written = QJsonDocument::fromJson(original.readAll()).object().value("controls").toArray();
    EXPECT_EQ(controls[0], written[0]);
    EXPECT_EQ(controls[1], written[1]);

    // Bags: saved in the text form, loaded back; a refused bag changes nothing.
    form().select({"Velloc2"});
    ASSERT_TRUE(browser().edit("KEY", "Pilot Boat").ok());
    const QString bagPath = dir.filePath("velloc2.bag");
    ASSERT_TRUE(window.saveBag(bagPath).ok());
    Result<PropertyBag> bag = PropertyBag::load(bagPath);
    ASSERT_TRUE(bag.ok());
    EXPECT_EQ(varianttext::format(bag->read(u"key", Variant())), R"(bstr:"Pilot Boat")");
    ASSERT_TRUE(browser().edit("KEY", "Other").ok());
    ASSERT_TRUE(window.loadBag(bagPath).ok());
    EXPECT_EQ(get(form(), "Velloc2", "KEY"), R"(bstr:"Pilot Boat")");
    EXPECT_FALSE(window.loadBag(write("refused.bag", "key = bstr:\"Sea\"\nprotectiontype = i4:300\n")).ok());
    EXPECT_TRUE(messages(responder).last().startsWith("Velloc2 refused the properties")) << messages(responder).last().toStdString();
    EXPECT_EQ(get(form(), "Velloc2", "KEY"), R"(bstr:"Pilot Boat")");
    EXPECT_FALSE(window.loadBag(write("unreadable.bag", "key = bstr:\"open\n")).ok());
    EXPECT_TRUE(messages(responder).last().contains("unreadable.bag")) << messages(responder).last().toStdString();

    // A failed save says so and leaves the form unsaved.
    EXPECT_FALSE(window.saveForm(dir.filePath("no/such/folder/f.json")).ok());
    EXPECT_TRUE(messages(responder).last().startsWith("Cannot write")) << messages(responder).last().toStdString();
    EXPECT_TRUE(window.isWindowModified());
    // Unsaved changes ask before they are dropped.
    responder.messageAnswer = services::msgresult::Cancel;
    EXPECT_FALSE(window.maybeSave());
    responder.messageAnswer = services::msgresult::No;
    EXPECT_TRUE(window.maybeSave());
}

// The form's own controls are moved, renamed and deleted like components; the focus order follows.
TEST_F(Container, BuiltInControlsKeepTheFocusOrder)
{
    ASSERT_TRUE(window.openForm(Form1Path).ok());
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, centreOf("Command1"));
    ASSERT_EQ(form().selection(), QStringList {"Command1"});
    const QRect before = form().item("Command1")->face->geometry();
    QTest::keyClick(overlay(), Qt::Key_Right);
    EXPECT_EQ(form().item("Command1")->face->geometry(), before.translated(1, 0));
    ASSERT_TRUE(browser().edit("(Name)", "cmdEncrypt").ok());
    EXPECT_FALSE(browser().edit("(Name)", "Option1").ok()) << "a name inside a frame is taken too";
    EXPECT_FALSE(browser().edit("(Name)", "2nd").ok());
    form().select({"Label1"});
    QTest::keyClick(overlay(), Qt::Key_Delete);
    // With nothing selected the browser edits the form itself.
    form().select({});
    EXPECT_EQ(value(browser(), "form:caption"), "Velloc - Velpack Encryption Demo");
    ASSERT_TRUE(browser().edit("form:caption", "Harbour Tides").ok());
    ASSERT_TRUE(browser().edit("form:clientWidth", "9000").ok());
    EXPECT_EQ(form().width(), 600);
    EXPECT_EQ(form().item("cmdEncrypt")->face->parentWidget()->width(), 600) << "the controls moved onto the new window";
    EXPECT_TRUE(form().item("cmdEncrypt")->face->isVisible());
    EXPECT_FALSE(browser().edit("form:clientWidth", "12").ok());
    EXPECT_TRUE(message(browser(), "form:clientWidth").startsWith("error 5: clientWidth takes a size"));
    form().undoStack()->undo();
    EXPECT_EQ(form().width(), 567);
    form().undoStack()->redo();

    QTemporaryDir dir;
    ASSERT_TRUE(window.saveForm(dir.filePath("f.json")).ok());
    Result<std::unique_ptr<Form>> saved = FormLoader::load(dir.filePath("f.json"));
    ASSERT_TRUE(saved.ok()) << saved.error().message().toStdString();
    EXPECT_EQ((*saved)->control("cmdEncrypt")->geometry(), before.translated(1, 0));
    EXPECT_EQ((*saved)->tabOrder().value(0), "cmdEncrypt");
    EXPECT_FALSE((*saved)->tabOrder().contains("Label1"));
    EXPECT_FALSE((*saved)->control("Label1"));
    EXPECT_EQ((*saved)->windowTitle(), "Harbour Tides");
    EXPECT_EQ((*saved)->width(), 600);

    for (int i = 0; i < 3; ++i)
        form().undoStack()->undo();
    EXPECT_TRUE(form().item("Label1"));
    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_EQ(form().item("Command1")->face->geometry(), before);
    // The window asks before it closes on unsaved changes; Cancel keeps it open.
    responder.messageAnswer = services::msgresult::Cancel;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(messages(responder).last().startsWith("Save the changes to f.json?")) << messages(responder).join("|").toStdString();
}

// The toolbox lists what the registry holds; a broken entry is greyed with its error.
struct ToolboxCase {
    const char* name;
    const char* entry;    // the registry file's content; by default an entry for `path` with one class
    const char* path;
    const char* problem;  // the start of its error
};

const char* const ClassList = R"("classes": [{"clsid": "{0E5B0AD4-6F55-4C43-9C38-62A0C0E0A001}", "control": true, "name": "Gauge", "progid": "Test.Gauge"}])";

void PrintTo(const ToolboxCase& c, std::ostream* os)
{
    *os << c.name;
}

class ToolboxEntries : public ::testing::TestWithParam<ToolboxCase> {};

TEST_P(ToolboxEntries, BrokenEntryIsGreyedWithItsError)
{
    QTemporaryDir dir;
    QFile::copy(QStringLiteral(VELLOC_BUILD_REGISTRY "/libvelpack.json"), dir.filePath("libvelpack.json"));
    QFile f(dir.filePath("broken.json"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QString entry = GetParam().entry ? QString::fromUtf8(GetParam().entry)
                                     : QStringLiteral(R"({"abi": 1, "path": "@PATH@", %1})").arg(QLatin1String(ClassList));
    entry.replace("@PATH@", QString::fromUtf8(GetParam().path).replace("@BIN@", QStringLiteral(VELLOC_BUILD_REGISTRY "/../../../bin")));
    f.write(entry.toUtf8());
    f.close();
    Registry::setLocation(dir.path());
    Toolbox toolbox;
    Registry::setLocation(QStringLiteral(VELLOC_BUILD_REGISTRY));

    QTreeWidget* tree = toolbox.tree();
    QTreeWidgetItem* good = tree->findItems("Vellib.Velloc", Qt::MatchFixedString | Qt::MatchRecursive, 1).value(0);
    ASSERT_TRUE(good);
    EXPECT_TRUE(good->flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(good->icon(0).isNull()) << "the toolbox bitmap";
    QTreeWidgetItem* broken = nullptr;
    for (QTreeWidgetItem* row : tree->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive))
        if (!(row->flags() & Qt::ItemIsEnabled))
            broken = row;
    ASSERT_TRUE(broken);
    EXPECT_TRUE(broken->toolTip(0).contains(GetParam().problem)) << broken->toolTip(0).toStdString();
    EXPECT_FALSE(tree->findItems("MSComDlg.CommonDialog", Qt::MatchFixedString | Qt::MatchRecursive, 1).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolboxEntries,
    ::testing::Values(
        ToolboxCase {"BadJson", "{ not json", "", "not valid JSON"},
        ToolboxCase {"NoClasses", R"({"abi": 1, "path": "/x.so"})", "", "a registry entry needs"},
        ToolboxCase {"MissingLibrary", nullptr, "/nonexistent/libgauge.so", "cannot load /nonexistent/libgauge.so"},
        ToolboxCase {"WrongExports", nullptr, "@BIN@/libvelloc-core.so", "is not a component library"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
