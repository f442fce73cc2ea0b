#include "formitems.h"

#include "formentry.h"

#include <QJsonArray>

using namespace velloc;

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

QString FormItems::holderAt(QPoint pixel) const
{
    const DesignItem* hit = find(at(pixel));
    if (!hit)
        return {};
    // Only a frame that was made holds controls; one kept as written has nowhere to put them.
    return hit->isFrame() && hit->object ? hit->name : hit->parent;
}

QPoint FormItems::originOf(const QString& holder) const
{
    QPoint origin;
    for (const DesignItem* it = find(holder); it; it = it->parent.isEmpty() ? nullptr : find(it->parent))
        origin += it->twips.topLeft();
    return origin;
}

void FormItems::insert(qsizetype index, DesignItem item)
{
    m_items.insert(std::clamp<qsizetype>(index, 0, m_items.size()), std::move(item));
}

QStringList FormItems::remove(const QString& name)
{
    const int i = indexOf(name);
    if (i < 0)
        return {};
    const int end = subtreeEnd(i);
    QStringList gone;
    for (int j = end - 1; j >= i; --j) {
        gone << m_items[j].name;
        m_items[j].release();
    }
    m_items.erase(m_items.begin() + i, m_items.begin() + end);
    return gone;
}

Result<QJsonObject> FormItems::entryOf(const QString& name, const FormLoader::Variables& variables) const
{
    const DesignItem* it = find(name);
    if (!it)
        return DesignItem::notOnForm(name);
    QJsonObject entry = VELLOC_TRY(it->toEntry(variables));
    if (!it->object || !it->isFrame())
        return entry;
    QJsonArray controls;
    for (const DesignItem& child : m_items)
        if (child.parent == name)
            controls.append(VELLOC_TRY(entryOf(child.name, variables)));
    if (!controls.isEmpty() || entry.contains(QStringLiteral("controls")))
        entry.insert(QStringLiteral("controls"), controls);
    return entry;
}

void FormItems::holderRenamed(const QString& oldName, const QString& newName)
{
    for (DesignItem& item : m_items)
        if (item.parent == oldName)
            item.parent = newName;
}

bool FormItems::within(const QString& name, const QString& ancestor) const
{
    // Frames nest as deep as a description does; each step goes one holder out.
    for (const DesignItem* it = find(name); it && !it->parent.isEmpty(); it = find(it->parent))
        if (it->parent == ancestor)
            return true;
    return false;
}

int FormItems::subtreeEnd(int index) const
{
    int end = index + 1;
    while (end < m_items.size() && within(m_items[end].name, m_items[index].name))
        ++end;
    return end;
}

QStringList FormItems::outermost(const QStringList& names) const
{
    QStringList out;
    for (const DesignItem& it : m_items)
        if (names.contains(it.name)
            && std::none_of(names.cbegin(), names.cend(), [&](const QString& other) { return within(it.name, other); }))
            out << it.name;
    return out;
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
