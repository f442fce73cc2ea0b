#include "testsupport.h"

#include "platform/font.h"
#include "platform/picture.h"
#include "platform/propertybag.h"

#include <QFile>
#include <QFileInfo>

using namespace platform;
using testsupport::failsWith;
using testsupport::sameVariant;

namespace {

Variant str(const char* s)
{
    return Variant::fromString(QString::fromUtf8(s));
}

QStringList names(const PropertyBag& bag)
{
    QStringList out;
    for (const PropertyBag::Entry& e : bag.entries())
        out << e.name;
    return out;
}

std::shared_ptr<Picture> redPicture()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    return Picture::create(image);
}

TEST(PropertyBag, ReadGivesTheDefaultForAnAbsentEntryAsItIs)
{
    PropertyBag bag;
    bag.set(u"Key", str("x"));
    EXPECT_TRUE(sameVariant(bag.read(u"CeaserOffset", Variant::fromI2(30)), Variant::fromI2(30)));
    EXPECT_TRUE(sameVariant(bag.read(u"File", Variant()), Variant()));
}

TEST(PropertyBag, KeysMatchWithoutCaseAndAreStoredLowerCase)
{
    PropertyBag bag;
    bag.write(u"ShowProgress", Variant::fromBool(false), Variant::fromBool(true));
    bag.set(u"_ExtentX", Variant::fromI4(1958));
    EXPECT_EQ(names(bag), (QStringList {QStringLiteral("showprogress"), QStringLiteral("_extentx")}));
    for (const char16_t* spelling : {u"showprogress", u"SHOWPROGRESS", u"sHoWpRoGrEsS"}) {
        EXPECT_TRUE(bag.contains(spelling));
        EXPECT_TRUE(sameVariant(bag.read(spelling, Variant::fromBool(true)), Variant::fromBool(false)));
    }
    // A second write under another spelling replaces the entry; it does not add one.
    bag.write(u"SHOWPROGRESS", Variant::fromI2(5), Variant::fromBool(true));
    EXPECT_EQ(names(bag), (QStringList {QStringLiteral("showprogress"), QStringLiteral("_extentx")}));
    EXPECT_TRUE(sameVariant(bag.read(u"ShowProgress", Variant()), Variant::fromI2(5)));
}

struct DefaultCase {
    const char* label;
    Variant value;
    Variant defaultValue;
    bool stored;
};

void PrintTo(const DefaultCase& c, std::ostream* os)
{
    *os << c.label;
}

class PropertyBagDefaults : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(PropertyBagDefaults, StoresOnlyValuesThatDifferFromTheDefault)
{
    const DefaultCase& c = GetParam();
    PropertyBag bag;
    bag.write(u"Entry", c.value, c.defaultValue);
    EXPECT_EQ(bag.contains(u"entry"), c.stored);
    if (c.stored) {
        EXPECT_TRUE(sameVariant(bag.read(u"entry", Variant()), c.value)); // stored with its own type
    }
    EXPECT_EQ(bag.toText().contains(QStringLiteral("entry =")), c.stored);
}

Variant font(const char* name)
{
    Font::Description d;
    d.name = QString::fromLatin1(name);
    return Variant::fromObject(Font::create(d));
}

INSTANTIATE_TEST_SUITE_P(
    Values, PropertyBagDefaults,
    ::testing::Values(DefaultCase {"8-bit 0 against 16-bit 0", Variant::fromUI1(0), Variant::fromI2(0), false},
                      DefaultCase {"8-bit 30 against 16-bit 30", Variant::fromUI1(30), Variant::fromI2(30), false},
                      DefaultCase {"8-bit 9 against 16-bit 0", Variant::fromUI1(9), Variant::fromI2(0), true},
                      DefaultCase {"8-bit 200 against 16-bit 0", Variant::fromUI1(200), Variant::fromI2(0), true},
                      DefaultCase {"32-bit against 16-bit", Variant::fromI4(0), Variant::fromI2(0), false},
                      DefaultCase {"true against true", Variant::fromBool(true), Variant::fromBool(true), false},
                      DefaultCase {"false against true", Variant::fromBool(false), Variant::fromBool(true), true},
                      DefaultCase {"default key", str("Harbour Lanterns"), str("Harbour Lanterns"), false},
                      DefaultCase {"key in other case", str("harbour lanterns"), str("Harbour Lanterns"), true},
                      DefaultCase {"empty string against empty", str(""), str(""), false},
                      DefaultCase {"no picture against nothing", Variant::fromObject(Picture::create()),
                                   Variant::nothing(), false},
                      DefaultCase {"a picture against nothing", Variant::fromObject(redPicture()), Variant::nothing(), true},
                      DefaultCase {"equal fonts", font("Tahoma"), font("Tahoma"), false},
                      DefaultCase {"other font", font("Arial"), font("Tahoma"), true}));

