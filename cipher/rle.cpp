#include "cipher/rle.h"

#include "cipher/bytekernels.h"

#include <algorithm>
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

CipherResult cancelled()
{
    CipherResult result;
    result.cancelled = true;
    return result;
}

// The first position at or after i where three equal characters begin, or n.
std::size_t findRun(const unsigned char* in, std::size_t i, std::size_t n)
{
    if (n < 3)
        return n;
    for (; i + 2 < n; ++i) {
        if (in[i] == in[i + 1] && in[i + 1] == in[i + 2])
            return i;
    }
    return n;
}

const unsigned char* findMarker(const unsigned char* from, const unsigned char* end)
{
    return static_cast<const unsigned char*>(std::memchr(from, RunMarker, static_cast<std::size_t>(end - from)));
}

} // namespace

CipherResult RleEncode(std::string_view text, const CipherParams& params)
{
    if (text.empty())
        return {};
    const std::size_t n = text.size();
    const unsigned char* in = detail::bytesOf(text);
    if (std::memchr(in, RunMarker, n))
        return Refused("The text contains the character with code 255, which the run-length cipher "
                       "reserves as its run marker");

    // Triples never outgrow their runs, so the output is never longer than the text.
    ProgressPoints progress(params.progress);
    bool stopped = false;
    TextBlock result = detail::makeText(n, [&](unsigned char* out) -> std::size_t {
        std::size_t o = 0;
        std::size_t i = 0;
        while (i < n) {
            const std::size_t run = findRun(in, i, n);
            std::memcpy(out + o, in + i, run - i);
            o += run - i;
            if (!progress.across(std::int64_t(i) + 1, std::int64_t(run)))
                return stopped = true, 0;
            if (run == n)
                break;
            const unsigned char c = in[run];
            const std::size_t limit = std::min(n, run + MaxRunLength);
            std::size_t end = run + 3;
            while (end < limit && in[end] == c)
                ++end;
            out[o++] = RunMarker;
            out[o++] = static_cast<unsigned char>(end - run - 1);
            out[o++] = c;
            i = end;
            if (!progress.at(std::int64_t(end)))
                return stopped = true, 0;
        }
        return o;
    });
    return stopped ? cancelled() : Completed(std::move(result));
}

CipherResult RleDecode(std::string_view text, const CipherParams& params)
{
    if (text.empty())
        return {};
    const unsigned char* in = detail::bytesOf(text);
    const unsigned char* end = in + text.size();

    // First pass: check every triple and size the output, so a malformed text is refused
    // before any progress point and the output is allocated once.
    std::size_t size = 0;
    for (const unsigned char* p = in;;) {
        const unsigned char* marker = findMarker(p, end);
        if (!marker) {
            size += static_cast<std::size_t>(end - p);
            break;
        }
        if (end - marker < 3)
            return Refused("The enciphered text ends inside a run triple: a run marker (code 255) is among "
                           "its last two characters");
        if (marker[1] == RunMarker)
            return Refused("A run triple at position " + std::to_string(marker - in + 1) +
                           " has the count character 255, which the run-length cipher never writes");
        size += static_cast<std::size_t>(marker - p) + marker[1] + 1;
        p = marker + 3;
    }
    // Checked before allocating: a crafted text of triples grows 85-fold.
    if (size > MaxDecodedLength)
        return Refused("Deciphered, the text would be " + std::to_string(size) + " characters long, more than the " +
                       std::to_string(MaxDecodedLength) + " a file may hold");

    ProgressPoints progress(params.progress);
    bool stopped = false;
    TextBlock result = detail::makeText(size, [&](unsigned char* out) -> std::size_t {
        unsigned char* o = out;
        for (const unsigned char* p = in; p < end;) {
            const unsigned char* marker = findMarker(p, end);
            const unsigned char* literalsEnd = marker ? marker : end;
            std::memcpy(o, p, static_cast<std::size_t>(literalsEnd - p));
            o += literalsEnd - p;
            if (!progress.across(p - in + 1, literalsEnd - in))
                return stopped = true, 0;
            if (!marker)
                break;
            const std::size_t count = std::size_t(marker[1]) + 1;
            std::memset(o, marker[2], count);
            o += count;
            p = marker + 3;
            if (!progress.at(p - in))
                return stopped = true, 0;
        }
        return static_cast<std::size_t>(o - out);
    });
    return stopped ? cancelled() : Completed(std::move(result));
}

} // namespace cipher
