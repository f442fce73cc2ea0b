#pragma once

#include "cipher/ciphertypes.h"

#include <optional>
#include <span>

namespace cipher {

// The fixed table of the codebook cipher: 71 plain characters (the lower-case letters, the
// digits, the space, the printable punctuation but the double quote, carriage return, line
// feed and the control character 22), each with a distinct code of two digits and a letter or
// punctuation character.
//
// No code ends in a digit. A window that starts inside one code and runs into the next
// therefore has a non-digit in its first or second place, and no code does, so the decoder,
// which looks at every position, never finds a code where two codes meet.
class String1Codebook {
public:
    struct Entry {
        char plain;
        std::string_view code;
    };

    static constexpr std::size_t EntryCount = 71;
    static constexpr std::size_t CodeLength = 3;

    static std::span<const Entry, EntryCount> entries();

    // The code of the character exactly as given (no lower-casing); empty when it has none.
    static std::string_view codeFor(unsigned char plain);

    // The plain character whose code the three characters are, if they are one.
    static std::optional<char> plainFor(std::string_view code);
};

// Cipher type 4; the key is not used. String1Encode turns upper-case letters to lower case,
// replaces every character with its code and drops characters without an entry.
// String1Decode looks at every position, emits the character of each code it finds there and
// skips everything else, including one or two characters at the end that do not complete a
// code. Neither refuses any text, and neither has a length limit: a long text gives the same
// result as the same text cut into blocks of whole codes.
CipherResult String1Encode(std::string_view text, const CipherParams& params);
CipherResult String1Decode(std::string_view text, const CipherParams& params);

// What String1Decode gives back from String1Encode's text: the letters lower-cased, the
// characters without an entry gone.
TextBlock String1Restored(std::string_view plain);

} // namespace cipher