TEST(PropertyBag, WritingTheDefaultRemovesAnEarlierValue)
{
    PropertyBag bag;
    bag.write(u"Key", str("secret"), str("Harbour Lanterns"));
    bag.write(u"File", str("/tmp/x"), str(""));
    bag.write(u"Key", str("Harbour Lanterns"), str("Harbour Lanterns"));
    EXPECT_EQ(names(bag), QStringList {QStringLiteral("file")});
}

TEST(PropertyBag, KeepsTheOrderOfFirstWrites)
{
    PropertyBag bag;
    bag.write(u"Key", str("a"), str(""));
    bag.write(u"Picture", Variant::fromObject(redPicture()), Variant::nothing());
    bag.write(u"File", str("f"), str(""));
    bag.write(u"Key", str("b"), str(""));
    EXPECT_EQ(names(bag), (QStringList {QStringLiteral("key"), QStringLiteral("picture"), QStringLiteral("file")}));
    EXPECT_TRUE(sameVariant(bag.read(u"key", Variant()), str("b")));
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
    auto stored = bag.read(u"Font", Variant()).objectAs<Font>();
    ASSERT_TRUE(stored);
    EXPECT_FALSE(stored->italic());
    EXPECT_EQ(stored->name(), QStringLiteral("Tahoma"));
}

// Every kind of value a control stores survives the text form.
TEST(PropertyBag, TextFormRoundTrip)
{
    QString allCodes;
    for (int c = 0; c < 256; ++c)
        allCodes += QChar(c);
    QImage image(6, 5, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.setPixelColor(2, 3, Qt::white);
    Font::Description d;
    d.name = QStringLiteral("Courier \"New\"");
    d.size = 9.75;
    d.weight = 700;
    d.underline = true;
    d.charset = 2;

    PropertyBag bag;
    bag.set(u"Key", Variant::fromString(allCodes));
    bag.set(u"Wide", Variant::fromString(QString(QChar(0x20AC)) + QChar(0x100)));
    bag.set(u"Lines", str("one\r\ntwo\n# not a comment\n = not an entry"));
    bag.set(u"Picture", Variant::fromObject(Picture::create(image)));
    bag.set(u"NoPicture", Variant::fromObject(Picture::create()));
    bag.set(u"Font", Variant::fromObject(Font::create(d)));
    bag.set(u"ShowProgress", Variant::fromBool(false));
    bag.set(u"ProtectionType", Variant::fromUI1(9));
    bag.set(u"CeaserOffset", Variant::fromI2(-3));
    bag.set(u"_ExtentX", Variant::fromI4(1958));
    bag.set(u"Ratio", Variant::fromR8(0.1));
    bag.set(u"Single", Variant::fromR4(2.5f));
    bag.set(u"Nothing", Variant::nothing());
    bag.set(u"Empty", Variant());

    const QString text = bag.toText();
    const Result<PropertyBag> back = PropertyBag::fromText(text);
    ASSERT_TRUE(back.ok()) << back.error().message().toStdString() << "\n" << text.toStdString();
    ASSERT_EQ(names(back.value()), names(bag));
    for (qsizetype i = 0; i < bag.entries().size(); ++i)
        EXPECT_TRUE(sameVariant(back->entries()[i].value, bag.entries()[i].value)) << bag.entries()[i].name.toStdString();
    auto picture = back->read(u"picture", Variant()).objectAs<Picture>();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image().size(), QSize(6, 5));
    EXPECT_EQ(picture->image().pixelColor(2, 3), QColor(Qt::white));
    EXPECT_EQ(back->toText(), text);
}

