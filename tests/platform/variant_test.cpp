#include "testsupport.h"

#include "platform/commondialog.h"
#include "platform/font.h"
#include "platform/picture.h"

#include <cmath>
#include <limits>

using namespace platform;
using testsupport::failsWith;
using testsupport::sameVariant;

namespace {

struct Coercion {
    const char* label;
    Variant from;
    VarType to;
    std::optional<Variant> expected; // nothing: the conversion fails
    int error = 0;
};

void PrintTo(const Coercion& c, std::ostream* os)
{
    *os << c.label;
}

Coercion ok(const char* label, Variant from, VarType to, Variant expected)
{
    return Coercion {label, std::move(from), to, std::move(expected), 0};
}
Coercion fails(const char* label, Variant from, VarType to, int error)
{
    return Coercion {label, std::move(from), to, std::nullopt, error};
}
Variant str(const char* s)
{
    return Variant::fromString(QString::fromUtf8(s));
}

class VariantCoercion : public ::testing::TestWithParam<Coercion> {};

TEST_P(VariantCoercion, ConvertsByTheAutomationRules)
{
    const Coercion& c = GetParam();
    const Result<Variant> result = c.from.convertTo(c.to);
    if (c.expected) {
        ASSERT_TRUE(result.ok()) << "error " << result.error().number() << ": " << result.error().message().toStdString();
        EXPECT_TRUE(sameVariant(result.value(), *c.expected));
    } else {
        EXPECT_TRUE(failsWith(result, c.error));
    }
}

INSTANTIATE_TEST_SUITE_P(
    NumericStrings, VariantCoercion,
    ::testing::Values(ok("12", str("12"), VarType::I2, Variant::fromI2(12)),
                      ok("spaces around", str("  12 "), VarType::I2, Variant::fromI2(12)),
                      ok("plus sign", str("+12"), VarType::I4, Variant::fromI4(12)),
                      ok("negative", str("-7"), VarType::I4, Variant::fromI4(-7)),
                      ok("2.5 rounds down to even", str("2.5"), VarType::I2, Variant::fromI2(2)),
                      ok("3.5 rounds up to even", str("3.5"), VarType::I2, Variant::fromI2(4)),
                      ok("-2.5 to even", str("-2.5"), VarType::I2, Variant::fromI2(-2)),
                      ok("0.5 to even", str("0.5"), VarType::I4, Variant::fromI4(0)),
                      ok("2.51 rounds to nearest", str("2.51"), VarType::I2, Variant::fromI2(3)),
                      ok("exponent", str("1e3"), VarType::I2, Variant::fromI2(1000)),
                      ok("leading point", str(".5"), VarType::R8, Variant::fromR8(0.5)),
                      ok("I2 maximum", str("32767"), VarType::I2, Variant::fromI2(32767)),
                      ok("I2 minimum", str("-32768"), VarType::I2, Variant::fromI2(-32768)),
                      ok("32766.5 stays in range", str("32766.5"), VarType::I2, Variant::fromI2(32766)),
                      ok("UI1 maximum", str("255"), VarType::UI1, Variant::fromUI1(255)),
                      ok("254.5 to even", str("254.5"), VarType::UI1, Variant::fromUI1(254)),
                      ok("to double", str("2.25"), VarType::R8, Variant::fromR8(2.25)),
                      ok("to single", str("1.5"), VarType::R4, Variant::fromR4(1.5f)),
                      fails("32768 overflows I2", str("32768"), VarType::I2, errc::Overflow),
                      fails("-32769 overflows I2", str("-32769"), VarType::I2, errc::Overflow),
                      fails("32767.5 rounds out of I2", str("32767.5"), VarType::I2, errc::Overflow),
                      fails("255.5 rounds out of UI1", str("255.5"), VarType::UI1, errc::Overflow),
                      fails("huge", str("1e30"), VarType::I4, errc::Overflow),
                      fails("beyond single", str("1e39"), VarType::R4, errc::Overflow),
                      fails("abc", str("abc"), VarType::I2, errc::TypeMismatch),
                      fails("empty string", str(""), VarType::I2, errc::TypeMismatch),
                      fails("blank string", str("   "), VarType::I4, errc::TypeMismatch),
                      fails("trailing letters", str("12abc"), VarType::I4, errc::TypeMismatch),
                      fails("two numbers", str("1 2"), VarType::I4, errc::TypeMismatch),
                      fails("C hex is no number", str("0x10"), VarType::I4, errc::TypeMismatch),
                      fails("nan is no number", str("nan"), VarType::I2, errc::TypeMismatch),
                      fails("inf is no number", str("inf"), VarType::I4, errc::TypeMismatch),
                      fails("infinity is no number", str("-Infinity"), VarType::R8, errc::TypeMismatch),
                      fails("nan to double", str("NaN"), VarType::R8, errc::TypeMismatch),
                      fails("letters to bool", str("abc"), VarType::Bool, errc::TypeMismatch)));

INSTANTIATE_TEST_SUITE_P(
    Numbers, VariantCoercion,
    ::testing::Values(ok("I4 fits I2", Variant::fromI4(-32768), VarType::I2, Variant::fromI2(-32768)),
                      fails("70000 to I2", Variant::fromI4(70000), VarType::I2, errc::Overflow),
                      fails("-70000 to I2", Variant::fromI4(-70000), VarType::I2, errc::Overflow),
                      fails("UI1 256", Variant::fromI4(256), VarType::UI1, errc::Overflow),
                      fails("UI1 -1", Variant::fromI4(-1), VarType::UI1, errc::Overflow),
                      fails("I2 -1 to UI1", Variant::fromI2(-1), VarType::UI1, errc::Overflow),
                      ok("UI1 255", Variant::fromI4(255), VarType::UI1, Variant::fromUI1(255)),
                      ok("UI1 widens", Variant::fromUI1(200), VarType::I2, Variant::fromI2(200)),
                      ok("double 2.5 to I2", Variant::fromR8(2.5), VarType::I2, Variant::fromI2(2)),
                      ok("double 3.5 to I2", Variant::fromR8(3.5), VarType::I2, Variant::fromI2(4)),
                      ok("double -0.5 to UI1", Variant::fromR8(-0.5), VarType::UI1, Variant::fromUI1(0)),
                      fails("double -0.6 to UI1", Variant::fromR8(-0.6), VarType::UI1, errc::Overflow),
                      ok("single 1.5 to I4", Variant::fromR4(1.5f), VarType::I4, Variant::fromI4(2)),
                      fails("double 1e10 to I4", Variant::fromR8(1e10), VarType::I4, errc::Overflow),
                      fails("infinity to I4", Variant::fromR8(std::numeric_limits<double>::infinity()), VarType::I4,
                            errc::Overflow),
                      ok("I4 maximum to double", Variant::fromI4(2147483647), VarType::R8, Variant::fromR8(2147483647.0)),
                      ok("I2 to string", Variant::fromI2(294), VarType::BStr, str("294")),
                      ok("negative to string", Variant::fromI4(-5), VarType::BStr, str("-5")),
                      ok("double to string", Variant::fromR8(2.5), VarType::BStr, str("2.5")),
                      ok("single to string", Variant::fromR4(1.5f), VarType::BStr, str("1.5"))));

INSTANTIATE_TEST_SUITE_P(
    Booleans, VariantCoercion,
    ::testing::Values(ok("true is -1", Variant::fromBool(true), VarType::I2, Variant::fromI2(-1)),
                      ok("true is -1 in 32 bits", Variant::fromBool(true), VarType::I4, Variant::fromI4(-1)),
                      ok("false is 0", Variant::fromBool(false), VarType::I4, Variant::fromI4(0)),
                      fails("true does not fit UI1", Variant::fromBool(true), VarType::UI1, errc::Overflow),
                      ok("false fits UI1", Variant::fromBool(false), VarType::UI1, Variant::fromUI1(0)),
                      ok("non-zero is true", Variant::fromI2(5), VarType::Bool, Variant::fromBool(true)),
                      ok("zero is false", Variant::fromI4(0), VarType::Bool, Variant::fromBool(false)),
                      ok("0.4 is true", Variant::fromR8(0.4), VarType::Bool, Variant::fromBool(true)),
                      ok("\"True\"", str("True"), VarType::Bool, Variant::fromBool(true)),
                      ok("\"false\"", str(" false "), VarType::Bool, Variant::fromBool(false)),
                      ok("\"0\"", str("0"), VarType::Bool, Variant::fromBool(false)),
                      ok("\"-1\"", str("-1"), VarType::Bool, Variant::fromBool(true)),
                      ok("true to string", Variant::fromBool(true), VarType::BStr, str("True")),
                      ok("false to string", Variant::fromBool(false), VarType::BStr, str("False"))));

INSTANTIATE_TEST_SUITE_P(
    EmptyAndNull, VariantCoercion,
    ::testing::Values(ok("empty to I2", Variant(), VarType::I2, Variant::fromI2(0)),
                      ok("empty to I4", Variant(), VarType::I4, Variant::fromI4(0)),
                      ok("empty to UI1", Variant(), VarType::UI1, Variant::fromUI1(0)),
                      ok("empty to double", Variant(), VarType::R8, Variant::fromR8(0)),
                      ok("empty to string", Variant(), VarType::BStr, str("")),
                      ok("empty to bool", Variant(), VarType::Bool, Variant::fromBool(false)),
                      ok("empty to object", Variant(), VarType::Dispatch, Variant::nothing()),
                      ok("anything to empty", Variant::fromI4(7), VarType::Empty, Variant()),
                      fails("null to I2", Variant::null(), VarType::I2, errc::InvalidUseOfNull),
                      fails("null to string", Variant::null(), VarType::BStr, errc::InvalidUseOfNull),
                      fails("null to bool", Variant::null(), VarType::Bool, errc::InvalidUseOfNull),
                      fails("error to I4", Variant::fromError(5), VarType::I4, errc::TypeMismatch),
                      fails("number to object", Variant::fromI4(1), VarType::Dispatch, errc::ObjectRequired),
                      fails("nothing to I4", Variant::nothing(), VarType::I4, errc::ObjectNotSet),
                      fails("nothing to string", Variant::nothing(), VarType::BStr, errc::ObjectNotSet)));

// An object meeting a conversion gives its default member's value.
TEST(VariantObjects, ConvertThroughTheirDefaultMember)
{
    Font::Description d;
    d.name = QStringLiteral("Tahoma");
    const Variant font = Variant::fromObject(Font::create(d));
    EXPECT_TRUE(sameVariant(font.convertTo(VarType::BStr).value(), str("Tahoma")));
    EXPECT_TRUE(failsWith(font.convertTo(VarType::I4), errc::TypeMismatch));

    // The common dialog has no default member.
    const Variant dialog = Variant::fromObject(std::make_shared<CommonDialog>());
    EXPECT_TRUE(failsWith(dialog.convertTo(VarType::BStr), errc::TypeMismatch));
    EXPECT_TRUE(failsWith(dialog.convertTo(VarType::I2), errc::TypeMismatch));
}

TEST(VariantObjects, ComponentDefaultMembersConvert)
{
    auto counter = testsupport::createFromTestModule(testwidget::CounterClsid);
    ASSERT_TRUE(counter);
    ASSERT_TRUE(testsupport::putProperty(*counter, testwidget::counterid::Value, Variant::fromI4(40000)).ok());
    const Variant v = Variant::fromObject(counter);
    EXPECT_TRUE(sameVariant(v.convertTo(VarType::I4).value(), Variant::fromI4(40000)));
    EXPECT_TRUE(failsWith(v.convertTo(VarType::I2), errc::Overflow));
    EXPECT_TRUE(sameVariant(v.convertTo(VarType::BStr).value(), str("40000")));
}

struct Equality {
    const char* label;
    Variant a;
    Variant b;
    bool equal;
};

void PrintTo(const Equality& e, std::ostream* os)
{
    *os << e.label;
}

class VariantEquality : public ::testing::TestWithParam<Equality> {};

TEST_P(VariantEquality, ComparesByValueEitherWayRound)
{
    const Equality& e = GetParam();
    EXPECT_EQ(Variant::equalByValue(e.a, e.b), e.equal);
    EXPECT_EQ(Variant::equalByValue(e.b, e.a), e.equal);
}

std::shared_ptr<Picture> picture(QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(3, 2, format);
    image.fill(colour);
    return Picture::create(image);
}

std::shared_ptr<Font> font(const char* name, bool italic = false)
{
    Font::Description d;
    d.name = QString::fromLatin1(name);
    d.italic = italic;
    return Font::create(d);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, VariantEquality,
    ::testing::Values(Equality {"UI1 0 and I2 0", Variant::fromUI1(0), Variant::fromI2(0), true},
                      Equality {"UI1 30 and I2 30", Variant::fromUI1(30), Variant::fromI2(30), true},
                      Equality {"UI1 200 and I4 200", Variant::fromUI1(200), Variant::fromI4(200), true},
                      Equality {"I2 and I4", Variant::fromI2(-5), Variant::fromI4(-5), true},
                      Equality {"I4 70000 and its 16-bit wrap", Variant::fromI4(70000), Variant::fromI2(4464), false},
                      Equality {"UI1 1 and I2 0", Variant::fromUI1(1), Variant::fromI2(0), false},
                      Equality {"true and -1", Variant::fromBool(true), Variant::fromI2(-1), true},
                      Equality {"true and 1", Variant::fromBool(true), Variant::fromI2(1), false},
                      Equality {"false and 0", Variant::fromBool(false), Variant::fromI4(0), true},
                      Equality {"single and double", Variant::fromR4(0.5f), Variant::fromR8(0.5), true},
                      Equality {"double and integer", Variant::fromR8(3.0), Variant::fromI4(3), true},
                      Equality {"3.5 and 4", Variant::fromR8(3.5), Variant::fromI4(4), false}));

INSTANTIATE_TEST_SUITE_P(
    Others, VariantEquality,
    ::testing::Values(Equality {"same strings", str("Key"), str("Key"), true},
                      Equality {"strings differ in case", str("Key"), str("key"), false},
                      Equality {"string and number", str("0"), Variant::fromI2(0), false},
                      Equality {"string and its number", str("12"), Variant::fromI4(12), false},
                      Equality {"empty and empty string", Variant(), str(""), true},
                      Equality {"empty and zero", Variant(), Variant::fromI2(0), true},
                      Equality {"empty and false", Variant(), Variant::fromBool(false), true},
                      Equality {"empty and one", Variant(), Variant::fromI2(1), false},
                      Equality {"empty and text", Variant(), str("a"), false},
                      Equality {"empty and empty", Variant(), Variant(), true},
                      Equality {"null and null", Variant::null(), Variant::null(), true},
                      Equality {"null and empty", Variant::null(), Variant(), false},
                      Equality {"null and zero", Variant::null(), Variant::fromI2(0), false},
                      Equality {"errors alike", Variant::fromError(7), Variant::fromError(7), true},
                      Equality {"errors differ", Variant::fromError(7), Variant::fromError(8), false}));

INSTANTIATE_TEST_SUITE_P(
    Objects, VariantEquality,
    ::testing::Values(Equality {"nothing and nothing", Variant::nothing(), Variant::nothing(), true},
                      Equality {"nothing and no picture", Variant::nothing(), Variant::fromObject(Picture::create()), true},
                      Equality {"nothing and a picture", Variant::nothing(), Variant::fromObject(picture(Qt::red)), false},
                      Equality {"pictures with the same pixels", Variant::fromObject(picture(Qt::red)),
                                Variant::fromObject(picture(Qt::red)), true},
                      Equality {"pictures with the same pixels in other formats", Variant::fromObject(picture(Qt::red)),
                                Variant::fromObject(picture(Qt::red, QImage::Format_RGB888)), true},
                      Equality {"pictures with other pixels", Variant::fromObject(picture(Qt::red)),
                                Variant::fromObject(picture(Qt::blue)), false},
                      Equality {"fonts alike", Variant::fromObject(font("Tahoma")), Variant::fromObject(font("Tahoma")), true},
                      Equality {"fonts differ", Variant::fromObject(font("Tahoma")),
                                Variant::fromObject(font("Tahoma", true)), false},
                      Equality {"font and nothing", Variant::fromObject(font("Tahoma")), Variant::nothing(), false},
                      Equality {"font and picture", Variant::fromObject(font("Tahoma")),
                                Variant::fromObject(Picture::create()), false},
                      Equality {"object and empty", Variant::fromObject(font("Tahoma")), Variant(), false}));

TEST(VariantEquality, OtherObjectsCompareByIdentity)
{
    auto a = std::make_shared<CommonDialog>();
    auto b = std::make_shared<CommonDialog>();
    EXPECT_TRUE(Variant::equalByValue(Variant::fromObject(a), Variant::fromObject(a)));
    EXPECT_FALSE(Variant::equalByValue(Variant::fromObject(a), Variant::fromObject(b)));
    EXPECT_FALSE(Variant::equalByValue(Variant::fromObject(a), Variant::nothing()));
    EXPECT_FALSE(Variant::equalByValue(Variant::nothing(), Variant::fromObject(a)));
}

} // namespace
