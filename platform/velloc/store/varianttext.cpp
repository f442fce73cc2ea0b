#include "velloc/store/varianttext.h"

#include "velloc/store/font.h"
#include "velloc/io/localfile.h"
#include "velloc/store/picture.h"

#include <limits>

namespace velloc::varianttext {

QString quote(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (QChar ch : text) {
        const ushort c = ch.unicode();
        if (c == '"' || c == '\\') {
            out += QLatin1Char('\\');
            out += ch;
        } else if (c >= 0x20 && c <= 0x7E) {
            out += ch;
        } else if (c <= 0xFF) {
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0'));
        }
    }
    out += QLatin1Char('"');
    return out;
}

static QString formatFont(const Font& f)
{
    QString flags;
    if (f.italic()) flags += QLatin1Char('i');
    if (f.underline()) flags += QLatin1Char('u');
    if (f.strikethrough()) flags += QLatin1Char('s');
    if (flags.isEmpty()) flags = QStringLiteral("-");
    // Joined, not filled in with arg(): a name may itself hold "%1", which a later arg() would fill.
    QString text = QStringLiteral("font:") + quote(f.name()) + QLatin1Char(' ') + *Variant::fromR8(f.size()).toString()
                   + QLatin1Char(' ') + QString::number(f.weight()) + QLatin1Char(' ') + flags;
    if (f.description().charset != 0)
        text += QLatin1Char(' ') + QString::number(f.description().charset);
    return text;
}

QString format(const Variant& v, PictureForm pictures)
{
    switch (v.type()) {
    case VarType::Empty: return QStringLiteral("empty");
    case VarType::Null: return QStringLiteral("null");
    case VarType::I2: return QStringLiteral("i2:%1").arg(v.i2());
    case VarType::I4: return QStringLiteral("i4:%1").arg(v.i4());
    case VarType::UI1: return QStringLiteral("ui1:%1").arg(v.ui1());
    case VarType::R4: return QStringLiteral("r4:") + *v.toString();
    case VarType::R8: return QStringLiteral("r8:") + *v.toString();
    case VarType::Bool: return v.boolean() ? QStringLiteral("bool:true") : QStringLiteral("bool:false");
    case VarType::BStr: return QStringLiteral("bstr:") + quote(v.string());
    case VarType::Error: return QStringLiteral("error:%1").arg(v.errorCode());
    case VarType::Dispatch: {
        if (!v.object())
            return QStringLiteral("nothing");
        if (auto picture = v.objectAs<Picture>()) {
            if (picture->isEmpty())
                return QStringLiteral("picture:none");
            if (pictures == PictureForm::Data)
                return QStringLiteral("picture:base64:") + QString::fromLatin1(picture->encoded().toBase64());
            return QStringLiteral("picture:%1x%2").arg(picture->image().width()).arg(picture->image().height());
        }
        if (auto font = v.objectAs<Font>())
            return formatFont(*font);
        return QStringLiteral("object:") + v.object()->className();
    }
    default: return QStringLiteral("unknown");
    }
}

namespace {

struct Parser {
    QStringView text;
    qsizetype& pos;
    Literals literals;
    const ObjectResolver& resolve;

    Error fail(const QString& what) const { return Error(errc::InvalidArgument, what); }

    void skipSpaces()
    {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
    }

    QStringView word()
    {
        const qsizetype start = pos;
        while (pos < text.size() && !text[pos].isSpace())
            ++pos;
        return text.mid(start, pos - start);
    }

