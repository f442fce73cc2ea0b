#include "formitems.h"

#include "formentry.h"

namespace container {

const DesignItem* FormItems::find(const QString& name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_items[i];
}

DesignItem* FormItems::find(const QString& name)
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_items[i];
}

int FormItems::indexOf(const QString& name) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].name == name)
            return i;
    return -1;
}

QString FormItems::nameOf(const velloc::Object* object) const
{
    for (const DesignItem& item : m_items)
        if (item.object.get() == object)
            return item.name;
    return {};
}

QStringList FormItems::allNames() const
{
    QStringList names;
    for (const DesignItem& item : m_items) {
        QJsonObject entry = item.entry;
        entry.insert(QStringLiteral("name"), item.name);
        formentry::collectNames(entry, names);
    }
    return names;
}

QString FormItems::at(QPoint pixel) const
{
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        if (m_items[i].pixelRect().contains(pixel))
            return m_items[i].name;
    return {};
}

void FormItems::insert(qsizetype index, DesignItem item)
{
    m_items.insert(std::clamp<qsizetype>(index, 0, m_items.size()), std::move(item));
}

bool FormItems::remove(const QString& name)
{
    const int i = indexOf(name);
    if (i < 0)
        return false;
    m_items[i].release();
    m_items.removeAt(i);
    return true;
}

void FormItems::releaseAll()
{
    for (DesignItem& item : m_items)
        item.release();
    m_items.clear();
}

bool FormItems::reorder(const QStringList& names)
{
    if (names.size() != m_items.size() || std::any_of(names.cbegin(), names.cend(), [this](const QString& n) { return indexOf(n) < 0; }))
        return false;
    QList<DesignItem> ordered;
    for (const QString& name : names)
        ordered << m_items[indexOf(name)];
    m_items = std::move(ordered);
    return true;
}

} // namespace container
