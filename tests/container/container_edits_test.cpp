// Edits that must keep what they did not touch, and the window's own faults, each on its own.
#include "containerfixture.h"
#include "eventlog.h"

#include "velloc/core/units.h"
#include "velloc/store/font.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>

using namespace containertest;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QAction* action(const ContainerWindow& window, const QString& menu, const QString& text)
{
    for (QAction* m : window.menuBar()->actions())
        if (m->text().remove('&') == menu)
            for (QAction* a : m->menu()->actions())
                if (a->text().remove('&').startsWith(text))
                    return a;
    return nullptr;
}

class Edits : public Container {
protected:
    void openForm1()
    {
        ASSERT_TRUE(window.openForm(Form1Path).ok());
        ASSERT_TRUE(messages(responder).isEmpty()) << messages(responder).join('\n').toStdString();
    }
    QString saved()
    {
        const QString path = dir.filePath("Form1.json");
        EXPECT_TRUE(window.saveForm(path).ok());
        return path;
    }
    QTemporaryDir dir;
};

// Opened and saved unchanged: the same bytes. One property edited: one line differs.
TEST_F(Edits, SavingChangesOnlyWhatWasEdited)
{
    openForm1();
    const QByteArray original = readAll(Form1Path);
    EXPECT_EQ(readAll(saved()), original);

    form().select({"CommonDialog1"});
    ASSERT_TRUE(browser().edit("DialogTitle", "Pick a file").ok());
    const QList<QByteArray> before = original.split('\n'), after = readAll(saved()).split('\n');
    ASSERT_EQ(before.size(), after.size());
    QList<QByteArray> changed;
    for (qsizetype i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            changed << after[i];
    EXPECT_EQ(changed, QList<QByteArray> {R"(        "dialogtitle = bstr:\"Pick a file\"",)"});
}

// A new control goes where it covers nothing and is whole on the form, not below its last row.
TEST_F(Edits, InsertLandsOnTheFormClearOfTheOthers)
{
    openForm1();
    const QString name = insertFromToolbox("Vellib.Velloc");
    ASSERT_EQ(name, "Velloc2");
    const QRect placed = twips(name);
    EXPECT_TRUE(form().clientTwips().contains(placed)) << placed.y();
    for (const DesignItem& other : form().items()) {
        if (other.name != name) {
            EXPECT_FALSE(other.twips.intersects(placed)) << other.name.toStdString();
        }
    }
}

// A copy keeps the size the control has, even a default one, and goes where the person clicked,
// or beside the original; either way whole on the form.
TEST_F(Edits, PasteKeepsTheSizeAndGoesWhereClicked)
{
    openForm1();
    const QRect original = twips("Velloc1");
    ASSERT_GT(original.width(), 0);
    form().select({"Velloc1"});
    window.copy();

    ASSERT_TRUE(window.paste().ok());
    const QString beside = form().selection().value(0);
    EXPECT_EQ(twips(beside).size(), original.size());
    EXPECT_TRUE(form().clientTwips().contains(twips(beside))) << twips(beside).y();

    const QPoint click(40, 30);
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, click);
    ASSERT_TRUE(form().selection().isEmpty());
    ASSERT_TRUE(window.paste().ok());
    const QString there = form().selection().value(0);
    EXPECT_EQ(twips(there), QRect(units::toTwipsX(click.x()), units::toTwipsY(click.y()), original.width(), original.height()));

    // Cut, then a click at the form's bottom corner: the copy is pulled in, not left below it.
    form().select({there});
    action(window, "Edit", "Cut")->trigger();
    QTest::mouseClick(overlay(), Qt::LeftButton, {}, QPoint(form().width() - 2, form().height() - 2));
    ASSERT_TRUE(window.paste().ok());
    EXPECT_TRUE(form().clientTwips().contains(twips(form().selection().value(0))));
    EXPECT_FALSE(saved().isEmpty());
    EXPECT_FALSE(readAll(dir.filePath("Form1.json")).contains("\"width\": 0"));
}

// A chooser opens at the value the control holds; confirming it as it opened changes nothing.
TEST_F(Edits, ChoosersStartAtTheValueAndConfirmingChangesNothing)
{
    insertFromToolbox("Linkwell.LinkwellTxt");
    ASSERT_TRUE(browser().edit("ForeColor", "&H00C00000&").ok());
    const int steps = form().undoStack()->count();

    browser().chooseValue("ForeColor");
    ASSERT_EQ(responder.colorsOffered.size(), 1);
    EXPECT_EQ(responder.colorsOffered.first(), QColor(0, 0, 0xC0));
    EXPECT_EQ(value(browser(), "ForeColor"), "&H00C00000&");
    browser().chooseValue("Font");
    ASSERT_EQ(responder.fontsOffered.size(), 1);
    const DesignItem* link = form().item("LinkwellTxt1");
    Result<Variant> font = link->object->invoke(*link->object->idOfName(u"Font"), InvokeKind::PropertyGet, {});
    ASSERT_TRUE(font.ok() && font->objectAs<Font>());
    const Font::Description held = font->objectAs<Font>()->description();
    EXPECT_EQ(responder.fontsOffered.first().family(), held.name);
    EXPECT_DOUBLE_EQ(responder.fontsOffered.first().pointSizeF(), held.size);
    const QString fontBefore = get(form(), "LinkwellTxt1", "Font");
    EXPECT_EQ(form().undoStack()->count(), steps);
    EXPECT_EQ(get(form(), "LinkwellTxt1", "Font"), fontBefore);

    responder.colorToChoose = QColor(255, 0, 0);
    browser().chooseValue("ForeColor");
    EXPECT_EQ(value(browser(), "ForeColor"), "&H000000FF&");
    EXPECT_EQ(form().undoStack()->count(), steps + 1);
}

// An enumeration takes any number its type holds, and Ctrl+A in an editor stays in the editor.
TEST_F(Edits, EnumerationTakesNumbersAndKeepsCtrlA)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    QTreeWidget* tree = browser().tree();
    QTreeWidgetItem* row = browser().row("ProtectionType");
    ASSERT_TRUE(row);
    tree->setCurrentItem(row, 1);
    tree->editItem(row, 1);
    auto* box = tree->viewport()->findChild<QComboBox*>();
    ASSERT_TRUE(box && box->isEditable());
    box->setFocus();
    box->lineEdit()->setText("200");
    action(window, "Edit", "Select All")->trigger();
    EXPECT_EQ(form().selection(), QStringList {name});
    EXPECT_EQ(box->lineEdit()->selectedText(), "200");
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(get(form(), name, "ProtectionType"), "i4:200");
}

