#pragma once

#include "cipher/ciphertypes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>

// The byte loops behind the length-preserving ciphers and the run-length cipher. Internal to the
// library.
namespace cipher::detail {

// A key stream carries this many bytes past its span, repeating its start, so that a vector
// load beginning anywhere inside the span never has to wrap.
inline constexpr std::size_t StreamPad = 32;

// Short key periods are repeated to at least this many bytes so the loop seldom wraps.
inline constexpr std::size_t MinStreamSpan = 256;

// What one call of a run-length loop did. The loops write whole elements (a literal, or a run
// triple) and stop right after the first element that ends past `limit` (the next progress
// threshold, counted from in[0]: an element ending at position e, from 1, passes when e > limit),
// so that the caller reports progress there and goes on. Enciphering, out has room for n
// characters; unless `final`, the loop stops before an element that may go on past n (a run
// shorter than the longest triple that reaches the end, or one of the last two characters).
// Deciphering, out has `room` characters; unless `final`, a triple cut by the end is left.
struct RunPass {
    enum Stop : unsigned char {
        End,      // all of the input, or all it can settle without more
        Passed,   // the last element written ends past the limit
        Full,     // deciphering: no room for the next element
        Code255,  // enciphering: in[consumed] is code 255, which the cipher refuses
        Count255, // deciphering: the triple at in[consumed] has the count 255
        Cut,      // deciphering, final: the triple at in[consumed] is cut by the end
    };
    std::size_t consumed = 0; // input characters whose elements were written
    std::size_t written = 0;
    Stop stop = End;
};

// One set of the loops, built for one instruction set.
struct ByteKernels {
    const char* name;
    // out[i] = in[i] XOR stream[i mod span] for i < n. The stream holds span + StreamPad bytes,
    // stream[span + j] == stream[j]; span is at least StreamPad unless it is at least n.
    void (*xorStream)(const unsigned char* in, std::size_t n, const unsigned char* stream, std::size_t span,
                      unsigned char* out);
    // out[i] = complement of in[i] with its two 4-bit halves swapped.
    void (*swapNibblesComplement)(const unsigned char* in, std::size_t n, unsigned char* out);
    // Codes moved up by offset (1 to 254) modulo 255. Returns whether the text holds code 255,
    // which lands on the same code as 0.
    bool (*shiftUpMod255)(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out);
    // Codes moved down by offset (1 to 254) modulo 255.
    void (*shiftDownMod255)(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out);
    // The loops of the run-length cipher (see RunPass).
    RunPass (*encodeRuns)(const unsigned char* in, std::size_t n, bool final, unsigned char* out, std::size_t limit);
    RunPass (*decodeRuns)(const unsigned char* in, std::size_t n, bool final, unsigned char* out, std::size_t room,
                          std::size_t limit);
    // Deciphering's first pass: adds to *size the length of what in[0..n) deciphers to, up to the
    // first triple it cannot settle, and returns where that triple's marker stands (a triple cut
    // by the end, or one with count 255), or n.
    std::size_t (*sizeTriples)(const unsigned char* in, std::size_t n, std::uint64_t* size);
};

// The fastest set this processor runs, chosen once.
const ByteKernels& kernels();

// Every set this processor runs, so that each can be checked.
std::span<const ByteKernels* const> availableKernels();

// A text written by fill(unsigned char* out), which may use up to capacity characters and
// returns how many it wrote. Where the standard library can size a string without writing it
// first, it does; otherwise the text is zero-filled and then written, twice the stores.
template <class Fill>
TextBlock makeText(std::size_t capacity, Fill fill)
{
    TextBlock text;
#if defined(__cpp_lib_string_resize_and_overwrite)
    text.resize_and_overwrite(capacity, [&](char* out, std::size_t) { return fill(reinterpret_cast<unsigned char*>(out)); });
#else
    text.resize(capacity);
    text.resize(fill(reinterpret_cast<unsigned char*>(text.data())));
#endif
    return text;
}

// A text of n characters, each written by fill.
template <class Fill>
TextBlock makeTextOfLength(std::size_t n, Fill fill)
{
    return makeText(n, [&](unsigned char* out) {
        fill(out);
        return n;
    });
}

inline const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }
inline unsigned char* bytesOf(TextBlock& text) { return reinterpret_cast<unsigned char*>(text.data()); }

// XORs the text with a key stream of the given period, where byteAt(j) is the stream byte at
// text position j (from 0) for j < period. Only as much of one period as the text needs is
// asked for, so a key longer than the text costs no more than the text.
template <class ByteAt>
TextBlock xorPeriodic(std::string_view text, std::size_t period, ByteAt byteAt)
{
    const std::size_t n = text.size();
    const std::size_t span = period >= n ? n : period * ((MinStreamSpan + period - 1) / period);
    const std::size_t total = span + StreamPad;

    alignas(64) unsigned char local[1024];
    std::unique_ptr<unsigned char[]> heap;
    unsigned char* stream = local;
    if (total > sizeof local) {
        heap = std::make_unique_for_overwrite<unsigned char[]>(total);
        stream = heap.get();
    }
    std::size_t filled = std::min(period, total);
    for (std::size_t j = 0; j < filled; ++j)
        stream[j] = byteAt(j);
    while (filled < total) { // whole periods doubled, so the copy stays in phase
        const std::size_t chunk = std::min(filled, total - filled);
        std::memcpy(stream + filled, stream, chunk);
        filled += chunk;
    }

    return makeTextOfLength(n, [&](unsigned char* out) { kernels().xorStream(bytesOf(text), n, stream, span, out); });
}

} // namespace cipher::detail
