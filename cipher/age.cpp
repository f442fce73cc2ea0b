#include "cipher/age.h"

namespace cipher {

AgeError ageError(AgeProblem problem, std::string_view detail)
{
    std::string message;
    switch (problem) {
    case AgeProblem::Refused:
        message = "Cannot seal";
        break;
    case AgeProblem::OutOfMemory:
        message = "Not enough memory for the passphrase's key stretching";
        break;
    case AgeProblem::WrongPassphrase:
        message = "Wrong passphrase, or not sealed with a passphrase";
        break;
    case AgeProblem::Damaged:
        message = "The sealed data is damaged or truncated";
        break;
    case AgeProblem::NotSealed:
        message = "Not sealed data: the sealed format's header is missing";
        break;
    case AgeProblem::TooCostly:
        return AgeError{problem, "The sealed data asks for key stretching with work factor " + std::string(detail) +
                                     ", above the limit of " + std::to_string(MaxWorkFactor)};
    }
    if (!detail.empty())
        message.append(" (").append(detail).append(")");
    return AgeError{problem, std::move(message)};
}

} // namespace cipher
