// The control container driven through its own widgets, offscreen, as a person would use it:
// placing, editing, calling and running controls.
#include "containerwindow.h"
#include "designform.h"
#include "eventlog.h"
#include "methodsdialog.h"
#include "propertybrowser.h"
#include "selectionoverlay.h"
#include "toolbox.h"

#include "velloc/hosting/formloader.h"
#include "velloc/hosting/propertysheet.h"
#include "velloc/hosting/services.h"
#include "velloc/store/varianttext.h"

#include <QClipboard>
#include <QToolButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <gtest/gtest.h>

#include "containerfixture.h"

using namespace container;
using namespace velloc;

using namespace containertest;

namespace {

// The three controls most tests start from, inserted through the toolbox, Velloc1 selected.
class Design : public Container {
protected:
    void SetUp() override
    {
        Container::SetUp();
        ASSERT_EQ(insertFromToolbox("Vellib.Velloc"), "Velloc1");
        ASSERT_EQ(insertFromToolbox("Linkwell.LinkwellTxt"), "LinkwellTxt1");
        ASSERT_EQ(insertFromToolbox("Linkwell.LinkwellTxt"), "LinkwellTxt2");
        form().select({"Velloc1"});
    }
};

// Every registered control goes on the form through the toolbox, by activation or by drag and drop.
TEST_F(Design, ToolboxInsertsAndDrops)
{
    QTreeWidget* tree = window.toolbox()->tree();
    QTreeWidgetItem* row = tree->findItems("MSComDlg.CommonDialog", Qt::MatchFixedString | Qt::MatchRecursive, 1).value(0);
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

    EXPECT_EQ(form().items().size(), 4);
    EXPECT_EQ(twips("Velloc1").size(), QSize(1110, 960)) << "the encryption control's face";
    EXPECT_TRUE(form().item("Velloc1")->face->isVisible());
    EXPECT_EQ(form().item("Velloc1")->face->findChild<QLabel*>("Label1")->text(), "3.0 Build 10") << "told it is shown";
    EXPECT_TRUE(messages(responder).isEmpty()) << messages(responder).join('\n').toStdString();
    EXPECT_EQ(form().undoStack()->count(), 4) << "each insert is an edit";
}

TEST_F(Design, MouseSelectsAndCtrlAddsToTheSelection)
{
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, centreOf("LinkwellTxt2"));
    EXPECT_EQ(form().selection(), QStringList {"LinkwellTxt2"});
    EXPECT_EQ(browser().control(), "LinkwellTxt2");
    QTest::mouseClick(overlay(), Qt::LeftButton, Qt::ControlModifier, centreOf("LinkwellTxt1"));
    EXPECT_EQ(form().selection(), (QStringList {"LinkwellTxt2", "LinkwellTxt1"}));
    QTest::mouseClick(overlay(), Qt::LeftButton, Qt::ControlModifier, centreOf("LinkwellTxt2"));
    EXPECT_EQ(form().selection(), QStringList {"LinkwellTxt1"}) << "Ctrl on a selected control takes it out";
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, QPoint(form().width() - 2, form().height() - 2));
    EXPECT_TRUE(form().selection().isEmpty());
}

