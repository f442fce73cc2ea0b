// The tab order: the rules without a window, then the mode on the design surface.
#include "containerfixture.h"

#include "taborder.h"

#include "velloc/hosting/formloader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QUndoStack>

#include <functional>

using namespace containertest;
using namespace container::taborder;

namespace {

QList<QJsonObject> entries(const char* json)
{
    QList<QJsonObject> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(json).array())
        out << v.toObject();
    return out;
}

QJsonArray names(std::initializer_list<const char*> list)
{
    QJsonArray out;
    for (const char* n : list)
        out.append(QString::fromUtf8(n));
    return out;
}

TEST(TabOrder, IndexThenFocusOrderThenPlaceInTheDescription)
{
    const QList<QJsonObject> none = entries(R"([{"name": "A"}, {"name": "B"}, {"name": "C"}])");
    EXPECT_EQ(orderOf(none, {}), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(orderOf(none, names({"C", "Inner", "A"})), (QStringList {"C", "A", "B"}));
    const QList<QJsonObject> some = entries(R"([{"name": "A"}, {"name": "B", "tabIndex": 1}, {"name": "C", "tabIndex": 0}])");
    EXPECT_EQ(orderOf(some, names({"A", "B", "C"})), (QStringList {"C", "B", "A"}));
}

// Clicks place controls one after another; a control clicked again in the same round moves to
// the end of those placed; a name not on the form changes nothing.
TEST(TabOrder, ClicksPlaceOneAfterAnother)
{
    struct Row {
        QStringList order;
        qsizetype placed;
        const char* click;
        QStringList after;
        qsizetype placedAfter;
    };
    const QStringList abcd {"A", "B", "C", "D"};
    const Row rows[] = {
        {abcd, 0, "C", {"C", "A", "B", "D"}, 1},
        {{"C", "A", "B", "D"}, 1, "D", {"C", "D", "A", "B"}, 2},
        {{"C", "D", "A", "B"}, 2, "C", {"D", "C", "A", "B"}, 2},
        {abcd, 4, "B", {"A", "C", "D", "B"}, 4},
        {abcd, 1, "Z", abcd, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.click);
        const auto [after, placed] = clicked(r.order, r.placed, QString::fromUtf8(r.click));
        EXPECT_EQ(after, r.after);
        EXPECT_EQ(placed, r.placedAfter);
    }
}

// The indexes run 0..n-1; a form's focus order keeps its other names where they are and gains none.
TEST(TabOrder, StateWithAnOrder)
{
    QJsonObject root;
    root.insert("tabOrder", names({"B", "Inner", "A", "Outer"}));
    const TabState before = stateOf(entries(R"([{"name": "A"}, {"name": "B"}, {"name": "C", "tabIndex": 7}])"), root);
    EXPECT_TRUE(before.indexes.value("A").isUndefined());
    EXPECT_EQ(before.indexes.value("C"), 7);
    const TabState after = withOrder(before, {"C", "A", "B"});
    EXPECT_EQ(after.indexes.value("C"), 0);
    EXPECT_EQ(after.indexes.value("A"), 1);
    EXPECT_EQ(after.indexes.value("B"), 2);
    EXPECT_EQ(after.focusOrder, QJsonValue(names({"A", "Inner", "B", "Outer"})));
    EXPECT_TRUE(withOrder(stateOf({}, {}), {}).focusOrder.isUndefined()) << "a form without a focus order gets none";
}

class TabOrderMode : public Container {
protected:
    void SetUp() override
    {
        Container::SetUp();
        ASSERT_TRUE(window.openForm(Form1Path).ok());
        action = window.findChild<QAction*>("tabOrderMode");
        ASSERT_TRUE(action);
    }
    QStringList order() { return form().tabOrderMode().order(); }
    void click(const QString& name) { QTest::mouseClick(overlay(), Qt::LeftButton, {}, centreOf(name)); }
    QAction* action = nullptr;
};

// Clicks set the order, one round is one undo step, Esc leaves; saved, each control of the form
// has its tabIndex and the loader's focus order follows.
TEST_F(TabOrderMode, ClicksSetTheOrderAsOneStep)
{
    const QStringList start = order();
    EXPECT_EQ(start.mid(0, 3), (QStringList {"Command1", "Command2", "Label1"})) << "from the form's focus order";
    action->trigger();
    ASSERT_TRUE(form().tabOrderMode().isActive());
    click("Text2");
    click("Command3");
    click("Text1");
    EXPECT_EQ(order().mid(0, 4), (QStringList {"Text2", "Command3", "Text1", "Command1"}));
    EXPECT_TRUE(form().selection().isEmpty()) << "clicks in the mode select nothing";
    EXPECT_EQ(form().undoStack()->count(), 1);

    QTest::keyClick(overlay(), Qt::Key_Escape);
    EXPECT_FALSE(form().tabOrderMode().isActive());
    EXPECT_FALSE(action->isChecked());
    form().undoStack()->undo();
    EXPECT_EQ(order(), start);
    form().undoStack()->redo();

    QTemporaryDir dir;
    const QString path = dir.filePath("f.json");
    ASSERT_TRUE(window.saveForm(path).ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(f.readAll()).object();
    // Every control the form designs has its place once, those within frames included.
    QStringList indexed(form().items().size());
    std::function<void(const QJsonArray&)> collect = [&](const QJsonArray& controls) {
        for (const QJsonValue& v : controls) {
            const int index = v.toObject().value(IndexKey).toInt(-1);
            const QString name = v.toObject().value("name").toString();
            if (form().item(name)) {
                ASSERT_TRUE(index >= 0 && index < indexed.size() && indexed[index].isEmpty()) << name.toStdString();
                indexed[index] = name;
            }
            collect(v.toObject().value("controls").toArray());
        }
    };
    collect(saved.value("controls").toArray());
    EXPECT_EQ(indexed, order());
    Result<std::unique_ptr<Form>> loaded = FormLoader::load(path);
    ASSERT_TRUE(loaded.ok());
    const QStringList focus = (*loaded)->tabOrder();
    EXPECT_LT(focus.indexOf("Text2"), focus.indexOf("Command3"));
    EXPECT_LT(focus.indexOf("Command3"), focus.indexOf("Text1"));
    EXPECT_LT(focus.indexOf("Text1"), focus.indexOf("Command1"));
    EXPECT_EQ(focus.size(), 24) << "the names within the frame keep their places";
}

// A new round is a new undo step; run mode, or another form, ends the mode.
TEST_F(TabOrderMode, RoundsAreStepsAndRunModeEndsTheMode)
{
    const QStringList start = order();
    action->trigger();
    click("Command2");
    action->trigger();
    action->trigger();
    click("Command3");
    EXPECT_EQ(order().mid(0, 2), (QStringList {"Command3", "Command2"}));
    EXPECT_EQ(form().undoStack()->count(), 2);
    form().undoStack()->undo();
    EXPECT_EQ(order().value(0), "Command2");
    form().undoStack()->undo();
    EXPECT_EQ(order(), start);

    window.setRunMode(true);
    EXPECT_FALSE(form().tabOrderMode().isActive());
    EXPECT_FALSE(action->isEnabled());
    window.setRunMode(false);
    action->trigger();
    window.newForm();
    EXPECT_FALSE(form().tabOrderMode().isActive());
}

} // namespace