    Result<QString> quoted()
    {
        if (pos >= text.size() || text[pos] != QLatin1Char('"'))
            return fail(QStringLiteral("expected a string in double quotes"));
        ++pos;
        QString out;
        while (pos < text.size()) {
            const QChar c = text[pos++];
            if (c == QLatin1Char('"'))
                return out;
            if (c != QLatin1Char('\\')) {
                out += c;
                continue;
            }
            if (pos >= text.size())
                break;
            const QChar e = text[pos++];
            switch (e.unicode()) {
            case '\\': out += QLatin1Char('\\'); break;
            case '"': out += QLatin1Char('"'); break;
            case 'n': out += QLatin1Char('\n'); break;
            case 'r': out += QLatin1Char('\r'); break;
            case 't': out += QLatin1Char('\t'); break;
            case 'x':
            case 'u': {
                const int digits = e == QLatin1Char('x') ? 2 : 4;
                bool ok = false;
                const uint code = pos + digits <= text.size() ? text.mid(pos, digits).toUInt(&ok, 16) : 0;
                if (!ok)
                    return fail(QStringLiteral("\\%1 needs %2 hex digits").arg(e).arg(digits));
                out += QChar(char16_t(code));
                pos += digits;
                break;
            }
            default:
                return fail(QStringLiteral("unknown escape \\%1").arg(e));
            }
        }
        return fail(QStringLiteral("unterminated string"));
    }

    template <typename Int>
    Result<Int> integer(QStringView digits, const char* type)
    {
        return Int(VELLOC_TRY(parseWholeNumber(digits, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max(),
                                        QLatin1String(type))));
    }

    Result<double> real(QStringView digits)
    {
        bool ok = false;
        const double v = digits.toDouble(&ok);
        if (!ok)
            return fail(QStringLiteral("%1 is not a number").arg(digits.toString()));
        return v;
    }

    Result<Variant> font()
    {
        Font::Description d;
        d.name = VELLOC_TRY(quoted());
        skipSpaces();
        d.size = VELLOC_TRY(real(word()));
        skipSpaces();
        d.weight = VELLOC_TRY(integer<std::int16_t>(word(), "a font weight"));
        skipSpaces();
        const QStringView flags = word();
        for (QChar f : flags) {
            if (f == QLatin1Char('i')) d.italic = true;
            else if (f == QLatin1Char('u')) d.underline = true;
            else if (f == QLatin1Char('s')) d.strikethrough = true;
            else if (f != QLatin1Char('-'))
                return fail(QStringLiteral("unknown font flag '%1' (use i, u, s or -)").arg(f));
        }
        if (flags.isEmpty())
            return fail(QStringLiteral("a font needs \"NAME\" SIZE WEIGHT FLAGS"));
        // An optional character set follows in stored bags.
        const qsizetype save = pos;
        skipSpaces();
        const QStringView rest = word();
        bool ok = false;
        const int charset = rest.toInt(&ok);
        if (ok)
            d.charset = charset;
        else
            pos = save;
        return Variant::fromObject(Font::create(d));
    }

