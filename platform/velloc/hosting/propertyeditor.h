#pragma once

#include "velloc/core/export.h"
#include "velloc/core/typeinfo.h"
#include "velloc/core/variant.h"

#include <functional>
#include <optional>

class QWidget;

namespace velloc {

// What a property holds, as its declared type tells: the key its editor is found by.
enum class ValueKind { Text, Number, Enum, Bool, Color, Font, Picture, File, Object };

// A property as its editors see it: the kind, the enumeration's names and a number's range.
struct VELLOC_EXPORT PropertyType {
    QString name;
    TypeRef type;
    ValueKind kind = ValueKind::Text;
    QList<EnumInfo::Value> values;
    std::int64_t minimum = 0; // whole numbers and enumerations: what the declared type holds
    std::int64_t maximum = 0;

    // A property of a type library; an alias naming one of `enums` makes it an enumeration.
    static PropertyType of(const MemberInfo& member, const QList<EnumInfo>& enums = {});
    // A string property whose name says it holds a file's path ("FileName", "Path", "File").
    static bool namesFile(const QString& name);
};

// The editor of one kind of value: how a value is shown and read back as text, the widget
// that edits it in place, and the dialog that chooses one. The property browser and the
// standard property pages find theirs here, by kind, so each kind is edited one way.
class VELLOC_EXPORT PropertyEditor {
public:
    virtual ~PropertyEditor();

    static const PropertyEditor& forKind(ValueKind kind);
    static const PropertyEditor& of(const PropertyType& type) { return forKind(type.kind); }

    virtual QString display(const PropertyType& type, const Variant& value) const = 0;
    // The value a typed text stands for, or an error that names the property and what it takes.
    virtual Result<Variant> parse(const PropertyType& type, const QString& text) const = 0;

    // The in-place editor, opening on the shown text: a line, a list, or a line with a "..."
    // button that calls `choose` when the kind has a dialog.
    virtual QWidget* createEditor(const PropertyType& type, QWidget* parent, std::function<void()> choose) const;
    static void setEditorText(QWidget* editor, const QString& text);
    static QString editorText(QWidget* editor);

    virtual bool hasChooser() const { return false; }
    // Opens the kind's dialog at `current`. The value chosen; nothing when the dialog was
    // cancelled or only confirmed (what it opened at is what it gave back).
    virtual Result<std::optional<Variant>> choose(const PropertyType& type, const Variant& current, const QString& title,
                                                  QWidget* owner) const;
};

} // namespace velloc
