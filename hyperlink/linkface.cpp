#include "linkface.h"

#include "linkaccessible.h"

#include "urllabel.h"

#include <QKeyEvent>
#include <QPainter>

namespace linkwell {

LinkFace::LinkFace(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    installLinkAccessibility();
}

QString LinkFace::caption() const
{
    return m_label ? m_label->caption() : QString();
}

void LinkFace::activate()
{
    if (m_label && m_label->isEnabled() && m_onActivate)
        m_onActivate();
}

void LinkFace::setLabel(UrlLabel* label)
{
    if (m_label)
        m_label->removeEventFilter(this);
    m_label = label;
    if (m_label)
        m_label->installEventFilter(this);
    followLabel();
}

QRect LinkFace::focusFrame() const
{
    return m_label ? m_label->geometry().adjusted(-2, -1, 2, 1) : rect();
}

void LinkFace::followLabel()
{
    const bool enabled = m_label && m_label->isEnabled();
    setFocusPolicy(enabled ? Qt::TabFocus : Qt::NoFocus);
    if (!enabled && hasFocus())
        focusNextChild();
    update();
}

bool LinkFace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_label) {
        if (event->type() == QEvent::EnabledChange)
            followLabel();
        else if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            update(); // the frame follows the caption as it grows or shrinks
    }
    return QWidget::eventFilter(watched, event);
}

void LinkFace::paintEvent(QPaintEvent*)
{
    if (!hasFocus() || !m_label)
        return;
    // A dotted frame in the text colour, whatever the style draws for focus (some styles show
    // it only after a key has moved the focus).
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    p.drawRect(focusFrame().adjusted(0, 0, -1, -1));
}

void LinkFace::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
        && m_label && m_label->isEnabled()) {
        event->accept();
        if (!event->isAutoRepeat() && m_onActivate)
            m_onActivate();
        return;
    }
    QWidget::keyPressEvent(event);
}

void LinkFace::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void LinkFace::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace linkwell
