#include "velloc/hosting/builtincontrol.h"

#include "velloc/core/units.h"
#include "velloc/hosting/formloader.h"
#include "velloc/store/varianttext.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QJsonValue>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <vector>

namespace velloc {

namespace {

// The standard dispatch identifiers of the stock properties; the rest are the controls' own.
namespace ids {
inline constexpr DispId AutoSize = -500;
inline constexpr DispId BackColor = -501;
inline constexpr DispId ForeColor = -513;
inline constexpr DispId Enabled = -514;
inline constexpr DispId Text = -517;
inline constexpr DispId Caption = -518;
inline constexpr DispId Visible = 1;
inline constexpr DispId ToolTipText = 2;
} // namespace ids

// System colours: the style's own.
inline constexpr std::uint32_t ButtonText = 0x80000012u;
inline constexpr std::uint32_t ButtonFace = 0x8000000Fu;
inline constexpr std::uint32_t WindowText = 0x80000008u;
inline constexpr std::uint32_t WindowBackground = 0x80000005u;

// How a key's value is written in an entry.
enum class KeyType { Text, Flag, Colour, FontText };

const TypeRef Str {VarType::BStr, {}};
const TypeRef Flag {VarType::Bool, {}};
const TypeRef OleColor {VarType::I4, QStringLiteral("OLE_COLOR")};
const TypeRef FontType {VarType::Dispatch, QStringLiteral("Font")};

// A label that fits its caption again when the font it inherits changes (it is placed in a
// frame or on a form with a font of its own).
class FittingLabel final : public QLabel {
public:
    explicit FittingLabel(QWidget* parent) : QLabel(parent) {}
    std::function<void()> fontChanged;

protected:
    void changeEvent(QEvent* event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange && fontChanged)
            fontChanged();
    }
};

} // namespace

// The member tables of the kinds, in the order of BuiltInControl::Kind, and how each persisted
// key is written in an entry.
struct BuiltInTables {
    std::vector<DispatchTable> tables;
    QHash<QString, KeyType> keys;

    static BuiltInTables make();
};

static const BuiltInTables& builtInTables()
{
    static const BuiltInTables tables = BuiltInTables::make();
    return tables;
}

BuiltInControl::~BuiltInControl()
{
    if (m_font)
        m_font->removeListener(m_fontListener);
}

std::optional<BuiltInControl::Kind> BuiltInControl::kindOf(QStringView key)
{
    static const std::pair<QStringView, Kind> kinds[] = {{u"label", Kind::Label},
                                                         {u"textbox", Kind::TextBox},
                                                         {u"button", Kind::Button},
                                                         {u"optionbutton", Kind::OptionButton},
                                                         {u"frame", Kind::Frame}};
    for (const auto& [name, kind] : kinds)
        if (key == name)
            return kind;
    return std::nullopt;
}

std::shared_ptr<BuiltInControl> BuiltInControl::create(Kind kind)
{
    return std::shared_ptr<BuiltInControl>(new BuiltInControl(kind));
}

QString BuiltInControl::className() const
{
    static const QString names[] = {QStringLiteral("Label"), QStringLiteral("TextBox"), QStringLiteral("CommandButton"),
                                    QStringLiteral("OptionButton"), QStringLiteral("Frame")};
    return names[int(m_kind)];
}

const DispatchTable& BuiltInControl::dispatch() const
{
    return builtInTables().tables[int(m_kind)];
}

std::uint32_t BuiltInControl::defaultForeColor() const
{
    return m_kind == Kind::TextBox ? WindowText : ButtonText;
}

std::uint32_t BuiltInControl::defaultBackColor() const
{
    return m_kind == Kind::TextBox ? WindowBackground : ButtonFace;
}

std::shared_ptr<Font> BuiltInControl::font()
{
    if (m_font)
        return m_font;
    if (auto container = m_container.lock())
        return container->font();
    return Font::create(ambientFont()->description());
}

