#pragma once

#include "cipher/ciphertypes.h"
#include "cipher/textstream.h"

#include <memory>

namespace cipher {

// Enciphered run-length text is a sequence of literals (any code but 255) and run triples:
// RunMarker, a count character c, the run character, standing for c + 1 copies.
inline constexpr unsigned char RunMarker = 255;
// The longest run one triple holds; a longer run is written as several triples, and a rest of
// one or two characters as literals.
inline constexpr std::size_t MaxRunLength = 255;
// The longest text RleDecode writes: the most a file operation takes or writes.
inline constexpr std::size_t MaxDecodedLength = 2147483647;

// Cipher type 1. Both routines take the whole text in one call and report progress through
// params.progress: after the first element (literal or triple), then whenever the position of
// the last character consumed passes the next multiple of BlockSize. When the callback returns
// false they return an empty text with cancelled set.
//
// RleEncode refuses (error 5) a text that holds code 255. RleDecode refuses (error 5) a text
// that ends inside a triple or a triple whose count character is 255, and a text that would
// decipher to more than MaxDecodedLength characters. Refusals are found before
// the first progress point.
CipherResult RleEncode(std::string_view text, const CipherParams& params);
CipherResult RleDecode(std::string_view text, const CipherParams& params);

// The same cipher in pieces (see TextStream). Between pieces it holds at most a run's worth of
// text when enciphering (a run may go on in the next piece) and two characters of a triple when
// deciphering, besides its output chunk.
class RleStream final : public TextStream {
public:
    RleStream(Direction direction, ProgressPoint progress, std::size_t chunkSize = DefaultChunkSize);
    ~RleStream() override;

    std::optional<CipherError> check(std::string_view piece) override;
    std::optional<CipherError> checkEnd() override;
    StreamStatus feed(std::string_view piece, const TextSink& sink) override;
    StreamStatus finish(const TextSink& sink) override;

    // After checkEnd(): the length of the text deciphering gives (deciphering only).
    std::uint64_t decipheredSize() const;

private:
    struct State;
    StreamStatus take(std::string_view text, bool final, const TextSink& sink);
    StreamStatus flush(const TextSink& sink);
    StreamStatus halt(StreamStatus status);

    std::unique_ptr<State> m_state;
};

// The catalogue's way to a stream of this cipher, reporting to params.progress.
std::unique_ptr<TextStream> openRleStream(Direction direction, const CipherParams& params);

} // namespace cipher
