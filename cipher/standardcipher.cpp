#include "cipher/cipher.h"

namespace cipher {

CipherResult StandardCipher(std::string_view text, const CipherParams& params)
{
    CipherResult result;
    result.text.resize(text.size());
    const std::string_view key = params.key;
    const std::size_t keyLength = key.size();
    if (keyLength == 0) {
        result.error = CipherError{5, "The key is empty"};
        result.text.clear();
        return result;
    }
    std::size_t p = keyLength; // 1-based position in the key, walked backwards
    for (std::size_t i = 0; i < text.size(); ++i) {
        result.text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ static_cast<unsigned char>(key[p - 1]));
        if (--p == 0)
            p = keyLength;
    }
    return result;
}

} // namespace cipher