void BuiltInControl::setText(const QString& text)
{
    QWidget* w = widget();
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(w))
        frame->setTitle(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    }
    fit();
}

void BuiltInControl::setFontObject(std::shared_ptr<Font> font)
{
    if (!m_font && !font)
        return; // still the container's
    if (m_font)
        m_font->removeListener(m_fontListener);
    m_font = std::move(font);
    if (!m_font) {
        widget()->setFont(QFont()); // the container's again
        fit();
        return;
    }
    m_fontListener = m_font->addListener([this] {
        widget()->setFont(m_font->toQFont());
        fit();
    });
    widget()->setFont(m_font->toQFont());
    fit();
}

void BuiltInControl::applyColours()
{
    // Colours are each control's own: a frame's caption colour is not its children's. The set
    // colours are the active and inactive ones; a disabled control keeps the style's disabled
    // colours, so that it looks disabled.
    QWidget* w = widget();
    static constexpr QPalette::ColorGroup Described[] = {QPalette::Active, QPalette::Inactive};
    QPalette palette = QApplication::palette(w);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, palette.color(group, role)); // set, so not taken from the container
    if (m_foreColor) {
        const QColor c = units::toQColor(*m_foreColor);
        for (QPalette::ColorGroup group : Described)
            for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                palette.setColor(group, role, c);
    }
    if (m_backColor) {
        const QColor c = units::toQColor(*m_backColor);
        for (QPalette::ColorGroup group : Described)
            for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base})
                palette.setColor(group, role, c);
    }
    w->setAutoFillBackground(m_backColor.has_value());
    w->setPalette(palette);
    m_coloursApplied = true;
}

void BuiltInControl::fit()
{
    if (m_kind == Kind::Label && m_autoSize)
        widget()->resize(widget()->sizeHint());
}

void BuiltInControl::resize()
{
    fit();
}

QWidget* BuiltInControl::createWidget()
{
    QWidget* host = m_host.data();
    switch (m_kind) {
    case Kind::Label: {
        auto* label = new FittingLabel(host);
        label->fontChanged = [this] { fit(); };
        return label;
    }
    case Kind::TextBox: return new QLineEdit(host);
    case Kind::Button: {
        auto* button = new QPushButton(host);
        // Enter presses the focused button, as on the desktop the windows were made for.
        button->setAutoDefault(true);
        return button;
    }
    case Kind::OptionButton: return new QRadioButton(host);
    case Kind::Frame: {
        auto* frame = new QGroupBox(host);
        frame->setFocusPolicy(Qt::NoFocus);
        return frame;
    }
    }
    return nullptr;
}

