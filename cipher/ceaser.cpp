#include "cipher/ceaser.h"

#include "cipher/bytekernels.h"

#include <algorithm>

namespace cipher {

namespace {

unsigned effectiveOffset(const CipherParams& params)
{
    return std::min(params.ceaserOffset, MaxCeaserOffset);
}

} // namespace

CipherResult CeaserEncode(std::string_view text, const CipherParams& params)
{
    const unsigned offset = effectiveOffset(params);
    if (offset == 0)
        return Completed(TextBlock(text));
    bool holds255 = false;
    TextBlock out = detail::makeTextOfLength(text.size(), [&](unsigned char* to) {
        holds255 = detail::kernels().shiftUpMod255(detail::bytesOf(text), text.size(), offset, to);
    });
    if (holds255)
        return Refused("The text contains the character with code 255, which the shift cipher with offset " +
                       std::to_string(offset) + " cannot tell from code 0");
    return Completed(std::move(out));
}

CipherResult CeaserDecode(std::string_view text, const CipherParams& params)
{
    const unsigned offset = effectiveOffset(params);
    if (offset == 0)
        return Completed(TextBlock(text));
    return Completed(detail::makeTextOfLength(text.size(), [&](unsigned char* to) {
        detail::kernels().shiftDownMod255(detail::bytesOf(text), text.size(), offset, to);
    }));
}

} // namespace cipher
