#include "entrykeycommand.h"

#include "designform.h"

namespace container {

EntryKeyCommand::EntryKeyCommand(DesignForm* form, const QString& text, QString control, QString key, QJsonValue before,
                                 QJsonValue after)
    : FormCommand(form, text), m_control(std::move(control)), m_key(std::move(key)), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void EntryKeyCommand::apply(const QJsonValue& value)
{
    if (m_form)
        m_form->setEntryValue(m_control, m_key, value);
}

void EntryKeyCommand::redo()
{
    apply(m_after);
}

void EntryKeyCommand::undo()
{
    apply(m_before);
}

} // namespace container