BuiltInTables BuiltInTables::make()
{
    using C = BuiltInControl;
    using Kind = C::Kind;
    static constexpr Guid Iids[] = {Guid::literal("{CD15131A-6F00-4B39-83B3-671950A24F39}"),
                                    Guid::literal("{4E46A1FE-AA54-48A0-A708-0268385ED21B}"),
                                    Guid::literal("{84D94E84-AE88-472E-89CE-51A34CB9B3E5}"),
                                    Guid::literal("{1F0FA58E-0375-45D7-97A0-3884A8B6AC93}"),
                                    Guid::literal("{D30CAF59-948A-4CD7-86AB-DD367BAFE5FE}")};
    const QString appearance = QStringLiteral("Appearance"), behaviour = QStringLiteral("Behavior");
    BuiltInTables out;
    for (int k = 0; k < 5; ++k) {
        const Kind kind = Kind(k);
        DispatchTable t(InterfaceInfo {QLatin1Char('_') + C::create(kind)->className(), Iids[k], true, false, false});
        auto add = [&](Property<C> p, KeyType type) {
            out.keys.insert(p.persistedName, type);
            t.property(std::move(p));
        };
        auto text = [](QString value) { return [value](C&) { return Variant::fromString(value); }; };
        auto flag = [](bool value) { return [value](C&) { return Variant::fromBool(value); }; };

        if (kind == Kind::TextBox)
            add({.name = QStringLiteral("Text"), .id = ids::Text, .type = Str, .putParam = QStringLiteral("New_Text"),
                 .help = QStringLiteral("Returns/sets the text contained in the control."), .category = appearance,
                 .get = [](C& c) -> Result<Variant> { return Variant::fromString(static_cast<QLineEdit*>(c.widget())->text()); },
                 .store = [](C& c, const Variant& v) -> Result<void> { c.setText(v.string()); return {}; },
                 .persistedName = QStringLiteral("text"), .defaultValue = text({})},
                KeyType::Text);
        else
            add({.name = QStringLiteral("Caption"), .id = ids::Caption, .type = Str, .putParam = QStringLiteral("New_Caption"),
                 .help = QStringLiteral("Returns/sets the text displayed in or beside the control."), .category = appearance,
                 .get = [](C& c) -> Result<Variant> { return Variant::fromString(c.m_caption); },
                 .store = [](C& c, const Variant& v) -> Result<void> {
                     c.m_caption = v.string();
                     c.setText(c.m_caption);
                     return {};
                 },
                 .persistedName = QStringLiteral("caption"), .defaultValue = text({})},
                KeyType::Text);
        if (kind == Kind::OptionButton)
            add({.name = QStringLiteral("Value"), .id = dispid::Value, .type = Flag, .putParam = QStringLiteral("New_Value"),
                 .help = QStringLiteral("Returns/sets whether the option is the one chosen in its group."),
                 .get = [](C& c) -> Result<Variant> { return Variant::fromBool(static_cast<QRadioButton*>(c.widget())->isChecked()); },
                 .store = [](C& c, const Variant& v) -> Result<void> {
                     // The chosen option of a group is unchosen only by choosing another; a
                     // designer unchooses it all the same.
                     auto* option = static_cast<QRadioButton*>(c.widget());
                     option->setAutoExclusive(v.boolean());
                     option->setChecked(v.boolean());
                     option->setAutoExclusive(true);
                     return {};
                 },
                 .persistedName = QStringLiteral("value"), .defaultValue = flag(false)},
                KeyType::Flag);
        if (kind == Kind::Label)
            add({.name = QStringLiteral("AutoSize"), .id = ids::AutoSize, .type = Flag, .putParam = QStringLiteral("New_AutoSize"),
                 .help = QStringLiteral("Returns/sets whether the control takes the size of its caption."), .category = behaviour,
                 .get = [](C& c) -> Result<Variant> { return Variant::fromBool(c.m_autoSize); },
                 .store = [](C& c, const Variant& v) -> Result<void> {
                     c.m_autoSize = v.boolean();
                     c.fit();
                     return {};
                 },
                 .persistedName = QStringLiteral("autoSize"), .defaultValue = flag(false)},
                KeyType::Flag);

        // A colour at the kind's default is the style's own, which follows the style.
        auto colour = [&](QString name, DispId id, QString key, QString help, std::optional<std::uint32_t> C::*field,
                          std::uint32_t (C::*fallback)() const) {
            add({.name = name, .id = id, .type = OleColor, .putParam = QStringLiteral("New_") + name, .help = std::move(help),
                 .category = appearance,
                 .get = [field, fallback](C& c) -> Result<Variant> { return Variant::fromI4(std::int32_t((c.*field).value_or((c.*fallback)()))); },
                 .store = [name, field, fallback](C& c, const Variant& v) -> Result<void> {
                     const auto ole = std::uint32_t(v.i4());
                     if (!units::isValidOleColor(ole))
                         return Error(errc::InvalidPropertyValue,
                                      QStringLiteral("%1 takes a colour &H00BBGGRR& or a system colour &H800000nn&").arg(name));
                     const std::optional<std::uint32_t> colour = ole == (c.*fallback)() ? std::nullopt : std::optional(ole);
                     if (c.m_coloursApplied && c.*field == colour)
                         return {};
                     c.*field = colour;
                     c.applyColours();
                     return {};
                 },
                 .persistedName = std::move(key),
                 .defaultValue = [fallback](C& c) { return Variant::fromI4(std::int32_t((c.*fallback)())); }},
                KeyType::Colour);
        };
        colour(QStringLiteral("BackColor"), ids::BackColor, QStringLiteral("backColor"),
               QStringLiteral("Returns/sets the background colour."), &C::m_backColor, &C::defaultBackColor);
        colour(QStringLiteral("ForeColor"), ids::ForeColor, QStringLiteral("foreColor"),
               QStringLiteral("Returns/sets the colour of the text."), &C::m_foreColor, &C::defaultForeColor);

        // The font of what holds the control is the default; a font equal to it is left to it.
        auto own = [](C& c, std::shared_ptr<Font> font) {
            return font && font->sameValue(c.ambientFont().get()) ? nullptr : std::move(font);
        };
        add({.name = QStringLiteral("Font"), .id = dispid::Font, .type = FontType, .putParam = QStringLiteral("New_Font"),
             .help = QStringLiteral("Returns a Font object."), .category = QStringLiteral("Font"),
             .putKind = MemberKind::PropertyPutRef,
             .get = [](C& c) -> Result<Variant> { return Variant::fromObject(c.font()); },
             .store = [own](C& c, const Variant& v) -> Result<void> {
                 auto font = v.objectAs<Font>();
                 if (!font)
                     return Error(errc::TypeMismatch, QStringLiteral("Font takes a font object"));
                 c.setFontObject(own(c, std::move(font)));
                 return {};
             },
             .persistedName = QStringLiteral("font"),
             .defaultValue = [](C& c) { return Variant::fromObject(c.ambientFont()); },
             .saved = [](C& c) { return Variant::fromObject(c.m_font ? c.m_font : c.ambientFont()); },
             .load = [own](C& c, const Variant& v) -> Result<void> {
                 auto font = v.objectAs<Font>();
                 if (!font)
                     return Error(errc::TypeMismatch, QStringLiteral("The stored \"font\" is not a font"));
                 c.setFontObject(own(c, Font::create(font->description())));
                 return {};
             }},
            KeyType::FontText);

        add({.name = QStringLiteral("Enabled"), .id = ids::Enabled, .type = Flag, .putParam = QStringLiteral("New_Enabled"),
             .help = QStringLiteral("Returns/sets whether the control responds to the user."), .category = behaviour,
             .get = [](C& c) -> Result<Variant> { return Variant::fromBool(c.m_enabled); },
             .store = [](C& c, const Variant& v) -> Result<void> {
                 c.m_enabled = v.boolean();
                 c.widget()->setEnabled(c.m_enabled);
                 return {};
             },
             .persistedName = QStringLiteral("enabled"), .defaultValue = flag(true)},
            KeyType::Flag);
        // Shown or hidden while a host runs; a form being designed shows every control.
        add({.name = QStringLiteral("Visible"), .id = ids::Visible, .type = Flag, .putParam = QStringLiteral("New_Visible"),
             .help = QStringLiteral("Returns/sets whether the control is shown."), .category = behaviour,
             .get = [](C& c) -> Result<Variant> { return Variant::fromBool(c.m_visible); },
             .store = [](C& c, const Variant& v) -> Result<void> {
                 c.m_visible = v.boolean();
                 // A face not yet on a window is shown with it, not as a window of its own.
                 if (c.userMode() && c.widget()->parentWidget())
                     c.widget()->setVisible(c.m_visible);
                 return {};
             },
             .persistedName = QStringLiteral("visible"), .defaultValue = flag(true)},
            KeyType::Flag);
        add({.name = QStringLiteral("ToolTipText"), .id = ids::ToolTipText, .type = Str, .putParam = QStringLiteral("New_ToolTipText"),
             .help = QStringLiteral("Returns/sets the text shown when the mouse rests on the control."), .category = behaviour,
             .get = [](C& c) -> Result<Variant> { return Variant::fromString(c.m_toolTip); },
             .store = [](C& c, const Variant& v) -> Result<void> {
                 c.m_toolTip = v.string();
                 c.widget()->setToolTip(c.m_toolTip);
                 return {};
             },
             .persistedName = QStringLiteral("toolTip"), .defaultValue = text({})},
            KeyType::Text);
        out.tables.push_back(std::move(t));
    }
    return out;
}

