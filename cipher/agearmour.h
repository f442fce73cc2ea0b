#pragma once

#include "cipher/age.h"

#include <string>
#include <string_view>

// The sealed format's ASCII armour: strict PEM with the standard base64 alphabet, padded, in lines
// of 64 columns, between fixed first and last lines; text that survives a mail or a text box.
namespace cipher {

inline constexpr std::string_view ArmourBegin = "-----BEGIN AGE ENCRYPTED FILE-----";
inline constexpr std::string_view ArmourEnd = "-----END AGE ENCRYPTED FILE-----";

std::string AgeArmour(std::string_view sealed);

// Whether the text, after white space lines, starts with the armour's first line.
bool isAgeArmour(std::string_view text);

// White space lines may come before and white space after; lines may end in CR LF. Anything else
// that is not exactly what AgeArmour writes is refused as damaged.
AgeResult<std::string> AgeUnarmour(std::string_view text);

} // namespace cipher
