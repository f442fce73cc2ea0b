#include "sealedfile.h"

#include "ciphererror.h"

namespace velpack {

namespace {

velloc::Error toError(const cipher::AgeError& error)
{
    return toAutomationError(error.cipherError());
}

} // namespace

SealedFile::SealedFile(cipher::Direction direction, std::string_view passphrase) : m_direction(direction)
{
    if (direction == cipher::Direction::Encipher)
        m_passphrase = cipher::SecretText(passphrase);
    else
        m_opener.emplace(passphrase);
}

SealedFile::~SealedFile()
{
    clearOutput();
}

void SealedFile::clearOutput()
{
    if (m_opener)
        cipher::wipe(m_out); // plain text
    m_out.clear();
}

velloc::Result<void> SealedFile::startSealing()
{
    if (m_sealer)
        return {};
    cipher::AgeResult<cipher::AgeSealer> sealer = cipher::AgeSealer::create(m_passphrase.view());
    m_passphrase.clear();
    if (!sealer.ok())
        return toError(sealer.error());
    m_sealer.emplace(std::move(sealer.value()));
    return {};
}

velloc::Result<std::string_view> SealedFile::feed(std::string_view block)
{
    clearOutput();
    if (m_opener) {
        if (std::optional<cipher::AgeError> error = m_opener->write(block, m_out))
            return toError(*error);
        return std::string_view(m_out);
    }
    VELLOC_TRY_VOID(startSealing());
    m_sealer->write(block, m_out);
    return std::string_view(m_out);
}

velloc::Result<std::string_view> SealedFile::finish()
{
    clearOutput();
    if (m_opener) {
        if (std::optional<cipher::AgeError> error = m_opener->finish(m_out))
            return toError(*error);
        return std::string_view(m_out);
    }
    VELLOC_TRY_VOID(startSealing());
    m_sealer->finish(m_out);
    return std::string_view(m_out);
}

} // namespace velpack
