#include "cipher/ageopener.h"

#include "cipher/agecrypto.h"
#include "cipher/ageheader.h"

#include <algorithm>
#include <cassert>

namespace cipher {

using namespace age;

namespace {

constexpr std::size_t SealedChunkSize = AgeChunkSize + TagSize;

} // namespace

struct AgeOpener::State {
    enum class Phase { Header, Nonce, Payload, Finished };

    explicit State(std::string_view passphrase) : passphrase(passphrase) {}

    SecretText passphrase;
    HeaderReader header;
    SecretKey<FileKeySize> fileKey;
    SecretKey<KeySize> payloadKey;
    std::string nonce;
    // Sealed bytes of a chunk that may be the last; a chunk is opened as not the last only once
    // a byte beyond it has arrived.
    std::string pending;
    std::uint64_t counter = 0;
    Phase phase = Phase::Header;
    std::optional<AgeError> error;

    std::optional<AgeError> fail(AgeError e)
    {
        error = std::move(e);
        passphrase.clear();
        return error;
    }

    std::optional<AgeError> unlock()
    {
        if (!initialise())
            return ageError(AgeProblem::Refused, "the random source is not available");
        const ScryptStanza& stanza = header.stanza();
        SecretKey<KeySize> wrappingKey;
        const bool stretched = scryptKey(passphrase.view(), stanza.salt, stanza.workFactor, wrappingKey.span());
        passphrase.clear();
        if (!stretched)
            return ageError(AgeProblem::OutOfMemory);
        if (!unwrapFileKey(wrappingKey.bytes(), stanza.wrappedKey, fileKey.span()))
            return ageError(AgeProblem::WrongPassphrase);
        if (!macMatches(headerMac(fileKey.bytes(), header.macInput()), header.mac()))
            return ageError(AgeProblem::Damaged, "the header does not match its MAC");
        return std::nullopt;
    }

    std::optional<AgeError> openChunk(std::string_view sealed, bool last, std::string& plain)
    {
        if (age::openChunk(payloadKey.bytes(), counter, last, sealed, plain)) {
            ++counter;
            return std::nullopt;
        }
        // Opened with the other flag, the chunk tells a cut or an extension from damage. Its text
        // is not given out either way.
        std::string probe;
        const bool otherFlagOpens = age::openChunk(payloadKey.bytes(), counter, !last, sealed, probe);
        wipeBytes(probe.data(), probe.size());
        if (otherFlagOpens)
            return ageError(AgeProblem::Damaged, last ? "the data ends before its last chunk" : "data follows the last chunk");
        return ageError(AgeProblem::Damaged, "chunk " + std::to_string(counter + 1) + " does not authenticate");
    }

    std::optional<AgeError> payload(std::string_view sealed, std::string& plain)
    {
        for (;;) {
            if (pending.empty()) {
                for (; sealed.size() > SealedChunkSize; sealed.remove_prefix(SealedChunkSize)) {
                    if (auto e = openChunk(sealed.substr(0, SealedChunkSize), false, plain))
                        return e;
                }
                pending.assign(sealed);
                return std::nullopt;
            }
            const std::size_t count = std::min(SealedChunkSize + 1 - pending.size(), sealed.size());
            pending.append(sealed.substr(0, count));
            sealed.remove_prefix(count);
            if (pending.size() <= SealedChunkSize)
                return std::nullopt;
            if (auto e = openChunk(std::string_view(pending).substr(0, SealedChunkSize), false, plain))
                return e;
            pending.erase(0, SealedChunkSize);
        }
    }

    std::optional<AgeError> write(std::string_view sealed, std::string& plain)
    {
        if (phase == Phase::Header) {
            sealed.remove_prefix(header.take(sealed));
            if (header.state() == HeaderReader::State::Failed)
                return header.error();
            if (header.state() == HeaderReader::State::More)
                return std::nullopt;
            if (auto e = unlock())
                return e;
            phase = Phase::Nonce;
        }
        if (phase == Phase::Nonce) {
            const std::size_t count = std::min(PayloadNonceSize - nonce.size(), sealed.size());
            nonce.append(sealed.substr(0, count));
            sealed.remove_prefix(count);
            if (nonce.size() < PayloadNonceSize)
                return std::nullopt;
            age::payloadKey(fileKey.bytes(), bytesOf(nonce), payloadKey.span());
            phase = Phase::Payload;
        }
        return payload(sealed, plain);
    }

    std::optional<AgeError> finish(std::string& plain)
    {
        switch (phase) {
        case Phase::Header:
            header.endOfInput();
            return header.error();
        case Phase::Nonce:
            return ageError(AgeProblem::Damaged, "the data ends before its payload");
        case Phase::Payload:
            if (pending.empty())
                return ageError(AgeProblem::Damaged, counter == 0 ? "the data ends before its payload"
                                                                  : "the data ends before its last chunk");
            if (pending.size() == TagSize && counter > 0)
                return ageError(AgeProblem::Damaged, "the last chunk is empty");
            if (auto e = openChunk(pending, true, plain))
                return e;
            phase = Phase::Finished;
            return std::nullopt;
        case Phase::Finished:
            break;
        }
        return std::nullopt;
    }
};

AgeOpener::AgeOpener(std::string_view passphrase) : m_state(std::make_unique<State>(passphrase)) {}
AgeOpener::AgeOpener(AgeOpener&&) noexcept = default;
AgeOpener& AgeOpener::operator=(AgeOpener&&) noexcept = default;
AgeOpener::~AgeOpener() = default;

std::optional<AgeError> AgeOpener::write(std::string_view sealed, std::string& plain)
{
    State& s = *m_state;
    assert(s.phase != State::Phase::Finished);
    if (s.error)
        return s.error;
    if (auto e = s.write(sealed, plain))
        return s.fail(std::move(*e));
    return std::nullopt;
}

std::optional<AgeError> AgeOpener::finish(std::string& plain)
{
    State& s = *m_state;
    if (s.error)
        return s.error;
    if (auto e = s.finish(plain))
        return s.fail(std::move(*e));
    s.passphrase.clear();
    return std::nullopt;
}

AgeOpened openInPieces(std::string_view sealed, std::string_view passphrase, std::size_t piece)
{
    if (piece == 0)
        piece = std::max<std::size_t>(sealed.size(), 1);
    AgeOpener opener(passphrase);
    AgeOpened opened;
    for (std::size_t at = 0; at < sealed.size() && !opened.error; at += piece)
        opened.error = opener.write(sealed.substr(at, piece), opened.plain);
    if (!opened.error)
        opened.error = opener.finish(opened.plain);
    return opened;
}

} // namespace cipher
