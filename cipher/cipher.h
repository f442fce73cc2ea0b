#pragma once

// The cipher library: the catalogue of the cipher types, their routines and the one selection
// rule that the encryption control reaches them through.
#include "cipher/catalogue.h"
#include "cipher/ceaser.h"
#include "cipher/ciphertypes.h"
#include "cipher/classcipher.h"
#include "cipher/rle.h"
#include "cipher/standardcipher.h"
#include "cipher/sealedtext.h"
#include "cipher/secrettext.h"
#include "cipher/string1.h"
#include "cipher/textstream.h"
#include "cipher/vxciphers.h"

namespace cipher {

// The one selection rule from a cipher type and a direction to a routine, read from the
// catalogue. Returns nullptr for a number without a row, whose text passes unchanged.
CipherRoutine CipherFor(std::uint8_t protectionType, Direction direction);

} // namespace cipher
