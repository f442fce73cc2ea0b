// Enciphering then deciphering gives the text back, for every cipher type, with the key and
// offset taken from the input (laid out as for the decode target). The refusals are exactly the
// documented ones, and the codebook cipher gives back the text lower-cased without the
// characters that have no entry.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

int fuzztargets::roundtrip(const std::uint8_t* data, std::size_t size)
{
    using cipher::PType;
    fuzzcheck::Input input(data, size);
    const auto type = static_cast<PType>(input.byte() % 10);
    cipher::CipherParams params;
    params.ceaserOffset = input.byte();
    params.key = input.take(input.byte() % 64);
    const std::string_view text = input.rest();

    const bool holds255 = text.find('\xFF') != std::string_view::npos;
    bool refused = false;
    switch (type) {
    case PType::Standard:
        refused = params.key.empty() && !text.empty();
        break;
    case PType::RLE:
        refused = holds255;
        break;
    case PType::Ceaser:
        refused = holds255 && params.ceaserOffset != 0;
        break;
    case PType::Class:
        refused = params.key.size() < 2 && !text.empty();
        break;
    default:
        break;
    }

    const auto encipher = cipher::CipherFor(static_cast<std::uint8_t>(type), cipher::Direction::Encipher);
    const auto decipher = cipher::CipherFor(static_cast<std::uint8_t>(type), cipher::Direction::Decipher);
    const cipher::CipherResult enciphered = encipher(text, params);
    FUZZ_CHECK(!enciphered.cancelled);
    if (refused) {
        FUZZ_CHECK(enciphered.error && enciphered.error->number == cipher::InvalidArgumentError);
        FUZZ_CHECK(enciphered.text.empty());
        return 0;
    }
    FUZZ_CHECK(!enciphered.error);
    const cipher::CipherResult deciphered = decipher(enciphered.text, params);
    FUZZ_CHECK(deciphered.ok());

    if (type == PType::String1) {
        std::string expected;
        for (char c : text) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (!cipher::String1Codebook::codeFor(static_cast<unsigned char>(c)).empty())
                expected.push_back(c);
        }
        FUZZ_CHECK(deciphered.text == expected);
    } else {
        FUZZ_CHECK(deciphered.text == text);
    }
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::roundtrip)
