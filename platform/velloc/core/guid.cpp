#include "velloc/core/guid.h"

#include <cstring>

namespace velloc {

QString Guid::toString() const
{
    return QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", m_d1, m_d2, m_d3, m_d4[0], m_d4[1],
                             m_d4[2], m_d4[3], m_d4[4], m_d4[5], m_d4[6], m_d4[7]);
}

std::size_t Guid::hash() const
{
    std::uint64_t a = (std::uint64_t(m_d1) << 32) | (std::uint64_t(m_d2) << 16) | m_d3;
    std::uint64_t b = 0;
    std::memcpy(&b, m_d4.data(), sizeof b);
    return std::hash<std::uint64_t>()(a ^ (b * 0x9E3779B97F4A7C15ull));
}

} // namespace velloc
