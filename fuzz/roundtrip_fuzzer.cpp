// Enciphering then deciphering gives the text back, for every cipher type in the catalogue,
// with the key and offset taken from the input (laid out as for the decode target). The
// refusals are exactly the ones the catalogue names, and a cipher that loses something gives
// back what its row says it keeps.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

int fuzztargets::roundtrip(const std::uint8_t* data, std::size_t size)
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

    const bool refused = (!text.empty() && params.key.size() < type.minimumKeyLength) ||
                         (type.refusesPlain && type.refusesPlain(text, params));

    const auto encipher = cipher::CipherFor(type.number(), cipher::Direction::Encipher);
    const auto decipher = cipher::CipherFor(type.number(), cipher::Direction::Decipher);
    const cipher::CipherResult enciphered = encipher(text, params);
    FUZZ_CHECK(!enciphered.cancelled);
    if (refused) {
        FUZZ_CHECK(enciphered.error && enciphered.error->number == cipher::InvalidArgumentError);
        FUZZ_CHECK(enciphered.text.empty());
        return 0;
    }
    FUZZ_CHECK(!enciphered.error);
    if (type.preservesLength)
        FUZZ_CHECK(enciphered.text.size() == text.size());
    const cipher::CipherResult deciphered = decipher(enciphered.text, params);
    FUZZ_CHECK(deciphered.ok());
    FUZZ_CHECK(deciphered.text == (type.restored ? type.restored(text) : std::string(text)));
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::roundtrip)
