#include "cipher/cipher.h"

namespace cipher {

CipherRoutine CipherFor(std::uint8_t protectionType, Direction /*direction*/)
{
    switch (protectionType) {
    case 0:
        return &StandardCipher;
    default:
        return nullptr;
    }
}

} // namespace cipher
