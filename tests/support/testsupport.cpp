#include "testsupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

using namespace velloc;

namespace testsupport {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

void mouseClick(QWidget* widget, QPoint at, Qt::MouseButton button)
{
    const QPointer<QWidget> guard(widget);
    sendMouse(widget, QEvent::MouseButtonPress, at, button, button);
    if (guard)
        sendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

} // namespace testsupport
