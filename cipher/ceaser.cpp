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
    TextBlock out = detail::sizedText(text.size());
    if (detail::shiftUpMod255(detail::bytesOf(text), text.size(), offset, detail::bytesOf(out)))
        return Refused("The text contains the character with code 255, which the shift cipher with offset " +
                       std::to_string(offset) + " cannot tell from code 0");
    return Completed(std::move(out));
}

CipherResult CeaserDecode(std::string_view text, const CipherParams& params)
{
    const unsigned offset = effectiveOffset(params);
    if (offset == 0)
        return Completed(TextBlock(text));
    TextBlock out = detail::sizedText(text.size());
    detail::shiftDownMod255(detail::bytesOf(text), text.size(), offset, detail::bytesOf(out));
    return Completed(std::move(out));
}

} // namespace cipher
