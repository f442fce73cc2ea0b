#include "formjson.h"

#include "velloc/hosting/formloader.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

using namespace velloc;

namespace container {

namespace {

// Reads only the structure of a text QJsonDocument has accepted: the keys of each object in
// the order written.
class KeyScanner {
public:
    explicit KeyScanner(const QByteArray& text) : m_text(text) {}

    JsonKeyOrder value()
    {
        JsonKeyOrder order;
        skipSpace();
        if (at('{')) {
            ++m_pos;
            while (skipSpace(), !at('}') && m_pos < m_text.size()) {
                const QString key = string();
                skipSpace();
                ++m_pos; // ':'
                JsonKeyOrder member = value();
                if (!member.keys.isEmpty() || !member.elements.isEmpty())
                    order.members.insert(key, std::move(member));
                if (!order.keys.contains(key))
                    order.keys << key;
                skipSpace();
                if (at(','))
                    ++m_pos;
            }
            ++m_pos;
        } else if (at('[')) {
            ++m_pos;
            while (skipSpace(), !at(']') && m_pos < m_text.size()) {
                order.elements << value();
                skipSpace();
                if (at(','))
                    ++m_pos;
            }
            ++m_pos;
        } else if (at('"')) {
            (void)string();
        } else {
            while (m_pos < m_text.size() && !QByteArrayView(",]} \t\r\n").contains(m_text[m_pos]))
                ++m_pos;
        }
        return order;
    }

private:
    bool at(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    void skipSpace()
    {
        while (m_pos < m_text.size() && QByteArrayView(" \t\r\n").contains(m_text[m_pos]))
            ++m_pos;
    }
    QString string()
    {
        const qsizetype start = m_pos++;
        while (m_pos < m_text.size() && m_text[m_pos] != '"')
            m_pos += m_text[m_pos] == '\\' ? 2 : 1;
        ++m_pos;
        // The key with its escapes resolved, as QJsonDocument resolved them.
        const QByteArray literal = '[' + m_text.mid(start, m_pos - start) + ']';
        return QJsonDocument::fromJson(literal).array().first().toString();
    }

    const QByteArray& m_text;
    qsizetype m_pos = 0;
};

// Where a key missing from the written order goes: the place a hand-written description gives
// it. A form's caption comes before its size, a control's caption or text after its place.
int rank(const QString& key, bool control)
{
    static const QStringList form {QStringLiteral("name"),        QStringLiteral("kind"),         QStringLiteral("progId"),
                                   QStringLiteral("caption"),     QStringLiteral("clientWidth"),  QStringLiteral("clientHeight"),
                                   QStringLiteral("borderStyle"), QStringLiteral("startUpPosition"), QStringLiteral("left"),
                                   QStringLiteral("top"),         QStringLiteral("width"),        QStringLiteral("height")};
    static const QStringList controls {QStringLiteral("name"),  QStringLiteral("kind"),   QStringLiteral("progId"),
                                       QStringLiteral("left"),  QStringLiteral("top"),    QStringLiteral("width"),
                                       QStringLiteral("height"), QStringLiteral("caption"), QStringLiteral("text")};
    static const QStringList last {QStringLiteral("bag"), QStringLiteral("controls"), QStringLiteral("tabOrder")};
    if (const qsizetype i = (control ? controls : form).indexOf(key); i >= 0)
        return int(i);
    if (const qsizetype i = last.indexOf(key); i >= 0)
        return 1000 + int(i);
    return 500;
}

QStringList orderedKeys(const QJsonObject& object, const JsonKeyOrder& order)
{
    QStringList keys;
    for (const QString& key : order.keys)
        if (object.contains(key))
            keys << key;
    const bool control = object.contains(QStringLiteral("kind"));
    auto rankOf = [control](const QString& key) { return rank(key, control); };
    QStringList added = object.keys();
    std::stable_sort(added.begin(), added.end(), [&](const QString& a, const QString& b) { return rankOf(a) < rankOf(b); });
    for (const QString& key : std::as_const(added)) {
        if (keys.contains(key))
            continue;
        // After the last key that comes before it: a key written out of the usual order keeps its place.
        qsizetype at = 0;
        for (qsizetype i = 0; i < keys.size(); ++i)
            if (rankOf(keys[i]) <= rankOf(key))
                at = i + 1;
        keys.insert(at, key);
    }
    return keys;
}

void writeString(QByteArray& out, const QString& s)
{
    out += '"';
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c.unicode() < 0x20)
                out += QByteArray("\\u") + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
            else
                out += QString(c).toUtf8();
        }
    }
    out += '"';
}

void writeValue(QByteArray& out, const QJsonValue& value, const JsonKeyOrder* order, int indent, int depth)
{
    static const JsonKeyOrder none;
    if (!order)
        order = &none;
    const QByteArray pad(indent * (depth + 1), ' '), closing(indent * depth, ' ');
    switch (value.type()) {
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.isEmpty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        const QStringList keys = orderedKeys(object, *order);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            out += pad;
            writeString(out, keys[i]);
            out += ": ";
            const auto member = order->members.constFind(keys[i]);
            writeValue(out, object.value(keys[i]), member == order->members.cend() ? nullptr : &*member, indent, depth + 1);
            out += i + 1 < keys.size() ? ",\n" : "\n";
        }
        out += closing + '}';
        return;
    }
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        if (array.isEmpty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        for (qsizetype i = 0; i < array.size(); ++i) {
            out += pad;
            writeValue(out, array[i], i < order->elements.size() ? &order->elements[i] : nullptr, indent, depth + 1);
            out += i + 1 < array.size() ? ",\n" : "\n";
        }
        out += closing + ']';
        return;
    }
    case QJsonValue::String: writeString(out, value.toString()); return;
    case QJsonValue::Bool: out += value.toBool() ? "true" : "false"; return;
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::abs(d) < 9007199254740992.0)
            out += QByteArray::number(qint64(d));
        else
            out += QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
        return;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined: out += "null"; return;
    }
}

} // namespace

Result<JsonText> parseJson(const QByteArray& json, const QString& what)
{
    QJsonParseError error;
    JsonText parsed;
    parsed.document = QJsonDocument::fromJson(json, &error);
    if (parsed.document.isNull())
        return velloc::FormLoader::jsonError(json, error, what);
    parsed.order = KeyScanner(json).value();
    // The indentation of the first indented line, so that a file keeps its own.
    const qsizetype newline = json.indexOf('\n');
    if (newline >= 0) {
        qsizetype spaces = 0;
        while (newline + 1 + spaces < json.size() && json[newline + 1 + spaces] == ' ')
            ++spaces;
        if (spaces > 0 && spaces <= 8)
            parsed.indent = int(spaces);
    }
    return parsed;
}

QByteArray writeJson(const QJsonValue& value, const JsonKeyOrder& order, int indent)
{
    QByteArray out;
    writeValue(out, value, &order, indent, 0);
    out += '\n';
    return out;
}

} // namespace container
