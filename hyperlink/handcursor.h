#pragma once

#include <QBitmap>
#include <QCursor>

namespace linkwell {

// The pointer shown over the caption: a 32 x 32 monochrome hand with the index finger up,
// its hot spot on the fingertip.
inline constexpr QPoint HandHotSpot {6, 0};

QBitmap handCursorBitmap(); // 1 = black
QBitmap handCursorMask();   // 1 = drawn, 0 = transparent
QCursor handCursor();

} // namespace linkwell
