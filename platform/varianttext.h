#pragma once

#include "platform/variant.h"

#include <functional>
#include <memory>

namespace platform {

// The text forms of values shared by the scripting host and the property-bag files.
namespace varianttext {

enum class PictureForm {
    Size,   // picture:514x266, for people
    Data,   // picture:base64:..., for files
};

// One value as TYPE:VALUE: i2:294, bstr:"A\x00", bool:true, object:Velloc, font:"Tahoma" 9.75 400 u.
PLATFORM_EXPORT QString format(const Variant& value, PictureForm pictures = PictureForm::Size);
// A string as it appears inside bstr:"...".
PLATFORM_EXPORT QString quote(const QString& text);

// Resolves $NAME to an object for the scripting host; may be empty.
using ObjectResolver = std::function<Result<Variant>(const QString& name)>;

// Parses one stored value starting at `pos` (leading spaces skipped) and leaves `pos` after it:
// everything format() writes with PictureForm::Data and the inline literals ("text", 123,
// hex:4142, i2:N, font:"NAME" SIZE WEIGHT FLAGS, bool:true, empty, nothing). Stored text (a
// property bag, a window description) travels between people, so it holds values only: a file
// name (file:PATH, picture:PATH) or an object ($VAR) is refused, and nothing is read.
PLATFORM_EXPORT Result<Variant> parse(QStringView text, qsizetype& pos);
// Parses the whole text as one stored value.
PLATFORM_EXPORT Result<Variant> parseAll(QStringView text);

// The same for a script, written by the person who runs it: file:PATH reads the file's bytes,
// picture:PATH loads an image (each from a regular file of bounded size only) and $VAR names
// an object through `resolve`.
PLATFORM_EXPORT Result<Variant> parseScript(QStringView text, qsizetype& pos, const ObjectResolver& resolve = {});
PLATFORM_EXPORT Result<Variant> parseScriptAll(QStringView text, const ObjectResolver& resolve = {});

} // namespace varianttext
} // namespace platform
