#include "velloc/core/units.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <cmath>

namespace velloc::units {

static double logicalDpi(bool horizontal)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
            if (dpi > 0)
                return dpi;
        }
    return 96.0;
}

double twipsPerPixelX() { return 1440.0 / logicalDpi(true); }
double twipsPerPixelY() { return 1440.0 / logicalDpi(false); }
int toPixelsX(int twips) { return int(std::lround(twips / twipsPerPixelX())); }
int toPixelsY(int twips) { return int(std::lround(twips / twipsPerPixelY())); }
int toTwipsX(int pixels) { return int(std::lround(pixels * twipsPerPixelX())); }
int toTwipsY(int pixels) { return int(std::lround(pixels * twipsPerPixelY())); }

QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

QSize toPixels(QSize twips)
{
    return QSize(toPixelsX(twips.width()), toPixelsY(twips.height()));
}

bool isValidOleColor(std::uint32_t c)
{
    const std::uint32_t high = c & 0xFF000000u;
    return high == 0 || (high == 0x80000000u && (c & 0x00FFFF00u) == 0 && (c & 0xFF) <= 30);
}

QColor toQColor(std::uint32_t c)
{
    if ((c & 0xFF000000u) == 0x80000000u) {
        const QPalette palette = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                     ? QGuiApplication::palette()
                                     : QPalette();
        switch (c & 0xFF) {
        case 0: return palette.color(QPalette::Window);              // scroll bars
        case 1: return palette.color(QPalette::Window);              // desktop
        case 2: return palette.color(QPalette::Highlight);           // active caption
        case 4: return palette.color(QPalette::Button);              // menu
        case 5: return palette.color(QPalette::Base);                // window background
        case 6: return palette.color(QPalette::Shadow);              // window frame
        case 7: return palette.color(QPalette::ButtonText);          // menu text
        case 8: return palette.color(QPalette::WindowText);          // window text
        case 9: return palette.color(QPalette::HighlightedText);     // caption text
        case 13: return palette.color(QPalette::Highlight);          // highlight
        case 14: return palette.color(QPalette::HighlightedText);    // highlight text
        case 15: return palette.color(QPalette::Button);             // button face
        case 16: return palette.color(QPalette::Dark);               // button shadow
        case 17: return palette.color(QPalette::Disabled, QPalette::Text); // grey text
        case 18: return palette.color(QPalette::ButtonText);         // button text
        case 20: return palette.color(QPalette::Light);              // button highlight
        case 21: return palette.color(QPalette::Shadow);             // 3D dark shadow
        case 22: return palette.color(QPalette::Midlight);           // 3D light
        case 23: return palette.color(QPalette::ToolTipText);        // tooltip text
        case 24: return palette.color(QPalette::ToolTipBase);        // tooltip background
        default: return palette.color(QPalette::Window);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

} // namespace velloc::units
