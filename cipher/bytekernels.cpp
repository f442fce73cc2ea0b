#include "cipher/bytekernels.h"

#include "cipher/rle.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Every lane set to one value, built from 64-bit lanes, which the compiler broadcasts from a
// register. Built byte by byte (or as vector plus scalar) it may insert each byte on its own,
// and the run-length loops build one per run.
template <class V, std::size_t... Words>
[[gnu::always_inline]] inline void splatWords(V& v, std::uint64_t word, std::index_sequence<Words...>)
{
    typedef std::uint64_t Lanes __attribute__((vector_size(sizeof(V))));
    const Lanes words{(void(Words), word)...};
    v = (V)words;
}

template <class V>
[[gnu::always_inline]] inline void splat(V& v, unsigned char value)
{
    splatWords(v, 0x0101010101010101ull * value, std::make_index_sequence<sizeof(V) / 8>());
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

// One bit per lane of a comparison result (lane k in bit k). On x86-64 every vector goes to the
// byte mask instruction 16 lanes at a time: SSE2 is always there, so no function needs a target
// of its own for it, and a 32-byte vector costs one extra extract.
template <std::size_t Width>
[[gnu::always_inline]] inline std::uint32_t laneBits(const typename Vectors<Width>::SignedBytes& lanes)
{
    std::uint32_t bits = 0;
#if defined(__SSE2__)
    for (std::size_t half = 0; half < Width / 16; ++half) {
        __m128i part;
        std::memcpy(&part, reinterpret_cast<const unsigned char*>(&lanes) + 16 * half, 16);
        bits |= std::uint32_t(_mm_movemask_epi8(part)) << (16 * half);
    }
#else
    for (std::size_t k = 0; k < Width; ++k)
        bits |= std::uint32_t(lanes[k] & 1) << k;
#endif
    return bits;
}

// The first position r where three equal codes begin (in[r] == in[r+1] == in[r+2], r + 2 < n)
// or code 255 stands, or n; in[0..r) is copied to out (whole vectors, never past out[n - 1]).
template <std::size_t Width>
[[gnu::always_inline]] inline std::size_t copyUntilRun(const unsigned char* in, std::size_t n, unsigned char* out)
{
    using Bytes = typename Vectors<Width>::Bytes;
    Bytes marker;
    splat(marker, RunMarker);
    std::size_t i = 0;
    // Each lane compares its code with the next two, so a step needs Width + 2 codes.
    for (; i + Width + 2 <= n; i += Width) {
        Bytes first, second, third;
        load(first, in + i);
        load(second, in + i + 1);
        load(third, in + i + 2);
        store(out + i, first);
        if (const std::uint32_t stops = laneBits<Width>(((first == second) & (second == third)) | (first == marker)))
            return i + std::size_t(std::countr_zero(stops));
    }
    for (; i < n; ++i) {
        if (in[i] == RunMarker || (i + 2 < n && in[i] == in[i + 1] && in[i + 1] == in[i + 2]))
            return i;
        out[i] = in[i];
    }
    return n;
}

// The first position of code c in in[0..n), or n; with Copy, in[0..r) is copied to out (whole
// vectors, never past out[n - 1]).
template <std::size_t Width, bool Copy>
[[gnu::always_inline]] inline std::size_t untilCode(const unsigned char* in, std::size_t n, unsigned char c,
                                                    unsigned char* out)
{
    using Bytes = typename Vectors<Width>::Bytes;
    Bytes wanted;
    splat(wanted, c);
    std::size_t i = 0;
    for (; i + Width <= n; i += Width) {
        Bytes codes;
        load(codes, in + i);
        if constexpr (Copy)
            store(out + i, codes);
        if (const std::uint32_t found = laneBits<Width>(codes == wanted))
            return i + std::size_t(std::countr_zero(found));
    }
    for (; i < n; ++i) {
        if (in[i] == c)
            return i;
        if constexpr (Copy)
            out[i] = in[i];
    }
    return n;
}

// The end of the run of c that goes on at `from`, looked at up to `limit`, a word at a time.
[[gnu::always_inline]] inline std::size_t runEnd(const unsigned char* in, std::size_t from, std::size_t limit,
                                                 unsigned char c)
{
    const std::uint64_t copies = 0x0101010101010101ull * c;
    std::size_t end = from;
    for (; end + 8 <= limit; end += 8) {
        std::uint64_t word;
        std::memcpy(&word, in + end, 8);
        if (const std::uint64_t differs = word ^ copies) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(differs) : std::countl_zero(differs);
            return end + std::size_t(bit) / 8;
        }
    }
    while (end < limit && in[end] == c)
        ++end;
    return end;
}

