#pragma once

#include "velloc/core/variant.h"

#include <functional>
#include <memory>

namespace velloc {

// The text forms of values shared by the scripting host and the property-bag files.
namespace varianttext {

enum class PictureForm {
    Size,   // picture:514x266, for people
    Data,   // picture:base64:..., for files
};

// One value as TYPE:VALUE: i2:294, bstr:"A\x00", bool:true, object:Velloc, font:"Tahoma" 9.75 400 u.
VELLOC_EXPORT QString format(const Variant& value, PictureForm pictures = PictureForm::Size);
// A string as it appears inside bstr:"...".
VELLOC_EXPORT QString quote(const QString& text);

// Resolves $NAME to an object for the scripting host; may be empty.
using ObjectResolver = std::function<Result<Variant>(const QString& name)>;

// Which literals a text may hold. One parser reads both; the script forms are only switched on.
enum class Literals {
    // Stored text (a property bag, a window description) travels between people, so it holds
    // values only: everything format() writes with PictureForm::Data and the inline literals
    // ("text", 123, hex:4142, i2:N, font:"NAME" SIZE WEIGHT FLAGS, bool:true, empty, nothing).
    // A file name (file:PATH, picture:PATH) or an object ($VAR) is refused, and nothing is read.
    Stored,
    // A script, written by the person who runs it, also takes file:PATH (the file's bytes) and
    // picture:PATH (an image), each from a regular file of bounded size only, and $VAR, an
    // object named through the resolver.
    Script,
};

// Parses one value starting at `pos` (leading spaces skipped) and leaves `pos` after it.
VELLOC_EXPORT Result<Variant> parse(QStringView text, qsizetype& pos, Literals literals = Literals::Stored,
                                      const ObjectResolver& resolve = {});
// Parses the whole text as one value.
VELLOC_EXPORT Result<Variant> parseAll(QStringView text, Literals literals = Literals::Stored,
                                         const ObjectResolver& resolve = {});

inline Result<Variant> parseScriptAll(QStringView text, const ObjectResolver& resolve = {})
{
    return parseAll(text, Literals::Script, resolve);
}

// A whole number as the literals write it: decimal, or hexadecimal after 0x, either one
// negative; a leading zero does not make it octal. `what` names the number in the error, which
// is Overflow when the number lies outside [min, max].
VELLOC_EXPORT Result<qint64> parseWholeNumber(QStringView digits, qint64 min, qint64 max, const QString& what);

} // namespace varianttext
} // namespace velloc
