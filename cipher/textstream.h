#pragma once

#include "cipher/ciphertypes.h"

#include <functional>
#include <memory>

namespace cipher {

// Where a stream's output goes, in order, in pieces of at most the stream's chunk size.
// Returning false stops the stream (a write that failed, say).
using TextSink = std::function<bool(std::string_view bytes)>;

struct [[nodiscard]] StreamStatus {
    bool stopped = false;              // the progress callback or the sink asked to stop
    std::optional<CipherError> error;  // set when the text cannot be processed

    bool ok() const { return !stopped && !error; }
};

// A cipher that takes one text in pieces of any length, holding only what a piece leaves open
// for the next, and gives exactly what its whole-text routine gives for the pieces joined: the
// same output, the same refusals and the same progress points (positions in the whole text).
//
// The text goes through twice. check() and checkEnd() find every refusal the whole-text
// routine makes, without output or progress, so that a caller can refuse before it reports
// anything; then feed() and finish() cipher it. feed() still refuses what it meets, but only
// when it meets it, after output and progress points for what came before. After a refusal or
// a stop a stream takes nothing more.
class TextStream {
public:
    static constexpr std::size_t DefaultChunkSize = std::size_t(256) << 10;

    TextStream() = default;
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;
    virtual ~TextStream() = default;

    virtual std::optional<CipherError> check(std::string_view piece) = 0;
    virtual std::optional<CipherError> checkEnd() = 0;

    virtual StreamStatus feed(std::string_view piece, const TextSink& sink) = 0;
    // The end of the text: what the last piece left open, then everything still held, to the sink.
    virtual StreamStatus finish(const TextSink& sink) = 0;
};

} // namespace cipher
