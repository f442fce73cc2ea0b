// Run-length routines against a plain element-by-element reading of the format, with the
// progress points and a cancellation at a chosen point. First byte: bit 0 picks the direction,
// the rest the progress point (from 1) whose callback asks to stop, 0 for none.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

#include <optional>
#include <vector>

namespace {

struct Reference {
    std::string text;
    std::vector<std::int64_t> elementEnds; // position (from 1) of each element's last character
};

// Refused texts give nothing.
std::optional<Reference> referenceDecode(std::string_view in)
{
    Reference r;
    for (std::size_t i = 0; i < in.size();) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c != 255) {
            r.text.push_back(in[i]);
            i += 1;
        } else {
            if (i + 2 >= in.size() || static_cast<unsigned char>(in[i + 1]) == 255)
                return std::nullopt;
            r.text.append(static_cast<unsigned char>(in[i + 1]) + std::size_t(1), in[i + 2]);
            i += 3;
        }
        r.elementEnds.push_back(static_cast<std::int64_t>(i));
    }
    return r;
}

std::optional<Reference> referenceEncode(std::string_view in)
{
    Reference r;
    for (std::size_t i = 0; i < in.size();) {
        if (static_cast<unsigned char>(in[i]) == 255)
            return std::nullopt;
        std::size_t run = 1;
        while (i + run < in.size() && run < 255 && in[i + run] == in[i])
            ++run;
        if (run >= 3) {
            r.text += '\xFF';
            r.text += static_cast<char>(run - 1);
            r.text += in[i];
            i += run;
        } else {
            r.text.push_back(in[i]);
            i += 1;
        }
        r.elementEnds.push_back(static_cast<std::int64_t>(i));
    }
    return r;
}

std::vector<std::int64_t> progressPoints(const std::vector<std::int64_t>& ends)
{
    std::vector<std::int64_t> points;
    std::int64_t threshold = 0;
    for (std::int64_t q : ends) {
        if (q > threshold) {
            threshold += cipher::BlockSize;
            points.push_back(q);
        }
    }
    return points;
}

} // namespace

int fuzztargets::rle(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::Input input(data, size);
    const std::uint8_t control = input.byte();
    const bool encode = control & 1;
    const std::size_t stopAt = control >> 1;
    const std::string_view text = input.rest();

    std::vector<std::int64_t> seen;
    cipher::CipherParams params;
    params.progress = [&](std::int64_t q) {
        seen.push_back(q);
        return seen.size() != stopAt;
    };
    const cipher::CipherResult result = encode ? cipher::RleEncode(text, params) : cipher::RleDecode(text, params);
    const std::optional<Reference> expected = encode ? referenceEncode(text) : referenceDecode(text);

    if (!expected) {
        FUZZ_CHECK(result.error && result.error->number == cipher::InvalidArgumentError);
        FUZZ_CHECK(!result.error->message.empty());
        FUZZ_CHECK(result.text.empty() && !result.cancelled && seen.empty());
        return 0;
    }
    FUZZ_CHECK(!result.error);
    std::vector<std::int64_t> points = progressPoints(expected->elementEnds);
    if (stopAt != 0 && stopAt <= points.size()) {
        points.resize(stopAt);
        FUZZ_CHECK(result.cancelled && result.text.empty());
    } else {
        FUZZ_CHECK(!result.cancelled);
        FUZZ_CHECK(result.text == expected->text);
    }
    FUZZ_CHECK(seen == points);
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::rle)
