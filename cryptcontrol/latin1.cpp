#include "latin1.h"

namespace velpack {

velloc::Result<std::string> toBytes(const QString& text, const char* what)
{
    std::string bytes(std::size_t(text.size()), '\0');
    const char16_t* in = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (in[i] > 0xFF)
            return velloc::Error(velloc::errc::InvalidArgument,
                                   QStringLiteral("The %1 holds the character U+%2 at position %3, which has no "
                                                  "single-byte code (only U+0000 to U+00FF can be enciphered)")
                                       .arg(QLatin1String(what))
                                       .arg(QString::number(uint(in[i]), 16).toUpper().rightJustified(4, QLatin1Char('0')))
                                       .arg(i + 1));
        bytes[std::size_t(i)] = char(in[i]);
    }
    return bytes;
}

QString fromBytes(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

} // namespace velpack
