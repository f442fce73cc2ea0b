#include "cipher/agearmour.h"

#include "cipher/agecrypto.h"

#include <algorithm>

namespace cipher {

namespace {

constexpr std::size_t Columns = 64;
constexpr std::size_t BytesPerLine = Columns / 4 * 3;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isBlank(std::string_view text)
{
    return std::ranges::all_of(text, isSpace);
}

// Lines of the text, each without its LF and a CR before it.
class Lines {
public:
    explicit Lines(std::string_view text) : m_rest(text) {}

    bool atEnd() const { return m_rest.empty(); }
    std::string_view rest() const { return m_rest; }

    std::string_view next()
    {
        const std::size_t newline = m_rest.find('\n');
        std::string_view line = m_rest.substr(0, newline);
        m_rest.remove_prefix(newline == std::string_view::npos ? m_rest.size() : newline + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        return line;
    }

private:
    std::string_view m_rest;
};

AgeError malformed(std::string_view why)
{
    return ageError(AgeProblem::Damaged, "the armour " + std::string(why));
}

} // namespace

std::string AgeArmour(std::string_view sealed)
{
    std::string text(ArmourBegin);
    text += '\n';
    for (std::size_t at = 0; at < sealed.size(); at += BytesPerLine) {
        text += age::toBase64(age::bytesOf(sealed.substr(at, BytesPerLine)), true);
        text += '\n';
    }
    text += ArmourEnd;
    text += '\n';
    return text;
}

bool isAgeArmour(std::string_view text)
{
    Lines lines(text);
    while (!lines.atEnd()) {
        const std::string_view line = lines.next();
        if (!isBlank(line))
            return line == ArmourBegin;
    }
    return false;
}

AgeResult<std::string> AgeUnarmour(std::string_view text)
{
    Lines lines(text);
    std::string_view line;
    do {
        if (lines.atEnd())
            return ageError(AgeProblem::NotSealed, "no armour");
        line = lines.next();
    } while (isBlank(line));
    if (line != ArmourBegin)
        return ageError(AgeProblem::NotSealed, "no armour");

    std::string sealed;
    for (;;) {
        if (lines.atEnd())
            return malformed("has no last line");
        line = lines.next();
        if (line == ArmourEnd)
            break;
        if (line.empty() || line.size() > Columns)
            return malformed("has a line that is empty or longer than 64 columns");
        const bool lastLine = line.size() < Columns || line.ends_with('=');
        const std::optional<std::string> bytes = age::fromBase64(line, true);
        if (!bytes)
            return malformed("has a line that is not base64");
        sealed += *bytes;
        if (lastLine) {
            if (lines.atEnd() || lines.next() != ArmourEnd)
                return malformed("goes on after a short line");
            break;
        }
    }
    if (sealed.empty())
        return malformed("is empty");
    if (!isBlank(lines.rest()))
        return malformed("is followed by more text");
    return sealed;
}

} // namespace cipher
