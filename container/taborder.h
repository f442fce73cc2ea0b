#pragma once

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

// The order Tab moves the focus in among the form's own controls. Each entry keeps its place as
// "tabIndex" (0 to n-1, unique among the form's controls); a form that also lists a focus order
// ("tabOrder", controls within frames included) has that list follow. No widgets here.
namespace container::taborder {

inline const QString IndexKey = QStringLiteral("tabIndex");

struct TabState {
    QHash<QString, QJsonValue> indexes; // each control's tabIndex; undefined where it has none
    QJsonValue focusOrder;              // the form's "tabOrder"; undefined where it has none
    bool operator==(const TabState&) const = default;
};

// The controls of `entries` in tab order: by their tabIndex, those without one after, in the
// order the form's focus order names them, then as the description lists them.
QStringList orderOf(const QList<QJsonObject>& entries, const QJsonArray& focusOrder);
TabState stateOf(const QList<QJsonObject>& entries, const QJsonObject& root);
// `state` with the controls in `order`: tabIndex 0 to n-1, and the focus order (where the form
// has one) with the form's controls it names reordered among the places they hold.
TabState withOrder(const TabState& state, const QStringList& order);

// A click on `name` after `placed` controls were clicked in this round: it comes next after
// them, the others keeping their order. The new order and how many are placed.
std::pair<QStringList, qsizetype> clicked(QStringList order, qsizetype placed, const QString& name);

} // namespace container::taborder
