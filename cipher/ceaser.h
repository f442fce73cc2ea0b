#pragma once

#include "cipher/ciphertypes.h"

namespace cipher {

// The largest offset the shift cipher uses; an offset of 255 acts as this one.
inline constexpr std::uint8_t MaxCeaserOffset = 254;

// Cipher type 2: every code moved up (encipher) or down (decipher) by params.ceaserOffset,
// modulo 255. Plain text holding code 255 is refused (error 5) when the offset is at least 1,
// because 255 and 0 would then encipher to the same code.
CipherResult CeaserEncode(std::string_view text, const CipherParams& params);
CipherResult CeaserDecode(std::string_view text, const CipherParams& params);

} // namespace cipher