// A property that names a file has a browse button in the browser.
TEST_F(Edits, FileRowHasABrowseButton)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    QTreeWidgetItem* row = browser().row("File");
    ASSERT_TRUE(row);
    browser().tree()->editItem(row, 1);
    auto* browse = browser().tree()->viewport()->findChild<QToolButton*>();
    ASSERT_TRUE(browse);
    responder.fileToOpen = QStringLiteral(VELLOC_SOURCE_DIR "/examples/sample.txt");
    browse->click();
    EXPECT_EQ(get(form(), name, "File"), QStringLiteral(R"(bstr:")" VELLOC_SOURCE_DIR R"(/examples/sample.txt")"));
}

// A value that differs from a new instance's shows bold, and Reset puts the default back.
TEST_F(Edits, ChangedValuesShowBoldAndReset)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    const QString original = get(form(), name, "KEY");
    EXPECT_FALSE(browser().isChanged("KEY"));
    ASSERT_TRUE(browser().edit("KEY", "Tide").ok());
    EXPECT_TRUE(browser().isChanged("KEY"));
    EXPECT_TRUE(browser().row("KEY")->font(1).bold());
    EXPECT_FALSE(browser().isChanged("ProtectionType"));
    ASSERT_TRUE(browser().reset("KEY").ok());
    EXPECT_EQ(get(form(), name, "KEY"), original);
    EXPECT_FALSE(browser().isChanged("KEY"));
    form().undoStack()->undo();
    EXPECT_EQ(get(form(), name, "KEY"), R"(bstr:"Tide")");
}

// With several controls selected, an edit reaches every one that has the property, as one step.
TEST_F(Edits, EditReachesEverySelectedControl)
{
    const QString first = insertFromToolbox("Vellib.Velloc");
    const QString second = insertFromToolbox("Vellib.Velloc");
    const QString link = insertFromToolbox("Linkwell.LinkwellTxt");
    form().select({first, second, link});
    const int steps = form().undoStack()->count();
    ASSERT_TRUE(browser().edit("KEY", "Shared").ok());
    EXPECT_EQ(get(form(), first, "KEY"), R"(bstr:"Shared")");
    EXPECT_EQ(get(form(), second, "KEY"), R"(bstr:"Shared")");
    EXPECT_EQ(form().undoStack()->count(), steps + 1);
    form().undoStack()->undo();
    EXPECT_NE(get(form(), first, "KEY"), R"(bstr:"Shared")");
    EXPECT_NE(get(form(), second, "KEY"), R"(bstr:"Shared")");
}

