#pragma once

#include "designitem.h"
#include "formdocument.h"
#include "formeditor.h"
#include "formitems.h"
#include "formselection.h"
#include "formsite.h"
#include "tabordermode.h"

#include "velloc/hosting/formloader.h"
#include "velloc/store/registry.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QUndoStack;

namespace container {

// The registry's first entry for a programmatic identifier or {CLSID}: what the toolbox and the
// browser show for a class (creating it still tries every entry).
inline velloc::Result<velloc::Registry::ClassEntry> firstClass(const QString& progIdOrClsid)
{
    QList<velloc::Registry::ClassEntry> classes = VELLOC_TRY(velloc::Registry::findClasses(progIdOrClsid));
    return classes.first();
}

class SelectionOverlay;

// The form being designed: the window a form description builds, the controls on it, the
// selection, and design or run mode. It is the site of every control it hosts and receives
// their events. Every edit of the form goes through the undo stack.
class DesignForm final : public QWidget {
    Q_OBJECT
public:
    explicit DesignForm(QWidget* parent = nullptr);
    ~DesignForm() override;

    // An empty form.
    void clear();
    // What "${NAME}" in the description stands for while the form is designed (the saved
    // description keeps the variable).
    void setVariables(const velloc::FormLoader::Variables& variables) { m_doc.setVariables(variables); }
    // Replaces the form with a description. A control that cannot be created is kept as
    // written and reported in `problems`; a description that does not read leaves the form as
    // it was and returns the error.
    velloc::Result<void> open(const QByteArray& json, QStringList* problems = nullptr);
    // The description: the root's keys as read, the controls as they are now.
    velloc::Result<QByteArray> toJson() const;

    QUndoStack* undoStack() const { return m_undo; }

    const QList<DesignItem>& items() const { return m_items.list(); }
    const DesignItem* item(const QString& name) const { return m_items.find(name); }
    int indexOf(const QString& name) const { return m_items.indexOf(name); }
    QString nameOf(const velloc::Object* object) const { return m_items.nameOf(object); }

    // The undoable edits.
    FormEditor& editor() { return m_editor; }
    QStringList allNames() const { return m_items.allNames(); }
    // Moves a control just made to where it is to stay, as if its entry had placed it there.
    void settle(const QString& name, QPoint twips);
    // Whether the window can be built from these keys of the form.
    velloc::Result<void> checkRoot(const QJsonObject& root) const;

    // The form's own keys: "name", "caption", "clientWidth", "clientHeight".
    static const QStringList& formKeys() { return FormDocument::formKeys(); }
    QJsonValue formValue(const QString& key) const { return m_doc.root().value(key); }
    velloc::Result<velloc::PropertyBag> bagOf(const QString& name) const;

    const FormDocument& document() const { return m_doc; }
    QRect clientTwips() const { return m_doc.client(); }
    // The last point clicked on the form's empty area, where a paste goes.
    std::optional<QPoint> pastePoint() const { return m_selection.pastePoint(); }
    void setPastePoint(std::optional<QPoint> twips) { m_selection.setPastePoint(twips); }

    // The primitive operations the undo commands replay.
    // A control that cannot be made is kept as written when `keepBroken`, else refused.
    // It goes into the frame `parent` names, or onto the form; a frame's controls follow it.
    velloc::Result<void> insertEntry(const QJsonObject& entry, int index, bool keepBroken = true, const QString& parent = {});
    // The entry as it would be saved; fails when the control does not write its properties.
    velloc::Result<QJsonObject> entryOf(const QString& name) const;
    void removeItem(const QString& name);
    // Puts the controls in this order, back to front.
    void reorder(const QStringList& names);
    void setGeometryTwips(const QString& name, QRect twips);
    void renameItem(const QString& oldName, const QString& newName);
    velloc::Result<void> readState(const QString& name, const velloc::PropertyBag& bag);
    // A key of a control's entry that the control itself does not keep (undefined: removed).
    void setEntryValue(const QString& name, const QString& key, const QJsonValue& value);
    // The form's focus order, "tabOrder" (undefined: none).
    void setFocusOrder(const QJsonValue& order) { m_doc.setFocusOrder(order); }
    // Rebuilds the window itself from the root's keys; the controls move onto it.
    velloc::Result<void> setRoot(const QJsonObject& root);

    // Selection.
    QStringList selection() const { return m_selection.names(); }
    const FormSelection& cursor() const { return m_selection; }
    void select(const QStringList& names);
    QRect pixelRect(const DesignItem& item) const { return item.pixelRect(); }
    // Whether `name` lies inside `ancestor` (a frame, or a frame in it).
    bool within(const QString& name, const QString& ancestor) const { return m_items.within(name, ancestor); }
    // The selected controls not inside another selected one (a frame takes its controls along).
    QStringList outerSelection() const { return m_items.outermost(selection()); }
    QString itemAt(QPoint pixel) const { return m_items.at(pixel); }
    // The frame a control put down at `pixel` goes into (empty: the form), where its controls'
    // places count from, and the index on the form after its last control.
    QString holderAt(QPoint pixel) const { return m_items.holderAt(pixel); }
    QPoint originOf(const QString& holder) const { return m_items.originOf(holder); }
    int subtreeEnd(const QString& holder) const { return m_items.subtreeEnd(m_items.indexOf(holder)); }

    // Tells the window of a failure no caller is waiting for (an undo that could not be replayed).
    void report(const velloc::Error& error) { emit problem(error.message()); }

    // Gives the keyboard to the form, for the arrow keys and Delete.
    void focusDesign();

    bool runMode() const { return m_runMode; }
    TabOrderMode& tabOrderMode() { return m_tabOrder; }
    const TabOrderMode& tabOrderMode() const { return m_tabOrder; }
    // The grid a control dragged with the mouse snaps to (0: none).
    static constexpr int GridTwips = 120;
    int grid() const { return m_grid; }
    void setGrid(int twips) { m_grid = twips; }
    void setRunMode(bool run);

    // The font the form gives its controls.
    std::shared_ptr<velloc::Font> ambientFont() const;

signals:
    void selectionChanged();
    void controlPropertyChanged(const QString& control, const QString& property);
    void eventRaised(const QString& control, const QString& event, const QStringList& args);
    void itemsChanged();
    void runModeChanged(bool run);
    void problem(const QString& message);

private:
    // The form becomes `doc` on `canvas`, with no controls yet.
    void replace(FormDocument doc, std::unique_ptr<velloc::Form> canvas);
    void releaseAll();
    void placeOverlay(QWidget* canvas);
    void refreshOverlay();

    std::unique_ptr<velloc::Form> m_canvas;
    FormDocument m_doc;
    FormItems m_items;
    FormSelection m_selection;
    TabOrderMode m_tabOrder {*this};
    SelectionOverlay* m_overlay = nullptr;
    QUndoStack* m_undo = nullptr;
    FormEditor m_editor {*this};
    FormSite m_site {*this};
    bool m_runMode = false;
    int m_grid = 0;
    bool m_opening = false; // open() inserts the controls of a form already checked
};

} // namespace container