// The browser: interface order, alphabetical, by category; typed edits with their refusals; each
// accepted edit one undo step.
TEST_F(Design, BrowserOrdersEditsAndUndoes)
{
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
        {"CeaserOffset", "300", "30", "error 6: CeaserOffset takes a whole number from 0 to 255", "ui1:30"},
        {"CeaserOffset", "many", "30", "error 13: ", "ui1:30"},
        {"ShowProgress", "False", "False", "", "bool:false"},
        {"ProtectionType", "Nonsense", "5 - VX1", "error 13: ", "i4:5"},
        {"Left", "-1", "-1", "", "(no property Left)"},
        {"Width", "0", "1110", "", "(no property Width)"},
    };
    const int left = twips("Velloc1").left();
    for (const Edit& e : edits) {
        SCOPED_TRACE(std::string(e.property) + " = " + e.typed);
        QTreeWidgetItem* row = browser().row(e.property);
        ASSERT_TRUE(row);
        typeInto(row, e.typed);
        EXPECT_EQ(value(browser(), e.property), e.shown);
        EXPECT_EQ(message(browser(), e.property).left(int(strlen(e.message))), e.message);
        EXPECT_EQ(get(form(), "Velloc1", e.property), e.held);
    }
    EXPECT_EQ(browser().edit("Width", "0").error().message(), "Width takes a whole number from 1 to 2147483647");
    ASSERT_EQ(form().undoStack()->count(), 3 + 4) << "three inserts, four accepted edits";

    form().undoStack()->undo();
    EXPECT_EQ(twips("Velloc1").left(), left) << "the place typed in is one step";
    form().undoStack()->undo();
    EXPECT_EQ(get(form(), "Velloc1", "ShowProgress"), "bool:true");
    EXPECT_EQ(value(browser(), "ShowProgress"), "True") << "the browser follows";
    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_EQ(get(form(), "Velloc1", "KEY"), R"(bstr:"Harbour Lanterns")");
    form().undoStack()->redo();
    EXPECT_EQ(get(form(), "Velloc1", "KEY"), R"(bstr:"Tide Table")");
}

// Arrow keys move by a pixel, Shift resizes, the mouse drags the control or a handle; all undone.
TEST_F(Design, KeysAndMouseMoveAndResize)
{
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
}

// Renaming in the browser; delete and undo bring the control back with its properties; copy and
// paste make a true copy.
TEST_F(Design, RenameDeleteAndCopy)
{
    ASSERT_TRUE(browser().edit("KEY", "Tide Table").ok());
    ASSERT_TRUE(browser().edit("ProtectionType", "VX1").ok());
    EXPECT_FALSE(browser().edit("(Name)", "LinkwellTxt1").ok());
    EXPECT_TRUE(message(browser(), "(Name)").contains("used twice"));
    ASSERT_TRUE(browser().edit("(Name)", "Cipher").ok());
    EXPECT_EQ(form().selection(), QStringList {"Cipher"});

    overlay()->setFocus();
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
}

// A string encryption through the methods dialog, watched in the event log; a file parameter has
// a chooser.
TEST_F(Design, MethodsDialogCallsAndTheLogFilters)
{
    window.eventLog()->clear();
    {
        MethodsDialog methods(form().item("Velloc1")->object, "Velloc1");
        methods.setMethod("EncodeString");
        methods.setArgument(0, "A");
        ASSERT_TRUE(methods.call().ok()) << methods.outcome().toStdString();
        EXPECT_TRUE(methods.outcome().startsWith("EncodeString returned bstr:")) << methods.outcome().toStdString();
        methods.setMethod("CRC");
        methods.setArgument(0, "/no/such/file");
        EXPECT_FALSE(methods.call().ok());
        EXPECT_TRUE(methods.outcome().contains("error 53")) << methods.outcome().toStdString();
        QTemporaryDir files;
        QFile sums(files.filePath("sums.txt"));
        ASSERT_TRUE(sums.open(QIODevice::WriteOnly));
        sums.write("AB");
        sums.close();
        responder.fileToOpen = sums.fileName();
        auto* choose = methods.findChild<QToolButton*>();
        ASSERT_TRUE(choose);
        choose->click();
        EXPECT_EQ(responder.requests.last().fileName, "/no/such/file") << "the chooser opens at what was typed";
        ASSERT_TRUE(methods.call().ok()) << methods.outcome().toStdString();
        EXPECT_TRUE(methods.outcome().startsWith("CRC returned ui1:131")) << methods.outcome().toStdString();
    }
    QStringList rows;
    for (const EventLog::Entry& e : window.eventLog()->entries())
        rows << QStringLiteral("%1.%2(%3)").arg(e.control, e.event, e.arguments);
    EXPECT_EQ(rows, (QStringList {"Velloc1.Statred(i4:1)", "Velloc1.Progress(i4:1)", "Velloc1.Finished()"}));
    EXPECT_TRUE(window.eventLog()->entries().first().time.isValid());
    window.eventLog()->setFilter("Velloc1.Prog");
    EXPECT_EQ(window.eventLog()->rowCount(), 1);
    EXPECT_EQ(window.eventLog()->text().count('\n'), 1);
    window.eventLog()->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), window.eventLog()->text());
    window.eventLog()->setFilter("");
    EXPECT_EQ(window.eventLog()->rowCount(), 3);
}

