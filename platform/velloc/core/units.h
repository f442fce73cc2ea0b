#pragma once

#include "velloc/core/export.h"

#include <QColor>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace velloc::units {

// Twips (1/1440 inch) to pixels with the screen's logical DPI: 15 twips a pixel at 96 DPI.
VELLOC_EXPORT double twipsPerPixelX();
VELLOC_EXPORT double twipsPerPixelY();
VELLOC_EXPORT int toPixelsX(int twips);
VELLOC_EXPORT int toPixelsY(int twips);
VELLOC_EXPORT int toTwipsX(int pixels);
VELLOC_EXPORT int toTwipsY(int pixels);
VELLOC_EXPORT QRect toPixels(int left, int top, int width, int height);
VELLOC_EXPORT QSize toPixels(QSize twips);

// 0x00BBGGRR, or 0x800000nn for system colour nn mapped onto the application palette.
VELLOC_EXPORT QColor toQColor(std::uint32_t oleColor);
VELLOC_EXPORT bool isValidOleColor(std::uint32_t oleColor);

} // namespace velloc::units
