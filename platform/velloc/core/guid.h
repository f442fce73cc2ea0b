#pragma once

#include "velloc/core/export.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace velloc {

// A 128-bit class, interface or library identifier, written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
class VELLOC_EXPORT Guid {
public:
    constexpr Guid() = default;
    constexpr Guid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::array<std::uint8_t, 8> d4)
        : m_d1(d1), m_d2(d2), m_d3(d3), m_d4(d4)
    {
    }

    // Parses the braced form (braces optional, hex digits in either case).
    static constexpr std::optional<Guid> parse(std::string_view text)
    {
        if (text.size() == 38 && text.front() == '{' && text.back() == '}')
            text = text.substr(1, 36);
        if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
            return std::nullopt;
        std::uint64_t fields[5] = {};
        const int starts[5] = {0, 9, 14, 19, 24};
        const int lengths[5] = {8, 4, 4, 4, 12};
        for (int f = 0; f < 5; ++f) {
            for (int i = 0; i < lengths[f]; ++i) {
                const int v = hexValue(text[starts[f] + i]);
                if (v < 0)
                    return std::nullopt;
                fields[f] = (fields[f] << 4) | std::uint64_t(v);
            }
        }
        std::array<std::uint8_t, 8> d4 {};
        d4[0] = std::uint8_t(fields[3] >> 8);
        d4[1] = std::uint8_t(fields[3]);
        for (int i = 0; i < 6; ++i)
            d4[2 + i] = std::uint8_t(fields[4] >> (8 * (5 - i)));
        return Guid(std::uint32_t(fields[0]), std::uint16_t(fields[1]), std::uint16_t(fields[2]), d4);
    }

    static std::optional<Guid> parse(const QString& text)
    {
        const QByteArray latin1 = text.toLatin1();
        return parse(std::string_view(latin1.constData(), std::size_t(latin1.size())));
    }

    // Compile-time literal; a malformed literal fails to compile.
    static consteval Guid literal(std::string_view text)
    {
        auto g = parse(text);
        if (!g)
            throw "malformed GUID literal";
        return *g;
    }

    QString toString() const;
    constexpr bool isNull() const { return *this == Guid(); }

    constexpr bool operator==(const Guid&) const = default;
    constexpr auto operator<=>(const Guid&) const = default;

    std::size_t hash() const;

private:
    static constexpr int hexValue(char c)
    {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::uint32_t m_d1 = 0;
    std::uint16_t m_d2 = 0;
    std::uint16_t m_d3 = 0;
    std::array<std::uint8_t, 8> m_d4 {};
};

} // namespace velloc

template <>
struct std::hash<velloc::Guid> {
    std::size_t operator()(const velloc::Guid& g) const noexcept { return g.hash(); }
};
