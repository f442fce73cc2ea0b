#include "cipher/cipher.h"

namespace cipher {

CipherRoutine CipherFor(std::uint8_t protectionType, Direction direction)
{
    const bool encipher = direction == Direction::Encipher;
    switch (static_cast<PType>(protectionType)) {
    case PType::Standard:
        return &StandardCipher;
    case PType::RLE:
        return encipher ? &RleEncode : &RleDecode;
    case PType::Ceaser:
        return encipher ? &CeaserEncode : &CeaserDecode;
    case PType::Class:
        return &ClassCipher;
    case PType::String1:
        return encipher ? &String1Encode : &String1Decode;
    case PType::VX1:
        return &VX1Cipher;
    case PType::VX2:
        return &VX2Cipher;
    case PType::VX3:
        return &VX3Cipher;
    case PType::VX4:
        return &VX4Cipher;
    case PType::VX5:
        return &VX5Cipher;
    }
    return nullptr;
}

} // namespace cipher