namespace {

Result<Variant> fromJson(KeyType type, const QString& key, const QJsonValue& v, const BuiltInControl::Variables& variables)
{
    auto refused = [&key](const QString& what) { return Error(errc::InvalidArgument, QStringLiteral("%1 %2").arg(key, what)); };
    switch (type) {
    case KeyType::Text:
        if (!v.isString())
            return refused(QStringLiteral("takes a text"));
        return Variant::fromString(FormLoader::expand(v.toString(), variables));
    case KeyType::Flag:
        if (!v.isBool())
            return refused(QStringLiteral("takes true or false"));
        return Variant::fromBool(v.toBool());
    case KeyType::Colour: {
        bool ok = v.isDouble() && v.toDouble() == std::trunc(v.toDouble());
        qint64 c = v.toInteger();
        if (v.isString())
            c = FormLoader::expand(v.toString(), variables).toLongLong(&ok, 0);
        if (!ok || c < 0 || c > 0xFFFFFFFFll || !units::isValidOleColor(std::uint32_t(c)))
            return refused(QStringLiteral("is not a colour"));
        return Variant::fromI4(std::int32_t(std::uint32_t(c)));
    }
    case KeyType::FontText: {
        Result<Variant> font = varianttext::parseAll(FormLoader::expand(v.toString(), variables));
        if (!font)
            return Error(errc::InvalidArgument, QStringLiteral("%1: %2").arg(key, font.error().message()));
        if (!font->objectAs<Font>())
            return refused(QStringLiteral("is not a font"));
        return font;
    }
    }
    return refused(QStringLiteral("is not read"));
}

QJsonValue toJson(KeyType type, const Variant& v)
{
    switch (type) {
    case KeyType::Text: return v.string();
    case KeyType::Flag: return v.boolean();
    case KeyType::Colour: return qint64(std::uint32_t(v.i4()));
    case KeyType::FontText: return varianttext::format(v);
    }
    return {};
}

} // namespace

