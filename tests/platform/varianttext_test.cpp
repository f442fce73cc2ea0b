#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/font.h"
#include "platform/picture.h"

#include <QFile>

using namespace platform;
using testsupport::failsWith;
using testsupport::sameVariant;

namespace {

Variant str(const QString& s)
{
    return Variant::fromString(s);
}

Variant fontValue(const char* name, double size, int weight, bool italic, bool underline, bool strike, int charset = 0)
{
    Font::Description d;
    d.name = QString::fromLatin1(name);
    d.size = size;
    d.weight = weight;
    d.italic = italic;
    d.underline = underline;
    d.strikethrough = strike;
    d.charset = charset;
    return Variant::fromObject(Font::create(d));
}

struct Formatted {
    const char* label;
    Variant value;
    const char* text;
};

void PrintTo(const Formatted& f, std::ostream* os)
{
    *os << f.label;
}

class VariantTextFormat : public ::testing::TestWithParam<Formatted> {};

TEST_P(VariantTextFormat, WritesTheScriptingForm)
{
    EXPECT_EQ(varianttext::format(GetParam().value), QString::fromUtf8(GetParam().text));
}

QImage image(int w, int h)
{
    QImage i(w, h, QImage::Format_RGB32);
    i.fill(Qt::green);
    return i;
}

INSTANTIATE_TEST_SUITE_P(
    Values, VariantTextFormat,
    ::testing::Values(Formatted {"empty", Variant(), "empty"}, Formatted {"null", Variant::null(), "null"},
                      Formatted {"nothing", Variant::nothing(), "nothing"},
                      Formatted {"i2", Variant::fromI2(294), "i2:294"},
                      Formatted {"negative i2", Variant::fromI2(-32768), "i2:-32768"},
                      Formatted {"i4", Variant::fromI4(51000), "i4:51000"},
                      Formatted {"ui1", Variant::fromUI1(0), "ui1:0"},
                      Formatted {"ui1 255", Variant::fromUI1(255), "ui1:255"},
                      Formatted {"r4", Variant::fromR4(1.5f), "r4:1.5"},
                      Formatted {"r4 keeps single precision", Variant::fromR4(0.1f), "r4:0.1"},
                      Formatted {"r8 whole", Variant::fromR8(2147483903.0), "r8:2147483903"},
                      Formatted {"r8 fraction", Variant::fromR8(0.1), "r8:0.1"},
                      Formatted {"true", Variant::fromBool(true), "bool:true"},
                      Formatted {"false", Variant::fromBool(false), "bool:false"},
                      Formatted {"error", Variant::fromError(5), "error:5"},
                      Formatted {"plain string", str(QStringLiteral("Harbour Lanterns")), "bstr:\"Harbour Lanterns\""},
                      Formatted {"empty string", str(QString()), "bstr:\"\""},
                      Formatted {"quote and backslash", str(QStringLiteral("a\"b\\c")), "bstr:\"a\\\"b\\\\c\""},
                      Formatted {"control characters", str(QString(QChar(0)) + QChar(9) + QChar(10) + QChar(0x1F)),
                                 "bstr:\"\\x00\\x09\\x0a\\x1f\""},
                      Formatted {"printable edges", str(QStringLiteral(" ~")), "bstr:\" ~\""},
                      Formatted {"above printable", str(QString(QChar(0x7F)) + QChar(0x80) + QChar(0xEB) + QChar(0xFF)),
                                 "bstr:\"\\x7f\\x80\\xeb\\xff\""},
                      Formatted {"above one byte", str(QString(QChar(0x100)) + QChar(0x20AC) + QChar(0xFFFF)),
                                 "bstr:\"\\u0100\\u20ac\\uffff\""},
                      Formatted {"no picture", Variant::fromObject(Picture::create()), "picture:none"},
                      Formatted {"picture", Variant::fromObject(Picture::create(image(514, 266))), "picture:514x266"},
                      Formatted {"default font", Variant::fromObject(Font::create()), "font:\"MS Sans Serif\" 8.25 400 -"},
                      Formatted {"font flags in order", fontValue("Tahoma", 9.75, 700, true, true, true),
                                 "font:\"Tahoma\" 9.75 700 ius"},
                      Formatted {"underlined font", fontValue("Tahoma", 9.75, 400, false, true, false),
                                 "font:\"Tahoma\" 9.75 400 u"},
                      Formatted {"font with a character set", fontValue("Symbol", 12, 400, false, false, false, 2),
                                 "font:\"Symbol\" 12 400 - 2"},
                      Formatted {"other object", Variant::fromObject(std::make_shared<CommonDialog>()),
                                 "object:CommonDialog"}));

struct Parsed {
    const char* label;
    QString text;
    Variant expected;
};

void PrintTo(const Parsed& p, std::ostream* os)
{
    *os << p.label;
}

class VariantTextParse : public ::testing::TestWithParam<Parsed> {};

TEST_P(VariantTextParse, ReadsTheLiteral)
{
    const Result<Variant> v = varianttext::parseAll(GetParam().text);
    ASSERT_TRUE(v.ok()) << v.error().message().toStdString();
    EXPECT_TRUE(sameVariant(v.value(), GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Literals, VariantTextParse,
    ::testing::Values(
        Parsed {"integer", QStringLiteral("123"), Variant::fromI4(123)},
        Parsed {"negative integer", QStringLiteral("-5"), Variant::fromI4(-5)},
        Parsed {"leading zeros are decimal", QStringLiteral("010"), Variant::fromI4(10)},
        Parsed {"i2", QStringLiteral("i2:294"), Variant::fromI2(294)},
        Parsed {"i2 leading zero", QStringLiteral("i2:08"), Variant::fromI2(8)},
        Parsed {"i4", QStringLiteral("i4:-2147483648"), Variant::fromI4(std::numeric_limits<std::int32_t>::min())},
        Parsed {"ui1", QStringLiteral("ui1:255"), Variant::fromUI1(255)},
        Parsed {"r4", QStringLiteral("r4:1.5"), Variant::fromR4(1.5f)},
        Parsed {"r8", QStringLiteral("r8:2147483903"), Variant::fromR8(2147483903.0)},
        Parsed {"true", QStringLiteral("bool:true"), Variant::fromBool(true)},
        Parsed {"false", QStringLiteral("bool:false"), Variant::fromBool(false)},
        Parsed {"empty", QStringLiteral("empty"), Variant()},
        Parsed {"null", QStringLiteral("null"), Variant::null()},
        Parsed {"nothing", QStringLiteral("nothing"), Variant::nothing()},
        Parsed {"spaces around", QStringLiteral("  i2:5  "), Variant::fromI2(5)},
        Parsed {"string", QStringLiteral("\"a b\""), str(QStringLiteral("a b"))},
        Parsed {"escapes", QStringLiteral("\"\\\\\\\"\\n\\r\\t\""), str(QStringLiteral("\\\"\n\r\t"))},
        Parsed {"hex escape", QStringLiteral("\"\\x41\\x00\\xfF\""), str(QString(QChar(0x41)) + QChar(0) + QChar(0xFF))},
        Parsed {"unicode escape", QStringLiteral("\"\\u20ac\""), str(QString(QChar(0x20AC)))},
        Parsed {"bstr form", QStringLiteral("bstr:\"x\\x01\""), str(QString(QChar('x')) + QChar(1))},
        Parsed {"hex string", QStringLiteral("hex:414200FF"), str(QString(QChar(0x41)) + QChar(0x42) + QChar(0) + QChar(0xFF))},
        Parsed {"empty hex string", QStringLiteral("hex:"), str(QString())},
        Parsed {"font", QStringLiteral("font:\"Tahoma\" 9.75 400 u"), fontValue("Tahoma", 9.75, 400, false, true, false)},
        Parsed {"font flags in any order", QStringLiteral("font:\"A B\" 8 700 si"), fontValue("A B", 8, 700, true, false, true)},
        Parsed {"font with a character set", QStringLiteral("font:\"Symbol\" 12 400 - 2"),
                fontValue("Symbol", 12, 400, false, false, false, 2)},
        Parsed {"no picture", QStringLiteral("picture:none"), Variant::fromObject(Picture::create())}));

struct Malformed {
    const char* label;
    QString text;
    int error;
};

void PrintTo(const Malformed& m, std::ostream* os)
{
    *os << m.label;
}

class VariantTextMalformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(VariantTextMalformed, IsRefusedWithAReason)
{
    const Result<Variant> v = varianttext::parseAll(GetParam().text);
    EXPECT_TRUE(failsWith(v, GetParam().error));
    if (!v.ok()) {
        EXPECT_FALSE(v.error().message().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Literals, VariantTextMalformed,
    ::testing::Values(Malformed {"nothing at all", QString(), errc::InvalidArgument},
                      Malformed {"unterminated string", QStringLiteral("\"abc"), errc::InvalidArgument},
                      Malformed {"unknown escape", QStringLiteral("\"\\q\""), errc::InvalidArgument},
                      Malformed {"short hex escape", QStringLiteral("\"\\x4\""), errc::InvalidArgument},
                      Malformed {"bad hex escape", QStringLiteral("\"\\xZZ\""), errc::InvalidArgument},
                      Malformed {"short unicode escape", QStringLiteral("\"\\u20\""), errc::InvalidArgument},
                      Malformed {"odd hex string", QStringLiteral("hex:414"), errc::InvalidArgument},
                      Malformed {"bad hex string", QStringLiteral("hex:4G"), errc::InvalidArgument},
                      Malformed {"word", QStringLiteral("hello"), errc::InvalidArgument},
                      Malformed {"unknown type", QStringLiteral("i8:5"), errc::InvalidArgument},
                      Malformed {"i2 too big", QStringLiteral("i2:40000"), errc::Overflow},
                      Malformed {"ui1 too big", QStringLiteral("ui1:256"), errc::Overflow},
                      Malformed {"ui1 negative", QStringLiteral("ui1:-1"), errc::Overflow},
                      Malformed {"i4 too big", QStringLiteral("i4:2147483648"), errc::Overflow},
                      Malformed {"bare integer too big", QStringLiteral("4294967296"), errc::Overflow},
                      Malformed {"fraction for i2", QStringLiteral("i2:2.5"), errc::InvalidArgument},
                      Malformed {"bool word", QStringLiteral("bool:yes"), errc::InvalidArgument},
                      Malformed {"r8 word", QStringLiteral("r8:abc"), errc::InvalidArgument},
                      Malformed {"font flags", QStringLiteral("font:\"A\" 8 400 x"), errc::InvalidArgument},
                      Malformed {"font without flags", QStringLiteral("font:\"A\" 8 400"), errc::InvalidArgument},
                      Malformed {"font without name", QStringLiteral("font:A 8 400 -"), errc::InvalidArgument},
                      Malformed {"trailing text", QStringLiteral("i2:5 6"), errc::InvalidArgument},
                      Malformed {"object without resolver", QStringLiteral("$w"), errc::InvalidArgument},
                      Malformed {"missing file", QStringLiteral("file:/nonexistent/velloc/file"), errc::FileNotFound},
                      Malformed {"missing picture", QStringLiteral("picture:/nonexistent/velloc.png"), errc::FileNotFound},
                      Malformed {"picture data that is no image", QStringLiteral("picture:base64:aGVsbG8="),
                                 errc::InvalidArgument}));

// What format() writes for a file reads back as the same value.
TEST(VariantText, EveryStoredFormReadsBack)
{
    QString allCodes;
    for (int c = 0; c < 256; ++c)
        allCodes += QChar(c);
    QImage picture(5, 4, QImage::Format_ARGB32);
    picture.fill(QColor(10, 20, 30, 128));
    picture.setPixelColor(1, 2, Qt::yellow);
    const QList<Variant> values = {
        Variant(), Variant::null(), Variant::nothing(), Variant::fromI2(-32768), Variant::fromI4(2147483647),
        Variant::fromUI1(255), Variant::fromR4(3.14159f), Variant::fromR8(-1e-300), Variant::fromR8(0.1 + 0.2),
        Variant::fromBool(true), Variant::fromBool(false), Variant::fromError(53), str(allCodes),
        str(QString(QChar(0x100)) + QChar(0xD83D) + QChar(0xDE00) + QChar(0xFFFF)), str(QStringLiteral("=\"#")),
        fontValue("Courier New", 10.5, 700, true, false, true, 238), Variant::fromObject(Picture::create()),
        Variant::fromObject(Picture::create(picture))};
    for (const Variant& v : values) {
        const QString text = varianttext::format(v, varianttext::PictureForm::Data);
        const Result<Variant> back = varianttext::parseAll(text);
        ASSERT_TRUE(back.ok()) << text.toStdString() << ": " << back.error().message().toStdString();
        EXPECT_TRUE(sameVariant(back.value(), v)) << text.toStdString();
    }
}

TEST(VariantText, ParseStopsAfterEachValue)
{
    const QString text = QStringLiteral("i2:5 \"a b\"  bool:true font:\"X\" 8 400 - hex:41");
    qsizetype pos = 0;
    QList<Variant> got;
    while (true) {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
        if (pos >= text.size())
            break;
        Result<Variant> v = varianttext::parse(text, pos);
        ASSERT_TRUE(v.ok()) << v.error().message().toStdString();
        got.append(v.value());
    }
    ASSERT_EQ(got.size(), 5);
    EXPECT_TRUE(sameVariant(got[0], Variant::fromI2(5)));
    EXPECT_TRUE(sameVariant(got[1], str(QStringLiteral("a b"))));
    EXPECT_TRUE(sameVariant(got[2], Variant::fromBool(true)));
    EXPECT_TRUE(sameVariant(got[3], fontValue("X", 8, 400, false, false, false)));
    EXPECT_TRUE(sameVariant(got[4], str(QStringLiteral("A"))));
}

TEST(VariantText, ObjectsResolveThroughTheHost)
{
    auto dialog = std::make_shared<CommonDialog>();
    int asked = 0;
    const varianttext::ObjectResolver resolve = [&](const QString& name) -> Result<Variant> {
        ++asked;
        if (name == QLatin1String("d"))
            return Variant::fromObject(dialog);
        return Error(errc::InvalidArgument, QStringLiteral("unknown variable %1").arg(name));
    };
    const Result<Variant> v = varianttext::parseAll(u"$d", resolve);
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(v->object(), dialog);
    EXPECT_TRUE(failsWith(varianttext::parseAll(u"$other", resolve), errc::InvalidArgument));
    EXPECT_EQ(asked, 2);
}

TEST(VariantText, FilesReadOneCharacterPerByte)
{
    QTemporaryDir dir;
    QByteArray bytes;
    for (int c = 255; c >= 0; --c)
        bytes += char(c);
    QFile file(dir.filePath(QStringLiteral("bytes.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const Result<Variant> v = varianttext::parseAll(QStringLiteral("file:") + file.fileName());
    ASSERT_TRUE(v.ok()) << v.error().message().toStdString();
    ASSERT_EQ(v->string().size(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(v->string()[i].unicode(), 255 - i);
}

TEST(VariantText, PicturesLoadFromImageFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(image(7, 3).save(path));
    const Result<Variant> v = varianttext::parseAll(QStringLiteral("picture:") + path);
    ASSERT_TRUE(v.ok()) << v.error().message().toStdString();
    EXPECT_EQ(varianttext::format(v.value()), QStringLiteral("picture:7x3"));
}

} // namespace
