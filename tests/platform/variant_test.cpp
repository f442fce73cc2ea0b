#include "testcomponent.h"

#include "velloc/store/font.h"
#include "velloc/store/picture.h"

#include <limits>

using namespace velloc;
using namespace testsupport;

namespace {
// An object with no default member and no value of its own.
class Plain : public Object {
public:
    QString className() const override { return QStringLiteral("Plain"); }
    const DispatchTable& dispatch() const override
    {
        static const DispatchTable table(InterfaceInfo {QStringLiteral("IPlain"), {}, true});
        return table;
    }
};
} // namespace

namespace {

// Conversions by the automation rules: halves round to even, what a type cannot hold is
// error 6, what is no number is error 13.
TEST(Variant, ConvertsByTheAutomationRules)
{
    using enum VarType;
    struct Row {
        const char* from;
        VarType to;
        const char* gives;
    };
    const Row rows[] = {
        // Numeric strings.
        {R"("  12 ")", I2, "i2:12"}, {R"("+12")", I4, "i4:12"}, {R"("2.5")", I2, "i2:2"}, {R"("3.5")", I2, "i2:4"},
        {R"("-2.5")", I2, "i2:-2"}, {R"("0.5")", I4, "i4:0"}, {R"("2.51")", I2, "i2:3"}, {R"("1e3")", I2, "i2:1000"},
        {R"(".5")", R8, "r8:0.5"}, {R"("32767")", I2, "i2:32767"}, {R"("32766.5")", I2, "i2:32766"},
        {R"("255")", UI1, "ui1:255"}, {R"("254.5")", UI1, "ui1:254"}, {R"("1.5")", R4, "r4:1.5"},
        {R"("32768")", I2, "error 6"}, {R"("-32769")", I2, "error 6"}, {R"("32767.5")", I2, "error 6"},
        {R"("255.5")", UI1, "error 6"}, {R"("1e30")", I4, "error 6"}, {R"("1e39")", R4, "error 6"},
        {R"("abc")", I2, "error 13"}, {R"("")", I2, "error 13"}, {R"("   ")", I4, "error 13"},
        {R"("12abc")", I4, "error 13"}, {R"("1 2")", I4, "error 13"}, {R"("0x10")", I4, "error 13"},
        {R"("nan")", I2, "error 13"}, {R"("inf")", I4, "error 13"}, {R"("-Infinity")", R8, "error 13"},
        {R"("NaN")", R8, "error 13"},
        // Numbers.
        {"i4:-32768", I2, "i2:-32768"}, {"i4:70000", I2, "error 6"}, {"i4:256", UI1, "error 6"},
        {"i4:-1", UI1, "error 6"}, {"i2:-1", UI1, "error 6"}, {"i4:255", UI1, "ui1:255"}, {"ui1:200", I2, "i2:200"},
        {"r8:2.5", I2, "i2:2"}, {"r8:3.5", I2, "i2:4"}, {"r8:-0.5", UI1, "ui1:0"}, {"r8:-0.6", UI1, "error 6"},
        {"r4:1.5", I4, "i4:2"}, {"r8:1e10", I4, "error 6"}, {"i4:2147483647", R8, "r8:2147483647"},
        {"i2:294", BStr, R"(bstr:"294")"}, {"r8:2.5", BStr, R"(bstr:"2.5")"}, {"r4:0.1", BStr, R"(bstr:"0.1")"},
        // Booleans are -1 and 0.
        {"bool:true", I2, "i2:-1"}, {"bool:true", UI1, "error 6"}, {"bool:false", UI1, "ui1:0"},
        {"i2:5", Bool, "bool:true"}, {"r8:0.4", Bool, "bool:true"}, {R"("True")", Bool, "bool:true"},
        {R"(" false ")", Bool, "bool:false"}, {R"("0")", Bool, "bool:false"}, {R"("-1")", Bool, "bool:true"},
        {R"("abc")", Bool, "error 13"}, {"bool:true", BStr, R"(bstr:"True")"}, {"bool:false", BStr, R"(bstr:"False")"},
        // Empty is zero of every type; null, errors and nothing are no values.
        {"empty", I2, "i2:0"}, {"empty", UI1, "ui1:0"}, {"empty", R8, "r8:0"}, {"empty", BStr, R"(bstr:"")"},
        {"empty", Bool, "bool:false"}, {"empty", Dispatch, "nothing"}, {"i4:7", Empty, "empty"},
        {"null", I2, "error 94"}, {"null", BStr, "error 94"}, {"error:5", I4, "error 13"},
        {"i4:1", Dispatch, "error 424"}, {"nothing", I4, "error 91"}, {"nothing", BStr, "error 91"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(outcome(lit(row.from).convertTo(row.to)), QString::fromUtf8(row.gives))
            << row.from << " to " << varTypeName(row.to).toStdString();
    EXPECT_TRUE(failsWith(Variant::fromR8(std::numeric_limits<double>::infinity()).convertTo(I4), errc::Overflow));
}

// An object meeting a conversion gives its default member's value; one without has none.
TEST(Variant, ObjectsConvertThroughTheirDefaultMember)
{
    const Variant font = lit(R"(font:"Tahoma" 8 400 -)");
    EXPECT_EQ(outcome(font.convertTo(VarType::BStr)), QStringLiteral(R"(bstr:"Tahoma")"));
    EXPECT_TRUE(failsWith(font.convertTo(VarType::I4), errc::TypeMismatch));
    EXPECT_TRUE(failsWith(Variant::fromObject(std::make_shared<Plain>()).convertTo(VarType::BStr), errc::TypeMismatch));

    auto counter = createFromTestModule(testwidget::CounterClsid);
    ASSERT_TRUE(counter);
    ASSERT_TRUE(counter->putProperty(testwidget::counterid::Value, Variant::fromI4(40000)).ok());
    const Variant v = Variant::fromObject(counter);
    EXPECT_EQ(outcome(v.convertTo(VarType::I4)), QStringLiteral("i4:40000"));
    EXPECT_TRUE(failsWith(v.convertTo(VarType::I2), errc::Overflow));
}

// Equality by value, either way round: numbers across types, strings exactly, pictures by
// pixels, fonts by description, other objects by identity.
TEST(Variant, ComparesByValue)
{
    auto dialog = std::make_shared<Plain>();
    const varianttext::ObjectResolver objects = [&](const QString& name) -> Result<Variant> {
        if (name == QLatin1String("dialog"))
            return Variant::fromObject(dialog);
        if (name == QLatin1String("other"))
            return Variant::fromObject(std::make_shared<Plain>());
        QImage image(3, 2, name.endsWith(QLatin1String("888")) ? QImage::Format_RGB888 : QImage::Format_RGB32);
        image.fill(name.startsWith(QLatin1String("red")) ? Qt::red : Qt::blue);
        return Variant::fromObject(Picture::create(image));
    };
    struct Row {
        const char* a;
        const char* b;
        bool equal;
    };
    const Row rows[] = {
        {"ui1:0", "i2:0", true}, {"ui1:200", "i4:200", true}, {"i2:-5", "i4:-5", true}, {"i4:70000", "i2:4464", false},
        {"ui1:1", "i2:0", false}, {"bool:true", "i2:-1", true}, {"bool:true", "i2:1", false},
        {"bool:false", "i4:0", true}, {"r4:0.5", "r8:0.5", true}, {"r8:3", "i4:3", true}, {"r8:3.5", "i4:4", false},
        {R"("Key")", R"("Key")", true}, {R"("Key")", R"("key")", false}, {R"("0")", "i2:0", false},
        {R"("12")", "i4:12", false}, {"empty", R"("")", true}, {"empty", "i2:0", true}, {"empty", "bool:false", true},
        {"empty", "i2:1", false}, {"empty", R"("a")", false}, {"empty", "empty", true}, {"null", "null", true},
        {"null", "empty", false}, {"null", "i2:0", false}, {"error:7", "error:7", true}, {"error:7", "error:8", false},
        {"nothing", "nothing", true}, {"nothing", "picture:none", true}, {"nothing", "$red", false},
        {"$red", "$red", true}, {"$red", "$red888", true}, {"$red", "$blue", false},
        {R"(font:"Tahoma" 8 400 -)", R"(font:"Tahoma" 8 400 -)", true},
        {R"(font:"Tahoma" 8 400 -)", R"(font:"Tahoma" 8 400 i)", false}, {R"(font:"Tahoma" 8 400 -)", "nothing", false},
        {R"(font:"Tahoma" 8 400 -)", "picture:none", false}, {R"(font:"Tahoma" 8 400 -)", "empty", false},
        {"$dialog", "$dialog", true}, {"$dialog", "$other", false}, {"$dialog", "nothing", false},
    };
    for (const Row& row : rows) {
        const Variant a = lit(row.a, objects);
        const Variant b = lit(row.b, objects);
        EXPECT_EQ(Variant::equalByValue(a, b), row.equal) << row.a << " = " << row.b;
        EXPECT_EQ(Variant::equalByValue(b, a), row.equal) << row.b << " = " << row.a;
    }
}

// ---- Text forms ----

// The forms the scripts do not print already. (The property bag's tests read every form back.)
TEST(VariantText, FormatsEachValueAsItsTypedLiteral)
{
    const std::pair<Variant, const char*> rows[] = {
        {Variant::null(), "null"}, {Variant::nothing(), "nothing"}, {Variant::fromUI1(255), "ui1:255"},
        {Variant::fromR4(0.1f), "r4:0.1"}, {Variant::fromR8(2147483903.0), "r8:2147483903"},
        {Variant::fromR8(0.1), "r8:0.1"}, {Variant::fromError(5), "error:5"},
        {Variant::fromString(QString(QChar(0x1F)) + QChar(0x7F) + QChar(0xFFFF)), R"(bstr:"\x1f\x7f\uffff")"},
        {Variant::fromObject(Font::create({QStringLiteral("Tahoma"), 9.75, 700, true, true, true})),
         R"(font:"Tahoma" 9.75 700 ius)"},
        {Variant::fromObject(Font::create({QStringLiteral("Symbol"), 12, 400, false, false, false, 2})),
         R"(font:"Symbol" 12 400 - 2)"},
        {Variant::fromObject(std::make_shared<Plain>()), "object:Plain"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(varianttext::format(value), QString::fromUtf8(text));
}

// The literal forms beyond what format() writes and the scripts use, and the refusals with
// their error numbers. Stored text names no files: file: and picture: paths are refused
// unread (the scripts hold what a script's own file literals do).
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
        {"file:/nonexistent/velloc/file", "error 5"}, {"picture:/nonexistent/velloc.png", "error 5"},
    };
    for (const auto& [text, gives] : rows)
        EXPECT_EQ(outcome(varianttext::parseAll(QString::fromUtf8(text))), QString::fromUtf8(gives)) << text;
}

// Whole numbers as the literals and compcall's DISPIDs write them, within the reader's range.
TEST(VariantText, ReadsWholeNumbersWithinTheirRange)
{
    constexpr qint64 lo = std::numeric_limits<std::int32_t>::min();
    constexpr qint64 hi = std::numeric_limits<std::uint32_t>::max();
    struct Row {
        const char* digits;
        qint64 min;
        qint64 max;
        const char* gives;
    };
    const Row rows[] = {
        {"0x68030001", lo, hi, "1745027073"}, {"-0x228", lo, hi, "-552"}, {"-0552", lo, hi, "-552"},
        {"0XfF", 0, 255, "255"}, {"4294967295", lo, hi, "4294967295"}, {"-2147483648", lo, hi, "-2147483648"},
        {"4294967296", lo, hi, "error 6"}, {"-2147483649", lo, hi, "error 6"}, {"256", 0, 255, "error 6"},
        {"-1", 0, 255, "error 6"}, {"--5", lo, hi, "error 5"}, {"0x", lo, hi, "error 5"}, {"", lo, hi, "error 5"},
        {"5x", lo, hi, "error 5"}, {"1.5", lo, hi, "error 5"},
    };
    for (const Row& row : rows) {
        const Result<qint64> r = varianttext::parseWholeNumber(QString::fromUtf8(row.digits), row.min, row.max,
                                                               QStringLiteral("a number"));
        const QString got = r ? QString::number(r.value()) : QStringLiteral("error %1").arg(r.error().number());
        EXPECT_EQ(got, QString::fromUtf8(row.gives)) << row.digits;
    }
}

} // namespace
