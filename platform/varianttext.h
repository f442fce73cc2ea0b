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

// Parses one value starting at `pos` (leading spaces skipped) and leaves `pos` after it.
// Accepts the literal forms ("text", 123, i2:N, hex:4142, file:PATH, picture:PATH,
// font:"NAME" SIZE WEIGHT FLAGS, bool:true, empty, nothing, $VAR) and everything format() writes.
PLATFORM_EXPORT Result<Variant> parse(QStringView text, qsizetype& pos, const ObjectResolver& resolve = {});

// Parses the whole text as one value.
PLATFORM_EXPORT Result<Variant> parseAll(QStringView text, const ObjectResolver& resolve = {});

} // namespace varianttext
} // namespace platform
