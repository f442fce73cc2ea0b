#pragma once

#include "cipher/ciphertypes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>

// The byte loops behind the length-preserving ciphers. Internal to the library.
namespace cipher::detail {

// A key stream carries this many bytes past its span, repeating its start, so that a vector
// load beginning anywhere inside the span never has to wrap.
inline constexpr std::size_t StreamPad = 32;

// Short key periods are repeated to at least this many bytes so the loop seldom wraps.
inline constexpr std::size_t MinStreamSpan = 256;

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
    // The first position r where three equal codes begin (in[r] == in[r+1] == in[r+2], r + 2 < n),
    // or n; in[0..r) is copied to out[0..r). Whole vectors are stored, so out[r..n) may be written
    // too, never past out[n - 1].
    std::size_t (*copyUntilRun)(const unsigned char* in, std::size_t n, unsigned char* out);
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
