// Every control on a form designed through the same rows: the built-in ones through their member
// tables, Visible and TabIndex kept by the form, and a component inside a frame like any other.
#include "containerfixture.h"

#include "velloc/core/units.h"
#include "velloc/hosting/formloader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace containertest;

namespace {

QList<QByteArray> linesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>();
}

std::string textOf(const QString& path)
{
    return linesOf(path).join('\n').toStdString();
}

class Tables : public Container {
protected:
    void SetUp() override
    {
        Container::SetUp();
        ASSERT_TRUE(window.openForm(Form1Path).ok());
        ASSERT_TRUE(messages(responder).isEmpty()) << messages(responder).join('\n').toStdString();
    }
    QString save(const QString& name = QStringLiteral("Form1.json"))
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(window.saveForm(path).ok());
        return path;
    }
    // The lines of the saved form that differ from the demonstration form's, where no line was
    // added or removed.
    QList<QByteArray> changedLines()
    {
        const QList<QByteArray> before = linesOf(Form1Path), after = linesOf(save());
        EXPECT_EQ(before.size(), after.size());
        QList<QByteArray> changed;
        for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
            if (before[i] != after[i])
                changed << after[i];
        return changed;
    }
    Result<std::unique_ptr<Form>> load(const QString& path) { return FormLoader::load(path, form().document().variables()); }
    QTemporaryDir dir;
};

struct EditCase {
    const char* control;
    const char* property;
    const char* text;     // as typed into the row
    const char* line;     // the one line of the file that changes
};

class BuiltInEdits : public Tables, public ::testing::WithParamInterface<EditCase> {};

