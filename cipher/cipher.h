#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The cipher routines: pure functions from a text of 8-bit codes (one char per code) and
// explicit parameters to a new text. No Qt, no globals, no I/O.
namespace cipher {

using TextBlock = std::string;

enum class Direction { Encipher, Decipher };

// Automation-style error number (5: invalid procedure call or argument) and a message that
// names the problem.
struct CipherError {
    int number = 5;
    std::string message;
};

struct [[nodiscard]] CipherResult {
    TextBlock text;
    bool cancelled = false;            // the progress callback asked the routine to stop
    std::optional<CipherError> error;  // set when the text cannot be processed

    bool ok() const { return !error && !cancelled; }
};

// Called by the run-length routines at each progress point with the position (from 1) of
// the last character consumed. Returning false ends the routine with an empty, cancelled
// result.
using ProgressPoint = std::function<bool(std::int64_t position)>;

struct CipherParams {
    std::string_view key = "Harbour Lanterns";  // never empty when it comes from the control
    std::uint8_t ceaserOffset = 30;
    ProgressPoint progress;                      // may be empty
};

using CipherRoutine = CipherResult (*)(std::string_view text, const CipherParams& params);

// The one selection rule from a cipher type and a direction to a routine. Returns nullptr for
// the types 10 to 255, whose text passes unchanged.
CipherRoutine CipherFor(std::uint8_t protectionType, Direction direction);

// The block size of the file operations and the progress step of the run-length routines.
inline constexpr std::int64_t BlockSize = 10000;

// XOR with the key, walked from its last character to its first; its own inverse.
CipherResult StandardCipher(std::string_view text, const CipherParams& params);

} // namespace cipher
