#include "cipher/sealedtext.h"

#include "cipher/agearmour.h"
#include "cipher/agecrypto.h"
#include "cipher/ageopener.h"
#include "cipher/agesealer.h"
#include "cipher/catalogue.h"

namespace cipher {

AgeResult<std::string> SealText(std::string_view plain, std::string_view passphrase, int workFactor)
{
    AgeResult<AgeSealer> sealer = AgeSealer::create(passphrase, workFactor);
    if (!sealer.ok())
        return sealer.error();
    std::string sealed;
    sealed.reserve(plain.size() + plain.size() / AgeChunkSize * age::TagSize + 256);
    sealer.value().write(plain, sealed);
    sealer.value().finish(sealed);
    return sealed;
}

AgeResult<std::string> OpenText(std::string_view sealed, std::string_view passphrase)
{
    std::string unarmoured;
    if (isAgeArmour(sealed)) {
        AgeResult<std::string> bytes = AgeUnarmour(sealed);
        if (!bytes.ok())
            return bytes.error();
        unarmoured = std::move(bytes.value());
        sealed = unarmoured;
    }
    AgeOpened opened = openInPieces(sealed, passphrase);
    if (opened.error) {
        age::wipeBytes(opened.plain.data(), opened.plain.size());
        return *opened.error;
    }
    return std::move(opened.plain);
}

CipherResult SealedEncode(std::string_view text, const CipherParams& params)
{
    if (std::optional<CipherError> refusal = keyRefusal(std::uint8_t(PType::Sealed), Direction::Encipher, params.key))
        return Refused(std::move(refusal->message));
    AgeResult<std::string> sealed = SealText(text, params.key);
    if (!sealed.ok())
        return CipherResult{.error = sealed.error().cipherError()};
    return Completed(AgeArmour(sealed.value()));
}

CipherResult SealedDecode(std::string_view text, const CipherParams& params)
{
    AgeResult<std::string> opened = OpenText(text, params.key);
    if (!opened.ok())
        return CipherResult{.error = opened.error().cipherError()};
    return Completed(std::move(opened.value()));
}

} // namespace cipher
