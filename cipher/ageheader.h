#pragma once

#include "cipher/age.h"
#include "cipher/agecrypto.h"

#include <array>
#include <string>
#include <string_view>

namespace cipher::age {

inline constexpr std::string_view VersionLine = "age-encryption.org/v1";
// A passphrase header is under 200 bytes; one that has not ended by here is not one.
inline constexpr std::size_t MaxHeaderSize = 4096;

struct ScryptStanza {
    std::array<unsigned char, SaltSize> salt{};
    int workFactor = 0;
    std::array<unsigned char, WrappedKeySize> wrappedKey{};
};

// The header of passphrase-sealed data up to and including the "---" that the MAC covers.
std::string headerBeforeMac(const ScryptStanza& stanza);
// What follows that: a space, the MAC and the end of the header line.
std::string macLineEnd(Bytes mac);

// The start of new passphrase-sealed data: a fresh file key wrapped under scrypt at
// `workFactor`, the header with its MAC and the payload nonce, appended to `start`;
// `payloadKey` gets the key its chunks are sealed with. False when scrypt cannot have its memory.
bool beginSealedData(std::string_view passphrase, int workFactor, std::string& start,
                     std::span<unsigned char, KeySize> payloadKey);

// Reads a header as it arrives, line by line, and stops at its end. It takes only the passphrase
// recipient, alone, and refuses a work factor above the limit as soon as the stanza names it,
// before any key stretching.
class HeaderReader {
public:
    enum class State { More, Done, Failed };

    // Takes bytes of the header from the front of piece and returns how many; once the header is
    // complete (Done) the rest of the piece is payload.
    std::size_t take(std::string_view piece);
    // The input has ended while the header was still incomplete.
    void endOfInput();

    State state() const { return m_state; }
    const AgeError& error() const { return m_error; }
    const ScryptStanza& stanza() const { return m_stanza; }
    std::string_view macInput() const { return std::string_view(m_text).substr(0, m_macInputSize); }
    Bytes mac() const { return m_mac; }

private:
    void line(std::string_view text);
    void stanzaLine(std::string_view arguments);
    void bodyLine(std::string_view text);
    void macLine(std::string_view text);
    void fail(AgeProblem problem, std::string_view detail);

    enum class Expect { Version, Stanza, Body };

    State m_state = State::More;
    Expect m_expect = Expect::Version;
    std::string m_text;
    std::size_t m_lineStart = 0;
    bool m_haveStanza = false;
    std::string m_body;
    ScryptStanza m_stanza;
    std::size_t m_macInputSize = 0;
    std::array<unsigned char, MacSize> m_mac{};
    AgeError m_error;
};

} // namespace cipher::age
