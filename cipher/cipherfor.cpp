#include "cipher/cipher.h"

namespace cipher {

CipherRoutine CipherFor(std::uint8_t protectionType, Direction direction)
{
    const CipherType* type = findCipherType(protectionType);
    if (!type)
        return nullptr;
    return direction == Direction::Encipher ? type->encipher : type->decipher;
}

} // namespace cipher
