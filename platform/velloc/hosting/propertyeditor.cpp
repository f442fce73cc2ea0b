#include "velloc/hosting/propertyeditor.h"

#include "velloc/core/units.h"
#include "velloc/hosting/services.h"
#include "velloc/store/font.h"
#include "velloc/store/picture.h"
#include "velloc/store/varianttext.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include <cmath>
#include <limits>

namespace velloc {

namespace {

bool isAnyOf(const QString& alias, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (alias.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::pair<std::int64_t, std::int64_t> rangeOf(VarType vt)
{
    switch (vt) {
    case VarType::UI1:
        return {0, 255};
    case VarType::I2:
        return {std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()};
    default:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    }
}

// Whatever a value is, some text: the value's own if it has one, else the scripting form.
QString plain(const Variant& value)
{
    if (value.type() == VarType::BStr)
        return value.string();
    Result<QString> s = value.toString();
    return s ? *s : varianttext::format(value);
}

QString objectText(const Variant& value)
{
    return value.isNothing() ? QStringLiteral("(None)") : varianttext::format(value);
}

bool isNone(const QString& t)
{
    return t.isEmpty() || t == QLatin1String("(None)") || t == QLatin1String("nothing");
}

Result<std::int64_t> wholeNumber(const PropertyType& type, const QString& text)
{
    // The automation coercion, so that " 12 " and "12.5" read as the control's own put reads them.
    Result<double> n = Variant::fromString(text.trimmed()).toR8();
    if (n && *n >= double(type.minimum) - 0.5 && *n <= double(type.maximum) + 0.5) {
        const auto rounded = std::int64_t(std::nearbyint(*n));
        if (rounded >= type.minimum && rounded <= type.maximum)
            return rounded;
    }
    return Error(n ? errc::Overflow : errc::TypeMismatch,
                 QStringLiteral("%1 takes a whole number from %2 to %3").arg(type.name).arg(type.minimum).arg(type.maximum));
}

Variant ofType(VarType vt, std::int64_t n)
{
    switch (vt) {
    case VarType::UI1:
        return Variant::fromUI1(std::uint8_t(n));
    case VarType::I2:
        return Variant::fromI2(std::int16_t(n));
    default:
        return Variant::fromI4(std::int32_t(n));
    }
}

class TextEditor : public PropertyEditor {
public:
    QString display(const PropertyType&, const Variant& value) const override { return plain(value); }
    // The control's own put coerces the text to its declared type, and refuses what does not fit.
    Result<Variant> parse(const PropertyType&, const QString& text) const override { return Variant::fromString(text); }
};

class NumberEditor final : public PropertyEditor {
public:
    QString display(const PropertyType&, const Variant& value) const override { return plain(value); }
    Result<Variant> parse(const PropertyType& type, const QString& text) const override
    {
        return ofType(type.type.vt, VELLOC_TRY(wholeNumber(type, text)));
    }
};

class EnumEditor final : public PropertyEditor {
public:
    QString display(const PropertyType& type, const Variant& value) const override
    {
        Result<std::int32_t> n = value.toI4();
        if (!n)
            return varianttext::format(value);
        for (const EnumInfo::Value& v : type.values)
            if (v.value == *n)
                return QStringLiteral("%1 - %2").arg(v.value).arg(v.name);
        return QString::number(*n);
    }
    // A name, a number the type holds ("200"), or an entry of the list as shown ("5 - VX1").
    Result<Variant> parse(const PropertyType& type, const QString& text) const override
    {
        const QString t = text.trimmed();
        for (const EnumInfo::Value& v : type.values)
            if (v.name.compare(t, Qt::CaseInsensitive) == 0)
                return ofType(type.type.vt, v.value);
        const QString number = t.section(QLatin1Char(' '), 0, 0);
        if (Result<std::int64_t> n = wholeNumber(type, number); n && !number.isEmpty())
            return ofType(type.type.vt, *n);
        return Error(errc::TypeMismatch, QStringLiteral("%1 takes a number from %2 to %3 or one of the names of %4")
                                             .arg(type.name).arg(type.minimum).arg(type.maximum).arg(type.type.alias));
    }
    QWidget* createEditor(const PropertyType& type, QWidget* parent, std::function<void()>) const override
    {
        auto* box = new QComboBox(parent);
        for (const EnumInfo::Value& v : type.values) {
            box->addItem(QStringLiteral("%1 - %2").arg(v.value).arg(v.name));
            box->setItemData(box->count() - 1, v.help, Qt::ToolTipRole);
        }
        // The names are the usual values, not the only ones: a control may store any number its
        // type holds, typed in as it stands.
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        box->setToolTip(QStringLiteral("A name from the list, or a number as the property takes it"));
        return box;
    }
};

class BoolEditor final : public PropertyEditor {
public:
    QString display(const PropertyType&, const Variant& value) const override
    {
        Result<bool> b = value.toBool();
        return b ? (*b ? QStringLiteral("True") : QStringLiteral("False")) : varianttext::format(value);
    }
    Result<Variant> parse(const PropertyType& type, const QString& text) const override
    {
        const QString t = text.trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return Variant::fromBool(true);
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return Variant::fromBool(false);
        return Error(errc::TypeMismatch, QStringLiteral("%1 takes True or False").arg(type.name));
    }
    QWidget* createEditor(const PropertyType&, QWidget* parent, std::function<void()>) const override
    {
        auto* box = new QComboBox(parent);
        box->addItems({QStringLiteral("True"), QStringLiteral("False")});
        return box;
    }
};

class ColorEditor final : public PropertyEditor {
public:
    QString display(const PropertyType&, const Variant& value) const override
    {
        Result<std::int32_t> n = value.toI4();
        return n ? QStringLiteral("&H%1&").arg(std::uint32_t(*n), 8, 16, QLatin1Char('0')).toUpper() : varianttext::format(value);
    }
    // &H00C00000& and 0xC00000 are hexadecimal, as are digits with a letter among them (c00000);
    // plain digits are decimal (255 is red).
    Result<Variant> parse(const PropertyType& type, const QString& text) const override
    {
        QString digits = text.trimmed();
        int base = 16;
        if (digits.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
            digits = digits.mid(2);
            if (digits.endsWith(QLatin1Char('&')))
                digits.chop(1);
        } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
            digits = digits.mid(2);
        } else if (std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c.isDigit(); })) {
            base = 10;
        }
        bool ok = false;
        const qulonglong n = digits.toULongLong(&ok, base);
        if (!ok || digits.size() > (base == 16 ? 8 : 10) || n > 0xFFFFFFFFull || !units::isValidOleColor(std::uint32_t(n)))
            return Error(errc::TypeMismatch,
                         QStringLiteral("%1 takes a colour such as &H000000FF& or 255, or a system colour &H80000000& to &H8000001E&")
                             .arg(type.name));
        return Variant::fromI4(std::int32_t(std::uint32_t(n)));
    }
    bool hasChooser() const override { return true; }
    Result<std::optional<Variant>> choose(const PropertyType&, const Variant& current, const QString& title,
                                          QWidget* owner) const override
    {
        Result<std::int32_t> ole = current.toI4();
        const QColor initial = ole ? units::toQColor(std::uint32_t(*ole)) : QColor(Qt::black);
        const std::optional<QColor> chosen = services::chooseColor(initial, title, owner);
        if (!chosen || !chosen->isValid() || chosen->rgb() == initial.rgb())
            return std::optional<Variant>();
        return std::optional(Variant::fromI4(chosen->red() | chosen->green() << 8 | chosen->blue() << 16));
    }
};

class ObjectEditor : public PropertyEditor {
public:
    QString display(const PropertyType&, const Variant& value) const override { return objectText(value); }
    Result<Variant> parse(const PropertyType&, const QString& text) const override
    {
        const QString t = text.trimmed();
        if (t == QLatin1String("(None)"))
            return Variant::nothing();
        return varianttext::parseAll(t);
    }
};

class FontEditor final : public ObjectEditor {
public:
    bool hasChooser() const override { return true; }
    Result<std::optional<Variant>> choose(const PropertyType&, const Variant& current, const QString& title,
                                          QWidget* owner) const override
    {
        std::shared_ptr<Font> font = current.objectAs<Font>();
        // In the control's own terms ("MS Sans Serif" 8.25), not as drawn on this screen.
        QFont initial;
        if (font) {
            const Font::Description& d = font->description();
            initial = QFont(d.name);
            initial.setPointSizeF(d.size);
            initial.setBold(d.weight >= 600);
            initial.setItalic(d.italic);
            initial.setUnderline(d.underline);
            initial.setStrikeOut(d.strikethrough);
        }
        const std::optional<QFont> chosen = services::chooseFont(initial, title, owner);
        if (!chosen || *chosen == initial)
            return std::optional<Variant>();
        Font::Description d = font ? font->description() : Font::Description();
        d.name = chosen->family();
        d.size = chosen->pointSizeF();
        // A weight the control holds (500, say) stays unless bold itself was changed.
        if (chosen->bold() != (d.weight >= 600))
            d.weight = chosen->bold() ? 700 : 400;
        d.italic = chosen->italic();
        d.underline = chosen->underline();
        d.strikethrough = chosen->strikeOut();
        return std::optional(Variant::fromObject(Font::create(d)));
    }
};

class PictureEditor final : public PropertyEditor {
public:
    QString display(const PropertyType&, const Variant& value) const override { return objectText(value); }
    // A file's path loads the picture; "picture:" is the scripting form of one.
    Result<Variant> parse(const PropertyType&, const QString& text) const override
    {
        const QString t = text.trimmed();
        if (isNone(t))
            return Variant::nothing();
        if (t.startsWith(QLatin1String("picture:")))
            return varianttext::parseAll(t);
        return Variant::fromObject(VELLOC_TRY(Picture::load(t)));
    }
    bool hasChooser() const override { return true; }
    Result<std::optional<Variant>> choose(const PropertyType&, const Variant&, const QString& title, QWidget* owner) const override
    {
        services::FileDialogRequest request;
        request.title = title;
        request.filter = QStringLiteral("All Picture Files|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.ico|All Files (*.*)|*.*");
        request.owner = owner;
        const std::optional<QString> path = services::openFileDialog(request);
        if (!path)
            return std::optional<Variant>();
        return std::optional(Variant::fromObject(VELLOC_TRY(Picture::load(*path))));
    }
};

class FileEditor final : public TextEditor {
public:
    bool hasChooser() const override { return true; }
    Result<std::optional<Variant>> choose(const PropertyType&, const Variant& current, const QString& title,
                                          QWidget* owner) const override
    {
        services::FileDialogRequest request;
        request.title = title;
        request.fileName = current.type() == VarType::BStr ? current.string() : QString();
        request.filter = QStringLiteral("All Files (*.*)|*.*");
        request.owner = owner;
        const std::optional<QString> path = services::openFileDialog(request);
        if (!path || *path == request.fileName)
            return std::optional<Variant>();
        return std::optional(Variant::fromString(*path));
    }
};

QLineEdit* lineOf(QWidget* editor)
{
    if (auto* own = qobject_cast<QLineEdit*>(editor))
        return own;
    return qobject_cast<QComboBox*>(editor) ? nullptr : editor->findChild<QLineEdit*>();
}

} // namespace

