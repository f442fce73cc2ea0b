#include "cipher/rle.h"

#include "cipher/bytekernels.h"

#include <algorithm>
#include <cstring>

namespace cipher {

namespace {

// The progress rule of both directions: a point at every element whose last position passes
// the threshold, which then moves on by one block (once, however far the position passed it).
// The loops stop after such an element; the threshold is what they are given as their limit.
class ProgressPoints {
public:
    explicit ProgressPoints(const ProgressPoint& report) : m_report(report) {}

    // The limit of a loop whose input starts after `position` characters of the text.
    std::size_t limitFrom(std::int64_t position) const
    {
        return m_threshold > position ? std::size_t(m_threshold - position) : 0;
    }

    // An element ending at position q (from 1) has passed the threshold. False when the host
    // asked to stop.
    bool passed(std::int64_t q)
    {
        m_threshold += BlockSize;
        return !m_report || m_report(q);
    }

private:
    const ProgressPoint& m_report;
    std::int64_t m_threshold = 0;
};

CipherError holds255()
{
    return {InvalidArgumentError, "The text contains the character with code 255, which the run-length cipher "
                                  "reserves as its run marker"};
}

CipherError endsInsideTriple()
{
    return {InvalidArgumentError, "The enciphered text ends inside a run triple: a run marker (code 255) is among "
                                  "its last two characters"};
}

// markerIndex counts from 0 in the whole text.
CipherError count255(std::int64_t markerIndex)
{
    return {InvalidArgumentError, "A run triple at position " + std::to_string(markerIndex + 1) +
                                      " has the count character 255, which the run-length cipher never writes"};
}

CipherError decipheredPastLimit()
{
    return {InvalidArgumentError, "Deciphered, the text would be more than the " + std::to_string(MaxDecodedLength) +
                                      " characters a file may hold"};
}

CipherError decipheredTooLong(std::uint64_t size)
{
    return {InvalidArgumentError, "Deciphered, the text would be " + std::to_string(size) +
                                      " characters long, more than the " + std::to_string(MaxDecodedLength) +
                                      " a file may hold"};
}

// What one call of a loop below did.
struct Pass {
    std::size_t consumed = 0; // characters of its input whose elements it wrote
    std::size_t written = 0;
    bool stopped = false;     // the progress callback asked to stop
    bool full = false;        // the output had no room for the next element
    std::optional<CipherError> fault;
};

// Enciphers the elements of in[0..n) into out, which has room for n characters, reporting the
// progress points; `position` is the index of in[0] in the whole text. Unless `final`, it stops
// before an element that may go on past n. Code 255 is refused where it stands.
Pass encodeElements(const unsigned char* in, std::size_t n, bool final, unsigned char* out, ProgressPoints& progress,
                    std::int64_t position)
{
    const detail::ByteKernels& kernels = detail::kernels();
    Pass pass;
    for (;;) {
        const detail::RunPass run = kernels.encodeRuns(in + pass.consumed, n - pass.consumed, final, out + pass.written,
                                                       progress.limitFrom(position + std::int64_t(pass.consumed)));
        pass.consumed += run.consumed;
        pass.written += run.written;
        if (run.stop == detail::RunPass::Code255)
            pass.fault = holds255();
        if (run.stop != detail::RunPass::Passed)
            return pass;
        if (!progress.passed(position + std::int64_t(pass.consumed)))
            return pass.stopped = true, pass;
    }
}

// Deciphers the elements of in[0..n) into out[0..room) while they fit, reporting the progress
// points. Unless `final`, a triple cut by the end is left for the next call.
Pass decodeElements(const unsigned char* in, std::size_t n, bool final, unsigned char* out, std::size_t room,
                    ProgressPoints& progress, std::int64_t position)
{
    const detail::ByteKernels& kernels = detail::kernels();
    Pass pass;
    for (;;) {
        const detail::RunPass run =
            kernels.decodeRuns(in + pass.consumed, n - pass.consumed, final, out + pass.written, room - pass.written,
                               progress.limitFrom(position + std::int64_t(pass.consumed)));
        pass.consumed += run.consumed;
        pass.written += run.written;
        switch (run.stop) {
        case detail::RunPass::Passed:
            if (!progress.passed(position + std::int64_t(pass.consumed)))
                return pass.stopped = true, pass;
            continue;
        case detail::RunPass::Full:
            return pass.full = true, pass;
        case detail::RunPass::Count255:
            return pass.fault = count255(position + std::int64_t(pass.consumed)), pass;
        case detail::RunPass::Cut:
            return pass.fault = endsInsideTriple(), pass;
        default:
            return pass;
        }
    }
}

// The first pass of deciphering, in pieces: every triple checked, the output sized.
class TripleCheck {
public:
    void feed(const unsigned char* in, std::size_t n)
    {
        std::size_t i = 0;
        for (; m_open != 0 && i < n && !m_fault; ++i) { // the triple the last piece cut
            if (m_open == 1) {
                m_count = in[i];
                m_open = 2;
            } else {
                close(m_count);
            }
        }
        if (i < n && !m_fault) {
            const std::size_t marker = i + detail::kernels().sizeTriples(in + i, n - i, &m_size);
            if (marker < n) {
                m_markerAt = m_position + std::int64_t(marker);
                m_open = n - marker;
                if (m_open >= 3)
                    close(in[marker + 1]); // a count of 255
                else if (m_open == 2)
                    m_count = in[marker + 1];
            }
        }
        m_position += std::int64_t(n);
    }

