#include "testsupport.h"

#include "platform/picture.h"

#include <QBuffer>
#include <QFile>

using namespace platform;
using namespace testsupport;

namespace {

QImage sample(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(Qt::darkCyan);
    image.setPixelColor(0, 0, Qt::yellow);
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

// Hosts read the handle (member 0) as a 32-bit value and the type (member 3): a bitmap while
// the picture holds an image, none without.
TEST(Picture, HasAHandleOnlyWhileItHoldsAnImage)
{
    auto picture = Picture::create();
    EXPECT_EQ(picture->handle(), 0u);
    picture->setImage(sample(3, 3));
    EXPECT_NE(getProperty(*picture, 0)->i4(), 0);
    EXPECT_EQ(outcome(getProperty(*picture, 3)), QStringLiteral("i2:1"));
    EXPECT_NE(Variant::fromObject(Picture::create(QImage(4, 4, QImage::Format_RGB32))).toI4().value(), 0);
    EXPECT_NE(getProperty(*Picture::fromData(encoded(sample(2, 2), "PNG")).value(), 0)->i4(), 0);
    picture->setImage(QImage());
    EXPECT_EQ(picture->handle(), 0u);
    EXPECT_EQ(outcome(getProperty(*picture, 3)), QStringLiteral("i2:0"));
}

TEST(Picture, LoadsImageFilesAndKeepsTheirBytes)
{
    QTemporaryDir dir;
    for (const char* format : {"BMP", "PNG", "JPG"}) {
        const QString path = dir.filePath(QStringLiteral("p.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(sample(73, 50, QImage::Format_RGB888).save(path, format));
        const Result<std::shared_ptr<Picture>> picture = Picture::load(path);
        ASSERT_TRUE(picture.ok()) << format << ": " << picture.error().message().toStdString();
        EXPECT_EQ(picture.value()->image().size(), QSize(73, 50)) << format;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(picture.value()->encoded(), file.readAll()) << format;
    }
    // A changed image is encoded afresh.
    auto picture = Picture::fromData(encoded(sample(4, 4), "BMP")).value();
    picture->setImage(sample(2, 5));
    EXPECT_EQ(Picture::fromData(picture->encoded()).value()->image().size(), QSize(2, 5));
}

TEST(Picture, LoadFailuresNameTheFile)
{
    QTemporaryDir dir;
    QFile text(dir.filePath(QStringLiteral("text.bmp")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
    text.close();
    for (const auto& [path, error] : {std::pair {dir.filePath(QStringLiteral("missing.bmp")), errc::FileNotFound},
                                      std::pair {text.fileName(), errc::InvalidArgument}}) {
        const Result<std::shared_ptr<Picture>> picture = Picture::load(path);
        ASSERT_FALSE(picture.ok());
        EXPECT_TRUE(picture.error().message().contains(path)) << picture.error().message().toStdString();
        EXPECT_EQ(picture.error().number(), error) << path.toStdString();
    }
}

// Width and height (members 4 and 5) are in hundredths of a millimetre: 96 pixels at 96 DPI
// are one inch, 2540.
TEST(Picture, SizesInHundredthsOfAMillimetre)
{
    QImage image = sample(96, 48);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    auto picture = Picture::create(sample(10, 10));
    picture->setImage(image); // the size follows a new image
    EXPECT_NEAR(getProperty(*picture, 4)->i4(), 2540, 1);
    EXPECT_NEAR(getProperty(*picture, 5)->i4(), 1270, 1);
}

} // namespace
