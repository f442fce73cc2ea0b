#include "entrykeycommand.h"

#include "designform.h"

namespace container {

EntryKeyCommand::EntryKeyCommand(DesignForm* form, const QString& text, QString control, QString key, QJsonValue before,
                                 QJsonValue after)
    : FormCommand(form, text), m_control(std::move(control)), m_key(std::move(key)), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void EntryKeyCommand::redo()
{
    if (m_form)
        m_form->setEntryKey(m_control, m_key, m_after);
}

void EntryKeyCommand::undo()
{
    if (m_form)
        m_form->setEntryKey(m_control, m_key, m_before);
}

} // namespace container
