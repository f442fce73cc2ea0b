#include "builtinpictures.h"

#include <QBuffer>
#include <QImageReader>

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
// never started, as painting the pictures here could.
QImage decoded(const unsigned char* png, unsigned long size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(png), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read().convertToFormat(QImage::Format_RGB32);
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
