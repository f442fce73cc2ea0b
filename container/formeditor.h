#pragma once

#include "velloc/core/typeinfo.h"
#include "velloc/store/propertybag.h"

#include <QJsonArray>
#include <QPoint>
#include <QSize>

#include <optional>

namespace container {

class DesignForm;

// The edits a person makes to a form, each one undoable: every one is a command on the form's
// undo stack, doing its work through the form's primitive operations.
class FormEditor {
public:
    explicit FormEditor(DesignForm& form);

    // A new control of the class, or of a kind the form builds itself ("label", "textbox", ...),
    // where it is dropped (into the frame there, if any) or where it covers nothing on the form.
    velloc::Result<QString> insertControl(const QString& progId, std::optional<QPoint> dropTwips = std::nullopt);
    velloc::Result<QString> insertFormControl(const QString& kind, std::optional<QPoint> dropTwips = std::nullopt);
    void deleteSelection();
    // `step`: one press of an arrow key, merged with the presses before it into one edit.
    void moveSelection(QPoint twipsDelta, QSize twipsResize = QSize(0, 0), bool step = false);
    // One of "left", "top", "width", "height" for every selected control.
    void setGeometry(const QString& which, int twips);
    // The layout tools: the selected controls lined up or sized like the first one selected,
    // and moved in front of or behind the others.
    enum class Align { Lefts, Rights, Tops, Bottoms, Centres, Middles };
    void align(Align edge);
    void makeSameSize(bool width, bool height);
    void bringToFront(bool front);
    velloc::Result<void> rename(const QString& oldName, const QString& newName);
    // Visible for every selected control: through its own member where it has one, else as its
    // entry's "visible"; one edit.
    velloc::Result<void> setVisible(bool visible);
    // A control's place in the focus order; the others keep their order around it.
    velloc::Result<void> setTabIndex(const QString& name, int index);
    velloc::Result<void> setFormValue(const QString& key, const QString& text);
    // A property put (by reference when `byRef`), recorded with the control's state before and after.
    velloc::Result<void> putProperty(const QString& name, velloc::DispId id, const velloc::Variant& value, bool byRef);
    // Records a change made outside the container's own edits (a property sheet, a bag loaded)
    // given the control's bag from before it.
    void recordStateChange(const QString& name, const velloc::PropertyBag& before, const QString& text);
    velloc::Result<void> loadBag(const QString& name, const velloc::PropertyBag& bag);

    // The description entries of the selected controls, at the size they have, and a paste of
    // such entries at `at` (twips) when given, else beside the originals; whole on the form.
    velloc::Result<QJsonArray> copySelection() const;
    velloc::Result<QStringList> paste(const QJsonArray& entries, std::optional<QPoint> at = std::nullopt);

private:
    // Puts a new entry on the form as one edit, selected.
    velloc::Result<QString> place(const QJsonObject& entry, std::optional<QPoint> dropTwips);

    DesignForm& m_form;
    int m_tabIndexEdits = 0; // rounds of their own, apart from the tab-order mode's, never merged
};

} // namespace container
