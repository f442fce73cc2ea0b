#include "testcomponent.h"

#include "velloc/store/font.h"
#include "velloc/store/picture.h"

#include <QBuffer>
#include <QFile>

using namespace velloc;
using namespace testsupport;

namespace {

Result<Variant> set(Font& font, const char16_t* name, const char* value)
{
    return putProperty(font, *font.idOfName(name), lit(value));
}

// Bold is a weight of 600 or more; sizes keep four decimals; impossible values are refused and
// leave the font as it was. Listeners hear of each real change once, and of nothing else.
TEST(Font, PropertiesKeepTheDescriptionConsistent)
{
    auto font = Font::create();
    const std::tuple<const char16_t*, const char*, const char16_t*, const char*> rows[] = {
        {u"Bold", "bool:true", u"Weight", "i2:700"},  {u"Weight", "i2:599", u"Bold", "bool:false"},
        {u"Weight", "i2:600", u"Bold", "bool:true"},  {u"Bold", "bool:false", u"Weight", "i2:400"},
        {u"Weight", "i2:400", u"Bold", "bool:false"}, {u"Italic", "bool:true", u"Italic", "bool:true"},
        {u"Size", R"("9.123456")", u"Size", "r8:9.1235"}, {u"Size", "r8:0", u"Size", "error 5"},
        {u"Size", "r8:-3", u"Size", "error 5"},       {u"Weight", "i2:1001", u"Weight", "error 5"},
        {u"Weight", "i4:70000", u"Weight", "error 6"}, {u"Size", R"("big")", u"Size", "error 13"},
    };
    int heard = 0;
    const int listener = font->addListener([&] { ++heard; });
    for (const auto& [name, value, readName, gives] : rows) {
        const Font::Description before = font->description();
        const int heardBefore = heard;
        const Result<Variant> put = set(*font, name, value);
        EXPECT_EQ(put.ok() ? outcome(getProperty(*font, *font->idOfName(readName))) : outcome(put),
                  QString::fromUtf8(gives));
        EXPECT_EQ(heard - heardBefore, font->description() == before ? 0 : 1) << value;
        if (!put.ok()) {
            EXPECT_EQ(font->description(), before);
        }
    }
    font->removeListener(listener);
    ASSERT_TRUE(set(*font, u"Italic", "bool:false").ok());
    EXPECT_EQ(heard, 6);
    // A description that rounds to the current one is no change.
    Font::Description d;
    d.size = 8.25004;
    auto same = Font::create(d);
    EXPECT_DOUBLE_EQ(same->size(), 8.25);
    int sameHeard = 0;
    same->addListener([&] { ++sameHeard; });
    same->setDescription(d);
    EXPECT_EQ(sameHeard, 0);
}

TEST(Font, DrawsWithTheQtFontItDescribes)
{
    Font::Description d;
    d.name = QStringLiteral("DejaVu Sans");
    d.size = 9.75;
    d.weight = 700;
    d.italic = d.underline = d.strikethrough = true;
    const QFont f = Font::create(d)->toQFont();
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 9.75);
    EXPECT_TRUE(f.bold() && f.italic() && f.underline() && f.strikeOut());
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Sans"));
    // Weight 0 leaves the choice to the font: it draws at the normal weight.
    for (const auto& [weight, qtWeight] : {std::pair {0, int(QFont::Normal)}, std::pair {100, 100},
                                           std::pair {400, int(QFont::Normal)}, std::pair {1000, 1000}}) {
        d.weight = weight;
        EXPECT_EQ(Font::create(d)->toQFont().weight(), qtWeight) << weight;
    }
}

// ---- Pictures ----

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
