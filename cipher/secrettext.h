#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace cipher {

// A copy of a key or passphrase that is wiped when it goes (or when cleared), in memory the
// compiler cannot optimise the wipe away from. A move hands over the memory itself, so no copy
// is left behind.
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::string_view text);
    SecretText(SecretText&& other) noexcept;
    SecretText& operator=(SecretText&& other) noexcept;
    ~SecretText() { clear(); }

    std::string_view view() const { return {m_data.get(), m_size}; }
    void clear();

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
};

// Overwrites with zeros copies of secrets that had to be ordinary strings or buffers.
void wipe(void* data, std::size_t size);
void wipe(std::string& text);

} // namespace cipher