TEST(PropertyBag, TextFormSkipsCommentsAndBlankLinesAndLowersNames)
{
    const Result<PropertyBag> bag =
        PropertyBag::fromText(QStringLiteral("# saved by hand\r\n\r\n   \r\n  Key = \"a = b\"  \r\n#Key = \"ignored\"\r\nLEVEL=ui1:7\r\n"));
    ASSERT_TRUE(bag.ok()) << bag.error().message().toStdString();
    EXPECT_EQ(names(bag.value()), (QStringList {QStringLiteral("key"), QStringLiteral("level")}));
    EXPECT_TRUE(sameVariant(bag->read(u"key", Variant()), str("a = b")));
    EXPECT_TRUE(sameVariant(bag->read(u"Level", Variant()), Variant::fromUI1(7)));
}

struct BadText {
    const char* label;
    QString text;
    int line;
    int error;
};

void PrintTo(const BadText& b, std::ostream* os)
{
    *os << b.label;
}

class PropertyBagMalformed : public ::testing::TestWithParam<BadText> {};

TEST_P(PropertyBagMalformed, NamesTheLine)
{
    const Result<PropertyBag> bag = PropertyBag::fromText(GetParam().text);
    ASSERT_TRUE(failsWith(bag, GetParam().error));
    const QString message = bag.error().message();
    EXPECT_TRUE(message.startsWith(QStringLiteral("line %1").arg(GetParam().line)))
        << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PropertyBagMalformed,
    ::testing::Values(BadText {"no equals sign", QStringLiteral("key = \"a\"\nfile \"b\"\n"), 2, errc::InvalidArgument},
                      BadText {"no name", QStringLiteral("# c\n\n= 5\n"), 3, errc::InvalidArgument},
                      BadText {"name with a space", QStringLiteral("show progress = bool:true"), 1, errc::InvalidArgument},
                      BadText {"unterminated string", QStringLiteral("a = 1\nb = 2\nkey = \"abc\n"), 3, errc::InvalidArgument},
                      BadText {"no value", QStringLiteral("key =\n"), 1, errc::InvalidArgument},
                      BadText {"two values", QStringLiteral("key = 1 2\n"), 1, errc::InvalidArgument},
                      BadText {"value out of range", QStringLiteral("\n\nlevel = ui1:300\n"), 3, errc::Overflow},
                      BadText {"broken picture", QStringLiteral("x = 1\npicture = picture:base64:AAAA\n"), 2,
                               errc::InvalidArgument}));

TEST(PropertyBag, MalformedTextNamesTheEntry)
{
    const Result<PropertyBag> bag = PropertyBag::fromText(QStringLiteral("key = \"a\"\nlevel = ui1:300\n"));
    ASSERT_FALSE(bag.ok());
    EXPECT_TRUE(bag.error().message().contains(QStringLiteral("level"))) << bag.error().message().toStdString();
}

TEST(PropertyBag, SavesAndLoadsFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("form.bag"));
    PropertyBag bag;
    bag.set(u"Key", str("K\xC3\xA9y")); // a character beyond ASCII
    bag.set(u"ShowProgress", Variant::fromBool(false));
    ASSERT_TRUE(bag.save(path).ok());
    const Result<PropertyBag> back = PropertyBag::load(path);
    ASSERT_TRUE(back.ok()) << back.error().message().toStdString();
    EXPECT_EQ(back->toText(), bag.toText());

    // Saving again replaces the whole file.
    PropertyBag smaller;
    smaller.set(u"Key", str("k"));
    ASSERT_TRUE(smaller.save(path).ok());
    EXPECT_EQ(names(PropertyBag::load(path).value()), QStringList {QStringLiteral("key")});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("form.bag")});
}

TEST(PropertyBag, FileErrorsNameTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.bag"));
    const Result<PropertyBag> notThere = PropertyBag::load(missing);
    ASSERT_TRUE(failsWith(notThere, errc::FileNotFound));
    EXPECT_TRUE(notThere.error().message().contains(missing));

    const QString broken = dir.filePath(QStringLiteral("broken.bag"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("key = \"a\"\nkey2 = what\n");
    file.close();
    const Result<PropertyBag> bad = PropertyBag::load(broken);
    ASSERT_TRUE(failsWith(bad, errc::InvalidArgument));
    EXPECT_TRUE(bad.error().message().contains(broken));
    EXPECT_TRUE(bad.error().message().contains(QStringLiteral("line 2"))) << bad.error().message().toStdString();

    PropertyBag bag;
    bag.set(u"Key", str("k"));
    EXPECT_TRUE(failsWith(bag.save(dir.filePath(QStringLiteral("no/such/folder/x.bag"))), errc::PathFileAccess));
}

} // namespace
