#include "testcomponent.h"

#include "velloc/store/font.h"
#include "velloc/store/picture.h"
#include "velloc/store/propertybag.h"
#include "velloc/store/varianttext.h"

#include <QDir>

#include <atomic>
#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>

using namespace velloc;
using namespace testsupport;

namespace {
std::atomic<bool> fsyncFails {false};
}

// Stands in for the C library's in this program and the runtime it loads, so that a test can
// make the disk refuse to make a file durable.
extern "C" int fsync(int fd)
{
    if (fsyncFails) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fsync, fd));
}

namespace {

QStringList names(const PropertyBag& bag)
{
    QStringList out;
    for (const PropertyBag::Entry& e : bag.entries())
        out << e.name;
    return out;
}

TEST(PropertyBag, KeysMatchWithoutCaseAndAreStoredLowerCaseInTheOrderOfFirstWrites)
{
    PropertyBag bag;
    bag.write(u"ShowProgress", Variant::fromBool(false), Variant::fromBool(true));
    bag.set(u"_ExtentX", Variant::fromI4(1958));
    bag.write(u"Key", lit(R"("secret")"), lit(R"("Harbour Lanterns")"));
    for (const char16_t* spelling : {u"showprogress", u"SHOWPROGRESS", u"sHoWpRoGrEsS"})
        EXPECT_TRUE(sameVariant(bag.read(spelling, Variant::fromBool(true)), Variant::fromBool(false)));
    // An absent entry reads as the default given, as it is.
    EXPECT_TRUE(sameVariant(bag.read(u"CeaserOffset", Variant::fromI2(30)), Variant::fromI2(30)));
    // A second write under another spelling replaces the entry in its place; writing the default removes it.
    bag.write(u"SHOWPROGRESS", Variant::fromI2(5), Variant::fromBool(true));
    bag.write(u"KEY", lit(R"("Harbour Lanterns")"), lit(R"("Harbour Lanterns")"));
    EXPECT_EQ(names(bag), (QStringList {QStringLiteral("showprogress"), QStringLiteral("_extentx")}));
    EXPECT_TRUE(sameVariant(bag.read(u"ShowProgress", Variant()), Variant::fromI2(5)));
}

// A value equal to its default by value is not stored; any other is, with its own type. (The
// variant's tests hold equality by value.)
TEST(PropertyBag, StoresOnlyValuesThatDifferFromTheDefault)
{
    struct Row {
        const char* value;
        const char* defaultValue;
        bool stored;
    };
    const Row rows[] = {
        {"ui1:30", "i2:30", false}, {"ui1:9", "i2:0", true}, {"i4:0", "i2:0", false}, {"bool:false", "bool:true", true},
        {R"("harbour lanterns")", R"("Harbour Lanterns")", true}, {R"("")", R"("")", false},
        {"picture:none", "nothing", false}, {R"(font:"Tahoma" 8 400 -)", R"(font:"Tahoma" 8 400 -)", false},
    };
    for (const Row& row : rows) {
        PropertyBag bag;
        const Variant value = lit(row.value);
        bag.write(u"Entry", value, lit(row.defaultValue));
        EXPECT_EQ(bag.contains(u"entry"), row.stored) << row.value << " against " << row.defaultValue;
        EXPECT_EQ(bag.toText().contains(QStringLiteral("entry =")), row.stored) << row.value;
        if (row.stored) {
            EXPECT_TRUE(sameVariant(bag.read(u"entry", Variant()), value));
        }
    }
}

TEST(PropertyBag, KeepsAFontAsItWasWhenWritten)
{
    Font::Description d;
    d.name = QStringLiteral("Tahoma");
    auto live = Font::create(d);
    PropertyBag bag;
    bag.write(u"Font", Variant::fromObject(live), Variant::nothing());
    d.italic = true;
    live->setDescription(d);
    EXPECT_EQ(varianttext::format(bag.read(u"Font", Variant())), QStringLiteral(R"(font:"Tahoma" 8.25 400 -)"));
}

// Every value survives the text form: what the bag writes reads back as the same value.
TEST(PropertyBag, TextFormRoundTrip)
{
    QString allCodes;
    for (int c = 0; c < 256; ++c)
        allCodes += QChar(c);
    QImage image(6, 5, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 128));
    image.setPixelColor(2, 3, Qt::white);
    PropertyBag bag;
    bag.set(u"Key", Variant::fromString(allCodes));
    bag.set(u"Wide", Variant::fromString(QString(QChar(0x100)) + QChar(0xD83D) + QChar(0xDE00) + QChar(0xFFFF)));
    bag.set(u"Lines", lit(R"("one\r\ntwo\n# not a comment\n = not an entry")"));
    bag.set(u"Picture", Variant::fromObject(Picture::create(image)));
    for (const char* value : {"picture:none", R"(font:"Courier \"New\"" 10.5 700 is 238)", "bool:false", "ui1:255",
                              "i2:-32768", "i4:2147483647", "r8:0.30000000000000004", "r8:-1e-300", "r4:3.14159",
                              "error:53", "nothing", "empty", "null"})
        bag.set(QString::fromLatin1(value).section(u':', 0, 0) + QString::number(bag.entries().size()), lit(value));

    const QString text = bag.toText();
    const Result<PropertyBag> back = PropertyBag::fromText(text);
    ASSERT_TRUE(back.ok()) << back.error().message().toStdString() << "\n" << text.toStdString();
    ASSERT_EQ(names(back.value()), names(bag));
    for (qsizetype i = 0; i < bag.entries().size(); ++i)
        EXPECT_TRUE(sameVariant(back->entries()[i].value, bag.entries()[i].value)) << bag.entries()[i].name.toStdString();
    auto picture = back->read(u"picture", Variant()).objectAs<Picture>();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image().pixelColor(2, 3), QColor(Qt::white));
    EXPECT_EQ(picture->image().pixelColor(0, 0), QColor(10, 20, 30, 128));
    EXPECT_EQ(back->toText(), text);
}

