#include "formentry.h"

#include <QRegularExpression>

using namespace velloc;

namespace container::formentry {

namespace {

// A bag line's key ("font = font:..." is font), as the bag stores it: in lower case.
QString keyOf(const QString& line)
{
    return line.section(QLatin1Char('='), 0, 0).trimmed().toLower();
}

// The line's value in the bag's own text form, so that two spellings of one value compare equal.
std::optional<QString> normal(const QString& line)
{
    Result<PropertyBag> bag = PropertyBag::fromText(line);
    if (!bag)
        return std::nullopt;
    return bag->toText();
}

QString expand(QString text, const FormLoader::Variables& variables)
{
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        text.replace(QStringLiteral("${%1}").arg(it.key()), it.value());
    return text;
}

} // namespace

QString kindOf(const QJsonObject& entry)
{
    return entry.value(QStringLiteral("kind")).toString();
}

QString nameOf(const QJsonObject& entry)
{
    return entry.value(QStringLiteral("name")).toString();
}

QRect twipsOf(const QJsonObject& entry)
{
    return QRect(entry.value(QStringLiteral("left")).toInt(), entry.value(QStringLiteral("top")).toInt(),
                 entry.value(QStringLiteral("width")).toInt(), entry.value(QStringLiteral("height")).toInt());
}

void setTwips(QJsonObject& entry, QRect twips)
{
    entry.insert(QStringLiteral("left"), twips.x());
    entry.insert(QStringLiteral("top"), twips.y());
    entry.insert(QStringLiteral("width"), twips.width());
    entry.insert(QStringLiteral("height"), twips.height());
}

void collectNames(const QJsonObject& entry, QStringList& names)
{
    names << nameOf(entry);
    for (const QJsonValue& child : entry.value(QStringLiteral("controls")).toArray())
        collectNames(child.toObject(), names);
}

QJsonArray bagLines(const PropertyBag& bag)
{
    QJsonArray lines;
    for (const QString& line : bag.toText().split(QLatin1Char('\n')))
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines.append(line);
    return lines;
}

QJsonArray mergeBag(const QJsonArray& written, const QJsonArray& lines, const FormLoader::Variables& variables)
{
    QStringList fresh;
    for (const QJsonValue& line : lines)
        fresh << line.toString();
    QJsonArray out;
    for (const QJsonValue& w : written) {
        const QString line = w.toString();
        const QString key = keyOf(line);
        const qsizetype i = std::find_if(fresh.cbegin(), fresh.cend(), [&](const QString& f) { return keyOf(f) == key; }) - fresh.cbegin();
        if (i == fresh.size())
            continue; // the control no longer stores it: back at its default
        const std::optional<QString> before = normal(expand(line, variables));
        out.append(before && before == normal(fresh[i]) ? line : fresh[i]);
        fresh.removeAt(i);
    }
    for (const QString& f : std::as_const(fresh))
        out.append(f);
    return out;
}

bool isValidName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,39}$"));
    return pattern.match(name).hasMatch();
}

} // namespace container::formentry