// Two masks over in[0..64) (reading in[64] too): bit k of equalNext is set when in[k] == in[k + 1],
// bit k of code255 when in[k] is code 255.
template <std::size_t Width>
[[gnu::always_inline]] inline void windowBits(const unsigned char* in, std::uint64_t& equalNext, std::uint64_t& code255)
{
    using Bytes = typename Vectors<Width>::Bytes;
    Bytes marker;
    splat(marker, RunMarker);
    equalNext = 0;
    code255 = 0;
    for (std::size_t at = 0; at < 64; at += Width) {
        Bytes here, next;
        load(here, in + at);
        load(next, in + at + 1);
        equalNext |= std::uint64_t(laneBits<Width>(here == next)) << at;
        code255 |= std::uint64_t(laneBits<Width>(here == marker)) << at;
    }
}

template <std::size_t Width>
[[gnu::always_inline]] inline void copy64(unsigned char* out, const unsigned char* in)
{
    using Bytes = typename Vectors<Width>::Bytes;
    for (std::size_t at = 0; at < 64; at += Width) {
        Bytes codes;
        load(codes, in + at);
        store(out + at, codes);
    }
}

template <std::size_t Width>
[[gnu::always_inline]] inline RunPass encodeRunsBody(const unsigned char* in, std::size_t n, bool final,
                                                     unsigned char* out, std::size_t limit)
{
    std::size_t i = 0;
    std::size_t o = 0;
    // Windows of 64 codes, compared once: a window holds 62 places where a run can start (the
    // last two are compared with what lies past the window) and, in text with many short runs,
    // several runs. Windows are taken while 128 codes are left, so that the copies of whole
    // vectors stay inside the input and, the output never being ahead of the input, inside
    // the output.
    constexpr std::size_t Starts = 62;
    constexpr std::uint64_t StartBits = (std::uint64_t(1) << Starts) - 1;
    while (i + 128 <= n) {
        const std::size_t base = i;
        std::uint64_t equalNext, code255;
        windowBits<Width>(in + base, equalNext, code255);
        const std::uint64_t stops = ((equalNext & (equalNext >> 1)) | code255) & StartBits;
        for (;;) {
            const std::size_t at = i - base;
            const std::uint64_t ahead = stops >> at;
            const std::size_t literals = ahead ? std::size_t(std::countr_zero(ahead)) : Starts - at;
            copy64<Width>(out + o, in + i);
            if (literals > 0 && i + literals > limit) { // the literal at index max(i, limit) passes
                const std::size_t passed = std::max(i, limit) + 1;
                return {passed, o + (passed - i), RunPass::Passed};
            }
            o += literals;
            i += literals;
            if (!ahead)
                break;
            const std::size_t start = i - base;
            if ((code255 >> start) & 1)
                return {i, o, RunPass::Code255};
            // Equal neighbours from the start on; all the rest of the window's: look further.
            const std::size_t equal = std::size_t(std::countr_one(equalNext >> start));
            const std::size_t end = start + equal < 64 ? i + equal + 1 : runEnd(in, i + 3, std::min(n, i + MaxRunLength), in[i]);
            if (!final && end == n && end - i < MaxRunLength)
                return {i, o, RunPass::End};
            out[o] = RunMarker;
            out[o + 1] = static_cast<unsigned char>(end - i - 1);
            out[o + 2] = in[i];
            o += 3;
            i = end;
            if (end > limit)
                return {i, o, RunPass::Passed};
            if (i - base >= Starts)
                break;
        }
    }
    // The rest, a search at a time.
    while (i < n) {
        const std::size_t run = i + copyUntilRun<Width>(in + i, n - i, out + o);
        const std::size_t literalsEnd = run == n && !final ? std::max(i, n - std::min<std::size_t>(n, 2)) : run;
        if (literalsEnd > i && literalsEnd > limit) {
            const std::size_t passed = std::max(i, limit) + 1;
            return {passed, o + (passed - i), RunPass::Passed};
        }
        o += literalsEnd - i;
        i = literalsEnd;
        if (run == n)
            break;
        const unsigned char c = in[run];
        if (c == RunMarker)
            return {i, o, RunPass::Code255};
        const std::size_t end = runEnd(in, run + 3, std::min(n, run + MaxRunLength), c);
        if (!final && end == n && end - run < MaxRunLength)
            break;
        out[o] = RunMarker;
        out[o + 1] = static_cast<unsigned char>(end - run - 1);
        out[o + 2] = c;
        o += 3;
        i = end;
        if (end > limit)
            return {i, o, RunPass::Passed};
    }
    return {i, o, RunPass::End};
}