// The hyperlink control's property sheet: its page edits, OK applies as one undo step; About
// boxes through the standard member.
TEST_F(Design, PropertySheetAndAboutBoxes)
{
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

    responder.log.clear();
    ASSERT_TRUE(window.about().ok());
    form().select({"Velloc1"});
    ASSERT_TRUE(window.about().ok());
    EXPECT_EQ(responder.log.filter(QStringLiteral("window ")).size(), 2) << responder.log.join(", ").toStdString();
    ASSERT_EQ(insertFromToolbox("MSComDlg.CommonDialog"), "CommonDialog1");
    EXPECT_FALSE(window.about().ok());
    EXPECT_TRUE(messages(responder).last().contains("has no About box"));
}

// Run mode: the encryption control hides, clicks reach the controls, the browser is read-only.
TEST_F(Design, RunModeHandsTheControlsTheMouse)
{
    form().select({"LinkwellTxt1"});
    ASSERT_TRUE(browser().edit("HyperLink", "http://harbour.example/tides").ok());
    window.setRunMode(true);
    EXPECT_TRUE(form().runMode());
    EXPECT_FALSE(form().item("Velloc1")->face->isVisible());
    EXPECT_FALSE(overlay()->isVisible());
    EXPECT_FALSE(browser().edit("HyperLink", "x").ok());
    EXPECT_FALSE(browser().row("HyperLink")->flags() & Qt::ItemIsEditable);
    QWidget* link = form().item("LinkwellTxt1")->face->findChild<QLabel*>("lblURL");
    ASSERT_TRUE(link);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(responder.log.filter(QStringLiteral("open ")), QStringList {R"(open "http://harbour.example/tides")"});
    window.setRunMode(false);
    EXPECT_TRUE(form().item("Velloc1")->face->isVisible());
    EXPECT_TRUE(overlay()->isVisible());
}

// Save As asks through the responder for where to write; cancelled, nothing is written and the
// form stays unsaved. Open asks the same way, and the form comes back as it was saved.
TEST_F(Design, SaveAsAndOpenGoThroughTheResponder)
{
    ASSERT_TRUE(browser().edit("KEY", "Tide Table").ok());
    QTemporaryDir dir;
    const QString path = dir.filePath("harbour.json");
    EXPECT_FALSE(window.saveAs()) << "cancelled";
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(window.isWindowModified());
    responder.fileToSave = path;
    ASSERT_TRUE(window.saveAs());
    EXPECT_EQ(responder.log.filter(QStringLiteral("dialog ")), (QStringList {R"(dialog save "Save Form")", R"(dialog save "Save Form")"}));
    EXPECT_EQ(responder.requests.last().filter, "Form descriptions (*.json)|*.json|All files|*");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(window.recentFiles().value(0), QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(FormLoader::load(path).ok()) << "the demonstration program's loader reads it";

    // Save writes where Save As did, without asking again.
    ASSERT_TRUE(browser().edit("KEY", "Pilot Boat").ok());
    ASSERT_TRUE(window.save());
    EXPECT_EQ(responder.requests.size(), 2);

    window.newForm();
    responder.fileToOpen = path;
    window.chooseAndOpen();
    EXPECT_EQ(responder.log.filter(QStringLiteral("dialog ")).last(), R"(dialog open "Open Form")");
    QStringList names;
    for (const DesignItem& item : form().items())
        names << item.name;
    EXPECT_EQ(names, (QStringList {"Velloc1", "LinkwellTxt1", "LinkwellTxt2"}));
    EXPECT_EQ(get(form(), "Velloc1", "KEY"), R"(bstr:"Pilot Boat")");

    // The control's bag goes the same way.
    form().select({"Velloc1"});
    responder.fileToSave = dir.filePath("velloc1.bag");
    window.chooseBagToSave();
    EXPECT_EQ(responder.log.filter(QStringLiteral("dialog ")).last(), R"(dialog save "Save Control's Properties")");
    EXPECT_TRUE(PropertyBag::load(dir.filePath("velloc1.bag")).ok());
}

} // namespace
