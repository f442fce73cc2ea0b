// The control container driven through its own widgets, offscreen, as a person would use it.
#include "containerwindow.h"
#include "designform.h"
#include "eventlog.h"
#include "methodsdialog.h"
#include "propertybrowser.h"
#include "selectionoverlay.h"
#include "toolbox.h"

#include "velloc/hosting/formloader.h"
#include "velloc/hosting/propertysheet.h"
#include "velloc/store/registry.h"
#include "velloc/hosting/services.h"
#include "velloc/store/varianttext.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QToolButton>
#include <QComboBox>
#include <QPushButton>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <gtest/gtest.h>

#include "containerfixture.h"

#include <sys/stat.h>

using namespace container;
using namespace velloc;

using namespace containertest;

namespace {

// Every registered control goes on the form through the toolbox, is edited in the browser and
// by the mouse and keyboard, undone and redone, copied, called, run and saved.
TEST_F(Container, DesignEditRunAndSave)
{
    EXPECT_EQ(insertFromToolbox("Vellib.Velloc"), "Velloc1");
    EXPECT_EQ(insertFromToolbox("Linkwell.LinkwellTxt"), "LinkwellTxt1");
    EXPECT_EQ(insertFromToolbox("Linkwell.LinkwellTxt"), "LinkwellTxt2");
    {
        // Dragged from the toolbox and dropped on the form.
        QTreeWidget* tree = window.toolbox()->tree();
        QTreeWidgetItem* row = tree->findItems("MSComDlg.CommonDialog", Qt::MatchFixedString, 1).value(0);
        ASSERT_TRUE(row);
        std::unique_ptr<QMimeData> data(tree->model()->mimeData({tree->indexFromItem(row)}));
        ASSERT_TRUE(data);
        QDragEnterEvent enter(QPoint(300, 20), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(overlay(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(300, 20), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(overlay(), &drop);
        EXPECT_EQ(form().selection(), QStringList {"CommonDialog1"});
        EXPECT_EQ(twips("CommonDialog1").topLeft(), QPoint(300 * 15, 20 * 15));
    }
    EXPECT_EQ(form().items().size(), 4);
    EXPECT_EQ(twips("Velloc1").size(), QSize(1110, 960)) << "the encryption control's face";
    EXPECT_TRUE(form().item("Velloc1")->face->isVisible());
    EXPECT_EQ(form().item("Velloc1")->face->findChild<QLabel*>("Label1")->text(), "3.0 Build 10") << "told it is shown";
    EXPECT_TRUE(messages(responder).isEmpty()) << messages(responder).join('\n').toStdString();

    // Selecting with the mouse, several with Ctrl.
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, centreOf("Velloc1"));
    EXPECT_EQ(form().selection(), QStringList {"Velloc1"});
    EXPECT_EQ(browser().control(), "Velloc1");
    QTest::mouseClick(overlay(), Qt::LeftButton, Qt::ControlModifier, centreOf("LinkwellTxt1"));
    EXPECT_EQ(form().selection(), (QStringList {"Velloc1", "LinkwellTxt1"}));
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, QPoint(form().width() - 2, form().height() - 2));
    EXPECT_TRUE(form().selection().isEmpty());
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, centreOf("Velloc1"));

    // The browser: interface order, alphabetical, by category; the enumeration's names.
    QTreeWidget* tree = browser().tree();
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "(Name)");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Left") << "the name, place, size and tab order the form keeps come first";
    EXPECT_EQ(tree->topLevelItem(6)->text(0), "KEY") << "interface order";
    EXPECT_EQ(value(browser(), "ProtectionType"), "0 - Standard");
    browser().setOrder(PropertyBrowser::Order::Alphabetical);
    EXPECT_EQ(tree->topLevelItem(6)->text(0), "CeaserOffset");
    browser().setOrder(PropertyBrowser::Order::Category);
    EXPECT_FALSE(tree->findItems("FileSetup", Qt::MatchExactly).isEmpty());
    EXPECT_FALSE(browser().row("ShowProgress")->toolTip(0).isEmpty()) << "the help string as tool tip";
    browser().setOrder(PropertyBrowser::Order::Interface);
    // A picture is put by reference only, and is no less writable for it.
    EXPECT_TRUE(browser().row("Picture")->flags() & Qt::ItemIsEditable);