// Bit k set where in[k] is code 255, for k < 64.
template <std::size_t Width>
[[gnu::always_inline]] inline std::uint64_t markerBits(const unsigned char* in)
{
    using Bytes = typename Vectors<Width>::Bytes;
    Bytes marker;
    splat(marker, RunMarker);
    std::uint64_t bits = 0;
    for (std::size_t at = 0; at < 64; at += Width) {
        Bytes codes;
        load(codes, in + at);
        bits |= std::uint64_t(laneBits<Width>(codes == marker)) << at;
    }
    return bits;
}

// Markers two or one places apart: a triple with count or run character 255, which the
// encoder never writes, or a malformed text. Without them every marker of a window starts a
// triple, and the windowed loops below take the triples a set bit at a time.
inline bool closeMarkers(std::uint64_t bits)
{
    return (bits & ((bits >> 1) | (bits >> 2))) != 0;
}

template <std::size_t Width>
[[gnu::always_inline]] inline RunPass decodeRunsBody(const unsigned char* in, std::size_t n, bool final,
                                                     unsigned char* out, std::size_t room, std::size_t limit)
{
    using Bytes = typename Vectors<Width>::Bytes;
    std::size_t p = 0;
    std::size_t o = 0;
    while (p < n) {
        // A window of 64 characters, while the whole-vector copies stay inside the input and the
        // output has room for a window's literals and the longest run.
        std::size_t until = n;
        if (p + 128 <= n && room - o >= 64 + 256) {
            const std::size_t base = p;
            std::uint64_t markers = markerBits<Width>(in + base);
            if (!closeMarkers(markers)) {
                for (;;) {
                    const std::size_t next = markers ? base + std::size_t(std::countr_zero(markers)) : base + 64;
                    if (room - o < 64 + 256)
                        break;
                    copy64<Width>(out + o, in + p);
                    if (next > p && next > limit) {
                        const std::size_t passed = std::max(p, limit) + 1;
                        return {passed, o + (passed - p), RunPass::Passed};
                    }
                    o += next - p;
                    p = next;
                    if (!markers)
                        break;
                    if (in[p + 1] == RunMarker) // the count of a triple at the window's end
                        return {p, o, RunPass::Count255};
                    const std::size_t count = std::size_t(in[p + 1]) + 1;
                    Bytes copies;
                    splat(copies, in[p + 2]);
                    for (std::size_t at = 0; at < count; at += Width)
                        store(out + o + at, copies);
                    o += count;
                    p += 3;
                    if (p > limit)
                        return {p, o, RunPass::Passed};
                    markers &= markers - 1;
                    if (!markers && p >= base + 64)
                        break;
                }
                continue;
            }
            until = base + 64;
        }
        // An element at a time, up to `until`.
        while (p < until) {
            const std::size_t scanEnd = std::min(until, p + (room - o));
            const std::size_t literalsEnd = p + untilCode<Width, true>(in + p, scanEnd - p, RunMarker, out + o);
            if (literalsEnd > p && literalsEnd > limit) {
                const std::size_t passed = std::max(p, limit) + 1;
                return {passed, o + (passed - p), RunPass::Passed};
            }
            o += literalsEnd - p;
            p = literalsEnd;
            if (p == scanEnd) {
                if (p < until)
                    return {p, o, RunPass::Full};
                break;
            }
            if (n - p < 3)
                return {p, o, final ? RunPass::Cut : RunPass::End};
            if (in[p + 1] == RunMarker)
                return {p, o, RunPass::Count255};
            const std::size_t count = std::size_t(in[p + 1]) + 1;
            if (room - o < count)
                return {p, o, RunPass::Full};
            if (count <= Width && room - o >= Width) {
                Bytes copies;
                splat(copies, in[p + 2]);
                store(out + o, copies);
            } else {
                std::memset(out + o, in[p + 2], count);
            }
            o += count;
            p += 3;
            if (p > limit)
                return {p, o, RunPass::Passed};
        }
    }
    return {p, o, RunPass::End};
}

