#include "cipher/agecrypto.h"

#include <sodium.h>

#include <cstring>

namespace cipher::age {

namespace {

constexpr std::string_view ScryptLabel = "age-encryption.org/v1/scrypt";
// scrypt's block size and parallelism in the passphrase recipient.
constexpr std::uint32_t ScryptR = 8;
constexpr std::uint32_t ScryptP = 1;

const unsigned char ZeroNonce[ChunkNonceSize] = {};

class Hmac {
public:
    explicit Hmac(Bytes key)
    {
        static const unsigned char noKey = 0; // libsodium wants a pointer even for no bytes
        crypto_auth_hmacsha256_init(&m_state, key.empty() ? &noKey : key.data(), key.size());
    }
    ~Hmac() { wipeBytes(&m_state, sizeof m_state); }

    Hmac& add(Bytes bytes)
    {
        crypto_auth_hmacsha256_update(&m_state, bytes.data(), bytes.size());
        return *this;
    }
    void finish(unsigned char* out) { crypto_auth_hmacsha256_final(&m_state, out); }

private:
    crypto_auth_hmacsha256_state m_state;
};

} // namespace

bool initialise()
{
    return sodium_init() >= 0;
}

void wipeBytes(void* data, std::size_t size)
{
    sodium_memzero(data, size);
}

void randomBytes(std::span<unsigned char> out)
{
    randombytes_buf(out.data(), out.size());
}

void hkdf(Bytes inputKey, Bytes salt, std::string_view info, std::span<unsigned char, KeySize> out)
{
    static_assert(KeySize == crypto_auth_hmacsha256_BYTES, "one expand step gives the whole key");
    // An empty salt is the HMAC key of no bytes, which HMAC pads to the same block as the
    // hash-length of zeros the RFC asks for.
    SecretKey<KeySize> pseudoRandomKey;
    Hmac(salt).add(inputKey).finish(pseudoRandomKey.data());
    const unsigned char counter = 1;
    Hmac(pseudoRandomKey.bytes()).add(bytesOf(info)).add({&counter, 1}).finish(out.data());
}

bool scryptKey(std::string_view passphrase, Bytes salt, int workFactor, std::span<unsigned char, KeySize> out)
{
    std::array<unsigned char, ScryptLabel.size() + SaltSize> labelledSalt{};
    std::memcpy(labelledSalt.data(), ScryptLabel.data(), ScryptLabel.size());
    std::memcpy(labelledSalt.data() + ScryptLabel.size(), salt.data(), std::min(salt.size(), SaltSize));
    return crypto_pwhash_scryptsalsa208sha256_ll(reinterpret_cast<const std::uint8_t*>(passphrase.data()), passphrase.size(),
                                                 labelledSalt.data(), labelledSalt.size(), std::uint64_t(1) << workFactor,
                                                 ScryptR, ScryptP, out.data(), out.size()) == 0;
}

std::array<unsigned char, WrappedKeySize> wrapFileKey(Bytes wrappingKey, Bytes fileKey)
{
    std::array<unsigned char, WrappedKeySize> wrapped{};
    unsigned long long length = 0;
    crypto_aead_chacha20poly1305_ietf_encrypt(wrapped.data(), &length, fileKey.data(), fileKey.size(), nullptr, 0, nullptr,
                                              ZeroNonce, wrappingKey.data());
    return wrapped;
}

bool unwrapFileKey(Bytes wrappingKey, Bytes wrapped, std::span<unsigned char, FileKeySize> fileKey)
{
    if (wrapped.size() != WrappedKeySize)
        return false;
    unsigned long long length = 0;
    return crypto_aead_chacha20poly1305_ietf_decrypt(fileKey.data(), &length, nullptr, wrapped.data(), wrapped.size(), nullptr, 0,
                                                     ZeroNonce, wrappingKey.data()) == 0;
}

std::array<unsigned char, MacSize> headerMac(Bytes fileKey, std::string_view header)
{
    SecretKey<KeySize> macKey;
    hkdf(fileKey, {}, "header", macKey.span());
    std::array<unsigned char, MacSize> mac{};
    Hmac(macKey.bytes()).add(bytesOf(header)).finish(mac.data());
    return mac;
}

bool macMatches(Bytes a, Bytes b)
{
    return a.size() == MacSize && b.size() == MacSize && crypto_verify_32(a.data(), b.data()) == 0;
}

void payloadKey(Bytes fileKey, Bytes nonce, std::span<unsigned char, KeySize> out)
{
    hkdf(fileKey, nonce, "payload", out);
}

std::array<unsigned char, ChunkNonceSize> chunkNonce(std::uint64_t counter, bool last)
{
    std::array<unsigned char, ChunkNonceSize> nonce{};
    for (std::size_t i = 0; i < 8; ++i)
        nonce[10 - i] = static_cast<unsigned char>(counter >> (8 * i));
    nonce[11] = last ? 1 : 0;
    return nonce;
}

void sealChunk(Bytes key, std::uint64_t counter, bool last, std::string_view plain, std::string& out)
{
    const auto nonce = chunkNonce(counter, last);
    const std::size_t start = out.size();
    out.resize(start + plain.size() + TagSize);
    unsigned long long length = 0;
    crypto_aead_chacha20poly1305_ietf_encrypt(reinterpret_cast<unsigned char*>(out.data() + start), &length,
                                              bytesOf(plain).data(), plain.size(), nullptr, 0, nullptr, nonce.data(), key.data());
}

bool openChunk(Bytes key, std::uint64_t counter, bool last, std::string_view sealed, std::string& out)
{
    if (sealed.size() < TagSize)
        return false;
    const auto nonce = chunkNonce(counter, last);
    const std::size_t start = out.size();
    out.resize(start + sealed.size() - TagSize);
    unsigned long long length = 0;
    if (crypto_aead_chacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(out.data() + start), &length, nullptr,
                                                  bytesOf(sealed).data(), sealed.size(), nullptr, 0, nonce.data(),
                                                  key.data()) != 0) {
        out.resize(start);
        return false;
    }
    return true;
}

std::string toBase64(Bytes bytes, bool padded)
{
    const int variant = padded ? sodium_base64_VARIANT_ORIGINAL : sodium_base64_VARIANT_ORIGINAL_NO_PADDING;
    std::string text(sodium_base64_encoded_len(bytes.size(), variant), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes.data(), bytes.size(), variant);
    text.resize(text.size() - 1); // the terminating NUL
    return text;
}

std::optional<std::string> fromBase64(std::string_view text, bool padded)
{
    const int variant = padded ? sodium_base64_VARIANT_ORIGINAL : sodium_base64_VARIANT_ORIGINAL_NO_PADDING;
    std::string bytes(text.size() / 4 * 3 + 3, '\0');
    std::size_t length = 0;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(), text.size(), nullptr, &length,
                          nullptr, variant) != 0)
        return std::nullopt;
    bytes.resize(length);
    return bytes;
}

} // namespace cipher::age
