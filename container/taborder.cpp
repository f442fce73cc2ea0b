#include "taborder.h"

#include <QSet>

namespace container::taborder {

QStringList effective(const QStringList& written, const QStringList& stops)
{
    const QSet<QString> present(stops.cbegin(), stops.cend());
    QStringList out;
    QSet<QString> listed;
    for (const QString& name : written)
        if (present.contains(name) && !listed.contains(name)) {
            out << name;
            listed.insert(name);
        }
    for (const QString& name : stops)
        if (!listed.contains(name))
            out << name;
    return out;
}

QStringList moved(QStringList order, const QString& name, int index)
{
    if (!order.removeOne(name))
        return order;
    order.insert(std::clamp<qsizetype>(index, 0, order.size()), name);
    return order;
}

} // namespace container::taborder