    struct Edit {
        const char* property;
        const char* typed;
        const char* shown;   // the row afterwards
        const char* message; // beside the row
        const char* held;    // what the control holds
    };
    const Edit edits[] = {
        {"KEY", "Tide Table", "Tide Table", "", R"(bstr:"Tide Table")"},
        {"ProtectionType", "5 - VX1", "5 - VX1", "", "i4:5"},
        {"CeaserOffset", "300", "30", "error 6: ", "ui1:30"},
        {"CeaserOffset", "many", "30", "error 13: ", "ui1:30"},
        {"ShowProgress", "False", "False", "", "bool:false"},
        {"ProtectionType", "Nonsense", "5 - VX1", "error 13: ", "i4:5"},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(std::string(e.property) + " = " + e.typed);
        QTreeWidgetItem* row = browser().row(e.property);
        ASSERT_TRUE(row);
        typeInto(row, e.typed);
        EXPECT_EQ(value(browser(), e.property), e.shown);
        EXPECT_EQ(message(browser(), e.property).left(int(strlen(e.message))), e.message);
        EXPECT_EQ(get(form(), "Velloc1", e.property), e.held);
    }
    ASSERT_EQ(form().undoStack()->count(), 4 + 3) << "four inserts, three accepted edits";

    // Undo and redo through the stack the Edit menu shows.
    form().undoStack()->undo();
    EXPECT_EQ(get(form(), "Velloc1", "ShowProgress"), "bool:true");
    EXPECT_EQ(value(browser(), "ShowProgress"), "True") << "the browser follows";
    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_EQ(get(form(), "Velloc1", "KEY"), R"(bstr:"Harbour Lanterns")");
    form().undoStack()->redo();
    EXPECT_EQ(get(form(), "Velloc1", "KEY"), R"(bstr:"Tide Table")");
    form().undoStack()->redo();
    form().undoStack()->redo();

    // Moving and resizing: arrow keys by a pixel, Shift resizes, the mouse drags.
    const QRect start = twips("Velloc1");
    overlay()->setFocus();
    QTest::keyClick(overlay(), Qt::Key_Right);
    QTest::keyClick(overlay(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(twips("Velloc1"), QRect(start.x() + 15, start.y(), start.width(), start.height() + 15));
    QTest::mousePress(overlay(), Qt::LeftButton, {}, centreOf("Velloc1"));
    QTest::mouseMove(overlay(), centreOf("Velloc1") + QPoint(20, 10));
    QTest::mouseRelease(overlay(), Qt::LeftButton, {}, centreOf("Velloc1") + QPoint(20, 10));
    EXPECT_EQ(twips("Velloc1").topLeft(), start.topLeft() + QPoint(15 + 300, 150));
    const QRect r = form().pixelRect(*form().item("Velloc1"));
    QTest::mousePress(overlay(), Qt::LeftButton, {}, r.bottomRight());
    QTest::mouseMove(overlay(), r.bottomRight() + QPoint(10, 4));
    QTest::mouseRelease(overlay(), Qt::LeftButton, {}, r.bottomRight() + QPoint(10, 4));
    EXPECT_EQ(twips("Velloc1").size(), start.size() + QSize(150, 15 + 60)) << "dragged by its bottom-right handle";
    for (int i = 0; i < 4; ++i)
        form().undoStack()->undo();
    EXPECT_EQ(twips("Velloc1"), start);

    // Renaming in the browser; a name in use is refused.
    EXPECT_FALSE(browser().edit("(Name)", "LinkwellTxt1").ok());
    EXPECT_TRUE(message(browser(), "(Name)").contains("used twice"));
    ASSERT_TRUE(browser().edit("(Name)", "Cipher").ok());
    EXPECT_EQ(form().selection(), QStringList {"Cipher"});

    // Delete and undo bring the control back with its properties; copy and paste make a true copy.
    QTest::keyClick(overlay(), Qt::Key_Delete);
    EXPECT_FALSE(form().item("Cipher"));
    form().undoStack()->undo();
    EXPECT_EQ(get(form(), "Cipher", "KEY"), R"(bstr:"Tide Table")");
    form().select({"Cipher"});
    window.copy();
    ASSERT_TRUE(window.paste().ok());
    EXPECT_EQ(form().selection(), QStringList {"Cipher1"});
    EXPECT_EQ(get(form(), "Cipher1", "KEY"), R"(bstr:"Tide Table")");
    EXPECT_EQ(get(form(), "Cipher1", "ProtectionType"), "i4:5");
    EXPECT_EQ(twips("Cipher1").topLeft(), twips("Cipher").topLeft() + QPoint(120, 120));

    // A string encryption through the methods dialog, watched in the event log.
    window.eventLog()->clear();
    {
        MethodsDialog methods(form().item("Cipher")->object, "Cipher");
        methods.setMethod("EncodeString");
        methods.setArgument(0, "A");
        ASSERT_TRUE(methods.call().ok()) << methods.outcome().toStdString();
        EXPECT_TRUE(methods.outcome().startsWith("EncodeString returned bstr:")) << methods.outcome().toStdString();
        methods.setMethod("CRC");
        methods.setArgument(0, "/no/such/file");
        EXPECT_FALSE(methods.call().ok());
        EXPECT_TRUE(methods.outcome().contains("error 53")) << methods.outcome().toStdString();
        // A parameter named like a file has a chooser.
        QTemporaryDir files;
        QFile sums(files.filePath("sums.txt"));
        ASSERT_TRUE(sums.open(QIODevice::WriteOnly));
        sums.write("AB");
        sums.close();
        responder.fileToOpen = sums.fileName();
        auto* choose = methods.findChild<QToolButton*>();
        ASSERT_TRUE(choose);
        choose->click();
        ASSERT_TRUE(methods.call().ok()) << methods.outcome().toStdString();
        EXPECT_TRUE(methods.outcome().startsWith("CRC returned ui1:131")) << methods.outcome().toStdString();
        responder.fileToOpen.reset();
    }
    QStringList rows;
    for (const EventLog::Entry& e : window.eventLog()->entries())
        rows << QStringLiteral("%1.%2(%3)").arg(e.control, e.event, e.arguments);
    EXPECT_EQ(rows, (QStringList {"Cipher.Statred(i4:1)", "Cipher.Progress(i4:1)", "Cipher.Finished()"}));
    EXPECT_TRUE(window.eventLog()->entries().first().time.isValid());
    window.eventLog()->setFilter("Cipher.Prog");
    EXPECT_EQ(window.eventLog()->rowCount(), 1);
    EXPECT_EQ(window.eventLog()->text().count('\n'), 1);
    window.eventLog()->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), window.eventLog()->text());
    window.eventLog()->setFilter("");
    EXPECT_EQ(window.eventLog()->rowCount(), 3);

