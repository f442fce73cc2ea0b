// Opening sealed data that may be damaged, fed in pieces as a file operation feeds it. Byte 0 picks
// the piece size and, with its top bit, the mode:
// - splice: the rest seals a text of its own (byte 1 picks its size, 263 bytes a step, so up to
//   two chunks), then damages it: bytes 2-5 a position, byte 6 how many bytes to cut there (from
//   224 on, all the rest), and whatever is left is put in at that place. Anything but the sealed
//   bytes themselves must be refused with the sealed-data error.
// - raw: the rest is opened as it stands.
// Either way an error leaves at most whole chunks that authenticated, the start of the plain text.
#include "cipher/age.h"
#include "cipher/ageopener.h"
#include "cipher/sealedtext.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztargets.h"

#include <charconv>

namespace {

constexpr std::string_view Passphrase = "fuzz";
// Stretching beyond this takes too long per input; the refusal above MaxWorkFactor still runs.
constexpr int FastestWorkFactors = 12;

bool asksForSlowStretching(std::string_view sealed)
{
    const std::size_t line = sealed.find("\n-> scrypt ");
    if (line == std::string_view::npos)
        return false;
    std::string_view rest = sealed.substr(line + 11);
    rest = rest.substr(rest.find(' ') == std::string_view::npos ? rest.size() : rest.find(' ') + 1);
    int workFactor = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + std::min<std::size_t>(rest.size(), 2), workFactor);
    return error == std::errc() && workFactor > FastestWorkFactors && workFactor <= cipher::MaxWorkFactor;
}

void checkRefusal(const cipher::AgeOpened& opened, std::string_view plain)
{
    FUZZ_CHECK(opened.error->number() == cipher::SealedDataError);
    FUZZ_CHECK(opened.plain.size() % cipher::AgeChunkSize == 0);
    FUZZ_CHECK(plain.starts_with(opened.plain));
}

} // namespace

int fuzztargets::sealed(const std::uint8_t* data, std::size_t size)
{
    fuzzcheck::Input input(data, size);
    const std::uint8_t mode = input.byte();
    const std::size_t piece = (mode & 0x7F) == 0x7F ? std::size_t(-1) : 1 + std::size_t(mode & 0x7F) * 331;

    if (mode & 0x80) {
        const std::string_view sealed = input.rest();
        if (asksForSlowStretching(sealed))
            return 0;
        const cipher::AgeOpened opened = cipher::openInPieces(sealed, Passphrase, piece);
        if (!opened.error)
            return 0;
        // Without the plain text, whole chunks are all that can be asked of what came out.
        checkRefusal(opened, opened.plain);
        return 0;
    }

    const std::string plain(std::size_t(input.byte()) * 263, 'p');
    cipher::AgeResult<std::string> sealed = cipher::SealText(plain, Passphrase, 1);
    FUZZ_CHECK(sealed.ok());
    std::string damaged = sealed.value();
    std::uint32_t position = 0;
    for (int i = 0; i < 4; ++i)
        position = position << 8 | input.byte();
    position %= std::uint32_t(damaged.size() + 1);
    const std::uint8_t cut = input.byte();
    damaged.replace(position, cut >= 224 ? std::string::npos : cut, input.rest());
    if (asksForSlowStretching(damaged))
        return 0;

    const cipher::AgeOpened opened = cipher::openInPieces(damaged, Passphrase, piece);
    if (damaged == sealed.value()) {
        FUZZ_CHECK(!opened.error);
        FUZZ_CHECK(opened.plain == plain);
        return 0;
    }
    FUZZ_CHECK(opened.error.has_value());
    checkRefusal(opened, plain);
    return 0;
}

CIPHER_FUZZ_ENTRY(fuzztargets::sealed)
