#include "taborder.h"

#include "formentry.h"

#include <algorithm>
#include <limits>

namespace container::taborder {

QStringList orderOf(const QList<QJsonObject>& entries, const QJsonArray& focusOrder)
{
    struct Place {
        QString name;
        qint64 index;   // tabIndex, or past every one
        qint64 focus;   // place in the focus order, or past it
        qsizetype written;
    };
    QStringList focus;
    for (const QJsonValue& v : focusOrder)
        focus << v.toString();
    QList<Place> places;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonValue index = entries[i].value(IndexKey);
        const qsizetype f = focus.indexOf(formentry::nameOf(entries[i]));
        places.append({formentry::nameOf(entries[i]), index.isDouble() ? qint64(index.toDouble()) : std::numeric_limits<qint64>::max(),
                       f < 0 ? std::numeric_limits<qint64>::max() : qint64(f), i});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return std::tie(a.index, a.focus, a.written) < std::tie(b.index, b.focus, b.written);
    });
    QStringList out;
    for (const Place& p : places)
        out << p.name;
    return out;
}

TabState stateOf(const QList<QJsonObject>& entries, const QJsonObject& root)
{
    TabState state;
    for (const QJsonObject& e : entries)
        state.indexes.insert(formentry::nameOf(e), e.value(IndexKey));
    state.focusOrder = root.value(QStringLiteral("tabOrder"));
    return state;
}

TabState withOrder(const TabState& state, const QStringList& order)
{
    TabState out = state;
    for (qsizetype i = 0; i < order.size(); ++i)
        out.indexes.insert(order[i], int(i));
    if (!state.focusOrder.isArray())
        return out;
    // The form's controls the list names trade places among the places they hold; the list
    // gains no name (what it lacked takes no focus by it, as before).
    QJsonArray focus = state.focusOrder.toArray();
    QList<qsizetype> places;
    QStringList listed;
    for (qsizetype i = 0; i < focus.size(); ++i)
        if (order.contains(focus[i].toString())) {
            places << i;
            listed << focus[i].toString();
        }
    qsizetype next = 0;
    for (const QString& name : order)
        if (listed.contains(name))
            focus[places[next++]] = name;
    out.focusOrder = focus;
    return out;
}

std::pair<QStringList, qsizetype> clicked(QStringList order, qsizetype placed, const QString& name)
{
    const qsizetype at = order.indexOf(name);
    if (at < 0)
        return {order, placed};
    placed = std::min(placed, order.size());
    if (at < placed)
        --placed;
    order.removeAt(at);
    order.insert(placed, name);
    return {order, placed + 1};
}

} // namespace container::taborder
