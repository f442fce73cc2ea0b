#include "designcommands.h"

#include "designform.h"

namespace container {

EntriesCommand::EntriesCommand(DesignForm* form, const QString& text, bool insert, QList<PlacedEntry> entries, bool alreadyDone)
    : FormCommand(form, text), m_insert(insert), m_skip(alreadyDone), m_entries(std::move(entries))
{
}

void EntriesCommand::insertAll()
{
    m_lastError.clear();
    QStringList names;
    for (const auto& [index, entry, parent] : std::as_const(m_entries)) {
        velloc::Result<void> r = m_form->insertEntry(entry, index, true, parent);
        if (!r)
            m_lastError += (m_lastError.isEmpty() ? QString() : QStringLiteral("\n")) + r.error().message();
        names << entry.value(QStringLiteral("name")).toString();
    }
    m_form->select(names);
    if (!m_lastError.isEmpty())
        m_form->report(velloc::Error(velloc::errc::InvalidArgument, m_lastError));
}

void EntriesCommand::removeAll()
{
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it)
        m_form->removeItem(it->entry.value(QStringLiteral("name")).toString());
}

void EntriesCommand::redo()
{
    if (std::exchange(m_skip, false))
        return;
    m_insert ? insertAll() : removeAll();
}

void EntriesCommand::undo()
{
    m_insert ? removeAll() : insertAll();
}

GeometryCommand::GeometryCommand(DesignForm* form, const QString& text, QHash<QString, QRect> before, QHash<QString, QRect> after,
                                 bool step)
    : FormCommand(form, text), m_before(std::move(before)), m_after(std::move(after)), m_step(step)
{
}

bool GeometryCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const GeometryCommand*>(other);
    if (next->text() != text() || QSet<QString>(m_after.keyBegin(), m_after.keyEnd()) != QSet<QString>(next->m_after.keyBegin(), next->m_after.keyEnd()))
        return false;
    m_after = next->m_after;
    return true;
}

void GeometryCommand::redo()
{
    if (!m_form)
        return;
    for (auto it = m_after.cbegin(); it != m_after.cend(); ++it)
        m_form->setGeometryTwips(it.key(), it.value());
}

void GeometryCommand::undo()
{
    if (!m_form)
        return;
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it)
        m_form->setGeometryTwips(it.key(), it.value());
}

OrderCommand::OrderCommand(DesignForm* form, const QString& text, QStringList before, QStringList after)
    : FormCommand(form, text), m_before(std::move(before)), m_after(std::move(after))
{
}

void OrderCommand::redo()
{
    if (m_form)
        m_form->reorder(m_after);
}

void OrderCommand::undo()
{
    if (m_form)
        m_form->reorder(m_before);
}

RenameCommand::RenameCommand(DesignForm* form, QString oldName, QString newName)
    : FormCommand(form, QStringLiteral("Rename %1 to %2").arg(oldName, newName)), m_old(std::move(oldName)),
      m_new(std::move(newName))
{
}

void RenameCommand::redo()
{
    m_form->renameItem(m_old, m_new);
}

void RenameCommand::undo()
{
    m_form->renameItem(m_new, m_old);
}

RootCommand::RootCommand(DesignForm* form, const QString& text, QJsonObject before, QJsonObject after)
    : FormCommand(form, text), m_before(std::move(before)), m_after(std::move(after))
{
}

void RootCommand::redo()
{
    if (velloc::Result<void> r = m_form->setRoot(m_after); !r)
        m_form->report(r.error());
}

void RootCommand::undo()
{
    if (velloc::Result<void> r = m_form->setRoot(m_before); !r)
        m_form->report(r.error());
}

StateCommand::StateCommand(DesignForm* form, const QString& text, QString name, velloc::PropertyBag before,
                           velloc::PropertyBag after)
    : FormCommand(form, text), m_name(std::move(name)), m_before(std::move(before)), m_after(std::move(after))
{
}

void StateCommand::redo()
{
    if (std::exchange(m_skip, false))
        return;
    if (velloc::Result<void> r = m_form->readState(m_name, m_after); !r)
        m_form->report(r.error());
}

void StateCommand::undo()
{
    if (velloc::Result<void> r = m_form->readState(m_name, m_before); !r)
        m_form->report(r.error());
}

TabOrderCommand::TabOrderCommand(DesignForm* form, taborder::TabState before, taborder::TabState after, int round)
    : FormCommand(form, QStringLiteral("Tab Order")), m_before(std::move(before)), m_after(std::move(after)), m_round(round)
{
}

bool TabOrderCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const TabOrderCommand*>(other);
    if (next->m_round != m_round)
        return false;
    m_after = next->m_after;
    return true;
}

void TabOrderCommand::apply(const taborder::TabState& state)
{
    if (!m_form)
        return;
    for (auto it = state.indexes.cbegin(); it != state.indexes.cend(); ++it)
        m_form->setEntryValue(it.key(), taborder::IndexKey, it.value());
    m_form->setFocusOrder(state.focusOrder);
}

void TabOrderCommand::redo()
{
    apply(m_after);
}

void TabOrderCommand::undo()
{
    apply(m_before);
}

} // namespace container
