#pragma once

#include "taborder.h"

#include <QObject>

namespace container {

class DesignForm;

// The tab-order mode of the design surface: every control shows its place in the tab order, a
// click makes a control the next after those clicked before it, Esc leaves. The clicks of one
// round are one undo step, and what they set is in the entries at once.
class TabOrderMode final : public QObject {
    Q_OBJECT
public:
    explicit TabOrderMode(DesignForm& form) : m_form(form) {}

    bool isActive() const { return m_active; }
    // Entering starts a new round; run mode has no tab-order mode.
    void setActive(bool active);
    // The form's controls in tab order, as their entries say now.
    QStringList order() const;
    void click(const QString& name);

signals:
    void activeChanged(bool active);

private:
    QList<QJsonObject> entries() const;

    DesignForm& m_form;
    bool m_active = false;
    qsizetype m_placed = 0;
    int m_round = 0;
};

} // namespace container
