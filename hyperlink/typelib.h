#pragma once

#include "velloc/core/typeinfo.h"

#include <QImage>

namespace linkwell {

// What the library publishes: the type library with its classes and interfaces, and the
// version record.
const velloc::TypeLibInfo& linkwellTypeLib();

// The control's toolbox image, the library's bitmap resource 30000: 16 x 15 pixels, 24-bit colour.
inline constexpr int ToolboxBitmapId = 30000;
QImage toolboxBitmap();

} // namespace linkwell
