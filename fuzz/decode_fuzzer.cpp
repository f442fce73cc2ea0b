// Every deciphering routine on any text, with the key and offset taken from the input:
// byte 0 picks the cipher type (its place in the catalogue, modulo the catalogue's size),
// byte 1 the offset, byte 2 the key length (mod 64), then the key, then the text. Deciphering
// refuses only a key that is too short or, for a cipher whose row says so, a text the cipher
// cannot have produced; the length-preserving ciphers keep the length, and a cipher of
// several characters per code gives at most one character per code.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

int fuzztargets::decode(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::Input input(data, size);
    const auto catalogue = cipher::catalogue();
    const cipher::CipherType& type = catalogue[input.byte() % catalogue.size()];
    cipher::CipherParams params;
    params.ceaserOffset = input.byte();
    params.key = input.take(input.byte() % 64);
    const std::string_view text = input.rest();
    // The sealed type has a target of its own (sealed); here its key stretching would be most of
    // the time.
    if (type.feed == cipher::Feed::Stream)
        return 0;

    const cipher::CipherRoutine decipher = cipher::CipherFor(type.number(), cipher::Direction::Decipher);
    FUZZ_CHECK(decipher != nullptr);
    const cipher::CipherResult result = decipher(text, params);
    FUZZ_CHECK(!result.cancelled);
    if (result.error) {
        FUZZ_CHECK(result.error->number == cipher::InvalidArgumentError && result.text.empty());
        const bool keyTooShort = !text.empty() && params.key.size() < type.minimumKeyLength;
        FUZZ_CHECK(keyTooShort || type.refusesMalformed);
        return 0;
    }
    if (type.preservesLength)
        FUZZ_CHECK(result.text.size() == text.size());
    if (type.codeLength > 1)
        FUZZ_CHECK(result.text.size() <= text.size() / type.codeLength);
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::decode)