    Result<Variant> value()
    {
        skipSpaces();
        if (pos >= text.size())
            return fail(QStringLiteral("a value is missing"));
        if (text[pos] == QLatin1Char('"'))
            return Variant::fromString(VELLOC_TRY(quoted()));
        if (text[pos] == QLatin1Char('$')) {
            ++pos;
            const QString name = word().toString();
            if (literals != Literals::Script || !resolve)
                return fail(QStringLiteral("$%1: no objects can be named here").arg(name));
            return resolve(name);
        }
        if (text.mid(pos).startsWith(QLatin1String("bstr:\""))) {
            pos += 5;
            return Variant::fromString(VELLOC_TRY(quoted()));
        }
        if (text.mid(pos).startsWith(QLatin1String("font:"))) {
            pos += 5;
            return font();
        }
        const QStringView token = word();
        const qsizetype colon = token.indexOf(QLatin1Char(':'));
        if (colon < 0) {
            if (token == QLatin1String("empty")) return Variant();
            if (token == QLatin1String("null")) return Variant::null();
            if (token == QLatin1String("nothing")) return Variant::nothing();
            return Variant::fromI4(VELLOC_TRY(integer<std::int32_t>(token, "a 32-bit integer")));
        }
        const QStringView type = token.left(colon);
        const QStringView rest = token.mid(colon + 1);
        if (type == QLatin1String("i2")) return Variant::fromI2(VELLOC_TRY(integer<std::int16_t>(rest, "i2")));
        if (type == QLatin1String("i4")) return Variant::fromI4(VELLOC_TRY(integer<std::int32_t>(rest, "i4")));
        if (type == QLatin1String("ui1")) return Variant::fromUI1(VELLOC_TRY(integer<std::uint8_t>(rest, "ui1")));
        if (type == QLatin1String("r4")) return Variant::fromR4(float(VELLOC_TRY(real(rest))));
        if (type == QLatin1String("r8")) return Variant::fromR8(VELLOC_TRY(real(rest)));
        if (type == QLatin1String("error")) return Variant::fromError(VELLOC_TRY(integer<std::int32_t>(rest, "error")));
        if (type == QLatin1String("bool")) {
            if (rest == QLatin1String("true")) return Variant::fromBool(true);
            if (rest == QLatin1String("false")) return Variant::fromBool(false);
            return fail(QStringLiteral("bool: takes true or false, not %1").arg(rest.toString()));
        }
        if (type == QLatin1String("hex")) {
            if (rest.size() % 2 != 0)
                return fail(QStringLiteral("hex: needs two digits per character"));
            QString out;
            for (qsizetype i = 0; i < rest.size(); i += 2) {
                bool ok = false;
                const uint code = rest.mid(i, 2).toUInt(&ok, 16);
                if (!ok)
                    return fail(QStringLiteral("hex: %1 is not a hex byte").arg(rest.mid(i, 2).toString()));
                out += QChar(char16_t(code));
            }
            return Variant::fromString(out);
        }
        if (type == QLatin1String("file")) {
            if (literals != Literals::Script)
                return fail(QStringLiteral("%1: stored values hold their text, not the name of a file to read").arg(token.toString()));
            return Variant::fromString(QString::fromLatin1(VELLOC_TRY(localfile::readRegular(rest.toString(), QStringLiteral("file")))));
        }
        if (type == QLatin1String("picture")) {
            if (rest == QLatin1String("none"))
                return Variant::fromObject(Picture::create());
            if (rest.startsWith(QLatin1String("base64:"))) {
                const QByteArray data = QByteArray::fromBase64(rest.mid(7).toLatin1());
                return Variant::fromObject(VELLOC_TRY(Picture::fromData(data)));
            }
            if (literals != Literals::Script)
                return fail(QStringLiteral("%1: stored pictures hold their data (picture:base64:...), not the name of a file to read")
                                .arg(token.toString()));
            return Variant::fromObject(VELLOC_TRY(Picture::load(rest.toString())));
        }
        return fail(QStringLiteral("%1 is not a value").arg(token.toString()));
    }
};

} // namespace

Result<qint64> parseWholeNumber(QStringView digits, qint64 min, qint64 max, const QString& what)
{
    const bool negative = digits.startsWith(QLatin1Char('-'));
    const QStringView magnitude = negative ? digits.mid(1) : digits;
    const bool hex = magnitude.startsWith(QLatin1String("0x")) || magnitude.startsWith(QLatin1String("0X"));
    bool ok = false;
    const qlonglong v = hex ? (negative ? -1 : 1) * magnitude.mid(2).toLongLong(&ok, 16) : digits.toLongLong(&ok, 10);
    if (!ok)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a whole number for %2").arg(digits.toString(), what));
    if (v < min || v > max)
        return Error(errc::Overflow, QStringLiteral("%1 does not fit in %2").arg(digits.toString(), what));
    return v;
}

Result<Variant> parse(QStringView text, qsizetype& pos, Literals literals, const ObjectResolver& resolve)
{
    Parser p {text, pos, literals, resolve};
    return p.value();
}

Result<Variant> parseAll(QStringView text, Literals literals, const ObjectResolver& resolve)
{
    qsizetype pos = 0;
    Variant v = VELLOC_TRY(parse(text, pos, literals, resolve));
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    if (pos != text.size())
        return Error(errc::InvalidArgument, QStringLiteral("unexpected text after the value: %1").arg(text.mid(pos).toString()));
    return v;
}

} // namespace velloc::varianttext
