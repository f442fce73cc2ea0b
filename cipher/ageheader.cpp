#include "cipher/ageheader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace cipher::age {

namespace {

constexpr std::string_view VersionLineEnd = "age-encryption.org/v1\n";
constexpr std::string_view StanzaPrefix = "-> ";
constexpr std::string_view MacPrefix = "---";
constexpr std::string_view ScryptType = "scrypt";
// Stanza bodies are wrapped at 64 columns; a shorter line ends the body.
constexpr std::size_t BodyColumns = 64;
constexpr std::size_t EncodedMacSize = 43;

static_assert(VersionLineEnd.starts_with(VersionLine));
static_assert((WrappedKeySize * 4 + 2) / 3 < BodyColumns, "the wrapped key is one body line");

bool isArgument(std::string_view text)
{
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c > ' ' && c < '\x7F'; });
}

std::vector<std::string_view> split(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t space = text.find(' ');
        parts.push_back(text.substr(0, space));
        if (space == std::string_view::npos)
            return parts;
        text.remove_prefix(space + 1);
    }
}

} // namespace

std::string headerBeforeMac(const ScryptStanza& stanza)
{
    std::string header(VersionLine);
    header += '\n';
    header.append(StanzaPrefix).append(ScryptType).append(" ");
    header += toBase64(stanza.salt, false);
    header += ' ';
    header += std::to_string(stanza.workFactor);
    header += '\n';
    header += toBase64(stanza.wrappedKey, false);
    header += '\n';
    header += MacPrefix;
    return header;
}

std::string macLineEnd(Bytes mac)
{
    return " " + toBase64(mac, false) + "\n";
}

bool beginSealedData(std::string_view passphrase, int workFactor, std::string& start,
                     std::span<unsigned char, KeySize> payloadKey)
{
    SecretKey<FileKeySize> fileKey;
    randomBytes(fileKey.span());
    ScryptStanza stanza;
    randomBytes(stanza.salt);
    stanza.workFactor = workFactor;
    {
        SecretKey<KeySize> wrappingKey;
        if (!scryptKey(passphrase, stanza.salt, workFactor, wrappingKey.span()))
            return false;
        stanza.wrappedKey = wrapFileKey(wrappingKey.bytes(), fileKey.bytes());
    }
    const std::size_t headerAt = start.size();
    start += headerBeforeMac(stanza);
    start += macLineEnd(headerMac(fileKey.bytes(), std::string_view(start).substr(headerAt)));
    std::array<unsigned char, PayloadNonceSize> nonce;
    randomBytes(nonce);
    start.append(reinterpret_cast<const char*>(nonce.data()), nonce.size());
    age::payloadKey(fileKey.bytes(), nonce, payloadKey);
    return true;
}

std::size_t HeaderReader::take(std::string_view piece)
{
    std::size_t used = 0;
    while (m_state == State::More && used < piece.size()) {
        const std::size_t newline = piece.find('\n', used);
        const std::size_t end = newline == std::string_view::npos ? piece.size() : newline + 1;
        const std::size_t count = std::min(end - used, MaxHeaderSize + 1 - m_text.size());
        m_text.append(piece.substr(used, count));
        used += count;

        if (m_expect == Expect::Version && !VersionLineEnd.starts_with(m_text))
            fail(AgeProblem::NotSealed, {});
        else if (m_text.size() > MaxHeaderSize)
            fail(AgeProblem::Damaged, "the header does not end");
        else if (m_text.back() == '\n') {
            line(std::string_view(m_text).substr(m_lineStart, m_text.size() - 1 - m_lineStart));
            m_lineStart = m_text.size();
        }
    }
    return used;
}

void HeaderReader::endOfInput()
{
    if (m_state != State::More)
        return;
    if (m_expect == Expect::Version)
        fail(AgeProblem::NotSealed, m_text.empty() ? "no data" : std::string_view{});
    else
        fail(AgeProblem::Damaged, "the header is cut short");
}

void HeaderReader::line(std::string_view text)
{
    switch (m_expect) {
    case Expect::Version:
        m_expect = Expect::Stanza;
        return;
    case Expect::Body:
        bodyLine(text);
        return;
    case Expect::Stanza:
        if (text.starts_with(MacPrefix))
            macLine(text);
        else if (text.starts_with(StanzaPrefix))
            stanzaLine(text.substr(StanzaPrefix.size()));
        else
            fail(AgeProblem::Damaged, "a header line is neither a recipient nor the MAC");
        return;
    }
}

void HeaderReader::stanzaLine(std::string_view arguments)
{
    const std::vector<std::string_view> parts = split(arguments);
    if (!std::ranges::all_of(parts, isArgument))
        return fail(AgeProblem::Damaged, "a recipient line is malformed");
    if (m_haveStanza)
        return fail(AgeProblem::Damaged, "a passphrase recipient must be the only one");
    if (parts[0] != ScryptType)
        return fail(AgeProblem::WrongPassphrase, "sealed for a recipient other than a passphrase");
    if (parts.size() != 3)
        return fail(AgeProblem::Damaged, "the passphrase recipient line is malformed");

    const std::string_view workFactor = parts[2];
    if (workFactor[0] < '1' || workFactor[0] > '9' || !std::ranges::all_of(workFactor, [](char c) { return c >= '0' && c <= '9'; }))
        return fail(AgeProblem::Damaged, "the work factor is not a number");
    if (workFactor.size() > 2 || std::stoi(std::string(workFactor)) > MaxWorkFactor)
        return fail(AgeProblem::TooCostly, workFactor);
    m_stanza.workFactor = std::stoi(std::string(workFactor));

    const std::optional<std::string> salt = fromBase64(parts[1], false);
    if (!salt || salt->size() != SaltSize)
        return fail(AgeProblem::Damaged, "the salt is malformed");
    std::memcpy(m_stanza.salt.data(), salt->data(), SaltSize);
    m_haveStanza = true;
    m_expect = Expect::Body;
}

void HeaderReader::bodyLine(std::string_view text)
{
    const std::optional<std::string> bytes = text.size() <= BodyColumns ? fromBase64(text, false) : std::nullopt;
    if (!bytes)
        return fail(AgeProblem::Damaged, "a recipient body line is malformed");
    m_body += *bytes;
    if (text.size() == BodyColumns)
        return;
    if (m_body.size() != WrappedKeySize)
        return fail(AgeProblem::Damaged, "the wrapped key has the wrong size");
    std::memcpy(m_stanza.wrappedKey.data(), m_body.data(), WrappedKeySize);
    m_expect = Expect::Stanza;
}

void HeaderReader::macLine(std::string_view text)
{
    if (!m_haveStanza)
        return fail(AgeProblem::Damaged, "the header names no recipient");
    const std::string_view encoded = text.substr(MacPrefix.size());
    const std::optional<std::string> mac = encoded.size() == EncodedMacSize + 1 && encoded[0] == ' '
                                               ? fromBase64(encoded.substr(1), false)
                                               : std::nullopt;
    if (!mac || mac->size() != MacSize)
        return fail(AgeProblem::Damaged, "the header MAC line is malformed");
    std::memcpy(m_mac.data(), mac->data(), MacSize);
    m_macInputSize = m_lineStart + MacPrefix.size();
    m_state = State::Done;
}

void HeaderReader::fail(AgeProblem problem, std::string_view detail)
{
    m_error = ageError(problem, detail);
    m_state = State::Failed;
}

} // namespace cipher::age
