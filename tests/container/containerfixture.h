#pragma once

// What the container's tests share: the window, shown offscreen with the recording host
// answering for the person, and reading values back as a person sees them.
#include "containerwindow.h"
#include "designform.h"
#include "propertybrowser.h"
#include "selectionoverlay.h"
#include "toolbox.h"

#include "velloc/store/varianttext.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "testsupport.h"

namespace containertest {

using namespace container;
using namespace velloc;

inline const QString Form1Path = QStringLiteral(VELLOC_SOURCE_DIR "/demo/Form1.json");

// The texts of the message boxes the host showed, in order.
inline QStringList messages(const testsupport::RecordingHost& host)
{
    QStringList out;
    for (const QString& line : host.log.filter(QStringLiteral("msgbox ")))
        out << line.mid(line.indexOf(u'"') + 1).chopped(1);
    return out;
}

inline QString get(const DesignForm& form, const QString& control, const QString& property)
{
    const DesignItem* item = form.item(control);
    if (!item || !item->object)
        return QStringLiteral("(no control %1)").arg(control);
    std::optional<DispId> id = item->object->idOfName(property);
    if (!id)
        return QStringLiteral("(no property %1)").arg(property);
    Result<Variant> v = item->object->invoke(*id, InvokeKind::PropertyGet, {});
    return v ? varianttext::format(*v) : QStringLiteral("error %1").arg(v.error().number());
}

inline QString value(const PropertyBrowser& browser, const QString& property)
{
    QTreeWidgetItem* row = browser.row(property);
    return row ? row->text(1) : QStringLiteral("(no row)");
}

inline QString message(const PropertyBrowser& browser, const QString& property)
{
    QTreeWidgetItem* row = browser.row(property);
    return row ? row->text(2) : QStringLiteral("(no row)");
}

class Container : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    DesignForm& form() { return *window.form(); }
    PropertyBrowser& browser() { return *window.browser(); }
    SelectionOverlay* overlay() { return form().findChild<SelectionOverlay*>(); }
    QPoint centreOf(const QString& name) { return form().pixelRect(*form().item(name)).center(); }
    QRect twips(const QString& name) { return form().item(name)->twips; }
    // Inserts through the toolbox: the row (by its programmatic identifier, or its name in
    // column 0) is activated as a double click or Enter would.
    QString insertFromToolbox(const QString& progId, int column = 1)
    {
        QTreeWidget* tree = window.toolbox()->tree();
        const QList<QTreeWidgetItem*> rows = tree->findItems(progId, Qt::MatchFixedString | Qt::MatchRecursive, column);
        if (rows.isEmpty())
            return QStringLiteral("(not in the toolbox)");
        tree->setCurrentItem(rows.first());
        emit tree->itemActivated(rows.first(), 0);
        return form().selection().value(0);
    }

    // Types into a row of the browser as a person would: the editor opens on the value, the
    // text goes in (or the choice is made), Enter commits.
    void typeInto(QTreeWidgetItem* row, const QString& text)
    {
        QTreeWidget* tree = browser().tree();
        tree->setCurrentItem(row, 1);
        tree->editItem(row, 1);
        QWidget* editor = nullptr;
        for (QWidget* w : tree->viewport()->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)))
                editor = w;
        ASSERT_TRUE(editor) << "no editor opened";
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            const int index = box->findText(text);
            if (index < 0) {
                // Not among the choices: closed, and the text given as the browser takes it.
                QTest::keyClick(box, Qt::Key_Escape);
                (void)browser().edit(row->text(0), text);
                return;
            }
            box->setCurrentIndex(index);
            QTest::keyClick(box, Qt::Key_Return);
        } else {
            auto* line = qobject_cast<QLineEdit*>(editor);
            line->setText(text);
            QTest::keyClick(line, Qt::Key_Return);
        }
        QApplication::processEvents(); // the view commits the editor's data once Enter is handled
    }

    testsupport::RecordingHost responder;
    ContainerWindow window;
};

} // namespace containertest
