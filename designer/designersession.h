#pragma once

#include "velloc/core/error.h"

#include <QDesignerFormEditorInterface>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>

class QDesignerFormWindowInterface;
class QWidget;

namespace velloc {
class ControlHost;
}

namespace velloc::designer {

// The plugin's side of one running Designer: it adds the controls' task menu, groups their
// properties by the type library's categories, and turns what the controls' own dialogs change
// into Designer commands, so the property editor, the undo stack and the saved form see it.
class DesignerSession final : public QObject {
    Q_OBJECT
public:
    explicit DesignerSession(QObject* parent = nullptr);

    // Idempotent: every widget-box entry calls it when Designer initializes the entry.
    void attach(QDesignerFormEditorInterface* core);
    QDesignerFormEditorInterface* core() const { return m_core; }

    // The control's own properties as its proxy declares them, by the type library's names.
    struct PropertyValue {
        QByteArray name;
        QVariant value;
    };
    static QList<PropertyValue> snapshot(const ControlHost& host);

    // Makes the change from `before` to the control's present values one undoable command of
    // `form` (nothing when nothing changed). Returns the names of the properties recorded.
    static QStringList recordChanges(QDesignerFormWindowInterface* form, ControlHost& host,
                                     const QList<PropertyValue>& before, const QString& description);

    // The control's property sheet, modal; what its pages apply is recorded in the form.
    static Result<void> showProperties(ControlHost& host);
    static Result<void> showAbout(ControlHost& host);

    // Puts each type-library property with a category in a property-editor group of that name.
    void groupProperties(QWidget* widget) const;

private:
    void watchForm(QDesignerFormWindowInterface* form);

    QPointer<QDesignerFormEditorInterface> m_core;
};

} // namespace velloc::designer
