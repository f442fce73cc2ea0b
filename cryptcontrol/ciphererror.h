#pragma once

#include "cipher/ciphertypes.h"
#include "velloc/core/error.h"

namespace velpack {

// A cipher routine's refusal as the automation error the control raises: its number and its
// message as they stand.
velloc::Error toAutomationError(const cipher::CipherError& error);

} // namespace velpack
