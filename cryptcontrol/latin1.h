#pragma once

#include "velloc/core/error.h"

#include <string>
#include <string_view>

namespace velpack {

// Text crossing the control's interface is ISO-8859-1: character U+00nn is byte nn. A
// character above U+00FF has no byte; `what` names the text in the error.
velloc::Result<std::string> toBytes(const QString& text, const char* what);
QString fromBytes(std::string_view bytes);

} // namespace velpack
