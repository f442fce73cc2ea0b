#include "handcursor.h"

#include <QImage>

namespace linkwell {

namespace {
// X black outline, . white fill, blank transparent.
constexpr const char* HandRows[] = {
    "      XX",
    "     X..X",
    "     X..X",
    "     X..X",
    "     X..XXX",
    "     X..X..XXX",
    "     X..X..X..X",
    "     X..X..X..XXX",
    "     X..X..X..X..X",
    "  XX X..X..X..X..X",
    " X..XX...........X",
    " X...X...........X",
    "  X..............X",
    "  X..............X",
    "   X.............X",
    "   X............X",
    "    X...........X",
    "    X..........X",
    "     X.........X",
    "     X.........X",
    "     XXXXXXXXXXX",
};

QImage plane(bool mask)
{
    QImage image(32, 32, QImage::Format_MonoLSB);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    image.fill(0);
    int y = 0;
    for (const char* row : HandRows) {
        for (int x = 0; row[x]; ++x) {
            const char c = row[x];
            if (mask ? c != ' ' : c == 'X')
                image.setPixel(x, y, 1);
        }
        ++y;
    }
    return image;
}
} // namespace

QBitmap handCursorBitmap()
{
    return QBitmap::fromImage(plane(false));
}

QBitmap handCursorMask()
{
    return QBitmap::fromImage(plane(true));
}

QCursor handCursor()
{
    return QCursor(handCursorBitmap(), handCursorMask(), HandHotSpot.x(), HandHotSpot.y());
}

} // namespace linkwell
