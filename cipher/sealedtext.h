#pragma once

#include "cipher/age.h"

#include <string>
#include <string_view>

// Whole texts in the sealed format, for callers that hold all of it at once.
namespace cipher {

// The sealed bytes (not armoured).
AgeResult<std::string> SealText(std::string_view plain, std::string_view passphrase, int workFactor = DefaultWorkFactor);

// Opens the armoured form or the sealed bytes. On an error no part of the plain text is returned.
AgeResult<std::string> OpenText(std::string_view sealed, std::string_view passphrase);

} // namespace cipher
