#include "velloc/store/font.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <cmath>

namespace velloc {

std::shared_ptr<Font> Font::create()
{
    return create(Description());
}

std::shared_ptr<Font> Font::create(Description d)
{
    auto f = std::make_shared<Font>();
    d.size = std::round(d.size * 10000.0) / 10000.0;
    f->m_d = std::move(d);
    return f;
}

void Font::setDescription(const Description& d)
{
    Description rounded = d;
    rounded.size = std::round(d.size * 10000.0) / 10000.0;
    if (rounded == m_d)
        return;
    m_d = std::move(rounded);
    changed();
}

bool Font::sameValue(const Object* other) const
{
    if (other == this)
        return true;
    const auto* font = dynamic_cast<const Font*>(other);
    return font && font->m_d == m_d;
}

namespace {
// The faces the suite's windows were laid out with, the free faces drawn in their place when the
// system lacks them, and how wide the described face runs against the first substitute at one
// size. Liberation Sans has Arial's metrics and is wider than Tahoma; MS Sans Serif, a bitmap
// face, averages about nine tenths of Arial's width at the same size, so its substitute is
// drawn that much smaller and captions keep within the boxes made for them.
struct Substitute {
    QString face;
    QStringList substitutes;
    double widthScale;
};

const QList<Substitute>& substitutes()
{
    static const QList<Substitute> list = [] {
        const QList<Substitute> l {
            {QStringLiteral("MS Sans Serif"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, 0.9},
            {QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, 1.0},
            {QStringLiteral("Tahoma"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, 1.0},
            {QStringLiteral("Times New Roman"), {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")}, 1.0},
        };
        for (const Substitute& s : l)
            QFont::insertSubstitutions(s.face, s.substitutes);
        return l;
    }();
    return list;
}

// How much smaller to draw a described face: not at all when the system has the face itself.
double widthScale(const QFont& font, const QString& face)
{
    for (const Substitute& s : substitutes())
        if (face.compare(s.face, Qt::CaseInsensitive) == 0) {
            if (s.widthScale == 1.0 || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
                return 1.0;
            return QFontInfo(font).family().compare(face, Qt::CaseInsensitive) == 0 ? 1.0 : s.widthScale;
        }
    return 1.0;
}
} // namespace

QFont Font::toQFont() const
{
    substitutes();
    QFont f(m_d.name);
    const double size = m_d.size > 0 ? m_d.size : 8.25;
    f.setPointSizeF(size);
    // Weight 0 leaves the choice to the font, which means its normal weight.
    f.setWeight(m_d.weight <= 0 ? QFont::Normal : QFont::Weight(std::min(m_d.weight, 1000)));
    f.setItalic(m_d.italic);
    f.setUnderline(m_d.underline);
    f.setStrikeOut(m_d.strikethrough);
    f.setStyleHint(QFont::SansSerif);
    if (const double scale = widthScale(f, m_d.name); scale != 1.0)
        f.setPointSizeF(size * scale);
    return f;
}

int Font::addListener(std::function<void()> listener)
{
    const int id = m_nextListener++;
    m_listeners.append({id, std::move(listener)});
    return id;
}

void Font::removeListener(int id)
{
    m_listeners.removeIf([id](const auto& l) { return l.first == id; });
}

void Font::changed()
{
    const auto listeners = m_listeners;
    for (const auto& l : listeners)
        l.second();
}

const DispatchTable& Font::dispatch() const
{
    static const DispatchTable table = [] {
        DispatchTable t(InterfaceInfo {QStringLiteral("Font"), Guid::literal("{BEF6E003-A874-101A-8BBA-00AA00300CAB}"),
                                       false, true});
        auto field = [&t](QString name, DispId id, TypeRef type, auto read, auto write) {
            t.get<Font>(name, id, type, {}, [read](Font& f) -> Result<Variant> { return read(f.m_d); });
            t.put<Font>(name, id, QStringLiteral("value"), type, {}, [write](Font& f, const Variant& v) -> Result<void> {
                Description d = f.m_d;
                VELLOC_TRY_VOID(write(d, v));
                f.setDescription(d);
                return {};
            });
        };
        const TypeRef boolType {VarType::Bool, {}};
        field(QStringLiteral("Name"), 0, {VarType::BStr, {}},
              [](const Description& d) { return Variant::fromString(d.name); },
              [](Description& d, const Variant& v) -> Result<void> { d.name = v.string(); return {}; });
        field(QStringLiteral("Size"), 2, {VarType::R8, QStringLiteral("CY")},
              [](const Description& d) { return Variant::fromR8(d.size); },
              [](Description& d, const Variant& v) -> Result<void> {
                  if (v.r8() <= 0 || v.r8() > 2048)
                      return Error(errc::InvalidArgument, QStringLiteral("A font size must be above 0 and at most 2048"));
                  d.size = v.r8();
                  return {};
              });
        field(QStringLiteral("Bold"), 3, boolType,
              [](const Description& d) { return Variant::fromBool(d.weight >= 600); },
              [](Description& d, const Variant& v) -> Result<void> { d.weight = v.boolean() ? 700 : 400; return {}; });
        field(QStringLiteral("Italic"), 4, boolType,
              [](const Description& d) { return Variant::fromBool(d.italic); },
              [](Description& d, const Variant& v) -> Result<void> { d.italic = v.boolean(); return {}; });
        field(QStringLiteral("Underline"), 5, boolType,
              [](const Description& d) { return Variant::fromBool(d.underline); },
              [](Description& d, const Variant& v) -> Result<void> { d.underline = v.boolean(); return {}; });
        field(QStringLiteral("Strikethrough"), 6, boolType,
              [](const Description& d) { return Variant::fromBool(d.strikethrough); },
              [](Description& d, const Variant& v) -> Result<void> { d.strikethrough = v.boolean(); return {}; });
        field(QStringLiteral("Weight"), 7, {VarType::I2, {}},
              [](const Description& d) { return Variant::fromI2(std::int16_t(d.weight)); },
              [](Description& d, const Variant& v) -> Result<void> {
                  if (v.i2() < 0 || v.i2() > 1000)
                      return Error(errc::InvalidArgument, QStringLiteral("A font weight must be 0 to 1000"));
                  d.weight = v.i2();
                  return {};
              });
        field(QStringLiteral("Charset"), 8, {VarType::I2, {}},
              [](const Description& d) { return Variant::fromI2(std::int16_t(d.charset)); },
              [](Description& d, const Variant& v) -> Result<void> { d.charset = v.i2(); return {}; });
        return t;
    }();
    return table;
}

} // namespace velloc
