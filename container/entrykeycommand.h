#pragma once

#include "designcommands.h"

#include <QJsonValue>

namespace container {

// A key of the description that neither the window nor a control's members hold: a control's
// "visible" (where it has no Visible of its own) or "tabIndex", or the form's focus order (no
// control named). An undefined value is a key the description does not have.
class EntryKeyCommand final : public FormCommand {
public:
    EntryKeyCommand(DesignForm* form, const QString& text, QString control, QString key, QJsonValue before, QJsonValue after);
    void redo() override;
    void undo() override;

private:
    void apply(const QJsonValue& value);
    QString m_control, m_key;
    QJsonValue m_before, m_after;
};

} // namespace container
