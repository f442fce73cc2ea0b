#pragma once

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

// One control of the form being designed: a component the container hosts itself, or a
// built-in control (label, button, frame...) drawn by the form loader. Its description entry
// is kept, so keys the container does not edit are written back as they were read.
struct DesignItem {
    QString name;
    QJsonObject entry;     // the description entry as read (geometry and bag refreshed on save)
    QRect twips;           // left, top, width, height
    QRect entryTwips;      // as the entry placed it: while unchanged, the entry's own keys are kept
    std::shared_ptr<velloc::Object> object;
    velloc::Control* control = nullptr;
    QPointer<QWidget> face;
    QString problem;       // why a component could not be created; it is kept as written
    int cookie = 0;
};

// The form being designed: the window a form description builds, the controls on it, the
// selection, and design or run mode. It is the site of every control it hosts and receives
// their events. Every edit of the form goes through the undo stack.
class DesignForm final : public QWidget, public velloc::ControlSite, public velloc::EventSink {
    Q_OBJECT
public:
    explicit DesignForm(QWidget* parent = nullptr);
    ~DesignForm() override;

    // An empty form.
    void clear();
    // Replaces the form with a description. A control that cannot be created is kept as
    // written and reported in `problems`; a description that does not read leaves the form as
    // it was and returns the error.
    velloc::Result<void> open(const QByteArray& json, QStringList* problems = nullptr);
    // The description: the root's keys as read, the controls as they are now.
    velloc::Result<QByteArray> toJson() const;

    QUndoStack* undoStack() const { return m_undo; }

    const QList<DesignItem>& items() const { return m_items; }
    const DesignItem* item(const QString& name) const;
    int indexOf(const QString& name) const;
    QString nameOf(const velloc::Object* object) const;
    // The next free name for a class: Velloc1, Velloc2, ...
    QString nextName(const QString& className) const;

    // Edits, each one undoable.
    velloc::Result<QString> insertControl(const QString& progId, QPoint twipsPos = QPoint(-1, -1));
    void deleteSelection();
    void moveSelection(QPoint twipsDelta, QSize twipsResize = QSize(0, 0));
    velloc::Result<void> rename(const QString& oldName, const QString& newName);
    // The form's own keys: "name", "caption", "clientWidth", "clientHeight".
    static const QStringList& formKeys();
    QJsonValue formValue(const QString& key) const { return m_root.value(key); }
    velloc::Result<void> setFormValue(const QString& key, const QString& text);
    // A property put (by reference when `byRef`), recorded with the control's state before and after.
    velloc::Result<void> putProperty(const QString& name, velloc::DispId id, const velloc::Variant& value, bool byRef);
    // Records a change made outside the container's own edits (a property sheet, a bag loaded)
    // given the control's bag from before it.
    void recordStateChange(const QString& name, const velloc::PropertyBag& before, const QString& text);
    velloc::Result<void> loadBag(const QString& name, const velloc::PropertyBag& bag);
    velloc::Result<velloc::PropertyBag> bagOf(const QString& name) const;

    // The description entries of the selected controls, and inserting such entries (paste).
    velloc::Result<QJsonArray> copySelection() const;
    velloc::Result<QStringList> paste(const QJsonArray& entries);

    // The primitive operations the undo commands replay.
    // A control that cannot be made is kept as written when `keepBroken`, else refused.
    velloc::Result<void> insertEntry(const QJsonObject& entry, int index, bool keepBroken = true);
    // The entry as it would be saved; fails when the control does not write its properties.
    velloc::Result<QJsonObject> entryOf(const QString& name) const;
    void removeItem(const QString& name);
    void setGeometryTwips(const QString& name, QRect twips);
    void renameItem(const QString& oldName, const QString& newName);
    velloc::Result<void> readState(const QString& name, const velloc::PropertyBag& bag);
    // Rebuilds the window itself from the root's keys; the controls move onto it.
    velloc::Result<void> setRoot(const QJsonObject& root);

    // Selection.
    QStringList selection() const { return m_selection; }
    void select(const QStringList& names);
    QRect pixelRect(const DesignItem& item) const;
    QString itemAt(QPoint pixel) const;

    // Tells the window of a failure no caller is waiting for (an undo that could not be replayed).
    void report(const velloc::Error& error) { emit problem(error.message()); }

    // Gives the keyboard to the form, for the arrow keys and Delete.
    void focusDesign();

    bool runMode() const { return m_runMode; }
    void setRunMode(bool run);

    // ControlSite
    velloc::Result<void> propertyChanged(velloc::Control& control, const QString& name) override;
    std::shared_ptr<velloc::Font> ambientFont() override;
    bool userMode() const override { return m_runMode; }
    // EventSink
    void onEvent(velloc::Object& source, const velloc::MemberInfo& event, std::span<velloc::Variant> args) override;

signals:
    void selectionChanged();
    void controlPropertyChanged(const QString& control, const QString& property);
    void eventRaised(const QString& control, const QString& event, const QStringList& args);
    void itemsChanged();
    void runModeChanged(bool run);
    void problem(const QString& message);

private:
    velloc::Result<std::unique_ptr<velloc::Form>> buildCanvas(const QJsonObject& root);
    void adopt(velloc::Form& canvas);
    void setCanvas(std::unique_ptr<velloc::Form> canvas, QJsonObject root);
    void releaseAll();
    void release(DesignItem& item);
    velloc::Result<DesignItem> createComponent(const QJsonObject& entry);
    velloc::Result<DesignItem> createBuiltIn(const QJsonObject& entry);
    QWidget* brokenFace(const QString& name, const QString& problem);
    void place(DesignItem& item);
    QStringList allNames() const;
    void refreshOverlay();

    std::unique_ptr<velloc::Form> m_canvas;
    QJsonObject m_root;
    QList<DesignItem> m_items;
    QStringList m_selection;
    SelectionOverlay* m_overlay = nullptr;
    QUndoStack* m_undo = nullptr;
    bool m_runMode = false;
    bool m_opening = false; // open() inserts the controls of a form already checked
};

// Names that name nothing else: letters, digits and underscores, a letter first.
bool isValidControlName(const QString& name);

} // namespace container
