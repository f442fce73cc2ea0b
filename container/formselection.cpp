#include "formselection.h"

namespace container {

void FormSelection::set(const QStringList& names, const Exists& exists)
{
    QStringList valid;
    for (const QString& n : names)
        if (exists(n) && !valid.contains(n))
            valid << n;
    replace(std::move(valid));
}

void FormSelection::clear()
{
    replace({});
}

void FormSelection::removed(const QString& name)
{
    QStringList left = m_names;
    left.removeAll(name);
    replace(std::move(left));
}

void FormSelection::renamed(const QString& oldName, const QString& newName)
{
    QStringList names = m_names;
    std::replace(names.begin(), names.end(), oldName, newName);
    replace(std::move(names));
}

void FormSelection::replace(QStringList names)
{
    if (names == m_names)
        return;
    m_names = std::move(names);
    emit changed();
}

} // namespace container
