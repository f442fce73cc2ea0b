#pragma once

#include "cipher/ciphertypes.h"
#include "cipher/textstream.h"

#include <memory>
#include <span>

namespace cipher {

// Names for the cipher types the catalogue holds; code that means one particular type uses
// these. Every other number (0 to 255) selects no cipher: its text passes unchanged. Types 0 to 9
// obfuscate; only Sealed protects.
enum class PType : std::uint8_t {
    Standard = 0,
    RLE = 1,
    Ceaser = 2,
    Class = 3,
    String1 = 4,
    VX1 = 5,
    VX2 = 6,
    VX3 = 7,
    VX4 = 8,
    VX5 = 9,
    Sealed = 10,
};

// How a file operation hands a cipher its text.
enum class Feed {
    Blocks,    // block by block, the routine starting afresh at every block
    // as one text, not independent blocks: in one call, or in pieces to the type's piecewise
    // routine, which carries what one piece leaves open to the next; either reports its own
    // progress points
    WholeText,
    Stream,    // block by block through one sealer or opener (AgeSealer, AgeOpener) for the whole
               // file; a string goes to the routines in one call
};

// One cipher type: everything the control, the published type library, the tests, the fuzzers
// and the benchmarks know about it. Adding a type is its routines and one row.
struct CipherType {
    PType type;                   // the ProtectionType that selects it
    std::string_view name;        // its name in the PType enumeration
    std::string_view description; // its help string there
    CipherRoutine encipher;
    CipherRoutine decipher;
    bool usesKey = false;
    bool usesOffset = false;
    Feed feed = Feed::Blocks;
    // Characters of enciphered text that stand for one plain character where that is more
    // than one: deciphered blocks and pieces are cut after whole codes.
    std::size_t codeLength = 1;
    // The longest text one call takes in a string operation, which cuts a longer string into
    // pieces; 0 when a string goes in one call.
    std::size_t stringPieceLimit = 0;
    // For a type fed the whole text: the same cipher taking that text in pieces, so that a file
    // is never held whole. Progress goes to params.progress.
    std::unique_ptr<TextStream> (*openPiecewise)(Direction direction, const CipherParams& params) = nullptr;

    // The refusals (error 5). Both directions refuse a non-empty text with a key shorter than
    // minimumKeyLength; enciphering also refuses the plain texts refusesPlain names, and
    // deciphering, when refusesMalformed, a text the cipher cannot have produced.
    std::size_t minimumKeyLength = 0;
    // Enciphering refuses DefaultKey, which everyone knows, before any work.
    bool refusesDefaultKey = false;
    bool (*refusesPlain)(std::string_view plain, const CipherParams& params) = nullptr;
    bool refusesMalformed = false;

    // What deciphering the enciphered text gives back, for a cipher that loses something; when
    // null, the text itself.
    TextBlock (*restored)(std::string_view plain) = nullptr;
    bool preservesLength = true;
    // The same text and settings always give the same enciphered text.
    bool deterministic = true;
    // The key is a passphrase that other programs take as typed: UTF-8, so any character can be
    // part of it; otherwise one byte per character, as every text crossing the control.
    bool keyIsUtf8 = false;

    constexpr std::uint8_t number() const { return static_cast<std::uint8_t>(type); }
};

// Every cipher type, in number order.
std::span<const CipherType> catalogue();

// The row of a ProtectionType; nullptr for a number that selects no cipher.
const CipherType* findCipherType(std::uint8_t protectionType);

// What the control asks of the selected type. A number without a row uses neither key nor
// offset and is fed in blocks of BlockSize.
bool usesKey(std::uint8_t protectionType);
bool usesOffset(std::uint8_t protectionType);
bool feedsWholeText(std::uint8_t protectionType);
bool feedsStream(std::uint8_t protectionType);
// Why the type refuses this key in this direction before any work; nothing when it takes it.
std::optional<CipherError> keyRefusal(std::uint8_t protectionType, Direction direction, std::string_view key);
// The characters per block of a file operation: BlockSize, cut after whole codes when
// deciphering.
std::int64_t blockSize(std::uint8_t protectionType, Direction direction);
// The characters per call of a string operation; 0: the whole string in one call.
std::size_t stringPieceSize(std::uint8_t protectionType, Direction direction);
// The piecewise form of a type fed the whole text; nullptr for the other types.
std::unique_ptr<TextStream> openPiecewise(std::uint8_t protectionType, Direction direction, const CipherParams& params);

} // namespace cipher
