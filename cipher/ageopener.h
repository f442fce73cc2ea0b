#pragma once

#include "cipher/age.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cipher {

// Opens sealed data that arrives in pieces, with a passphrase. The header is read as it comes; a
// work factor above MaxWorkFactor is refused before any key stretching. The plain text of a chunk
// is appended to the caller's string only once that chunk has authenticated, and whether the data
// ends where its last chunk says it does is known only at finish(): until then every byte given
// out is authentic, but the text may still turn out truncated, and the caller must not use it
// before finish() succeeds. After an error every further call reports the same error.
class AgeOpener {
public:
    explicit AgeOpener(std::string_view passphrase);
    AgeOpener(AgeOpener&&) noexcept;
    AgeOpener& operator=(AgeOpener&&) noexcept;
    ~AgeOpener();

    [[nodiscard]] std::optional<AgeError> write(std::string_view sealed, std::string& plain);
    [[nodiscard]] std::optional<AgeError> finish(std::string& plain);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Sealed data opened in pieces of `piece` bytes (all at once when 0), as a file operation feeds
// it: the plain text given out, which after an error holds only whole chunks that authenticated,
// and the error.
struct AgeOpened {
    std::string plain;
    std::optional<AgeError> error;
};
AgeOpened openInPieces(std::string_view sealed, std::string_view passphrase, std::size_t piece = 0);

} // namespace cipher
