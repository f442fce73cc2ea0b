#pragma once

#include "platform/platform_export.h"

#include <QColor>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace platform::units {

// Twips (1/1440 inch) to pixels with the screen's logical DPI: 15 twips a pixel at 96 DPI.
PLATFORM_EXPORT double twipsPerPixelX();
PLATFORM_EXPORT double twipsPerPixelY();
PLATFORM_EXPORT int toPixelsX(int twips);
PLATFORM_EXPORT int toPixelsY(int twips);
PLATFORM_EXPORT int toTwipsX(int pixels);
PLATFORM_EXPORT int toTwipsY(int pixels);
PLATFORM_EXPORT QRect toPixels(int left, int top, int width, int height);
PLATFORM_EXPORT QSize toPixels(QSize twips);

// 0x00BBGGRR, or 0x800000nn for system colour nn mapped onto the application palette.
PLATFORM_EXPORT QColor toQColor(std::uint32_t oleColor);
PLATFORM_EXPORT bool isValidOleColor(std::uint32_t oleColor);

} // namespace platform::units
