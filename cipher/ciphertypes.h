#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The types every cipher routine shares: a text of 8-bit codes (one char per code) in, a new
// text or a refusal out, and the explicit parameters in between. No Qt, no globals, no I/O.
namespace cipher {

using TextBlock = std::string;

enum class Direction { Encipher, Decipher };

// Automation error number for an invalid procedure call or argument: the number of every
// refusal a routine makes.
inline constexpr int InvalidArgumentError = 5;

// Automation-style error number (5: invalid procedure call or argument) and a message that
// names the problem.
struct CipherError {
    int number = InvalidArgumentError;
    std::string message;
};

struct [[nodiscard]] CipherResult {
    TextBlock text;
    bool cancelled = false;            // the progress callback asked the routine to stop
    std::optional<CipherError> error;  // set when the text cannot be processed

    bool ok() const { return !error && !cancelled; }
};

// A routine that has worked: its text, no error.
inline CipherResult Completed(TextBlock text)
{
    CipherResult result;
    result.text = std::move(text);
    return result;
}

// A refusal: no text, error 5 and a message naming the problem.
inline CipherResult Refused(std::string message)
{
    CipherResult result;
    result.error = CipherError{InvalidArgumentError, std::move(message)};
    return result;
}

// Called by the run-length routines at each progress point with the position (from 1) of
// the last character consumed. Returning false ends the routine with an empty, cancelled
// result.
using ProgressPoint = std::function<bool(std::int64_t position)>;

// The control's key until a host sets one; everyone knows it, so it protects nothing.
inline constexpr std::string_view DefaultKey = "Harbour Lanterns";

struct CipherParams {
    std::string_view key = DefaultKey;           // never empty when it comes from the control
    std::uint8_t ceaserOffset = 30;
    ProgressPoint progress;                      // may be empty
};

using CipherRoutine = CipherResult (*)(std::string_view text, const CipherParams& params);

// The block size of the file operations and the progress step of the run-length routines.
inline constexpr std::int64_t BlockSize = 10000;

} // namespace cipher
