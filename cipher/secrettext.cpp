#include "cipher/secrettext.h"

#include <sodium.h>

#include <cstring>
#include <utility>

namespace cipher {

SecretText::SecretText(std::string_view text) : m_data(std::make_unique<char[]>(text.size() + 1)), m_size(text.size())
{
    std::memcpy(m_data.get(), text.data(), text.size());
}

SecretText::SecretText(SecretText&& other) noexcept : m_data(std::move(other.m_data)), m_size(std::exchange(other.m_size, 0)) {}

SecretText& SecretText::operator=(SecretText&& other) noexcept
{
    if (this != &other) {
        clear();
        m_data = std::move(other.m_data);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void SecretText::clear()
{
    if (m_data)
        sodium_memzero(m_data.get(), m_size);
    m_size = 0;
}

void wipe(void* data, std::size_t size)
{
    if (data)
        sodium_memzero(data, size);
}

void wipe(std::string& text)
{
    wipe(text.data(), text.size());
}

} // namespace cipher