PropertyType PropertyType::of(const MemberInfo& member, const QList<EnumInfo>& enums)
{
    PropertyType t;
    t.name = member.name;
    t.type = member.result;
    const QString& alias = member.result.alias;
    const VarType vt = member.result.vt;
    const bool whole = vt == VarType::I2 || vt == VarType::I4 || vt == VarType::UI1;
    std::tie(t.minimum, t.maximum) = rangeOf(vt);
    for (const EnumInfo& e : enums)
        if (!alias.isEmpty() && e.name == alias) {
            t.kind = ValueKind::Enum;
            t.values = e.values;
            return t;
        }
    if (vt == VarType::Bool)
        t.kind = ValueKind::Bool;
    else if (isAnyOf(alias, {"OLE_COLOR"}))
        t.kind = ValueKind::Color;
    else if (vt == VarType::Dispatch && (member.id == dispid::Font || isAnyOf(alias, {"Font", "IFontDisp", "StdFont"})))
        t.kind = ValueKind::Font;
    else if (vt == VarType::Dispatch && isAnyOf(alias, {"Picture", "IPictureDisp", "StdPicture"}))
        t.kind = ValueKind::Picture;
    else if (vt == VarType::Dispatch)
        t.kind = ValueKind::Object;
    else if (vt == VarType::BStr && namesFile(member.name))
        t.kind = ValueKind::File;
    else if (whole)
        t.kind = ValueKind::Number;
    return t;
}

