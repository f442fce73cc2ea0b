// The controls the form builds itself, put on the form from the toolbox like any component:
// named and placed as a form designer does, saved with the keys the loader reads, into frames.
#include "containerfixture.h"

#include "velloc/core/units.h"
#include "velloc/hosting/formloader.h"

#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace containertest;

namespace {

struct KindCase {
    const char* row;      // as the toolbox lists it
    const char* textKey;  // the key the name goes in as its caption or text
    const char* first;    // the first one on an empty form
    const char* onForm1;  // the next free name on the demonstration form
};

void PrintTo(const KindCase& c, std::ostream* os)
{
    *os << c.row;
}

class FormControls : public Container, public ::testing::WithParamInterface<KindCase> {
protected:
    QString insert() { return insertFromToolbox(GetParam().row, 0); }
    // Dragged from the toolbox and dropped at `pixel` on the form.
    QString drop(QPoint pixel)
    {
        QTreeWidget* tree = window.toolbox()->tree();
        QTreeWidgetItem* row = tree->findItems(GetParam().row, Qt::MatchFixedString | Qt::MatchRecursive).value(0);
        std::unique_ptr<QMimeData> data(tree->model()->mimeData({tree->indexFromItem(row)}));
        QDragEnterEvent enter(pixel, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(overlay(), &enter);
        QDropEvent event(pixel, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(overlay(), &event);
        return form().selection().value(0);
    }
    QString save()
    {
        const QString path = dir.filePath(QStringLiteral("form.json"));
        EXPECT_TRUE(window.saveForm(path).ok());
        QFile f(path);
        text = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        return path;
    }
    QString property() const { return QLatin1String(GetParam().textKey) == u"text" ? QStringLiteral("Text") : QStringLiteral("Caption"); }
    QTemporaryDir dir;
    QString text;
};

// Inserted twice by activation, each at a free place, editable at once; saved as an entry of
// only the keys the loader needs, in the usual order; reopened as it was; the insert undone.
TEST_P(FormControls, InsertSaveReopenUndo)
{
    const QString first = insert(), second = insert();
    ASSERT_EQ(first, GetParam().first);
    ASSERT_EQ(second, QString(GetParam().first).replace(u'1', u'2'));
    EXPECT_TRUE(form().clientTwips().contains(twips(second)));
    EXPECT_FALSE(twips(first).intersects(twips(second)));
    EXPECT_EQ(value(browser(), property()), second);
    ASSERT_TRUE(browser().edit(property(), "Edited").ok());

    const QString path = save();
    const QRect r = twips(first);
    const QRegularExpression shape(QStringLiteral(R"(\{\s*"name": "%1",\s*"kind": "%2",\s*"left": %3,\s*"top": %4,\s*)"
                                                  R"("width": %5,\s*"height": %6,\s*"%7": "%1"\s*\})")
                                       .arg(first, form().item(first)->kindOf()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                                       .arg(GetParam().textKey));
    EXPECT_TRUE(shape.match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(R"("%1": "Edited")").arg(GetParam().textKey)));

    Result<std::unique_ptr<Form>> loaded = FormLoader::load(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    ASSERT_TRUE((*loaded)->control(first));
    EXPECT_EQ((*loaded)->control(first)->pos(), units::toPixels(r.x(), r.y(), 1, 1).topLeft());
    ASSERT_TRUE(window.openForm(path).ok());
    EXPECT_EQ(twips(first), r);

    (void)insert();
    const qsizetype count = form().items().size();
    form().undoStack()->undo();
    EXPECT_EQ(form().items().size(), count - 1);
    form().undoStack()->redo();
    EXPECT_EQ(form().items().size(), count);
}

// Dropped on a control inside a frame, it goes into the frame, at the drop point counted from the
// frame's corner, numbered after the demonstration form's own; a frame takes a control in turn.
TEST_P(FormControls, DropIntoAFrame)
{
    ASSERT_TRUE(window.openForm(Form1Path).ok());
    const qsizetype count = form().items().size();
    const QPoint at = centreOf("Option1");
    const QString name = drop(at);
    ASSERT_EQ(name, QString(GetParam().onForm1));
    EXPECT_EQ(form().item(name)->parent, "Frame1");
    EXPECT_EQ(twips(name).topLeft(), QPoint(units::toTwipsX(at.x()), units::toTwipsY(at.y())) - twips("Frame1").topLeft());
    QString inner;
    if (form().item(name)->isFrame()) {
        const QPoint centre = centreOf(name);
        Result<QString> label = form().editor().insertFormControl("label", QPoint(units::toTwipsX(centre.x()), units::toTwipsY(centre.y())));
        ASSERT_TRUE(label.ok()) << label.error().message().toStdString();
        inner = *label;
        EXPECT_EQ(form().item(inner)->parent, name);
    }

    Result<std::unique_ptr<Form>> loaded = FormLoader::load(save(), form().document().variables());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ((*loaded)->control(name)->parentWidget(), (*loaded)->control("Frame1"));
    if (!inner.isEmpty()) {
        EXPECT_EQ((*loaded)->control(inner)->parentWidget(), (*loaded)->control(name));
    }

    while (form().undoStack()->canUndo())
        form().undoStack()->undo();
    EXPECT_EQ(form().items().size(), count);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FormControls,
                         ::testing::Values(KindCase {"Label", "caption", "Label1", "Label4"},
                                           KindCase {"TextBox", "text", "Text1", "Text5"},
                                           KindCase {"CommandButton", "caption", "Command1", "Command6"},
                                           KindCase {"OptionButton", "caption", "Option1", "Option9"},
                                           KindCase {"Frame", "caption", "Frame1", "Frame2"}),
                         [](const auto& info) { return std::string(info.param.row); });

TEST_F(Container, UnknownFormControlIsRefused)
{
    Result<QString> inserted = form().editor().insertFormControl("listbox");
    ASSERT_FALSE(inserted.ok());
    EXPECT_EQ(inserted.error().message(), "listbox: the form builds no such control");
}

} // namespace