// The place and size are rows of the browser; a value typed there moves every selected control.
TEST_F(Edits, GeometryRowsMoveAndSize)
{
    const QString first = insertFromToolbox("Vellib.Velloc");
    const QString second = insertFromToolbox("Vellib.Velloc");
    form().select({first, second});
    EXPECT_EQ(value(browser(), "Left"), QString::number(twips(first).x()));
    typeInto(browser().row("Left"), "600");
    EXPECT_EQ(twips(first).x(), 600);
    EXPECT_EQ(twips(second).x(), 600);
    typeInto(browser().row("Height"), "900");
    EXPECT_EQ(twips(first).height(), 900);
    EXPECT_EQ(value(browser(), "Height"), "900");
    EXPECT_FALSE(browser().edit("Width", "0").ok());
    EXPECT_FALSE(browser().edit("Top", "high").ok());
    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_NE(twips(second).x(), 600);
}

// The layout tools line up and size the selection like its first control, each as one step, and
// change which control lies in front.
TEST_F(Edits, LayoutToolsFollowTheFirstSelected)
{
    const QString a = insertFromToolbox("Vellib.Velloc");
    const QString b = insertFromToolbox("Linkwell.LinkwellTxt");
    const QString c = insertFromToolbox("Vellib.Velloc");
    form().select({b, a, c});
    const QRect first = twips(b);
    const int steps = form().undoStack()->count();
    action(window, "Format", "Align Lefts")->trigger();
    EXPECT_EQ(twips(a).x(), first.x());
    EXPECT_EQ(twips(c).x(), first.x());
    action(window, "Format", "Align Bottoms")->trigger();
    EXPECT_EQ(twips(a).bottom(), first.bottom());
    action(window, "Format", "Make Same Size")->trigger();
    EXPECT_EQ(twips(c).size(), first.size());
    EXPECT_EQ(form().undoStack()->count(), steps + 3);

    auto order = [this] {
        QStringList names;
        for (const DesignItem& item : form().items())
            names << item.name;
        return names;
    };
    form().select({a});
    EXPECT_FALSE(action(window, "Format", "Align Lefts")->isEnabled()) << "one control has nothing to line up with";
    action(window, "Format", "Bring to Front")->trigger();
    EXPECT_EQ(order(), (QStringList {b, c, a}));
    action(window, "Format", "Send to Back")->trigger();
    EXPECT_EQ(order(), (QStringList {a, b, c}));
    form().undoStack()->undo();
    EXPECT_EQ(order(), (QStringList {b, c, a}));
}

// With the grid on, a control dragged by the mouse lands on it.
TEST_F(Edits, DragSnapsToTheGrid)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    action(window, "Format", "Snap to Grid")->setChecked(true);
    const QPoint from = centreOf(name);
    QTest::mousePress(overlay(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(13, 7)), overlay()->mapToGlobal(QPointF(from + QPoint(13, 7))),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(overlay(), &move);
    QTest::mouseRelease(overlay(), Qt::LeftButton, {}, from + QPoint(13, 7));
    EXPECT_EQ(twips(name).x() % DesignForm::GridTwips, 0) << twips(name).x();
    EXPECT_EQ(twips(name).y() % DesignForm::GridTwips, 0) << twips(name).y();
}

// Run mode has nothing to undo, whatever the stack holds.
TEST_F(Edits, NoUndoInRunMode)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    ASSERT_TRUE(browser().edit("KEY", "Tide").ok());
    QAction* undo = action(window, "Edit", "Undo");
    ASSERT_TRUE(undo);
    EXPECT_TRUE(undo->isEnabled());
    window.setRunMode(true);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(action(window, "Edit", "Redo")->isEnabled());
    undo->trigger();
    EXPECT_EQ(get(form(), name, "KEY"), R"(bstr:"Tide")");
    window.setRunMode(false);
    EXPECT_TRUE(undo->isEnabled());
}

