#include "velloc/core/error.h"

namespace velloc {

Error::Error(int number, QString message)
    : m_number(number)
    , m_message(message.isEmpty() ? standardMessage(number) : std::move(message))
{
}

Error::Error(int number)
    : Error(number, QString())
{
}

QString Error::standardMessage(int number)
{
    switch (number) {
    case errc::InvalidArgument: return QStringLiteral("Invalid procedure call or argument");
    case errc::Overflow: return QStringLiteral("Overflow");
    case errc::OutOfMemory: return QStringLiteral("Out of memory");
    case errc::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case errc::TypeMismatch: return QStringLiteral("Type mismatch");
    case errc::CannotLoadLibrary: return QStringLiteral("Error in loading DLL");
    case errc::FileNotFound: return QStringLiteral("File not found");
    case errc::DiskFull: return QStringLiteral("Disk full");
    case errc::InputPastEndOfFile: return QStringLiteral("Input past end of file");
    case errc::PathFileAccess: return QStringLiteral("Path/File access error");
    case errc::ObjectNotSet: return QStringLiteral("Object variable not set");
    case errc::InvalidUseOfNull: return QStringLiteral("Invalid use of Null");
    case errc::InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case errc::PropertyReadOnly: return QStringLiteral("Property is read-only");
    case errc::PropertyWriteOnly: return QStringLiteral("Property is write-only");
    case errc::ObjectRequired: return QStringLiteral("Object required");
    case errc::CannotCreateObject: return QStringLiteral("Cannot create object");
    case errc::NotSupported: return QStringLiteral("Object doesn't support this property or method");
    case errc::WrongArgumentCount: return QStringLiteral("Wrong number of arguments or invalid property assignment");
    case errc::EntryPointNotFound: return QStringLiteral("Can't find DLL entry point");
    case errc::UnsupportedAutomationType: return QStringLiteral("Variable uses an Automation type not supported");
    case errc::CancelSelected: return QStringLiteral("Cancel was selected.");
    case errc::SealedDataRefused: return QStringLiteral("The sealed data cannot be opened");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

} // namespace velloc
