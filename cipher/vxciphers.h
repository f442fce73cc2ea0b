#pragma once

#include "cipher/ciphertypes.h"

namespace cipher {

// Cipher types 5 to 9: fixed byte transforms without key or offset, each its own inverse. The
// position i counts from 1 afresh in every call; "rising" is i mod 256 and "falling" is
// (256 - i mod 256) mod 256.
//   VX1: the two 4-bit halves swapped, then all bits complemented.
//   VX2: b XOR 0x55.
//   VX3: b XOR 0xAA XOR rising.
//   VX4: b XOR 0xAA XOR falling.
//   VX5: complement of b XOR falling, which is b XOR ((i - 1) mod 256).
CipherResult VX1Cipher(std::string_view text, const CipherParams& params);
CipherResult VX2Cipher(std::string_view text, const CipherParams& params);
CipherResult VX3Cipher(std::string_view text, const CipherParams& params);
CipherResult VX4Cipher(std::string_view text, const CipherParams& params);
CipherResult VX5Cipher(std::string_view text, const CipherParams& params);

} // namespace cipher
