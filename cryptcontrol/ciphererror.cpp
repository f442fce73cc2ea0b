#include "ciphererror.h"

#include "cipher/age.h"

namespace velpack {

// The cipher library depends on nothing, so it names its error numbers itself.
static_assert(cipher::InvalidArgumentError == velloc::errc::InvalidArgument);
static_assert(cipher::OutOfMemoryError == velloc::errc::OutOfMemory);
static_assert(cipher::SealedDataError == velloc::errc::SealedDataRefused);

velloc::Error toAutomationError(const cipher::CipherError& error)
{
    return velloc::Error(error.number, QString::fromStdString(error.message));
}

} // namespace velpack
