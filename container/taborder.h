#pragma once

#include <QStringList>

namespace container::taborder {

// The focus order of a form, as TabIndex numbers it: the tab stops (the controls shown while the
// form runs) in the order the description lists them, then those it does not list, in the
// order of the form.
QStringList effective(const QStringList& written, const QStringList& stops);
// `order` with `name` at `index`, held within 0..n-1: the others keep their order and take the
// numbers around it, so the numbers stay 0..n-1, each once.
QStringList moved(QStringList order, const QString& name, int index);

} // namespace container::taborder
