#pragma once

// What the test binaries that host controls add: the recording host and input events.

#include "coresupport.h"
#include "recordinghost.h"

#include <QEvent>

namespace testsupport {

// One mouse event as the window system delivers it to a widget, and a press-and-release.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void mouseClick(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);

} // namespace testsupport
