#include "velloc/core/variant.h"

#include "velloc/core/object.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace velloc {

QString varTypeName(VarType type)
{
    switch (type) {
    case VarType::Empty: return QStringLiteral("empty");
    case VarType::Null: return QStringLiteral("null");
    case VarType::I2: return QStringLiteral("i2");
    case VarType::I4: return QStringLiteral("i4");
    case VarType::R4: return QStringLiteral("r4");
    case VarType::R8: return QStringLiteral("r8");
    case VarType::BStr: return QStringLiteral("bstr");
    case VarType::Dispatch: return QStringLiteral("object");
    case VarType::Error: return QStringLiteral("error");
    case VarType::Bool: return QStringLiteral("bool");
    case VarType::Variant: return QStringLiteral("variant");
    case VarType::UI1: return QStringLiteral("ui1");
    case VarType::Void: return QStringLiteral("void");
    }
    return QStringLiteral("unknown");
}

Variant Variant::null()
{
    Variant v;
    v.m_type = VarType::Null;
    return v;
}

Variant Variant::fromI2(std::int16_t value)
{
    Variant v;
    v.m_type = VarType::I2;
    v.m_int = value;
    return v;
}

Variant Variant::fromI4(std::int32_t value)
{
    Variant v;
    v.m_type = VarType::I4;
    v.m_int = value;
    return v;
}

Variant Variant::fromUI1(std::uint8_t value)
{
    Variant v;
    v.m_type = VarType::UI1;
    v.m_int = value;
    return v;
}

Variant Variant::fromR4(float value)
{
    Variant v;
    v.m_type = VarType::R4;
    v.m_real = value;
    return v;
}

Variant Variant::fromR8(double value)
{
    Variant v;
    v.m_type = VarType::R8;
    v.m_real = value;
    return v;
}

Variant Variant::fromBool(bool value)
{
    Variant v;
    v.m_type = VarType::Bool;
    v.m_int = value ? -1 : 0;
    return v;
}

Variant Variant::fromString(QString value)
{
    Variant v;
    v.m_type = VarType::BStr;
    v.m_string = std::move(value);
    return v;
}

Variant Variant::fromObject(std::shared_ptr<Object> value)
{
    Variant v;
    v.m_type = VarType::Dispatch;
    v.m_object = std::move(value);
    return v;
}

Variant Variant::fromError(std::int32_t scode)
{
    Variant v;
    v.m_type = VarType::Error;
    v.m_int = scode;
    return v;
}

bool Variant::isNumeric() const
{
    switch (m_type) {
    case VarType::I2:
    case VarType::I4:
    case VarType::UI1:
    case VarType::R4:
    case VarType::R8:
    case VarType::Bool:
        return true;
    default:
        return false;
    }
}

static Result<double> parseNumber(const QString& text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (bytes.size() > 2 && bytes[0] == '&' && (bytes[1] == 'H' || bytes[1] == 'h')) {
        std::int64_t value = 0;
        auto [ptr, ec] = std::from_chars(begin + 2, end, value, 16);
        if (ec == std::errc() && ptr == end)
            return double(value);
        return Error(errc::TypeMismatch);
    }
    // from_chars also reads "inf" and "nan", which are no numbers here.
    const char* first = begin != end && *begin == '-' ? begin + 1 : begin;
    if (first == end || !((*first >= '0' && *first <= '9') || *first == '.'))
        return Error(errc::TypeMismatch);
    double value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (begin == end || ptr != end)
        return Error(errc::TypeMismatch);
    if (ec == std::errc::result_out_of_range)
        return Error(errc::Overflow);
    if (ec != std::errc())
        return Error(errc::TypeMismatch);
    return value;
}

Result<double> Variant::numericValue() const
{
    switch (m_type) {
    case VarType::Empty: return 0.0;
    case VarType::I2:
    case VarType::I4:
    case VarType::UI1:
    case VarType::Bool:
        return double(m_int);
    case VarType::R4:
    case VarType::R8:
        return m_real;
    case VarType::BStr:
        return parseNumber(m_string);
    case VarType::Null:
        return Error(errc::InvalidUseOfNull);
    case VarType::Dispatch: {
        if (!m_object)
            return Error(errc::ObjectNotSet);
        Variant value = VELLOC_TRY(m_object->defaultValue());
        return value.numericValue();
    }
    default:
        return Error(errc::TypeMismatch);
    }
}

