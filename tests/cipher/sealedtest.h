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

struct Opened {
    std::string plain;
    std::optional<cipher::AgeError> error;
};

inline Opened openInPieces(std::string_view sealed, std::size_t piece, std::string_view passphrase = Passphrase)
{
    cipher::AgeOpener opener(passphrase);
    Opened opened;
    for (std::size_t at = 0; at < sealed.size() && !opened.error; at += piece)
        opened.error = opener.write(sealed.substr(at, piece), opened.plain);
    if (!opened.error)
        opened.error = opener.finish(opened.plain);
    return opened;
}

// Sealed data put together from the format's parts, each chunk with the last-chunk flag given.
inline std::string craft(const std::vector<std::pair<std::string, bool>>& chunks, std::string_view passphrase = Passphrase)
{
    using namespace cipher::age;
    EXPECT_TRUE(initialise());
    SecretKey<FileKeySize> fileKey;
    randomBytes(fileKey.span());
    ScryptStanza stanza;
    randomBytes(stanza.salt);
    stanza.workFactor = TestWorkFactor;
    SecretKey<KeySize> wrappingKey;
    EXPECT_TRUE(scryptKey(passphrase, stanza.salt, TestWorkFactor, wrappingKey.span()));
    stanza.wrappedKey = wrapFileKey(wrappingKey.bytes(), fileKey.bytes());
    std::string sealed = headerBeforeMac(stanza);
    sealed += macLineEnd(headerMac(fileKey.bytes(), sealed));
    std::array<unsigned char, PayloadNonceSize> nonce{};
    randomBytes(nonce);
    sealed.append(reinterpret_cast<const char*>(nonce.data()), nonce.size());
    SecretKey<KeySize> key;
    payloadKey(fileKey.bytes(), nonce, key.span());
    for (std::size_t i = 0; i < chunks.size(); ++i)
        sealChunk(key.bytes(), i, chunks[i].second, chunks[i].first, sealed);
    return sealed;
}

} // namespace sealedtest