TEST(PropertyBag, TextFormSkipsCommentsAndBlankLinesAndLowersNames)
{
    const Result<PropertyBag> bag = PropertyBag::fromText(
        QStringLiteral("# saved by hand\r\n\r\n   \r\n  Key = \"a = b\"  \r\n#Key = \"ignored\"\r\nLEVEL=ui1:7\r\n"));
    ASSERT_TRUE(bag.ok()) << bag.error().message().toStdString();
    EXPECT_EQ(names(bag.value()), (QStringList {QStringLiteral("key"), QStringLiteral("level")}));
    EXPECT_TRUE(sameVariant(bag->read(u"key", Variant()), lit(R"("a = b")")));
    EXPECT_TRUE(sameVariant(bag->read(u"Level", Variant()), Variant::fromUI1(7)));
}

// Whatever characters a text value or a font name holds, what the runtime writes reads back
// as written: in a bag's text form, as one value (compcall's output), and as a window
// description's bag lines.
class TextValues : public ::testing::TestWithParam<QString> {};

TEST_P(TextValues, RoundTripAsStringsAndFontNames)
{
    const QString text = GetParam();
    Font::Description d;
    d.name = text;
    d.size = 9.75;
    d.weight = 700;
    d.underline = true;
    const Variant values[] = {Variant::fromString(text), Variant::fromObject(Font::create(d))};
    PropertyBag bag;
    for (const Variant& v : values) {
        const QString written = varianttext::format(v, varianttext::PictureForm::Data);
        const Result<Variant> back = varianttext::parseAll(written);
        ASSERT_TRUE(back.ok()) << written.toStdString() << ": " << back.error().message().toStdString();
        EXPECT_TRUE(sameVariant(back.value(), v)) << written.toStdString();
        EXPECT_EQ(varianttext::format(back.value(), varianttext::PictureForm::Data), written);
        bag.set(QStringLiteral("v%1").arg(bag.entries().size()), v);
    }
    const Result<PropertyBag> loaded = PropertyBag::fromText(bag.toText());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    ASSERT_EQ(loaded->entries().size(), 2);
    for (qsizetype i = 0; i < 2; ++i)
        EXPECT_TRUE(sameVariant(loaded->entries()[i].value, values[i])) << bag.toText().toStdString();
    EXPECT_EQ(loaded->toText(), bag.toText());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextValues,
    ::testing::Values(QStringLiteral("Arial%1"), QStringLiteral("%1%2%3 %4 %L1 %%"), QStringLiteral("100% \"quoted\""),
                      QStringLiteral("back\\slash \\x41 \\u0041 \\"), QStringLiteral("two\nlines\r\n\tand a tab"),
                      QStringLiteral("# not a comment = x"), QString::fromUtf8("Ma\u00efs \u6f22\u5b57 \u0645\u0631\u062d\u0628\u0627 \U0001F600"),
                      QString(QChar(0)) + QStringLiteral("nul and ") + QChar(0xDC80) + QStringLiteral(" lone surrogate"),
                      QString()));

