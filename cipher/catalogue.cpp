#include "cipher/catalogue.h"

#include "cipher/ceaser.h"
#include "cipher/classcipher.h"
#include "cipher/rle.h"
#include "cipher/sealedtext.h"
#include "cipher/standardcipher.h"
#include "cipher/string1.h"
#include "cipher/vxciphers.h"

#include <algorithm>
#include <iterator>

namespace cipher {

namespace {

bool holds255(std::string_view text) { return text.find('\xFF') != std::string_view::npos; }

bool refusesCode255(std::string_view plain, const CipherParams&) { return holds255(plain); }

// With an offset, code 255 would encipher to the code that 0 does.
bool refusesCode255WithOffset(std::string_view plain, const CipherParams& params)
{
    return params.ceaserOffset != 0 && holds255(plain);
}

constexpr CipherType Catalogue[] = {
    {.type = PType::Standard, .name = "Standard", .description = "Standard", .encipher = &StandardCipher, .decipher = &StandardCipher,
     .usesKey = true, .minimumKeyLength = 1},
    {.type = PType::RLE, .name = "RLE", .description = "RLE", .encipher = &RleEncode, .decipher = &RleDecode,
     .feed = Feed::WholeText, .openPiecewise = &openRleStream, .refusesPlain = &refusesCode255, .refusesMalformed = true, .preservesLength = false},
    {.type = PType::Ceaser, .name = "Ceaser", .description = "Ceaser", .encipher = &CeaserEncode, .decipher = &CeaserDecode,
     .usesOffset = true, .refusesPlain = &refusesCode255WithOffset},
    {.type = PType::Class, .name = "Class", .description = "Class", .encipher = &ClassCipher, .decipher = &ClassCipher,
     .usesKey = true, .minimumKeyLength = 2},
    {.type = PType::String1, .name = "String1", .description = "String1", .encipher = &String1Encode, .decipher = &String1Decode,
     .codeLength = String1Codebook::CodeLength, .stringPieceLimit = 32767, .restored = &String1Restored,
     .preservesLength = false},
    {.type = PType::VX1, .name = "VX1", .description = "VX1", .encipher = &VX1Cipher, .decipher = &VX1Cipher},
    {.type = PType::VX2, .name = "VX2", .description = "VX2", .encipher = &VX2Cipher, .decipher = &VX2Cipher},
    {.type = PType::VX3, .name = "VX3", .description = "VX3", .encipher = &VX3Cipher, .decipher = &VX3Cipher},
    {.type = PType::VX4, .name = "VX4", .description = "VX4", .encipher = &VX4Cipher, .decipher = &VX4Cipher},
    {.type = PType::VX5, .name = "VX5", .description = "VX5", .encipher = &VX5Cipher, .decipher = &VX5Cipher},
    {.type = PType::Sealed, .name = "Sealed", .description = "Sealed: age v1 format, KEY is the passphrase",
     .encipher = &SealedEncode, .decipher = &SealedDecode, .usesKey = true, .feed = Feed::Stream, .minimumKeyLength = 1,
     .refusesDefaultKey = true, .refusesMalformed = true, .preservesLength = false, .deterministic = false, .keyIsUtf8 = true},
};

static_assert(std::ranges::is_sorted(Catalogue, std::ranges::less{}, &CipherType::type), "the catalogue is in number order");

} // namespace

std::span<const CipherType> catalogue()
{
    return Catalogue;
}

const CipherType* findCipherType(std::uint8_t protectionType)
{
    const auto it = std::ranges::lower_bound(Catalogue, static_cast<PType>(protectionType), {}, &CipherType::type);
    return it != std::end(Catalogue) && it->number() == protectionType ? &*it : nullptr;
}

bool usesKey(std::uint8_t protectionType)
{
    const CipherType* type = findCipherType(protectionType);
    return type && type->usesKey;
}

bool usesOffset(std::uint8_t protectionType)
{
    const CipherType* type = findCipherType(protectionType);
    return type && type->usesOffset;
}

bool feedsWholeText(std::uint8_t protectionType)
{
    const CipherType* type = findCipherType(protectionType);
    return type && type->feed == Feed::WholeText;
}

bool feedsStream(std::uint8_t protectionType)
{
    const CipherType* type = findCipherType(protectionType);
    return type && type->feed == Feed::Stream;
}

std::optional<CipherError> keyRefusal(std::uint8_t protectionType, Direction direction, std::string_view key)
{
    const CipherType* type = findCipherType(protectionType);
    if (type && type->refusesDefaultKey && direction == Direction::Encipher && key == DefaultKey)
        return CipherError{InvalidArgumentError, "The key is the built-in \"" + std::string(DefaultKey) +
                                                     "\", which everyone knows; set KEY to a passphrase of your own before sealing"};
    return std::nullopt;
}

namespace {

std::size_t wholeCodes(std::size_t length, std::uint8_t protectionType, Direction direction)
{
    const CipherType* type = findCipherType(protectionType);
    if (!type || direction == Direction::Encipher)
        return length;
    return length / type->codeLength * type->codeLength;
}

} // namespace

std::int64_t blockSize(std::uint8_t protectionType, Direction direction)
{
    return std::int64_t(wholeCodes(std::size_t(BlockSize), protectionType, direction));
}

std::size_t stringPieceSize(std::uint8_t protectionType, Direction direction)
{
    const CipherType* type = findCipherType(protectionType);
    if (!type || type->stringPieceLimit == 0)
        return 0;
    return wholeCodes(type->stringPieceLimit, protectionType, direction);
}

std::unique_ptr<TextStream> openPiecewise(std::uint8_t protectionType, Direction direction, const CipherParams& params)
{
    const CipherType* type = findCipherType(protectionType);
    if (!type || type->feed != Feed::WholeText || !type->openPiecewise)
        return nullptr;
    return type->openPiecewise(direction, params);
}

} // namespace cipher
