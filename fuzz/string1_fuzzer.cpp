// The codebook routines against their rules applied one position at a time: the decoder
// compares the three characters at every position with the table, the encoder lower-cases and
// looks every character up. First byte: bit 0 picks the direction.
#include "cipher/cipher.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

int fuzztargets::string1(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::Input input(data, size);
    const bool encode = input.byte() & 1;
    const std::string_view text = input.rest();
    using cipher::String1Codebook;

    std::string expected;
    if (encode) {
        for (char c : text) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            expected += String1Codebook::codeFor(static_cast<unsigned char>(c));
        }
    } else {
        for (std::size_t p = 0; p < text.size(); ++p) {
            if (const auto plain = String1Codebook::plainFor(text.substr(p, 3)))
                expected.push_back(*plain);
        }
    }
    const cipher::CipherResult result = encode ? cipher::String1Encode(text, {}) : cipher::String1Decode(text, {});
    FUZZ_CHECK(result.ok());
    FUZZ_CHECK(result.text == expected);
    if (encode)
        FUZZ_CHECK(cipher::String1Decode(result.text, {}).text.size() * 3 == result.text.size());
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::string1)
