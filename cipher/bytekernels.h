#pragma once

#include "cipher/ciphertypes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

// The byte loops behind the length-preserving ciphers. Internal to the library.
namespace cipher::detail {

// A key stream carries this many bytes past its span, repeating its start, so that a 32-byte
// load beginning anywhere inside the span never has to wrap.
inline constexpr std::size_t StreamPad = 32;

// Short key periods are repeated to at least this many bytes so the loop seldom wraps.
inline constexpr std::size_t MinStreamSpan = 256;

// A text of n characters whose contents the caller overwrites.
TextBlock sizedText(std::size_t n);

inline unsigned char* bytesOf(TextBlock& text) { return reinterpret_cast<unsigned char*>(text.data()); }
inline const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

// out[i] = in[i] XOR stream[i mod span] for i < n. The stream holds span + StreamPad bytes,
// stream[span + j] == stream[j]; span is at least StreamPad unless it is at least n.
void xorStream(const unsigned char* in, std::size_t n, const unsigned char* stream, std::size_t span,
               unsigned char* out);

// out[i] = complement of in[i] with its two 4-bit halves swapped.
void swapNibblesComplement(const unsigned char* in, std::size_t n, unsigned char* out);

// Codes moved up by offset (1 to 254) modulo 255. Returns whether the text holds code 255,
// which lands on the same code as 0.
bool shiftUpMod255(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out);

// Codes moved down by offset (0 to 254) modulo 255.
void shiftDownMod255(const unsigned char* in, std::size_t n, unsigned offset, unsigned char* out);

// XORs the text with a key stream of the given period, where byteAt(j) is the stream byte at
// text position j (from 0) for j < period. Only as much of one period as the text needs is
// asked for, so a key longer than the text costs no more than the text.
template <class ByteAt>
TextBlock xorPeriodic(std::string_view text, std::size_t period, ByteAt byteAt)
{
    const std::size_t n = text.size();
    const std::size_t span = period >= n ? n : period * ((MinStreamSpan + period - 1) / period);
    const std::size_t total = span + StreamPad;

    unsigned char local[1024];
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

    TextBlock out = sizedText(n);
    xorStream(bytesOf(text), n, stream, span, bytesOf(out));
    return out;
}

} // namespace cipher::detail
