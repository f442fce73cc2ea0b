// Every deciphering routine on any text, with the key and offset taken from the input:
// byte 0 the cipher type (mod 10), byte 1 the offset, byte 2 the key length (mod 64), then the
// key, then the text. Deciphering may refuse only a malformed run-length text; the
// length-preserving ciphers keep the length.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

int fuzztargets::decode(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::Input input(data, size);
    const auto type = static_cast<cipher::PType>(input.byte() % 10);
    cipher::CipherParams params;
    params.ceaserOffset = input.byte();
    params.key = input.take(input.byte() % 64);
    const std::string_view text = input.rest();

    const cipher::CipherRoutine decipher = cipher::CipherFor(static_cast<std::uint8_t>(type), cipher::Direction::Decipher);
    FUZZ_CHECK(decipher != nullptr);
    const cipher::CipherResult result = decipher(text, params);
    FUZZ_CHECK(!result.cancelled);
    if (result.error) {
        FUZZ_CHECK(result.error->number == cipher::InvalidArgumentError && result.text.empty());
        const bool keyTooShort = (type == cipher::PType::Standard && params.key.empty()) ||
                                 (type == cipher::PType::Class && params.key.size() < 2);
        FUZZ_CHECK(type == cipher::PType::RLE || (keyTooShort && !text.empty()));
        return 0;
    }
    switch (type) {
    case cipher::PType::RLE:
        FUZZ_CHECK(result.text.find('\xFF') == std::string::npos);
        break;
    case cipher::PType::String1:
        FUZZ_CHECK(result.text.size() <= text.size() / 3);
        break;
    default:
        FUZZ_CHECK(result.text.size() == text.size());
    }
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::decode)
