#include "tabordermode.h"

#include "designcommands.h"
#include "designform.h"

#include <QUndoStack>

namespace container {

void TabOrderMode::setActive(bool active)
{
    active = active && !m_form.runMode();
    if (active == m_active)
        return;
    m_active = active;
    m_placed = 0;
    ++m_round;
    emit activeChanged(active);
}

QList<QJsonObject> TabOrderMode::entries() const
{
    QList<QJsonObject> out;
    for (const DesignItem& item : m_form.items())
        out << item.entry;
    return out;
}

QStringList TabOrderMode::order() const
{
    return taborder::orderOf(entries(), m_form.formValue(QStringLiteral("tabOrder")).toArray());
}

void TabOrderMode::click(const QString& name)
{
    if (!m_active || !m_form.item(name))
        return;
    const taborder::TabState before = taborder::stateOf(entries(), m_form.document().root());
    QStringList order;
    std::tie(order, m_placed) = taborder::clicked(this->order(), m_placed, name);
    const taborder::TabState after = taborder::withOrder(before, order);
    if (after != before)
        m_form.undoStack()->push(new TabOrderCommand(&m_form, before, after, m_round));
}

} // namespace container
