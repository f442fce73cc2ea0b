#pragma once

#include "cipher/ciphertypes.h"

namespace cipher {

// Cipher type 0, both directions: every code XOR a key character, the key walked from its last
// character to its first, over and over, starting afresh at the last character in every call.
// Its own inverse. An empty text comes back empty without a look at the key; an empty key
// with a non-empty text is refused (error 5).
CipherResult StandardCipher(std::string_view text, const CipherParams& params);

} // namespace cipher
