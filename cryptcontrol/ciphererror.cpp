#include "ciphererror.h"

namespace velpack {

// The cipher library depends on nothing, so it names its one error number itself.
static_assert(cipher::InvalidArgumentError == velloc::errc::InvalidArgument);

velloc::Error toAutomationError(const cipher::CipherError& error)
{
    return velloc::Error(error.number, QString::fromStdString(error.message));
}

} // namespace velpack