    // Checked before anything is written: a crafted text of triples grows 85-fold.
    void end()
    {
        if (m_fault)
            return;
        if (m_open != 0)
            m_fault = endsInsideTriple();
        else if (m_size > MaxDecodedLength)
            m_fault = decipheredTooLong(m_size);
    }

    const std::optional<CipherError>& fault() const { return m_fault; }
    std::uint64_t size() const { return m_size; }

private:
    void close(unsigned char count)
    {
        m_open = 0;
        if (count == RunMarker)
            m_fault = count255(m_markerAt);
        else
            m_size += std::size_t(count) + 1;
    }

    std::int64_t m_position = 0; // characters checked before this piece
    std::uint64_t m_size = 0;
    std::size_t m_open = 0;      // characters of a triple the last piece cut (1 or 2), or 0
    unsigned char m_count = 0;   // its count, when the piece held it
    std::int64_t m_markerAt = 0;
    std::optional<CipherError> m_fault;
};

CipherResult cancelled()
{
    CipherResult result;
    result.cancelled = true;
    return result;
}

} // namespace

CipherResult RleEncode(std::string_view text, const CipherParams& params)
{
    if (text.empty())
        return {};
    const std::size_t n = text.size();
    const unsigned char* in = detail::bytesOf(text);
    if (std::memchr(in, RunMarker, n)) {
        CipherResult result;
        result.error = holds255();
        return result;
    }
    ProgressPoints progress(params.progress);
    Pass pass;
    TextBlock result = detail::makeText(n, [&](unsigned char* out) {
        pass = encodeElements(in, n, true, out, progress, 0);
        return pass.written;
    });
    return pass.stopped ? cancelled() : Completed(std::move(result));
}

CipherResult RleDecode(std::string_view text, const CipherParams& params)
{
    if (text.empty())
        return {};
    const unsigned char* in = detail::bytesOf(text);
    // Every triple is checked and the output sized first, so a malformed text is refused before
    // any progress point and the output is allocated once.
    TripleCheck check;
    check.feed(in, text.size());
    check.end();
    if (check.fault()) {
        CipherResult result;
        result.error = check.fault();
        return result;
    }
    ProgressPoints progress(params.progress);
    Pass pass;
    TextBlock result = detail::makeText(std::size_t(check.size()), [&](unsigned char* out) {
        pass = decodeElements(in, text.size(), true, out, std::size_t(check.size()), progress, 0);
        return pass.written;
    });
    return pass.stopped ? cancelled() : Completed(std::move(result));
}

namespace {

// Elements are only ever left open by a run shorter than MaxRunLength or by a cut triple, so a
// piece's first characters joined to what the last one left open settle it.
constexpr std::size_t JoinLength = 2 * MaxRunLength;
// The least room a loop is given in the output chunk: more than the longest run and the
// longest element a pass may leave open.
constexpr std::size_t MinRoom = 1024;

} // namespace

struct RleStream::State {
    State(Direction direction, ProgressPoint report, std::size_t chunkSize)
        : direction(direction), report(std::move(report)), progress(this->report),
          chunkSize(std::max(chunkSize, 2 * MinRoom)), chunk(std::make_unique_for_overwrite<unsigned char[]>(this->chunkSize))
    {
    }

    Direction direction;
    ProgressPoint report;
    ProgressPoints progress;
    std::int64_t consumed = 0; // characters of the text whose elements are in the output
    std::string carry;         // the characters after them that the last piece left open
    std::size_t chunkSize;
    std::unique_ptr<unsigned char[]> chunk;
    std::size_t filled = 0;
    std::uint64_t given = 0;   // characters the sink has had

