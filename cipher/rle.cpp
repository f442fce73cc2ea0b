#include "cipher/rle.h"

#include "cipher/bytekernels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cipher {

namespace {

// The progress rule of both directions: a point at every element whose last position passes
// the threshold, which then moves on by one block (once, however far the position passed it).
class ProgressPoints {
public:
    explicit ProgressPoints(const ProgressPoint& report) : m_report(report) {}

    // An element ending at position q (from 1). False when the host asked to stop.
    bool at(std::int64_t q)
    {
        if (q <= m_threshold)
            return true;
        m_threshold += BlockSize;
        return !m_report || m_report(q);
    }

    // One literal element at every position from first to last; positions the threshold has
    // already passed are skipped without a call.
    bool across(std::int64_t first, std::int64_t last)
    {
        for (std::int64_t q = std::max(first, m_threshold + 1); q <= last; q = std::max(q + 1, m_threshold + 1)) {
            m_threshold += BlockSize;
            if (m_report && !m_report(q))
                return false;
        }
        return true;
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

// What one call of a loop below did.
struct Pass {
    std::size_t consumed = 0; // characters of its input whose elements it wrote
    std::size_t written = 0;
    bool stopped = false;     // the progress callback asked to stop
    bool full = false;        // the output had no room for the next element
    std::optional<CipherError> fault;
};

// The end of a run of c that goes on at `from`, looked at up to `limit`, a word at a time.
std::size_t runEnd(const unsigned char* in, std::size_t from, std::size_t limit, unsigned char c)
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

// Enciphers the elements of in[0..n) into out, which has room for n characters (no element
// comes out longer than it went in). `position` is the index of in[0] in the whole text.
// Unless `final`, it stops before an element that may go on past n: a run shorter than
// MaxRunLength that reaches the end, or one of the last two characters, which may begin a run
// with what follows.
Pass encodeElements(const unsigned char* in, std::size_t n, bool final, unsigned char* out, ProgressPoints& progress,
                    std::int64_t position)
{
    const detail::ByteKernels& kernels = detail::kernels();
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < n) {
        const std::size_t run = i + kernels.copyUntilRun(in + i, n - i, out + o);
        const std::size_t literalsEnd = run == n && !final ? std::max(i, n - std::min<std::size_t>(n, 2)) : run;
        o += literalsEnd - i;
        if (!progress.across(position + std::int64_t(i) + 1, position + std::int64_t(literalsEnd)))
            return {.consumed = literalsEnd, .written = o, .stopped = true};
        i = literalsEnd;
        if (run == n)
            break;
        const unsigned char c = in[run];
        const std::size_t end = runEnd(in, run + 3, std::min(n, run + MaxRunLength), c);
        if (!final && end == n && end - run < MaxRunLength)
            break;
        out[o++] = RunMarker;
        out[o++] = static_cast<unsigned char>(end - run - 1);
        out[o++] = c;
        i = end;
        if (!progress.at(position + std::int64_t(end)))
            return {.consumed = i, .written = o, .stopped = true};
    }
    return {.consumed = i, .written = o};
}

// Deciphers the elements of in[0..n) into out[0..room) while they fit. Unless `final`, a
// triple cut by the end is left for the next call.
Pass decodeElements(const unsigned char* in, std::size_t n, bool final, unsigned char* out, std::size_t room,
                    ProgressPoints& progress, std::int64_t position)
{
    std::size_t p = 0;
    std::size_t o = 0;
    while (p < n) {
        // No further than the output has room for: a long stretch of literals is not searched
        // again at every call.
        const std::size_t scanEnd = std::min(n, p + (room - o));
        const void* found = std::memchr(in + p, RunMarker, scanEnd - p);
        const std::size_t literalsEnd = found ? std::size_t(static_cast<const unsigned char*>(found) - in) : scanEnd;
        std::memcpy(out + o, in + p, literalsEnd - p);
        o += literalsEnd - p;
        if (!progress.across(position + std::int64_t(p) + 1, position + std::int64_t(literalsEnd)))
            return {.consumed = literalsEnd, .written = o, .stopped = true};
        p = literalsEnd;
        if (!found) {
            if (p < n)
                return {.consumed = p, .written = o, .full = true};
            break;
        }
        if (n - p < 3) {
            if (final)
                return {.consumed = p, .written = o, .fault = endsInsideTriple()};
            break;
        }
        if (in[p + 1] == RunMarker)
            return {.consumed = p, .written = o, .fault = count255(position + std::int64_t(p))};
        const std::size_t count = std::size_t(in[p + 1]) + 1;
        if (room - o < count)
            return {.consumed = p, .written = o, .full = true};
        std::memset(out + o, in[p + 2], count);
        o += count;
        p += 3;
        if (!progress.at(position + std::int64_t(p)))
            return {.consumed = p, .written = o, .stopped = true};
    }
    return {.consumed = p, .written = o};
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
        while (i < n && !m_fault) {
            const void* found = std::memchr(in + i, RunMarker, n - i);
            if (!found) {
                m_size += n - i;
                break;
            }
            const std::size_t marker = std::size_t(static_cast<const unsigned char*>(found) - in);
            m_size += marker - i;
            m_markerAt = m_position + std::int64_t(marker);
            m_open = n - marker;
            if (m_open < 3) {
                if (m_open == 2)
                    m_count = in[marker + 1];
                break;
            }
            close(in[marker + 1]);
            i = marker + 3;
        }
        m_position += std::int64_t(n);
    }

    void end()
    {
        if (m_open != 0 && !m_fault)
            m_fault = endsInsideTriple();
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
    // Checked before allocating: a crafted text of triples grows 85-fold.
    if (size > MaxDecodedLength)
        return Refused("Deciphered, the text would be " + std::to_string(size) + " characters long, more than the " +
                       std::to_string(MaxDecodedLength) + " a file may hold");

    Direction direction;
    ProgressPoint report;
    ProgressPoints progress;
    std::int64_t consumed = 0; // characters of the text whose elements are in the output
    std::string carry;         // the characters after them that the last piece left open
    std::size_t chunkSize;
    std::unique_ptr<unsigned char[]> chunk;
    std::size_t filled = 0;

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
    const std::string_view bytes(reinterpret_cast<const char*>(s.chunk.get()), s.filled);
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
    if (s.direction == Direction::Encipher && std::memchr(piece.data(), RunMarker, piece.size()))
        return halt({.error = holds255()});

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
