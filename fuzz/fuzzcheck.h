#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

// What the fuzz targets share: the checks, the reading of an input, and the entry point.
// Each target is an ordinary function, so the seed corpus can also be replayed by the unit
// tests (built with CIPHER_FUZZ_REPLAY, where a failed check throws instead of aborting).
namespace fuzzcheck {

[[noreturn]] inline void fail(const char* condition, const char* file, int line)
{
#ifdef CIPHER_FUZZ_REPLAY
    throw std::logic_error(std::string(file) + ":" + std::to_string(line) + ": check failed: " + condition);
#else
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
#endif
}

// Takes leading bytes off a fuzz input; whatever is left is the text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_rest(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte()
    {
        if (m_rest.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }

    std::string_view take(std::size_t n)
    {
        const std::string_view taken = m_rest.substr(0, n);
        m_rest.remove_prefix(taken.size());
        return taken;
    }

    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

} // namespace fuzzcheck

#define FUZZ_CHECK(condition) ((condition) ? void() : fuzzcheck::fail(#condition, __FILE__, __LINE__))

#ifdef CIPHER_FUZZ_REPLAY
#define CIPHER_FUZZ_ENTRY(function)
#else
#define CIPHER_FUZZ_ENTRY(function) \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return function(data, size); }
#endif
