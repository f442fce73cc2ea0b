#include "velloc/store/propertybag.h"

#include "velloc/store/font.h"
#include "velloc/io/localfile.h"
#include "velloc/store/varianttext.h"

namespace velloc {

qsizetype PropertyBag::indexOf(QStringView name) const
{
    return m_index.value(name.toString().toCaseFolded(), -1);
}

void PropertyBag::removeAt(qsizetype i)
{
    m_index.remove(m_entries[i].name.toCaseFolded());
    m_entries.removeAt(i);
    for (qsizetype k = i; k < m_entries.size(); ++k)
        m_index[m_entries[k].name.toCaseFolded()] = k;
}

bool PropertyBag::contains(QStringView name) const
{
    return indexOf(name) >= 0;
}

Variant PropertyBag::read(QStringView name, const Variant& defaultValue) const
{
    const qsizetype i = indexOf(name);
    return i < 0 ? defaultValue : m_entries[i].value;
}

void PropertyBag::set(QStringView name, const Variant& value)
{
    Variant stored = value;
    // A bag keeps what a font was when it was written, not a live link to the holder's font.
    if (auto font = value.objectAs<Font>())
        stored = Variant::fromObject(Font::create(font->description()));
    const qsizetype i = indexOf(name);
    if (i >= 0) {
        m_entries[i].value = std::move(stored);
        return;
    }
    m_entries.append(Entry {name.toString().toLower(), std::move(stored)});
    m_index.insert(m_entries.last().name.toCaseFolded(), m_entries.size() - 1);
}

void PropertyBag::write(QStringView name, const Variant& value, const Variant& defaultValue)
{
    if (Variant::equalByValue(value, defaultValue)) {
        const qsizetype i = indexOf(name);
        if (i >= 0)
            removeAt(i);
        return;
    }
    set(name, value);
}

QString PropertyBag::toText() const
{
    QString text = QStringLiteral("# property bag\n");
    for (const Entry& e : m_entries)
        text += e.name + QStringLiteral(" = ") + varianttext::format(e.value, varianttext::PictureForm::Data) + QLatin1Char('\n');
    return text;
}

Result<PropertyBag> PropertyBag::fromText(const QString& text)
{
    PropertyBag bag;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString name = eq > 0 ? line.left(eq).trimmed() : QString();
        if (name.isEmpty() || name.contains(QLatin1Char(' ')))
            return Error(errc::InvalidArgument,
                         QStringLiteral("line %1: expected \"name = value\", found: %2").arg(n + 1).arg(line));
        Result<Variant> value = varianttext::parseAll(QStringView(line).mid(eq + 1));
        if (!value)
            return Error(value.error().number(),
                         QStringLiteral("line %1 (%2): %3").arg(n + 1).arg(name, value.error().message()));
        bag.set(name, value.value());
    }
    return bag;
}

Result<PropertyBag> PropertyBag::load(const QString& path)
{
    const QByteArray text = VELLOC_TRY(localfile::readRegular(path, QStringLiteral("property bag")));
    Result<PropertyBag> bag = fromText(QString::fromUtf8(text));
    if (!bag)
        return Error(bag.error().number(), QStringLiteral("%1: %2").arg(path, bag.error().message()));
    return bag;
}

Result<void> PropertyBag::save(const QString& path) const
{
    return localfile::write(path, QStringLiteral("property bag"), toText().toUtf8());
}

} // namespace velloc
