#include "cipher/bytekernels.h"

#include <cstdint>

namespace cipher::detail {

namespace {

// GCC and Clang vector extensions: 32 bytes per step, two SSE registers on a plain x86-64
// build and one AVX2 register where the compiler may use it.
typedef unsigned char Bytes __attribute__((vector_size(32)));
typedef std::uint64_t Words __attribute__((vector_size(32)));
constexpr std::size_t Width = sizeof(Bytes);

// Unaligned loads and stores. Vectors pass by reference: 32-byte vectors by value would change
// the calling convention between plain and AVX builds, which the compiler warns about.
template <class V>
[[gnu::always_inline]] inline void load(V& v, const unsigned char* p)
{
    std::memcpy(&v, p, sizeof v);
}

template <class V>
[[gnu::always_inline]] inline void store(unsigned char* p, const V& v)
{
    std::memcpy(p, &v, sizeof v);
}

} // namespace

TextBlock sizedText(std::size_t n)
{
    TextBlock text;
    text.resize(n);
    return text;
}

void xorStream(const unsigned char* in, std::size_t n, const unsigned char* stream, std::size_t span,
               unsigned char* out)
{
    std::size_t i = 0;
    std::size_t s = 0;
    for (; i + Width <= n; i += Width) {
        Bytes text, key;
        load(text, in + i);
        load(key, stream + s);
        store(out + i, text ^ key);
        s += Width;
        if (s >= span)
            s -= span;
    }
    for (std::size_t k = 0; i + k < n; ++k) // the pad holds the rest of the stream
        out[i + k] = in[i + k] ^ stream[s + k];
}

void swapNibblesComplement(const unsigned char* in, std::size_t n, unsigned char* out)
{
    constexpr std::uint64_t High = 0xF0F0F0F0F0F0F0F0ull;
    std::size_t i = 0;
    for (; i + Width <= n; i += Width) {
        Words w;
        load(w, in + i);
        const Words swapped = ~(((w << 4) & High) | ((w >> 4) & ~High));
        store(out + i, swapped);
    }
    for (; i < n; ++i)
        out[i] = static_cast<unsigned char>(~((in[i] << 4) | (in[i] >> 4)));
}

bool shiftUpMod255(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out)
{
    // c + o above 255 wraps to c + o - 255, which is the 8-bit sum plus one.
    const Bytes o = Bytes{} + static_cast<unsigned char>(offset);
    const Bytes top = Bytes{} + 0xFF;
    Bytes seen255{};
    std::size_t i = 0;
    for (; i + Width <= n; i += Width) {
        Bytes c;
        load(c, in + i);
        const Bytes r = c + o;
        const Bytes shifted = r - (Bytes)(r < c); // a true lane is all ones: minus -1
        store(out + i, shifted);
        seen255 |= (Bytes)(c == top);
    }
    bool any = false;
    for (std::size_t k = 0; k < Width; ++k)
        any |= seen255[k] != 0;
    for (; i < n; ++i) {
        const unsigned r = in[i] + offset;
        out[i] = static_cast<unsigned char>(r > 255 ? r - 255 : r);
        any |= in[i] == 255;
    }
    return any;
}

void shiftDownMod255(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out)
{
    // d - o below 0 wraps to d - o + 255, which is the 8-bit difference minus one.
    const Bytes o = Bytes{} + static_cast<unsigned char>(offset);
    std::size_t i = 0;
    for (; i + Width <= n; i += Width) {
        Bytes d;
        load(d, in + i);
        const Bytes shifted = (d - o) + (Bytes)(d < o);
        store(out + i, shifted);
    }
    for (; i < n; ++i) {
        const int r = int(in[i]) - int(offset);
        out[i] = static_cast<unsigned char>(r < 0 ? r + 255 : r);
    }
}

} // namespace cipher::detail
