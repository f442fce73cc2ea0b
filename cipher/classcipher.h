#pragma once

#include "cipher/ciphertypes.h"

namespace cipher {

// Cipher type 3, both directions: every code XOR the key byte of a pair of neighbouring key
// characters, K(t) XOR K(t+1), where position i (from 1 in every call) uses pair t = i mod L and
// a remainder of 0 uses pair 1. Its own inverse. Needs a key of at least two characters
// (error 5 otherwise) as soon as the text is not empty.
CipherResult ClassCipher(std::string_view text, const CipherParams& params);

} // namespace cipher
