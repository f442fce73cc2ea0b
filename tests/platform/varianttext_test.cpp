#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/font.h"
#include "platform/picture.h"

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

// The forms the scripts do not print already. (The property bag's tests read every form back.)
TEST(VariantText, FormatsEachValueAsItsTypedLiteral)
{
    const std::pair<Variant, const char*> rows[] = {
        {Variant::null(), "null"}, {Variant::nothing(), "nothing"}, {Variant::fromUI1(255), "ui1:255"},
        {Variant::fromR4(0.1f), "r4:0.1"}, {Variant::fromR8(2147483903.0), "r8:2147483903"},
        {Variant::fromR8(0.1), "r8:0.1"}, {Variant::fromError(5), "error:5"},
        {str(QString(QChar(0x1F)) + QChar(0x7F) + QChar(0xFFFF)), R"(bstr:"\x1f\x7f\uffff")"},
        {fontValue("Tahoma", 9.75, 700, true, true, true), R"(font:"Tahoma" 9.75 700 ius)"},
        {fontValue("Symbol", 12, 400, false, false, false, 2), R"(font:"Symbol" 12 400 - 2)"},
        {Variant::fromObject(std::make_shared<CommonDialog>()), "object:CommonDialog"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(varianttext::format(value), QString::fromUtf8(text));
}

// The literal forms beyond what format() writes and the scripts use, and the refusals with
// their error numbers.
TEST(VariantText, ParsesLiteralsAndRefusesMalformedOnes)
{
    const std::pair<const char*, const char*> rows[] = {
        {"123", "i4:123"}, {"-5", "i4:-5"}, {"010", "i4:10"}, {"i2:08", "i2:8"}, {"  i2:5  ", "i2:5"},
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

} // namespace
