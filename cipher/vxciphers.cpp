#include "cipher/vxciphers.h"

#include "cipher/bytekernels.h"

#include <array>

namespace cipher {

namespace {

// One period of a position-dependent stream, 256 bytes from position 1 on, plus the pad the
// vector loop reads past its end.
using Stream = std::array<unsigned char, 256 + detail::StreamPad>;

template <class Rule>
constexpr Stream makeStream(Rule rule)
{
    Stream stream{};
    for (std::size_t j = 0; j < stream.size(); ++j)
        stream[j] = static_cast<unsigned char>(rule(static_cast<unsigned>(j % 256) + 1)); // position i = j + 1
    return stream;
}

constexpr unsigned rising(unsigned i) { return i % 256; }
constexpr unsigned falling(unsigned i) { return (256 - i % 256) % 256; }

constexpr Stream VX2Stream = makeStream([](unsigned) { return 0x55u; });
constexpr Stream VX3Stream = makeStream([](unsigned i) { return 0xAAu ^ rising(i); });
constexpr Stream VX4Stream = makeStream([](unsigned i) { return 0xAAu ^ falling(i); });
constexpr Stream VX5Stream = makeStream([](unsigned i) { return 0xFFu ^ falling(i); });

CipherResult withStream(std::string_view text, const Stream& stream)
{
    return Completed(detail::makeTextOfLength(text.size(), [&](unsigned char* out) {
        detail::kernels().xorStream(detail::bytesOf(text), text.size(), stream.data(), 256, out);
    }));
}

} // namespace

CipherResult VX1Cipher(std::string_view text, const CipherParams&)
{
    return Completed(detail::makeTextOfLength(text.size(), [&](unsigned char* out) {
        detail::kernels().swapNibblesComplement(detail::bytesOf(text), text.size(), out);
    }));
}

CipherResult VX2Cipher(std::string_view text, const CipherParams&) { return withStream(text, VX2Stream); }
CipherResult VX3Cipher(std::string_view text, const CipherParams&) { return withStream(text, VX3Stream); }
CipherResult VX4Cipher(std::string_view text, const CipherParams&) { return withStream(text, VX4Stream); }
CipherResult VX5Cipher(std::string_view text, const CipherParams&) { return withStream(text, VX5Stream); }

} // namespace cipher
