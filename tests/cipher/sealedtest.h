#pragma once

#include "cipher/agecrypto.h"
#include "cipher/ageheader.h"
#include "cipher/ageopener.h"
#include "cipher/sealedtext.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the tests of the sealed format share: a passphrase, a work factor low enough to stretch
// in a millisecond, texts, and opening in pieces as a file operation feeds them.
namespace sealedtest {

inline constexpr std::string_view Passphrase = "Tide tables for the northern quay";
inline constexpr int TestWorkFactor = 10;

// Codes 3, 10, 17, ... (7 apart, modulo 256); the plain text of the age-made files too.
inline std::string patternText(std::size_t size)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>((i * 7 + 3) % 256);
    return text;
}

inline std::string seal(std::string_view plain, std::string_view passphrase = Passphrase)
{
    cipher::AgeResult<std::string> sealed = cipher::SealText(plain, passphrase, TestWorkFactor);
    EXPECT_TRUE(sealed.ok());
    return sealed.ok() ? sealed.value() : std::string();
}

// Where the payload nonce begins: after the MAC line.
inline std::size_t headerSize(std::string_view sealed)
{
    return sealed.find('\n', sealed.find("\n--- ") + 1) + 1;
}

using Opened = cipher::AgeOpened;

inline Opened openInPieces(std::string_view sealed, std::size_t piece, std::string_view passphrase = Passphrase)
{
    return cipher::openInPieces(sealed, passphrase, piece);
}

// Sealed data put together from the format's parts, each chunk with the last-chunk flag given.
inline std::string craft(const std::vector<std::pair<std::string, bool>>& chunks, std::string_view passphrase = Passphrase)
{
    using namespace cipher::age;
    EXPECT_TRUE(initialise());
    std::string sealed;
    SecretKey<KeySize> key;
    EXPECT_TRUE(beginSealedData(passphrase, TestWorkFactor, sealed, key.span()));
    for (std::size_t i = 0; i < chunks.size(); ++i)
        sealChunk(key.bytes(), i, chunks[i].second, chunks[i].first, sealed);
    return sealed;
}

} // namespace sealedtest
