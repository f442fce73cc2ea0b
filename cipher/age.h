#pragma once

#include "cipher/ciphertypes.h"

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

// The sealed format: age v1 (age-encryption.org/v1) with a passphrase recipient. The file key is
// wrapped under a scrypt key, the payload is ChaCha20-Poly1305 in chunks of 64 KiB, so the `age`
// tool opens what this library seals and the other way round.
namespace cipher {

// log2 of scrypt's N for new sealed data: what `age -p` writes.
inline constexpr int DefaultWorkFactor = 18;
// The most an opened header may ask for. scrypt with r = 8 takes 128 * 8 * 2^w bytes, so 2^20
// is 1 GiB and a few seconds; above that a hostile header could make a host spend gigabytes.
inline constexpr int MaxWorkFactor = 20;

// Plain bytes per payload chunk; each sealed chunk carries a 16-byte tag as well.
inline constexpr std::size_t AgeChunkSize = 64 * 1024;

// The one error number of sealed data that cannot be opened, in the range automation leaves to
// a component's own errors (0x80040200 + n), so that hosts can tell it from I/O errors.
inline constexpr int SealedDataError = static_cast<int>(0x80040201u);
inline constexpr int OutOfMemoryError = 7;

enum class AgeProblem {
    Refused,         // sealing refused: no usable passphrase or work factor (error 5)
    OutOfMemory,     // the key stretching could not get its memory (error 7)
    WrongPassphrase, // the passphrase does not unwrap the key, or no passphrase recipient
    Damaged,         // a header or chunk that fails to parse or authenticate; truncated or extended
    NotSealed,       // no sealed-format header at all
    TooCostly,       // the header asks for more key stretching than MaxWorkFactor
};

struct AgeError {
    AgeProblem problem = AgeProblem::Damaged;
    std::string message;

    int number() const
    {
        switch (problem) {
        case AgeProblem::Refused:
            return InvalidArgumentError;
        case AgeProblem::OutOfMemory:
            return OutOfMemoryError;
        default:
            return SealedDataError;
        }
    }
    CipherError cipherError() const { return CipherError{number(), message}; }
};

// The messages, one per problem; a detail, when given, follows in brackets.
AgeError ageError(AgeProblem problem, std::string_view detail = {});

template <typename T>
class [[nodiscard]] AgeResult {
public:
    AgeResult(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    AgeResult(AgeError error) : m_data(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_data.index() == 0; }
    T& value() { return std::get<0>(m_data); }
    const T& value() const { return std::get<0>(m_data); }
    const AgeError& error() const { return std::get<1>(m_data); }

private:
    std::variant<T, AgeError> m_data;
};

} // namespace cipher
