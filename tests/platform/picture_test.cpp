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

TEST(Picture, HasAHandleOnlyWhileItHoldsAnImage)
{
    auto picture = Picture::create();
    EXPECT_TRUE(picture->isEmpty());
    EXPECT_EQ(picture->handle(), 0u);
    picture->setImage(sample(3, 3));
    EXPECT_NE(picture->handle(), 0u);
    // Hosts read the handle through the picture's interface, as a 32-bit value.
    EXPECT_NE(getProperty(*picture, 0)->i4(), 0);
    EXPECT_NE(Variant::fromObject(Picture::create(sample(1, 1))).toI4().value(), 0);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    sample(2, 2).save(&png, "PNG");
    auto decoded = Picture::fromData(png.data()).value();
    EXPECT_NE(getProperty(*decoded, 0)->i4(), 0);
    EXPECT_NE(getProperty(*Picture::create(QImage(4, 4, QImage::Format_RGB32)), 0)->i4(), 0);
    EXPECT_TRUE(sameVariant(getProperty(*picture, 3).value(), Variant::fromI2(1))); // Type: bitmap
    picture->setImage(QImage());
    EXPECT_EQ(picture->handle(), 0u);
    EXPECT_TRUE(sameVariant(getProperty(*picture, 3).value(), Variant::fromI2(0)));
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
}

TEST(Picture, LoadFailuresNameTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.bmp"));
    const Result<std::shared_ptr<Picture>> notThere = Picture::load(missing);
    ASSERT_TRUE(failsWith(notThere, errc::FileNotFound));
    EXPECT_TRUE(notThere.error().message().contains(missing));

    const QString text = dir.filePath(QStringLiteral("text.bmp"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    const Result<std::shared_ptr<Picture>> notAPicture = Picture::load(text);
    ASSERT_FALSE(notAPicture.ok());
    EXPECT_TRUE(notAPicture.error().message().contains(text));
}

TEST(Picture, AChangedImageIsEncodedAfresh)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    sample(4, 4).save(&buffer, "BMP");
    auto picture = Picture::fromData(buffer.data()).value();
    picture->setImage(sample(2, 5));
    const auto reloaded = Picture::fromData(picture->encoded());
    ASSERT_TRUE(reloaded.ok());
    EXPECT_EQ(reloaded.value()->image().size(), QSize(2, 5));
}

TEST(Picture, SizesInHundredthsOfAMillimetre)
{
    auto picture = Picture::create(sample(96, 48));
    picture->setImage([] {
        QImage i = sample(96, 48);
        i.setDotsPerMeterX(3780); // 96 DPI
        i.setDotsPerMeterY(3780);
        return i;
    }());
    // 96 pixels at 96 DPI are one inch, 2540 hundredths of a millimetre.
    EXPECT_NEAR(getProperty(*picture, 4)->i4(), 2540, 1);
    EXPECT_NEAR(getProperty(*picture, 5)->i4(), 1270, 1);
}

TEST(Picture, ComparesByPixels)
{
    auto a = Picture::create(sample(3, 2));
    auto b = Picture::create(sample(3, 2));
    auto c = Picture::create(sample(2, 3));
    EXPECT_TRUE(a->sameValue(b.get()));
    EXPECT_FALSE(a->sameValue(c.get()));
    EXPECT_FALSE(a->sameValue(nullptr));
    EXPECT_TRUE(Picture::create()->sameValue(nullptr));
    // The same pixels kept in another pixel format are the same picture.
    EXPECT_TRUE(a->sameValue(Picture::create(sample(3, 2, QImage::Format_RGB888)).get()));
    EXPECT_TRUE(a->sameValue(Picture::create(sample(3, 2, QImage::Format_ARGB32)).get()));
}

} // namespace
