#include "cipher/classcipher.h"

#include "cipher/bytekernels.h"

namespace cipher {

CipherResult ClassCipher(std::string_view text, const CipherParams& params)
{
    if (text.empty())
        return {};
    const std::string_view key = params.key;
    if (key.size() < 2)
        return Refused("The Class cipher needs a key of at least two characters, to form a pair of "
                       "neighbouring characters, and the key has " + std::to_string(key.size()));
    const std::size_t length = key.size();
    // Position j + 1 uses pair (j + 1) mod L, with 0 standing for pair 1; pair t is key[t - 1]
    // and key[t].
    return Completed(detail::xorPeriodic(text, length, [&](std::size_t j) {
        std::size_t t = (j + 1) % length;
        if (t == 0)
            t = 1;
        return static_cast<unsigned char>(key[t - 1] ^ key[t]);
    }));
}

} // namespace cipher
