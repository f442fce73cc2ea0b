#pragma once

#include "velloc/core/export.h"

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace velloc {

// Automation error numbers the runtime and the controls raise: the one list of them.
namespace errc {
inline constexpr int InvalidArgument = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int CannotLoadLibrary = 48;
inline constexpr int FileNotFound = 53;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int PathFileAccess = 75;
inline constexpr int ObjectNotSet = 91;
inline constexpr int InvalidUseOfNull = 94;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int PropertyReadOnly = 383;
inline constexpr int PropertyWriteOnly = 394;
inline constexpr int ObjectRequired = 424;
inline constexpr int CannotCreateObject = 429;
inline constexpr int NotSupported = 438;
inline constexpr int WrongArgumentCount = 450;
inline constexpr int EntryPointNotFound = 453;
inline constexpr int UnsupportedAutomationType = 458;
inline constexpr int CancelSelected = 32755;
// Sealed data that does not open (wrong passphrase, damaged, not sealed): a component's own
// number (0x80040201), apart from every I/O error.
inline constexpr int SealedDataRefused = static_cast<int>(0x80040201u);
} // namespace errc

// An automation error: its number and a message that names the problem.
class VELLOC_EXPORT Error {
public:
    Error() = default;
    Error(int number, QString message);
    explicit Error(int number);

    int number() const { return m_number; }
    const QString& message() const { return m_message; }

    // "Overflow", "Type mismatch", ... for the numbers the runtime knows.
    static QString standardMessage(int number);

private:
    int m_number = 0;
    QString m_message;
};

// A value or an error. Errors are values: functions that can fail return one of these.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_data(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_data); }
    const T& value() const& { return std::get<0>(m_data); }
    T&& value() && { return std::get<0>(std::move(m_data)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }

    const Error& error() const { return std::get<1>(m_data); }
    Error releaseError() { return std::get<1>(std::move(m_data)); }

private:
    std::variant<T, Error> m_data;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }
    Error releaseError() { return std::move(*m_error); }

private:
    std::optional<Error> m_error;
};

} // namespace velloc

// Early return of an error: VELLOC_TRY(expr) evaluates to the value of a Result<T>, or returns its error.
#define VELLOC_TRY(expr)                                      \
    ({                                                        \
        auto _try_result = (expr);                            \
        if (!_try_result.ok())                                \
            return _try_result.releaseError();                \
        std::move(_try_result).value();                       \
    })

#define VELLOC_TRY_VOID(expr)                                 \
    do {                                                      \
        auto _try_result = (expr);                            \
        if (!_try_result.ok())                                \
            return _try_result.releaseError();                \
    } while (0)