template <typename Int>
static Result<Int> toInteger(const Variant& v, Result<double> number)
{
    if (!number)
        return number.releaseError();
    if (v.type() == VarType::I2 || v.type() == VarType::I4 || v.type() == VarType::UI1 || v.type() == VarType::Bool) {
        const double d = *number;
        if (d < double(std::numeric_limits<Int>::min()) || d > double(std::numeric_limits<Int>::max()))
            return Error(errc::Overflow);
        return Int(d);
    }
    if (std::isnan(*number))
        return Error(errc::Overflow);
    const double rounded = std::nearbyint(*number); // the default rounding mode rounds halves to even
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        return Error(errc::Overflow);
    return Int(rounded);
}

Result<std::int16_t> Variant::toI2() const { return toInteger<std::int16_t>(*this, numericValue()); }
Result<std::int32_t> Variant::toI4() const { return toInteger<std::int32_t>(*this, numericValue()); }
Result<std::uint8_t> Variant::toUI1() const { return toInteger<std::uint8_t>(*this, numericValue()); }
Result<double> Variant::toR8() const { return numericValue(); }

Result<bool> Variant::toBool() const
{
    if (m_type == VarType::BStr) {
        const QString t = m_string.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    double d = VELLOC_TRY(numericValue());
    return d != 0;
}

static QString formatReal(double value, bool single)
{
    char buffer[64];
    auto [ptr, ec] = single ? std::to_chars(buffer, buffer + sizeof buffer, float(value))
                            : std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        return QString::number(value);
    return QString::fromLatin1(buffer, ptr - buffer);
}

Result<QString> Variant::toString() const
{
    switch (m_type) {
    case VarType::Empty: return QString();
    case VarType::BStr: return m_string;
    case VarType::I2:
    case VarType::I4:
    case VarType::UI1:
        return QString::number(m_int);
    case VarType::R4: return formatReal(m_real, true);
    case VarType::R8: return formatReal(m_real, false);
    case VarType::Bool: return m_int ? QStringLiteral("True") : QStringLiteral("False");
    case VarType::Null: return Error(errc::InvalidUseOfNull);
    case VarType::Dispatch: {
        if (!m_object)
            return Error(errc::ObjectNotSet);
        Variant value = VELLOC_TRY(m_object->defaultValue());
        return value.toString();
    }
    default:
        return Error(errc::TypeMismatch);
    }
}

Result<std::shared_ptr<Object>> Variant::toObject() const
{
    if (m_type == VarType::Dispatch)
        return m_object;
    if (m_type == VarType::Empty)
        return std::shared_ptr<Object>();
    return Error(errc::ObjectRequired);
}

Result<Variant> Variant::convertTo(VarType type) const
{
    if (type == m_type || type == VarType::Variant)
        return *this;
    switch (type) {
    case VarType::Empty: return Variant();
    case VarType::Null: return Variant::null();
    case VarType::I2: return Variant::fromI2(VELLOC_TRY(toI2()));
    case VarType::I4: return Variant::fromI4(VELLOC_TRY(toI4()));
    case VarType::UI1: return Variant::fromUI1(VELLOC_TRY(toUI1()));
    case VarType::R4: {
        const double d = VELLOC_TRY(numericValue());
        if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
            return Error(errc::Overflow);
        return Variant::fromR4(float(d));
    }
    case VarType::R8: return Variant::fromR8(VELLOC_TRY(numericValue()));
    case VarType::Bool: return Variant::fromBool(VELLOC_TRY(toBool()));
    case VarType::BStr: return Variant::fromString(VELLOC_TRY(toString()));
    case VarType::Dispatch: return Variant::fromObject(VELLOC_TRY(toObject()));
    default: return Error(errc::TypeMismatch);
    }
}

bool Variant::equalByValue(const Variant& a, const Variant& b)
{
    if (a.isNumeric() && b.isNumeric())
        return *a.numericValue() == *b.numericValue();
    if (a.m_type == VarType::BStr && b.m_type == VarType::BStr)
        return a.m_string == b.m_string;
    if (a.m_type == VarType::Dispatch && b.m_type == VarType::Dispatch) {
        if (a.m_object == b.m_object)
            return true;
        if (a.m_object)
            return a.m_object->sameValue(b.m_object.get());
        return b.m_object->sameValue(nullptr);
    }
    if (a.m_type == VarType::Empty || b.m_type == VarType::Empty) {
        const Variant& other = a.m_type == VarType::Empty ? b : a;
        if (other.isEmpty())
            return true;
        if (other.m_type == VarType::BStr)
            return other.m_string.isEmpty();
        if (other.isNumeric())
            return *other.numericValue() == 0;
        return false;
    }
    if (a.m_type == VarType::Null && b.m_type == VarType::Null)
        return true;
    if (a.m_type == VarType::Error && b.m_type == VarType::Error)
        return a.m_int == b.m_int;
    return false;
}

} // namespace velloc
