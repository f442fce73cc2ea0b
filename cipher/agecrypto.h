#pragma once

#include "cipher/secrettext.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// What the sealed format composes from libsodium's primitives: HKDF-SHA256 from HMAC-SHA256, the
// scrypt key of the passphrase recipient, the wrapping of the file key, the header MAC and the
// STREAM chunk nonces. Nothing here is a primitive of its own.
namespace cipher::age {

inline constexpr std::size_t FileKeySize = 16;
inline constexpr std::size_t KeySize = 32;
inline constexpr std::size_t SaltSize = 16;
inline constexpr std::size_t PayloadNonceSize = 16;
inline constexpr std::size_t TagSize = 16;
inline constexpr std::size_t MacSize = 32;
inline constexpr std::size_t WrappedKeySize = FileKeySize + TagSize;
inline constexpr std::size_t ChunkNonceSize = 12;

using Bytes = std::span<const unsigned char>;

// False when libsodium cannot start (no usable random source); everything below needs it.
bool initialise();

// sodium_memzero: a wipe the compiler does not drop as a dead store.
void wipeBytes(void* data, std::size_t size);

// Key bytes that are wiped when they go.
template <std::size_t N>
class SecretKey {
public:
    SecretKey() = default;
    SecretKey(const SecretKey&) = delete;
    SecretKey& operator=(const SecretKey&) = delete;
    ~SecretKey() { wipeBytes(m_bytes.data(), N); }

    unsigned char* data() { return m_bytes.data(); }
    const unsigned char* data() const { return m_bytes.data(); }
    Bytes bytes() const { return m_bytes; }
    std::span<unsigned char, N> span() { return m_bytes; }

private:
    std::array<unsigned char, N> m_bytes{};
};

void randomBytes(std::span<unsigned char> out);

// HKDF-SHA256 (RFC 5869) with 32 bytes of output, all the format ever asks for.
void hkdf(Bytes inputKey, Bytes salt, std::string_view info, std::span<unsigned char, KeySize> out);

// The scrypt key of the passphrase recipient: scrypt(passphrase, label + salt, 2^workFactor, 8, 1).
// False when scrypt cannot get its memory.
bool scryptKey(std::string_view passphrase, Bytes salt, int workFactor, std::span<unsigned char, KeySize> out);

// ChaCha20-Poly1305 under an all-zero nonce, as the recipient stanza wraps the file key.
std::array<unsigned char, WrappedKeySize> wrapFileKey(Bytes wrappingKey, Bytes fileKey);
// False when the wrapped key does not authenticate under this key.
bool unwrapFileKey(Bytes wrappingKey, Bytes wrapped, std::span<unsigned char, FileKeySize> fileKey);

// HMAC-SHA256 over the header up to and including its "---", keyed from the file key.
std::array<unsigned char, MacSize> headerMac(Bytes fileKey, std::string_view header);
bool macMatches(Bytes a, Bytes b);

void payloadKey(Bytes fileKey, Bytes nonce, std::span<unsigned char, KeySize> out);

// The STREAM nonce: an 11-byte big-endian chunk counter, then 1 for the last chunk, 0 otherwise.
std::array<unsigned char, ChunkNonceSize> chunkNonce(std::uint64_t counter, bool last);

// One chunk sealed onto the end of out: the cipher text and its tag.
void sealChunk(Bytes key, std::uint64_t counter, bool last, std::string_view plain, std::string& out);
// One chunk opened onto the end of out; false, and out as it was, when it does not authenticate.
bool openChunk(Bytes key, std::uint64_t counter, bool last, std::string_view sealed, std::string& out);

// Base64 with the standard alphabet, with or without padding. Decoding is strict: no other
// characters, no bits left over that a canonical encoder would not write.
std::string toBase64(Bytes bytes, bool padded);
std::optional<std::string> fromBase64(std::string_view text, bool padded);

inline Bytes bytesOf(std::string_view text)
{
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

} // namespace cipher::age
