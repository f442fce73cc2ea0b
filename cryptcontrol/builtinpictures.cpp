#include "builtinpictures.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace velpack {

namespace pictures {
// Drawn at build time by velpack_drawpictures (pictures/drawpictures.cpp).
extern const unsigned char progressPicturePng[];
extern const unsigned long progressPicturePngSize;
extern const unsigned char faceLogoPng[];
extern const unsigned long faceLogoPngSize;
extern const unsigned char toolboxBitmapPng[];
extern const unsigned long toolboxBitmapPngSize;
} // namespace pictures

namespace {

// Decoding a PNG is done by the calling thread alone, so it cannot wait on a thread that
// never started, as painting the pictures here could. The pictures are 24-bit; Qt converts a
// large image on several threads, so the conversion goes a row at a time.
QImage decoded(const unsigned char* png, unsigned long size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(png), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage read = reader.read();
    QImage image(read.size(), QImage::Format_RGB888);
    for (int y = 0; y < read.height(); ++y) {
        const QImage row = read.copy(0, y, read.width(), 1).convertToFormat(QImage::Format_RGB888);
        std::memcpy(image.scanLine(y), row.constScanLine(0), std::size_t(read.width()) * 3);
    }
    return image;
}

} // namespace

QImage defaultProgressPicture()
{
    return decoded(pictures::progressPicturePng, pictures::progressPicturePngSize);
}

QImage faceLogo()
{
    return decoded(pictures::faceLogoPng, pictures::faceLogoPngSize);
}

QImage toolboxBitmap()
{
    return decoded(pictures::toolboxBitmapPng, pictures::toolboxBitmapPngSize);
}

} // namespace velpack