// Forty presses of an arrow key are one edit; a mouse move after them is another.
TEST_F(Edits, ArrowStepsMergeIntoOneUndo)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    const QRect start = twips(name);
    const int steps = form().undoStack()->count();
    for (int i = 0; i < 40; ++i)
        QTest::keyClick(overlay(), Qt::Key_Right);
    EXPECT_EQ(twips(name).x(), start.x() + 40 * units::toTwipsX(1));
    EXPECT_EQ(form().undoStack()->count(), steps + 1);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(overlay(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(form().undoStack()->count(), steps + 2);
    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_EQ(twips(name), start);
}

// Every event of a long operation is kept and found by a filter afterwards.
TEST_F(Edits, EventLogKeepsEveryRow)
{
    EventLog& log = *window.eventLog();
    log.clear();
    log.addEvent("Velloc1", "Statred", {"i4:20000"});
    for (int i = 1; i < 19999; ++i)
        log.addEvent("Velloc1", "Progress", {QStringLiteral("i4:%1").arg(i)});
    log.addEvent("Velloc1", "Finished", {});
    log.flush();
    EXPECT_EQ(log.rowCount(), 20000);
    EXPECT_EQ(log.dropped(), 0);
    log.setFilter("Statred");
    EXPECT_EQ(log.rowCount(), 1);
    log.setFilter("Velloc1.Finished");
    EXPECT_EQ(log.rowCount(), 1);
    log.setFilter("Progress");
    EXPECT_EQ(log.rowCount(), 19998);
    EXPECT_EQ(log.view()->model()->index(19997, 3).data().toString(), "i4:19998");
    // Rows added while filtered show when they pass.
    log.addEvent("Velloc1", "Progress", {"i4:0"});
    log.addEvent("Velloc1", "Finished", {});
    log.flush();
    EXPECT_EQ(log.rowCount(), 19999);
}

// The window fits the screen it opens on, and the View menu brings back a closed dock.
TEST_F(Edits, WindowFitsTheScreenAndDocksComeBack)
{
    ContainerWindow fresh;
    const QRect available = fresh.screen()->availableGeometry();
    EXPECT_LE(fresh.width(), available.width());
    EXPECT_LE(fresh.height(), available.height());
    auto* events = window.findChild<QDockWidget*>("eventsDock");
    ASSERT_TRUE(events);
    events->close();
    QAction* toggle = action(window, "View", "Events");
    ASSERT_TRUE(toggle);
    toggle->trigger();
    EXPECT_TRUE(events->isVisible());
    EXPECT_TRUE(action(window, "Help", "About"));
}

// A click on the grey around the form selects nothing.
TEST_F(Edits, ClickBesideTheFormDeselects)
{
    const QString name = insertFromToolbox("Vellib.Velloc");
    ASSERT_EQ(form().selection(), QStringList {name});
    auto* area = window.findChild<QScrollArea*>("formArea");
    const QPoint outside(area->viewport()->width() - 3, area->viewport()->height() - 3);
    ASSERT_FALSE(form().geometry().contains(outside)) << "the form fills the area";
    QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, outside);
    EXPECT_TRUE(form().selection().isEmpty());
}

// A form with a fault says where; a control off the form is named when the form opens.
TEST_F(Edits, FormFaultsArePlaced)
{
    const QString bad = dir.filePath("bad.json");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\n  \"name\": \"Form1\",\n  \"controls\": [\n    {\"name\": \"A\",, }\n  ]\n}\n");
    f.close();
    EXPECT_FALSE(window.openForm(bad).ok());
    ASSERT_EQ(messages(responder).size(), 1);
    EXPECT_TRUE(messages(responder).first().contains("line 4, column")) << messages(responder).first().toStdString();

    const QString far = dir.filePath("far.json");
    QFile g(far);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(R"({"name": "Form1", "clientWidth": 4800, "clientHeight": 3600, "controls": [
             {"name": "Lost", "kind": "component", "progId": "Vellib.Velloc", "left": -500, "top": 99999}]})");
    g.close();
    ASSERT_TRUE(window.openForm(far).ok());
    ASSERT_EQ(messages(responder).size(), 2);
    EXPECT_TRUE(messages(responder).last().contains("Lost: lies outside the form (left -500, top 99999")) << messages(responder).last().toStdString();
    EXPECT_TRUE(form().item("Lost"));
}

// "${DATADIR}" shows the form's folder while it is designed and is saved as written.
TEST_F(Edits, VariablesShowTheirValueAndSaveAsWritten)
{
    openForm1();
    auto* text1 = qobject_cast<QLineEdit*>(form().item("Text1")->face.data());
    ASSERT_TRUE(text1);
    EXPECT_EQ(text1->text(), QStringLiteral(VELLOC_SOURCE_DIR "/demo/LICENSE.rtf"));
    EXPECT_EQ(get(form(), "CommonDialog1", "InitDir"), QStringLiteral(R"(bstr:")" VELLOC_SOURCE_DIR R"(/demo")"));
    EXPECT_EQ(readAll(saved()), readAll(Form1Path));
}

} // namespace
