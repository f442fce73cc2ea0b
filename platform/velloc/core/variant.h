#pragma once

#include "velloc/core/error.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace velloc {

class Object;

// The automation variant types the runtime uses; numbers match the platform's VT_ codes.
enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    I2 = 2,
    I4 = 3,
    R4 = 4,
    R8 = 5,
    BStr = 8,
    Dispatch = 9,
    Error = 10,
    Bool = 11,
    Variant = 12, // "any": only as a declared parameter or result type
    UI1 = 17,
    Void = 24,    // only as a declared result type
};

VELLOC_EXPORT QString varTypeName(VarType type);

// A tagged automation value. Booleans are stored as 16-bit -1/0; strings are 16-bit
// characters; objects are shared references. Conversions follow the automation rules:
// numeric strings convert, halves round to even, values a type cannot hold are error 6,
// values that cannot convert are error 13.
class VELLOC_EXPORT Variant {
public:
    Variant() = default;
    Variant(const Variant&) = default;
    Variant(Variant&&) noexcept = default;
    Variant& operator=(const Variant&) = default;
    Variant& operator=(Variant&&) noexcept = default;

    static Variant null();
    static Variant fromI2(std::int16_t v);
    static Variant fromI4(std::int32_t v);
    static Variant fromUI1(std::uint8_t v);
    static Variant fromR4(float v);
    static Variant fromR8(double v);
    static Variant fromBool(bool v);
    static Variant fromString(QString v);
    static Variant fromObject(std::shared_ptr<Object> v); // null pointer: Nothing
    static Variant nothing() { return fromObject(nullptr); }
    static Variant fromError(std::int32_t scode);

    VarType type() const { return m_type; }
    bool isEmpty() const { return m_type == VarType::Empty; }
    bool isNull() const { return m_type == VarType::Null; }
    bool isNothing() const { return m_type == VarType::Dispatch && !m_object; }

    // Raw access; valid only for the matching type.
    std::int16_t i2() const { return std::int16_t(m_int); }
    std::int32_t i4() const { return std::int32_t(m_int); }
    std::uint8_t ui1() const { return std::uint8_t(m_int); }
    float r4() const { return float(m_real); }
    double r8() const { return m_real; }
    bool boolean() const { return m_int != 0; }
    const QString& string() const { return m_string; }
    const std::shared_ptr<Object>& object() const { return m_object; }
    std::int32_t errorCode() const { return std::int32_t(m_int); }

    // Automation coercions.
    Result<Variant> convertTo(VarType type) const;
    Result<std::int16_t> toI2() const;
    Result<std::int32_t> toI4() const;
    Result<std::uint8_t> toUI1() const;
    Result<double> toR8() const;
    Result<bool> toBool() const;
    Result<QString> toString() const;
    Result<std::shared_ptr<Object>> toObject() const; // Nothing gives a null pointer

    template <typename T>
    std::shared_ptr<T> objectAs() const { return std::dynamic_pointer_cast<T>(m_object); }

    // Equality by value: numbers compare across widths (a UI1 0 equals an I2 0), strings
    // exactly, objects by identity or, for pictures and fonts, by content.
    static bool equalByValue(const Variant& a, const Variant& b);

private:
    bool isNumeric() const;
    Result<double> numericValue() const;

    VarType m_type = VarType::Empty;
    std::int64_t m_int = 0;
    double m_real = 0;
    QString m_string;
    std::shared_ptr<Object> m_object;
};

} // namespace velloc
