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

// Cipher type 10 on whole texts, with params.key as the passphrase. SealedEncode gives the
// armoured form and refuses (error 5) an empty key and DefaultKey; SealedDecode takes the
// armoured form or the sealed bytes, and refuses what does not open with SealedDataError.
CipherResult SealedEncode(std::string_view text, const CipherParams& params);
CipherResult SealedDecode(std::string_view text, const CipherParams& params);

} // namespace cipher