// An edit of a built-in control goes through its member, shows on its face, is undone like any
// other, and changes the file in that control's own key only.
TEST_P(BuiltInEdits, ChangeOnlyTheirLine)
{
    const EditCase& c = GetParam();
    form().select({c.control});
    ASSERT_EQ(browser().control(), c.control);
    ASSERT_NE(browser().row(c.property), nullptr) << "no row " << c.property;
    const QString before = value(browser(), c.property);
    typeInto(browser().row(c.property), c.text);
    EXPECT_EQ(message(browser(), c.property), "");
    EXPECT_NE(value(browser(), c.property), before);
    EXPECT_EQ(changedLines(), QList<QByteArray> {c.line});

    form().undoStack()->undo();
    EXPECT_EQ(value(browser(), c.property), before);
    EXPECT_TRUE(changedLines().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Form1, BuiltInEdits,
    ::testing::Values(EditCase {"Label1", "Caption", "Source file", R"(      "caption": "Source file",)"},
                      EditCase {"Text2", "Text", "Lanterns", R"(      "text": "Lanterns")"},
                      EditCase {"Label3", "ForeColor", "&H000000FF&", R"(          "foreColor": 255)"},
                      EditCase {"Command5", "Enabled", "True", R"(          "enabled": true)"},
                      EditCase {"Option1", "Value", "False", R"(          "value": false)"},
                      EditCase {"Frame1", "ToolTipText", "Pick one", R"(      "toolTip": "Pick one",)"},
                      EditCase {"Command1", "Font", R"(font:"Arial" 12 700 -)", R"(      "font": "font:\"Arial\" 12 700 -")"}),
    [](const auto& info) { return std::string(info.param.control) + info.param.property; });

// A value the entry did not have goes in as its key, after the others; the face shows it.
TEST_F(Tables, AButtonsColourIsAddedAsItsKey)
{
    form().select({"Command1"});
    auto* button = qobject_cast<QPushButton*>(form().item("Command1")->face.data());
    ASSERT_TRUE(button);
    ASSERT_TRUE(browser().edit("BackColor", "&H0000FF00&").ok());
    EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::Button), QColor(0, 255, 0));
    EXPECT_TRUE(browser().isChanged("BackColor")) << "a colour not the style's own is shown bold";

    const QList<QByteArray> before = linesOf(Form1Path), after = linesOf(save());
    ASSERT_EQ(after.size(), before.size() + 1);
    qsizetype head = 0, tail = 0;
    while (before[head] == after[head])
        ++head;
    while (before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    EXPECT_EQ(before.mid(head, before.size() - head - tail), QList<QByteArray> {R"(      "font": "font:\"Arial\" 14.25 700 -")"});
    EXPECT_EQ(after.mid(head, after.size() - head - tail),
              (QList<QByteArray> {R"(      "font": "font:\"Arial\" 14.25 700 -",)", R"(      "backColor": 65280)"}));

    // The loader builds the button in that colour from the same key.
    Result<std::unique_ptr<Form>> loaded = load(dir.filePath("Form1.json"));
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ((*loaded)->control("Command1")->palette().color(QPalette::Active, QPalette::Button), QColor(0, 255, 0));
}

// TabIndex numbers the tab order from 0, each control once: one moved, the others take the
// numbers around it, each entry keeps its number and the form's focus order follows. The loader
// takes the order the file then gives.
TEST_F(Tables, TabIndexRenumbersTheOthersAndTheLoaderFollowsIt)
{
    auto tabIndex = [this](const char* name) {
        form().select({name});
        return value(browser(), "TabIndex");
    };
    EXPECT_EQ(tabIndex("Text1"), "4");
    EXPECT_EQ(tabIndex("Option1"), "7") << "a control inside a frame has its place too";
    form().select({"CommonDialog1"});
    EXPECT_EQ(browser().row("Visible"), nullptr) << "a control never shown while the form runs";

    form().select({"Text1"});
    typeInto(browser().row("TabIndex"), "0");
    EXPECT_EQ(value(browser(), "TabIndex"), "0");
    EXPECT_EQ(tabIndex("Command1"), "1");
    EXPECT_EQ(tabIndex("Label2"), "4");
    EXPECT_EQ(tabIndex("Text2"), "5") << "after the moved one, the numbers are as they were";
    const QStringList order = form().tabOrderMode().order();
    EXPECT_EQ(QSet<QString>(order.cbegin(), order.cend()).size(), order.size());

    QStringList focus = order;
    focus.removeAll("Velloc1"); // the focus order names those with a face while the form runs
    focus.removeAll("CommonDialog1");
    const QString saved = save();
    Result<std::unique_ptr<Form>> loaded = load(saved);
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ((*loaded)->tabOrder(), focus);
    EXPECT_EQ((*loaded)->control("Text1")->nextInFocusChain(), (*loaded)->control("Command1"));
    // Without the form's list the numbers alone give the same order.
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    root.remove("tabOrder");
    loaded = FormLoader::fromJson(QJsonDocument(root).toJson(), form().document().variables());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ((*loaded)->tabOrder(), focus);

    form().select({"Text6"});
    EXPECT_FALSE(browser().edit("TabIndex", "26").ok());
    EXPECT_TRUE(message(browser(), "TabIndex").startsWith("error 380: TabIndex takes a number from 0 to 25"))
        << message(browser(), "TabIndex").toStdString();
    form().undoStack()->undo();
    EXPECT_EQ(tabIndex("Text1"), "4");
    EXPECT_TRUE(changedLines().isEmpty());
}

// Visible is the control's own member where it has one, else kept in its entry; either way a
// designed form shows the control and a running one does not.
TEST_F(Tables, VisibleHidesAControlOnlyWhileTheFormRuns)
{
    for (const char* name : {"LinkwellTxt1", "Label2"}) {
        form().select({name});
        ASSERT_NE(browser().row("Visible"), nullptr) << name;
        typeInto(browser().row("Visible"), "False");
        EXPECT_EQ(value(browser(), "Visible"), "False") << name;
        QWidget* face = form().item(name)->face;
        EXPECT_TRUE(face->isVisible()) << name << ": designed, every control shows";
        form().setRunMode(true);
        EXPECT_FALSE(face->isVisible()) << name;
        form().setRunMode(false);
        EXPECT_TRUE(face->isVisible()) << name;
    }
    Result<std::unique_ptr<Form>> loaded = load(save());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    for (const char* name : {"LinkwellTxt1", "Label2"})
        EXPECT_FALSE((*loaded)->control(name)->isVisibleTo(loaded->get())) << name;

    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_TRUE(changedLines().isEmpty());
}

// A component inside a frame: selected by a click, moved with the arrow keys, its properties
// edited, and saved back inside the frame, where the loader places it again.
TEST_F(Tables, AComponentInsideAFrameIsDesignedLikeAnyOther)
{
    const QString path = dir.filePath("framed.json");
    testsupport::writeAll(path, R"({
  "name": "Form1",
  "clientWidth": 6000,
  "clientHeight": 4000,
  "controls": [
    {
      "name": "Frame1",
      "kind": "frame",
      "left": 600,
      "top": 600,
      "width": 4500,
      "height": 2400,
      "caption": "Links",
      "controls": [
        {
          "name": "Link1",
          "kind": "component",
          "progId": "Linkwell.LinkwellTxt",
          "left": 300,
          "top": 450,
          "width": 3000,
          "height": 330,
          "bag": [
            "font = font:\"Tahoma\" 9.75 400 u"
          ]
        },
        {
          "name": "Note1",
          "kind": "label",
          "left": 300,
          "top": 1200,
          "width": 2000,
          "height": 255,
          "caption": "Below the link"
        }
      ]
    }
  ]
}
)");
    ASSERT_TRUE(window.openForm(path).ok());
    ASSERT_TRUE(messages(responder).isEmpty()) << messages(responder).join('\n').toStdString();
    ASSERT_NE(form().item("Link1"), nullptr);
    EXPECT_EQ(form().item("Link1")->parent, "Frame1");
    EXPECT_EQ(form().item("Link1")->face->parentWidget(), form().item("Frame1")->face.data());

    QTest::mouseClick(overlay(), Qt::LeftButton, {}, centreOf("Link1"));
    ASSERT_EQ(form().selection(), QStringList {"Link1"});
    ASSERT_EQ(browser().control(), "Link1");
    const int step = units::toTwipsX(1);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(overlay(), Qt::Key_Right);
    EXPECT_EQ(twips("Link1").topLeft(), QPoint(300 + 4 * step, 450));
    ASSERT_TRUE(browser().edit("Hyperlink", "https://harbour.example").ok());
    ASSERT_TRUE(browser().edit("Top", "600").ok());

    const QString saved = save(QStringLiteral("framed-saved.json"));
    QFile s(saved);
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    const QJsonObject frame = QJsonDocument::fromJson(s.readAll()).object().value("controls").toArray().at(0).toObject();
    const QJsonArray inside = frame.value("controls").toArray();
    ASSERT_EQ(inside.size(), 2);
    const QJsonObject link = inside.at(0).toObject();
    EXPECT_EQ(link.value("name").toString(), "Link1");
    EXPECT_EQ(link.value("left").toInt(), 300 + 4 * step);
    EXPECT_EQ(link.value("top").toInt(), 600);
    EXPECT_EQ(link.value("bag").toArray(), (QJsonArray {R"(font = font:"Tahoma" 9.75 400 u)", R"(hyperlink = bstr:"https://harbour.example")"}));
    EXPECT_EQ(inside.at(1).toObject().value("caption").toString(), "Below the link");

    Result<std::unique_ptr<Form>> loaded = load(saved);
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ((*loaded)->control("Link1")->parentWidget(), (*loaded)->control("Frame1"));
    EXPECT_EQ((*loaded)->control("Link1")->pos(), QPoint(units::toPixelsX(300 + 4 * step), units::toPixelsY(600)));

    // Undone step by step, the moves as one: the file is as it was written.
    form().undoStack()->undo();
    form().undoStack()->undo();
    form().undoStack()->undo();
    EXPECT_EQ(twips("Link1").topLeft(), QPoint(300, 450));
    EXPECT_EQ(textOf(save(QStringLiteral("framed-undone.json"))), textOf(path));

    // A frame moves and goes with what it holds; what it holds does not move again.
    form().select({"Frame1", "Note1"});
    QTest::keyClick(overlay(), Qt::Key_Down);
    EXPECT_EQ(twips("Frame1").topLeft(), QPoint(600, 600 + units::toTwipsY(1)));
    EXPECT_EQ(twips("Note1").topLeft(), QPoint(300, 1200));
    form().undoStack()->undo();
    form().editor().deleteSelection();
    EXPECT_EQ(form().items().size(), 0);
    form().undoStack()->undo();
    EXPECT_EQ(form().items().size(), 3);
    EXPECT_EQ(form().item("Note1")->parent, "Frame1");
    EXPECT_EQ(textOf(save(QStringLiteral("framed-restored.json"))), textOf(path));
}

} // namespace

namespace {

// A control inside a frame that cannot be made is reported by name and kept as written, inside
// the frame; the frame and the rest of what it holds are designed as usual.
TEST_F(Tables, AControlInAFrameThatCannotBeMadeIsKeptAsWritten)
{
    const QString path = dir.filePath("broken.json");
    testsupport::writeAll(path, R"({
  "name": "Form1",
  "clientWidth": 6000,
  "clientHeight": 4000,
  "controls": [
    {
      "name": "Frame1",
      "kind": "frame",
      "left": 600,
      "top": 600,
      "width": 4500,
      "height": 2400,
      "controls": [
        {
          "name": "Gauge1",
          "kind": "component",
          "progId": "No.Such",
          "left": 300,
          "top": 450,
          "bag": [
            "needle = i4:3"
          ]
        },
        {
          "name": "Note1",
          "kind": "label",
          "caption": "Beside it"
        }
      ]
    }
  ]
}
)");
    responder.log.clear();
    ASSERT_TRUE(window.openForm(path).ok());
    ASSERT_EQ(messages(responder).size(), 1);
    EXPECT_TRUE(messages(responder)[0].contains(R"(Gauge1: cannot create \"No.Such\")")) << messages(responder)[0].toStdString();
    ASSERT_NE(form().item("Gauge1"), nullptr);
    EXPECT_EQ(form().item("Gauge1")->parent, "Frame1");
    EXPECT_FALSE(form().item("Gauge1")->problem.isEmpty());
    form().select({"Note1"});
    ASSERT_TRUE(browser().edit("Caption", "Still designed").ok());
    form().undoStack()->undo();
    EXPECT_EQ(textOf(save(QStringLiteral("broken-saved.json"))), textOf(path));
}

} // namespace