Result<PropertyBag> BuiltInControl::bagOf(Kind kind, const QJsonObject& entry, const Variables& variables)
{
    const BuiltInTables& tables = builtInTables();
    PropertyBag bag;
    for (const PersistedProperty& p : tables.tables[int(kind)].persisted())
        if (const auto v = entry.constFind(p.name); v != entry.constEnd())
            bag.set(p.name, VELLOC_TRY(fromJson(tables.keys.value(p.name), p.name, *v, variables)));
    return bag;
}

Result<QJsonObject> BuiltInControl::entryWith(QJsonObject entry, const Variables& variables)
{
    const BuiltInTables& tables = builtInTables();
    PropertyBag now;
    VELLOC_TRY_VOID(writeProperties(now));
    // What the entry gives, as the control would have read it; an entry that does not read
    // (a designer keeps such an entry as written) gives nothing to compare with.
    const Result<PropertyBag> read = bagOf(m_kind, entry, variables);
    const PropertyBag written = read ? read.value() : PropertyBag();
    for (const PersistedProperty& p : dispatch().persisted()) {
        const Variant fallback = p.defaultValue(*this);
        const Variant value = now.read(p.name, fallback);
        if (Variant::equalByValue(value, written.read(p.name, fallback)))
            continue;
        entry.insert(p.name, toJson(tables.keys.value(p.name), value));
    }
    return entry;
}

} // namespace velloc