template <std::size_t Width>
[[gnu::always_inline]] inline std::size_t sizeTriplesBody(const unsigned char* in, std::size_t n, std::uint64_t* size)
{
    std::uint64_t total = 0;
    std::size_t i = 0;
    // Windows of 64 characters one after another, whatever they hold, so that the next window's
    // address never waits for this one's characters: the first `skip` characters of a window
    // (0 to 2) belong to a triple of the window before.
    // An element at a time from i to the first element that starts at or past `until`: where a
    // triple stands that cannot be settled (cut by the end, or with the count 255), if one does.
    const auto elementsUntil = [&](std::size_t until) -> std::optional<std::size_t> {
        while (i < until) {
            const std::size_t marker = i + untilCode<Width, false>(in + i, until - i, RunMarker, nullptr);
            total += marker - i;
            if (marker == until) {
                i = until;
                break;
            }
            if (n - marker < 3 || in[marker + 1] == RunMarker)
                return marker;
            total += std::size_t(in[marker + 1]) + 1;
            i = marker + 3;
        }
        return std::nullopt;
    };
    std::size_t skip = 0;
    while (i + 66 <= n) {
        const std::uint64_t markers = markerBits<Width>(in + i) & (~std::uint64_t(0) << skip);
        // Markers close together, or one in the last place whose count (just past the window)
        // is 255: an element at a time, to the first element that starts past the window.
        if (closeMarkers(markers) || ((markers >> 63) && in[i + 64] == RunMarker)) [[unlikely]] {
            i += skip;
            skip = 0;
            if (const std::optional<std::size_t> unsettled = elementsUntil(i + 64)) {
                *size += total;
                return *unsettled;
            }
            continue;
        }
        // Every marker starts a triple: three characters that stand for count + 1.
        const std::size_t past = (markers >> 63) ? 2 : (markers >> 62) & 1; // of a triple at the end
        total += 64 - skip + past - 3 * std::size_t(std::popcount(markers));
        for (std::uint64_t rest = markers; rest; rest &= rest - 1)
            total += std::size_t(in[i + std::size_t(std::countr_zero(rest)) + 1]) + 1;
        i += 64;
        skip = past;
    }
    i += skip;
    if (const std::optional<std::size_t> unsettled = elementsUntil(n)) {
        *size += total;
        return *unsettled;
    }
    *size += total;
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

RunPass encodeRuns16(const unsigned char* in, std::size_t n, bool final, unsigned char* out, std::size_t limit)
{
    return encodeRunsBody<16>(in, n, final, out, limit);
}
RunPass decodeRuns16(const unsigned char* in, std::size_t n, bool final, unsigned char* out, std::size_t room,
                     std::size_t limit)
{
    return decodeRunsBody<16>(in, n, final, out, room, limit);
}
std::size_t sizeTriples16(const unsigned char* in, std::size_t n, std::uint64_t* size)
{
    return sizeTriplesBody<16>(in, n, size);
}

constexpr ByteKernels Baseline{"baseline", &xorStream16, &swapNibblesComplement16, &shiftUpMod25516,
                               &shiftDownMod25516, &encodeRuns16, &decodeRuns16, &sizeTriples16};

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

[[gnu::target("avx2")]] RunPass encodeRunsAvx2(const unsigned char* in, std::size_t n, bool final, unsigned char* out,
                                               std::size_t limit)
{
    return encodeRunsBody<32>(in, n, final, out, limit);
}
[[gnu::target("avx2")]] RunPass decodeRunsAvx2(const unsigned char* in, std::size_t n, bool final, unsigned char* out,
                                               std::size_t room, std::size_t limit)
{
    return decodeRunsBody<32>(in, n, final, out, room, limit);
}
[[gnu::target("avx2")]] std::size_t sizeTriplesAvx2(const unsigned char* in, std::size_t n, std::uint64_t* size)
{
    return sizeTriplesBody<32>(in, n, size);
}

constexpr ByteKernels Avx2{"avx2", &xorStreamAvx2, &swapNibblesComplementAvx2, &shiftUpMod255Avx2,
                           &shiftDownMod255Avx2, &encodeRunsAvx2, &decodeRunsAvx2, &sizeTriplesAvx2};

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
