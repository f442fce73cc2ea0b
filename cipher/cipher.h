#pragma once

// The cipher library: every routine of the ten cipher types and the one selection rule that
// the encryption control reaches them through.
#include "cipher/ceaser.h"
#include "cipher/ciphertypes.h"
#include "cipher/classcipher.h"
#include "cipher/rle.h"
#include "cipher/standardcipher.h"
#include "cipher/string1.h"
#include "cipher/vxciphers.h"

namespace cipher {

// The one selection rule from a cipher type and a direction to a routine. Returns nullptr for
// the types 10 to 255, whose text passes unchanged. RLE's routines take the whole text in one
// call and report progress through params.progress; every other routine is called per block.
CipherRoutine CipherFor(std::uint8_t protectionType, Direction direction);

} // namespace cipher
