// The run-length cipher fed in pieces against its whole-text routines: the same output, the same
// refusal, the same progress points and the same cancellation. First byte: bit 0 picks the
// direction, the rest the progress point whose callback asks to stop (0 for none). Second byte:
// how many piece lengths follow (1 to 8), each a byte (a piece of 1 to 256 characters), used in
// turn. The rest is the text.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

#include <vector>

namespace {

struct Outcome {
    std::string text;
    std::optional<std::string> refusal;
    std::vector<std::int64_t> points;
    bool stopped = false;
};

cipher::ProgressPoint recorder(Outcome& outcome, std::size_t stopAt)
{
    return [&outcome, stopAt](std::int64_t q) {
        outcome.points.push_back(q);
        return outcome.points.size() != stopAt;
    };
}

} // namespace

int fuzztargets::rlestream(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::Input input(data, size);
    const std::uint8_t control = input.byte();
    const cipher::Direction direction = control & 1 ? cipher::Direction::Encipher : cipher::Direction::Decipher;
    const std::size_t stopAt = control >> 1;
    std::vector<std::size_t> lengths(input.byte() % 8 + 1);
    for (std::size_t& length : lengths)
        length = std::size_t(input.byte()) + 1;
    const std::string_view text = input.rest();

    std::vector<std::string_view> pieces;
    for (std::size_t at = 0, i = 0; at < text.size(); ++i) {
        pieces.push_back(text.substr(at, lengths[i % lengths.size()]));
        at += pieces.back().size();
    }

    Outcome whole;
    cipher::CipherParams params;
    params.progress = recorder(whole, stopAt);
    cipher::CipherResult r = direction == cipher::Direction::Encipher ? cipher::RleEncode(text, params)
                                                                      : cipher::RleDecode(text, params);
    if (r.error)
        whole.refusal = r.error->message;

    Outcome streamed;
    std::string output;
    const cipher::TextSink sink = [&output](std::string_view bytes) {
        FUZZ_CHECK(bytes.size() <= 2048);
        output.append(bytes);
        return true;
    };
    // The smallest chunk, so that long runs fill it again and again.
    cipher::RleStream stream(direction, recorder(streamed, stopAt), 0);
    for (std::string_view piece : pieces) {
        if (auto refusal = stream.check(piece)) {
            streamed.refusal = refusal->message;
            break;
        }
    }
    if (!streamed.refusal) {
        if (auto refusal = stream.checkEnd())
            streamed.refusal = refusal->message;
    }
    FUZZ_CHECK(streamed.refusal == whole.refusal);
    if (whole.refusal) {
        // Fed without the first pass, the refusal comes where it is met.
        cipher::RleStream unchecked(direction, {}, 0);
        std::optional<cipher::CipherError> error;
        for (std::size_t i = 0; i < pieces.size() && !error; ++i)
            error = unchecked.feed(pieces[i], {}).error;
        if (!error)
            error = unchecked.finish({}).error;
        FUZZ_CHECK(error && error->message == *whole.refusal);
        return 0;
    }

    for (std::size_t i = 0; i < pieces.size() && !streamed.stopped; ++i) {
        const cipher::StreamStatus status = stream.feed(pieces[i], sink);
        FUZZ_CHECK(!status.error);
        streamed.stopped = status.stopped;
    }
    if (!streamed.stopped) {
        const cipher::StreamStatus status = stream.finish(sink);
        FUZZ_CHECK(!status.error);
        streamed.stopped = status.stopped;
    }
    FUZZ_CHECK(streamed.stopped == r.cancelled);
    FUZZ_CHECK(streamed.points == whole.points);
    if (!r.cancelled)
        FUZZ_CHECK(output == r.text);
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::rlestream)