// Malformed text is refused with the error of the fault and a message starting with its line.
TEST(PropertyBag, MalformedTextNamesTheLine)
{
    const std::pair<const char*, const char*> rows[] = {
        {"key = \"a\"\nfile \"b\"\n", "error 5: line 2"}, {"# c\n\n= 5\n", "error 5: line 3"},
        {"show progress = bool:true", "error 5: line 1"}, {"a = 1\nb = 2\nkey = \"abc\n", "error 5: line 3"},
        {"key =\n", "error 5: line 1"}, {"key = 1 2\n", "error 5: line 1"},
        {"\n\nlevel = ui1:300\n", "error 6: line 3 (level)"}, {"x = 1\npicture = picture:base64:AAAA\n", "error 5: line 2"},
    };
    for (const auto& [text, says] : rows) {
        const Result<PropertyBag> bag = PropertyBag::fromText(QString::fromUtf8(text));
        ASSERT_FALSE(bag.ok()) << text;
        const QString got = QStringLiteral("error %1: %2").arg(bag.error().number()).arg(bag.error().message());
        EXPECT_TRUE(got.startsWith(QString::fromUtf8(says))) << got.toStdString();
    }
}

// A save replaces the whole file and leaves nothing beside it. (The scripts hold loading, the
// errors of a malformed file and of a folder that is not there.)
TEST(PropertyBag, SavesAndLoadsFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("form.bag"));
    PropertyBag bag;
    bag.set(u"Key", lit(R"("k")"));
    bag.set(u"ShowProgress", Variant::fromBool(false));
    ASSERT_TRUE(bag.save(path).ok());
    PropertyBag smaller;
    smaller.set(u"Key", lit(R"("k")"));
    ASSERT_TRUE(smaller.save(path).ok());
    EXPECT_EQ(PropertyBag::load(path)->toText(), smaller.toText());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("form.bag")});
    // A disk that cannot make the new content durable leaves the old file, or no file, and
    // nothing beside it.
    {
        fsyncFails = true;
        const Result<void> over = bag.save(path);
        const Result<void> fresh = bag.save(dir.filePath(QStringLiteral("new.bag")));
        fsyncFails = false;
        EXPECT_FALSE(over.ok());
        EXPECT_FALSE(fresh.ok());
        EXPECT_EQ(PropertyBag::load(path)->toText(), smaller.toText());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("form.bag")});
    }
    const QString missing = dir.filePath(QStringLiteral("missing.bag"));
    const Result<PropertyBag> notThere = PropertyBag::load(missing);
    ASSERT_TRUE(failsWith(notThere, errc::FileNotFound));
    EXPECT_TRUE(notThere.error().message().contains(missing));
}

} // namespace