    // The property sheet for the hyperlink control: its page edits, OK applies, undo takes it back.
    form().select({"LinkwellTxt1"});
    responder.onModal = [](QWidget* window, QWidget*) {
        window->show();
        auto* sheet = dynamic_cast<PropertySheet*>(window);
        ASSERT_TRUE(sheet);
        auto* text = sheet->findChild<QLineEdit*>("txtHyperLink");
        ASSERT_TRUE(text);
        for (int i = 0; i < sheet->tabs()->count(); ++i)
            if (sheet->tabs()->widget(i)->isAncestorOf(text))
                sheet->tabs()->setCurrentIndex(i);
        text->setText("http://harbour.example/tides");
        sheet->okButton()->click();
    };
    window.eventLog()->clear();
    ASSERT_TRUE(window.showProperties().ok());
    responder.onModal = nullptr;
    EXPECT_EQ(get(form(), "LinkwellTxt1", "HyperLink"), R"(bstr:"http://harbour.example/tides")");
    EXPECT_EQ(value(browser(), "HyperLink"), "http://harbour.example/tides") << "the browser refreshed";
    EXPECT_EQ(window.eventLog()->entries().value(0).event, "changed");
    form().undoStack()->undo();
    EXPECT_NE(get(form(), "LinkwellTxt1", "HyperLink"), R"(bstr:"http://harbour.example/tides")");
    form().undoStack()->redo();

    // About boxes through the standard member.
    responder.log.clear();
    ASSERT_TRUE(window.about().ok());
    form().select({"Cipher"});
    ASSERT_TRUE(window.about().ok());
    EXPECT_EQ(responder.log.filter(QStringLiteral("window ")).size(), 2) << responder.log.join(", ").toStdString();
    form().select({"CommonDialog1"});
    EXPECT_FALSE(window.about().ok());
    EXPECT_TRUE(messages(responder).last().contains("has no About box"));

    // Run mode: the encryption control hides, clicks reach the controls, the browser is read-only.
    form().select({"LinkwellTxt1"});
    window.setRunMode(true);
    EXPECT_TRUE(form().runMode());
    EXPECT_FALSE(form().item("Cipher")->face->isVisible());
    EXPECT_FALSE(form().item("CommonDialog1")->face->isVisible());
    EXPECT_FALSE(overlay()->isVisible());
    EXPECT_FALSE(browser().edit("HyperLink", "x").ok());
    EXPECT_FALSE(browser().row("HyperLink")->flags() & Qt::ItemIsEditable);
    QWidget* link = form().item("LinkwellTxt1")->face->findChild<QLabel*>("lblURL");
    ASSERT_TRUE(link);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(responder.log.filter(QStringLiteral("open ")), QStringList {R"(open "http://harbour.example/tides")"});
    window.setRunMode(false);
    EXPECT_TRUE(form().item("Cipher")->face->isVisible());
    EXPECT_TRUE(overlay()->isVisible());

    // Saved, then opened again: the same controls with the same properties.
    QTemporaryDir dir;
    const QString path = dir.filePath("harbour.json");
    EXPECT_TRUE(window.isWindowModified());
    ASSERT_TRUE(window.saveForm(path).ok());
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(window.recentFiles().value(0), QFileInfo(path).absoluteFilePath());
    window.newForm();
    ASSERT_TRUE(window.openForm(path).ok());
    QStringList names;
    for (const DesignItem& item : form().items())
        names << item.name;
    EXPECT_EQ(names, (QStringList {"Cipher", "LinkwellTxt1", "LinkwellTxt2", "CommonDialog1", "Cipher1"}));
    EXPECT_EQ(get(form(), "Cipher1", "KEY"), R"(bstr:"Tide Table")");
    EXPECT_EQ(get(form(), "LinkwellTxt1", "HyperLink"), R"(bstr:"http://harbour.example/tides")");
    // The demonstration program's loader reads what the container wrote.
    EXPECT_TRUE(FormLoader::load(path).ok());
}

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

// The browser's text forms: what a typed value becomes, or the error that keeps the old value.
struct ParseCase {
    const char* name;
    PropertyRow::Editor editor;
    const char* typed;
    const char* value; // the value put, or "error N"
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.name;
}

class PropertyText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PropertyText, TypedValue)
{
    PropertyRow row;
    row.name = "P";
    row.editor = GetParam().editor;
    row.type = TypeRef {VarType::I4, "PType"};
    row.values = {{"Standard", 0, {}}, {"VX1", 5, {}}};
    Result<Variant> v = row.parse(QString::fromUtf8(GetParam().typed));
    EXPECT_EQ(v ? varianttext::format(*v) : QStringLiteral("error %1").arg(v.error().number()), GetParam().value);
    if (v && GetParam().editor != PropertyRow::Editor::Text) {
        EXPECT_TRUE(row.parse(row.display(*v)).ok()) << "what is shown reads back";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyText,
    ::testing::Values(ParseCase {"Text", PropertyRow::Editor::Text, " 12 ", R"(bstr:" 12 ")"},
                      ParseCase {"BoolTrue", PropertyRow::Editor::Bool, "true", "bool:true"},
                      ParseCase {"BoolOther", PropertyRow::Editor::Bool, "yes", "error 13"},
                      ParseCase {"EnumShown", PropertyRow::Editor::Enum, "5 - VX1", "i4:5"},
                      ParseCase {"EnumName", PropertyRow::Editor::Enum, "vx1", "i4:5"},
                      ParseCase {"EnumUnknown", PropertyRow::Editor::Enum, "VX9", "error 13"},
                      ParseCase {"ColorHex", PropertyRow::Editor::Color, "&H8000000F&", "i4:-2147483633"},
                      ParseCase {"ColorDecimal", PropertyRow::Editor::Color, "255", "i4:255"},
                      ParseCase {"ColorTooLarge", PropertyRow::Editor::Color, "&H100000000&", "error 13"},
                      ParseCase {"FontLiteral", PropertyRow::Editor::Font, R"(font:"Tahoma" 9.75 700 iu)", R"(font:"Tahoma" 9.75 700 iu)"},
                      ParseCase {"FontBad", PropertyRow::Editor::Font, "Tahoma", "error 5"},
                      ParseCase {"PictureNone", PropertyRow::Editor::Picture, "(None)", "nothing"},
                      ParseCase {"PictureMissing", PropertyRow::Editor::Picture, "/no/such.bmp", "error 53"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    QTreeWidgetItem* good = tree->findItems("Vellib.Velloc", Qt::MatchFixedString, 1).value(0);
    ASSERT_TRUE(good);
    EXPECT_TRUE(good->flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(good->icon(0).isNull()) << "the toolbox bitmap";
    QTreeWidgetItem* broken = nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (!(tree->topLevelItem(i)->flags() & Qt::ItemIsEnabled))
            broken = tree->topLevelItem(i);
    ASSERT_TRUE(broken);
    EXPECT_TRUE(broken->toolTip(0).contains(GetParam().problem)) << broken->toolTip(0).toStdString();
    EXPECT_FALSE(tree->findItems("MSComDlg.CommonDialog", Qt::MatchFixedString, 1).isEmpty());
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
