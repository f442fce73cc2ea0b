#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/font.h"
#include "platform/picture.h"

#include <QFile>

using namespace platform;
using namespace testsupport;

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

TEST(VariantText, FormatsEachValueAsItsTypedLiteral)
{
    QImage image(514, 266, QImage::Format_RGB32);
    image.fill(Qt::green);
    const std::pair<Variant, const char*> rows[] = {
        {Variant(), "empty"}, {Variant::null(), "null"}, {Variant::nothing(), "nothing"},
        {Variant::fromI2(-32768), "i2:-32768"}, {Variant::fromI4(51000), "i4:51000"}, {Variant::fromUI1(255), "ui1:255"},
        {Variant::fromR4(0.1f), "r4:0.1"}, {Variant::fromR8(2147483903.0), "r8:2147483903"},
        {Variant::fromR8(0.1), "r8:0.1"}, {Variant::fromBool(true), "bool:true"}, {Variant::fromBool(false), "bool:false"},
        {Variant::fromError(5), "error:5"}, {str(QString()), R"(bstr:"")"},
        {str(QStringLiteral("a\"b\\c ~")), R"(bstr:"a\"b\\c ~")"},
        {str(QString(QChar(0)) + QChar(9) + QChar(10) + QChar(0x1F)), R"(bstr:"\x00\x09\x0a\x1f")"},
        {str(QString(QChar(0x7F)) + QChar(0x80) + QChar(0xEB) + QChar(0xFF)), R"(bstr:"\x7f\x80\xeb\xff")"},
        {str(QString(QChar(0x100)) + QChar(0x20AC) + QChar(0xFFFF)), R"(bstr:"\u0100\u20ac\uffff")"},
        {Variant::fromObject(Picture::create()), "picture:none"},
        {Variant::fromObject(Picture::create(image)), "picture:514x266"},
        {Variant::fromObject(Font::create()), R"(font:"MS Sans Serif" 8.25 400 -)"},
        {fontValue("Tahoma", 9.75, 700, true, true, true), R"(font:"Tahoma" 9.75 700 ius)"},
        {fontValue("Tahoma", 9.75, 400, false, true, false), R"(font:"Tahoma" 9.75 400 u)"},
        {fontValue("Symbol", 12, 400, false, false, false, 2), R"(font:"Symbol" 12 400 - 2)"},
        {Variant::fromObject(std::make_shared<CommonDialog>()), "object:CommonDialog"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(varianttext::format(value), QString::fromUtf8(text));
}

// The literal forms beyond what format() writes, and the refusals with their error numbers.
TEST(VariantText, ParsesLiteralsAndRefusesMalformedOnes)
{
    const std::pair<const char*, const char*> rows[] = {
        {"123", "i4:123"}, {"-5", "i4:-5"}, {"010", "i4:10"}, {"i2:08", "i2:8"}, {"  i2:5  ", "i2:5"},
        {R"("a b")", R"(bstr:"a b")"}, {R"("\\\"\n\r\t")", R"(bstr:"\\\"\x0a\x0d\x09")"},
        {R"("\x41\x00\xfF")", R"(bstr:"A\x00\xff")"}, {R"("\u20ac")", R"(bstr:"\u20ac")"},
        {"hex:414200FF", R"(bstr:"AB\x00\xff")"}, {"hex:", R"(bstr:"")"},
        {R"(font:"A B" 8 700 si)", R"(font:"A B" 8 700 is)"},
        {"", "error 5"}, {R"("abc)", "error 5"}, {R"("\q")", "error 5"}, {R"("\x4")", "error 5"},
        {R"("\xZZ")", "error 5"}, {R"("\u20")", "error 5"}, {"hex:414", "error 5"}, {"hex:4G", "error 5"},
        {"hello", "error 5"}, {"i8:5", "error 5"}, {"i2:2.5", "error 5"}, {"bool:yes", "error 5"},
        {"r8:abc", "error 5"}, {R"(font:"A" 8 400 x)", "error 5"}, {R"(font:"A" 8 400)", "error 5"},
        {"font:A 8 400 -", "error 5"}, {"i2:5 6", "error 5"}, {"$w", "error 5"},
        {"picture:base64:aGVsbG8=", "error 5"}, {"i2:40000", "error 6"}, {"ui1:256", "error 6"},
        {"ui1:-1", "error 6"}, {"i4:2147483648", "error 6"}, {"4294967296", "error 6"},
        {"file:/nonexistent/velloc/file", "error 53"}, {"picture:/nonexistent/velloc.png", "error 53"},
    };
    for (const auto& [text, gives] : rows)
        EXPECT_EQ(outcome(varianttext::parseAll(QString::fromUtf8(text))), QString::fromUtf8(gives)) << text;
}

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
    const QString text = QStringLiteral(R"(i2:5 "a b"  bool:true font:"X" 8 400 - hex:41)");
    qsizetype pos = 0;
    QStringList got;
    while (pos < text.size()) {
        Result<Variant> v = varianttext::parse(text, pos);
        ASSERT_TRUE(v.ok()) << v.error().message().toStdString();
        got << varianttext::format(v.value());
    }
    EXPECT_EQ(got.join(u'|'), QStringLiteral(R"(i2:5|bstr:"a b"|bool:true|font:"X" 8 400 -|bstr:"A")"));
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
    EXPECT_EQ(varianttext::parseAll(u"$d", resolve)->object(), dialog);
    EXPECT_TRUE(failsWith(varianttext::parseAll(u"$other", resolve), errc::InvalidArgument));
    EXPECT_EQ(asked, 2);
}

// Files read one character per byte; pictures load from image files.
TEST(VariantText, ReadsFiles)
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
    EXPECT_EQ(v->string(), QString::fromLatin1(bytes));

    const QString path = dir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(QImage(7, 3, QImage::Format_RGB32).save(path));
    EXPECT_EQ(outcome(varianttext::parseAll(QStringLiteral("picture:") + path)), QStringLiteral("picture:7x3"));
}

} // namespace