    TripleCheck triples;
    std::optional<CipherError> refusal; // found by the first pass
    std::optional<StreamStatus> halted; // the second pass stopped or refused
};

RleStream::RleStream(Direction direction, ProgressPoint progress, std::size_t chunkSize)
    : m_state(std::make_unique<State>(direction, std::move(progress), chunkSize))
{
}

RleStream::~RleStream() = default;

std::optional<CipherError> RleStream::check(std::string_view piece)
{
    State& s = *m_state;
    if (s.refusal)
        return s.refusal;
    if (s.direction == Direction::Encipher) {
        if (std::memchr(piece.data(), RunMarker, piece.size()))
            s.refusal = holds255();
    } else {
        s.triples.feed(detail::bytesOf(piece), piece.size());
        s.refusal = s.triples.fault();
    }
    return s.refusal;
}

std::optional<CipherError> RleStream::checkEnd()
{
    State& s = *m_state;
    if (s.direction == Direction::Decipher && !s.refusal) {
        s.triples.end();
        s.refusal = s.triples.fault();
    }
    return s.refusal;
}

std::uint64_t RleStream::decipheredSize() const
{
    return m_state->triples.size();
}

StreamStatus RleStream::halt(StreamStatus status)
{
    m_state->halted = status;
    return status;
}

StreamStatus RleStream::flush(const TextSink& sink)
{
    State& s = *m_state;
    if (s.filled == 0)
        return {};
    // The first pass refuses such a text before any output; a stream fed without it still
    // never gives more than a file may hold.
    if (s.direction == Direction::Decipher && s.given + s.filled > MaxDecodedLength)
        return {.error = decipheredPastLimit()};
    const std::string_view bytes(reinterpret_cast<const char*>(s.chunk.get()), s.filled);
    s.given += s.filled;
    s.filled = 0;
    if (sink && !sink(bytes))
        return {.stopped = true};
    return {};
}

// Ciphers the elements of `text` that it settles (all of them when final) into the chunk,
// which goes to the sink whenever it fills; s.consumed moves on past them.
StreamStatus RleStream::take(std::string_view text, bool final, const TextSink& sink)
{
    State& s = *m_state;
    const unsigned char* in = detail::bytesOf(text);
    std::size_t at = 0;
    for (;;) {
        if (s.chunkSize - s.filled < MinRoom) {
            if (StreamStatus status = flush(sink); !status.ok())
                return status;
        }
        const std::size_t room = s.chunkSize - s.filled;
        const std::size_t rest = text.size() - at;
        Pass pass;
        bool last = true;
        if (s.direction == Direction::Encipher) {
            // Enciphering never lengthens, so a slice the size of the room always fits.
            last = rest <= room;
            pass = encodeElements(in + at, std::min(rest, room), final && last, s.chunk.get() + s.filled, s.progress,
                                  s.consumed);
        } else {
            pass = decodeElements(in + at, rest, final, s.chunk.get() + s.filled, room, s.progress, s.consumed);
            last = !pass.full;
        }
        s.filled += pass.written;
        s.consumed += std::int64_t(pass.consumed);
        at += pass.consumed;
        if (pass.fault)
            return {.error = pass.fault};
        if (pass.stopped)
            return {.stopped = true};
        if (last)
            return {};
    }
}

StreamStatus RleStream::feed(std::string_view piece, const TextSink& sink)
{
    State& s = *m_state;
    if (s.halted)
        return *s.halted;

    // What the last piece left open is settled by the start of this one, joined to it.
    while (!s.carry.empty() && !piece.empty()) {
        const std::size_t open = s.carry.size();
        const std::size_t head = std::min(piece.size(), JoinLength);
        s.carry.append(piece.substr(0, head));
        const std::int64_t before = s.consumed;
        if (StreamStatus status = take(s.carry, false, sink); !status.ok())
            return halt(status);
        const std::size_t settled = std::size_t(s.consumed - before);
        if (settled >= open) { // what is still open lies in this piece
            piece.remove_prefix(settled - open);
            s.carry.clear();
        } else {
            s.carry.erase(0, settled);
            piece.remove_prefix(head);
        }
    }
    if (piece.empty())
        return {};
    const std::int64_t before = s.consumed;
    if (StreamStatus status = take(piece, false, sink); !status.ok())
        return halt(status);
    s.carry.assign(piece.substr(std::size_t(s.consumed - before)));
    return {};
}

StreamStatus RleStream::finish(const TextSink& sink)
{
    State& s = *m_state;
    if (s.halted)
        return *s.halted;
    if (StreamStatus status = take(s.carry, true, sink); !status.ok())
        return halt(status);
    s.carry.clear();
    if (StreamStatus status = flush(sink); !status.ok())
        return halt(status);
    m_state->halted = StreamStatus{.stopped = true}; // the text has ended
    return {};
}

std::unique_ptr<TextStream> openRleStream(Direction direction, const CipherParams& params)
{
    return std::make_unique<RleStream>(direction, params.progress);
}

} // namespace cipher