bool PropertyType::namesFile(const QString& name)
{
    return name.contains(QLatin1String("file"), Qt::CaseInsensitive) || name.contains(QLatin1String("path"), Qt::CaseInsensitive);
}

PropertyEditor::~PropertyEditor() = default;

const PropertyEditor& PropertyEditor::forKind(ValueKind kind)
{
    static const TextEditor text;
    static const NumberEditor number;
    static const EnumEditor enumeration;
    static const BoolEditor boolean;
    static const ColorEditor color;
    static const FontEditor font;
    static const PictureEditor picture;
    static const FileEditor file;
    static const ObjectEditor object;
    switch (kind) {
    case ValueKind::Text: return text;
    case ValueKind::Number: return number;
    case ValueKind::Enum: return enumeration;
    case ValueKind::Bool: return boolean;
    case ValueKind::Color: return color;
    case ValueKind::Font: return font;
    case ValueKind::Picture: return picture;
    case ValueKind::File: return file;
    case ValueKind::Object: return object;
    }
    return text;
}

QWidget* PropertyEditor::createEditor(const PropertyType&, QWidget* parent, std::function<void()> choose) const
{
    if (!hasChooser() || !choose)
        return new QLineEdit(parent);
    auto* holder = new QWidget(parent);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* line = new QLineEdit(holder);
    layout->addWidget(line);
    auto* more = new QToolButton(holder);
    more->setObjectName(QStringLiteral("choose"));
    more->setText(QStringLiteral("..."));
    more->setToolTip(QStringLiteral("Choose..."));
    layout->addWidget(more);
    holder->setFocusProxy(line);
    QObject::connect(more, &QToolButton::clicked, holder, std::move(choose));
    return holder;
}

void PropertyEditor::setEditorText(QWidget* editor, const QString& text)
{
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const int index = box->findText(text);
        if (index >= 0 || !box->isEditable())
            box->setCurrentIndex(std::max(0, index));
        else
            box->setEditText(text);
    } else if (QLineEdit* line = lineOf(editor)) {
        line->setText(text);
    }
}

QString PropertyEditor::editorText(QWidget* editor)
{
    if (auto* box = qobject_cast<QComboBox*>(editor))
        return box->currentText();
    QLineEdit* line = lineOf(editor);
    return line ? line->text() : QString();
}

Result<std::optional<Variant>> PropertyEditor::choose(const PropertyType&, const Variant&, const QString&, QWidget*) const
{
    return std::optional<Variant>();
}

} // namespace velloc
