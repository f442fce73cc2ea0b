#pragma once

#include <QImage>

namespace velpack {

// The pictures the library carries, drawn when the library is built (pictures/drawpictures.cpp)
// and decoded here. All 24-bit.
QImage defaultProgressPicture(); // 514 x 266, the progress bar's picture until a host sets one
QImage faceLogo();               // 73 x 50, on the control's face
QImage toolboxBitmap();          // 16 x 15, bitmap resource 30000 for hosts' toolboxes

} // namespace velpack
