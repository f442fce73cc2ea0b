#pragma once

#include "designcommands.h"

#include <QJsonValue>

namespace container {

// A key of a control's entry that neither the window nor the control's members hold, such as
// the "visible" of a control without a Visible of its own. An undefined value is a key the
// entry does not have.
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
