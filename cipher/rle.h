#pragma once

#include "cipher/ciphertypes.h"

namespace cipher {

// Enciphered run-length text is a sequence of literals (any code but 255) and run triples:
// RunMarker, a count character c, the run character, standing for c + 1 copies.
inline constexpr unsigned char RunMarker = 255;
// The longest run one triple holds; a longer run is written as several triples, and a rest of
// one or two characters as literals.
inline constexpr std::size_t MaxRunLength = 255;
// The longest text RleDecode writes: the most a file operation takes or writes.
inline constexpr std::size_t MaxDecodedLength = 2147483647;

// Cipher type 1. Both routines take the whole text in one call and report progress through
// params.progress: after the first element (literal or triple), then whenever the position of
// the last character consumed passes the next multiple of BlockSize. When the callback returns
// false they return an empty text with cancelled set.
//
// RleEncode refuses (error 5) a text that holds code 255. RleDecode refuses (error 5) a text
// that ends inside a triple or a triple whose count character is 255, and a text that would
// decipher to more than MaxDecodedLength characters. Refusals are found before
// the first progress point.
CipherResult RleEncode(std::string_view text, const CipherParams& params);
CipherResult RleDecode(std::string_view text, const CipherParams& params);

} // namespace cipher
