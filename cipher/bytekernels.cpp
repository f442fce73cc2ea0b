#include "cipher/bytekernels.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace cipher::detail {

namespace {

// GCC and Clang vector extensions. The baseline uses 16-byte vectors, which every x86-64 and
// most other processors carry; where AVX2 is present the same loops run on 32-byte vectors.
template <std::size_t Width>
struct Vectors {
    typedef unsigned char Bytes __attribute__((vector_size(Width)));
    typedef signed char SignedBytes __attribute__((vector_size(Width)));
    typedef std::uint64_t Words __attribute__((vector_size(Width)));
};

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

// Every lane set to one value: a broadcast (built lane by lane, the compiler inserts each).
template <class V>
[[gnu::always_inline]] inline void splat(V& v, unsigned char value)
{
    std::memset(&v, value, sizeof v);
}

// Where the loops start their aligned stores: one unaligned vector covers the head, and the
// loop goes on from the first aligned output address (rewriting a few characters with the
// same values). Half the stores would otherwise straddle two cache lines, since the heap
// hands out 16-byte alignment.
template <std::size_t Width>
[[gnu::always_inline]] inline std::size_t alignedStart(const unsigned char* out)
{
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(out) & (Width - 1);
    return misalignment == 0 ? Width : Width - misalignment;
}

template <std::size_t Width>
[[gnu::always_inline]] inline void xorStreamBody(const unsigned char* in, std::size_t n, const unsigned char* stream,
                                                 std::size_t span, unsigned char* out)
{
    static_assert(Width <= StreamPad);
    using Bytes = typename Vectors<Width>::Bytes;
    std::size_t i = 0;
    std::size_t s = 0;
    if (n >= Width) {
        Bytes text, keys;
        load(text, in);
        load(keys, stream);
        const Bytes head = text ^ keys;
        store(out, head);
        i = alignedStart<Width>(out);
        s = i >= span ? i - span : i;
    }
    while (i + Width <= n) {
        // As many vectors as fit before the stream position passes the span: the inner loop
        // carries no wrap test from one step to the next.
        const std::size_t steps = std::min((n - i) / Width, (span - s + Width - 1) / Width) * Width;
        const unsigned char* from = in + i;
        const unsigned char* key = stream + s;
        unsigned char* to = out + i;
        for (std::size_t k = 0; k < steps; k += Width) {
            Bytes text, keys;
            load(text, from + k);
            load(keys, key + k);
            const Bytes result = text ^ keys;
            store(to + k, result);
        }
        i += steps;
        s += steps;
        if (s >= span)
            s -= span;
    }
    for (std::size_t k = 0; i + k < n; ++k) // the pad holds the rest of the stream
        out[i + k] = in[i + k] ^ stream[s + k];
}

// The loop of the kernels whose result at i depends only on in[i]: vector(V in, V& out,
// State& state) on whole vectors, two at a time, with aligned stores after an unaligned head;
// scalar(code, State& state) on the rest. The state (a running check over the codes) travels
// by value and comes back: captured by reference the compiler would keep it in memory and
// store it on every step.
template <class V, class State, class VectorOp, class ScalarOp>
[[gnu::always_inline]] inline State mapBytes(const unsigned char* in, std::size_t n, unsigned char* out, State state,
                                             VectorOp vector, ScalarOp scalar)
{
    constexpr std::size_t Width = sizeof(V);
    std::size_t i = 0;
    if (n >= Width) {
        V from, to;
        load(from, in);
        vector(from, to, state);
        store(out, to);
        i = alignedStart<Width>(out);
        for (; i + 2 * Width <= n; i += 2 * Width) {
            V from2, to2;
            load(from, in + i);
            load(from2, in + i + Width);
            vector(from, to, state);
            vector(from2, to2, state);
            store(out + i, to);
            store(out + i + Width, to2);
        }
        if (i + Width <= n) {
            load(from, in + i);
            vector(from, to, state);
            store(out + i, to);
            i += Width;
        }
    }
    for (; i < n; ++i)
        out[i] = static_cast<unsigned char>(scalar(in[i], state));
    return state;
}

struct NoState {};

template <std::size_t Width>
[[gnu::always_inline]] inline void swapNibblesComplementBody(const unsigned char* in, std::size_t n,
                                                             unsigned char* out)
{
    using Words = typename Vectors<Width>::Words;
    constexpr std::uint64_t High = 0xF0F0F0F0F0F0F0F0ull;
    mapBytes<Words>(
        in, n, out, NoState{},
        [](const Words& w, Words& r, NoState&) { r = (~(w << 4) & High) | (~(w >> 4) & ~High); },
        [](unsigned c, NoState&) { return ~((c << 4) | (c >> 4)); });
}

// Unsigned byte comparisons have no instruction before AVX-512; with the top bit flipped
// (XOR 0x80) a signed comparison gives the same answer.
template <std::size_t Width>
[[gnu::always_inline]] inline bool shiftUpMod255Body(const unsigned char* in, std::size_t n, unsigned offset,
                                                     unsigned char* out)
{
    using Bytes = typename Vectors<Width>::Bytes;
    using SignedBytes = typename Vectors<Width>::SignedBytes;
    // c + o above 255 wraps to c + o - 255, which is the 8-bit sum plus one; it wraps for the
    // codes above 255 - o. Code 255 is the largest flipped code, 127: a running maximum finds it.
    struct Seen {
        SignedBytes largest;
        bool tail255 = false;
    };
    Bytes o, flip;
    SignedBytes highestUnwrapped;
    Seen seen;
    splat(o, static_cast<unsigned char>(offset));
    splat(flip, 0x80);
    splat(highestUnwrapped, static_cast<unsigned char>((255 - offset) ^ 0x80));
    splat(seen.largest, 0x80);
    seen = mapBytes<Bytes>(
        in, n, out, seen,
        [&](const Bytes& c, Bytes& shifted, Seen& state) {
            const SignedBytes flipped = (SignedBytes)(c ^ flip);
            shifted = (c + o) - (Bytes)(flipped > highestUnwrapped); // a true lane is all ones: minus -1
            state.largest = flipped > state.largest ? flipped : state.largest;
        },
        [&](unsigned c, Seen& state) {
            state.tail255 |= c == 255;
            const unsigned r = c + offset;
            return r > 255 ? r - 255 : r;
        });
    bool any = seen.tail255;
    for (std::size_t k = 0; k < Width; ++k)
        any |= seen.largest[k] == 127;
    return any;
}

template <std::size_t Width>
[[gnu::always_inline]] inline void shiftDownMod255Body(const unsigned char* in, std::size_t n, unsigned offset,
                                                       unsigned char* out)
{
    using Bytes = typename Vectors<Width>::Bytes;
    using SignedBytes = typename Vectors<Width>::SignedBytes;
    // d - o below 0 wraps to d - o + 255, which is the 8-bit difference minus one.
    Bytes o, flip;
    SignedBytes flippedOffset;
    splat(o, static_cast<unsigned char>(offset));
    splat(flip, 0x80);
    splat(flippedOffset, static_cast<unsigned char>(offset ^ 0x80));
    mapBytes<Bytes>(
        in, n, out, NoState{},
        [&](const Bytes& d, Bytes& shifted, NoState&) {
            shifted = (d - o) + (Bytes)((SignedBytes)(d ^ flip) < flippedOffset);
        },
        [&](unsigned d, NoState&) {
            const int r = int(d) - int(offset);
            return r < 0 ? r + 255 : r;
        });
}

// The index of the first lane of a comparison result that is set, or Width when none is.
template <std::size_t Width>
[[gnu::always_inline]] inline std::size_t firstSetLane(const typename Vectors<Width>::SignedBytes& lanes)
{
    using Words = typename Vectors<Width>::Words;
    const Words words = (Words)lanes;
    for (std::size_t k = 0; k < Width / 8; ++k) {
        if (words[k] == 0)
            continue;
        const int bit = std::endian::native == std::endian::little ? std::countr_zero(words[k]) : std::countl_zero(words[k]);
        return k * 8 + std::size_t(bit) / 8;
    }
    return Width;
}

template <std::size_t Width>
[[gnu::always_inline]] inline std::size_t copyUntilRunBody(const unsigned char* in, std::size_t n, unsigned char* out)
{
    using Bytes = typename Vectors<Width>::Bytes;
    using Words = typename Vectors<Width>::Words;
    std::size_t i = 0;
    // Each lane compares its code with the next two, so a step needs Width + 2 codes.
    for (; i + Width + 2 <= n; i += Width) {
        Bytes first, second, third;
        load(first, in + i);
        load(second, in + i + 1);
        load(third, in + i + 2);
        store(out + i, first);
        const auto starts = (first == second) & (second == third);
        const Words words = (Words)starts;
        std::uint64_t any = 0;
        for (std::size_t k = 0; k < Width / 8; ++k)
            any |= words[k];
        if (any)
            return i + firstSetLane<Width>(starts);
    }
    for (; i + 2 < n; ++i) {
        if (in[i] == in[i + 1] && in[i + 1] == in[i + 2])
            return i;
        out[i] = in[i];
    }
    for (; i < n; ++i)
        out[i] = in[i];
    return n;
}

void xorStream16(const unsigned char* in, std::size_t n, const unsigned char* stream, std::size_t span,
                 unsigned char* out)
{
    xorStreamBody<16>(in, n, stream, span, out);
}
void swapNibblesComplement16(const unsigned char* in, std::size_t n, unsigned char* out)
{
    swapNibblesComplementBody<16>(in, n, out);
}
bool shiftUpMod25516(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out)
{
    return shiftUpMod255Body<16>(in, n, offset, out);
}
void shiftDownMod25516(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out)
{
    shiftDownMod255Body<16>(in, n, offset, out);
}

std::size_t copyUntilRun16(const unsigned char* in, std::size_t n, unsigned char* out)
{
    return copyUntilRunBody<16>(in, n, out);
}

constexpr ByteKernels Baseline{"baseline", &xorStream16, &swapNibblesComplement16, &shiftUpMod25516,
                               &shiftDownMod25516, &copyUntilRun16};

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CIPHER_HAVE_AVX2_KERNELS 1

[[gnu::target("avx2")]] void xorStreamAvx2(const unsigned char* in, std::size_t n, const unsigned char* stream,
                                           std::size_t span, unsigned char* out)
{
    xorStreamBody<32>(in, n, stream, span, out);
}
[[gnu::target("avx2")]] void swapNibblesComplementAvx2(const unsigned char* in, std::size_t n, unsigned char* out)
{
    swapNibblesComplementBody<32>(in, n, out);
}
[[gnu::target("avx2")]] bool shiftUpMod255Avx2(const unsigned char* in, std::size_t n, unsigned offset,
                                               unsigned char* out)
{
    return shiftUpMod255Body<32>(in, n, offset, out);
}
[[gnu::target("avx2")]] void shiftDownMod255Avx2(const unsigned char* in, std::size_t n, unsigned offset,
                                                 unsigned char* out)
{
    shiftDownMod255Body<32>(in, n, offset, out);
}

[[gnu::target("avx2")]] std::size_t copyUntilRunAvx2(const unsigned char* in, std::size_t n, unsigned char* out)
{
    return copyUntilRunBody<32>(in, n, out);
}

constexpr ByteKernels Avx2{"avx2", &xorStreamAvx2, &swapNibblesComplementAvx2, &shiftUpMod255Avx2,
                           &shiftDownMod255Avx2, &copyUntilRunAvx2};

bool processorHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#endif

std::vector<const ByteKernels*> detectKernels() // fastest first
{
    std::vector<const ByteKernels*> found;
#ifdef CIPHER_HAVE_AVX2_KERNELS
    if (processorHasAvx2())
        found.push_back(&Avx2);
#endif
    found.push_back(&Baseline);
    return found;
}

const std::vector<const ByteKernels*>& detected()
{
    static const std::vector<const ByteKernels*> found = detectKernels();
    return found;
}

} // namespace

const ByteKernels& kernels()
{
    static const ByteKernels& fastest = *detected().front();
    return fastest;
}

std::span<const ByteKernels* const> availableKernels()
{
    return detected();
}

} // namespace cipher::detail
