#include "cipher/standardcipher.h"

#include "cipher/bytekernels.h"

namespace cipher {

CipherResult StandardCipher(std::string_view text, const CipherParams& params)
{
    if (text.empty())
        return {};
    const std::string_view key = params.key;
    if (key.empty())
        return Refused("The standard cipher needs a key of at least one character, and the key is empty");
    const std::size_t last = key.size() - 1;
    return Completed(detail::xorPeriodic(text, key.size(),
                                [&](std::size_t j) { return static_cast<unsigned char>(key[last - j]); }));
}

} // namespace cipher
