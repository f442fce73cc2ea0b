#pragma once

#include "cipher/ageopener.h"
#include "cipher/agesealer.h"
#include "cipher/ciphertypes.h"
#include "cipher/secrettext.h"
#include "velloc/core/error.h"

#include <optional>
#include <string>
#include <string_view>

namespace velpack {

// The sealed type in a file operation: every block read goes through one sealer or opener, and
// what comes out goes to the new file. Sealing stretches the passphrase when the first block
// arrives, after Statred; opening does when the header has come in. A block's output is ready to
// write before the next block is fed; an opened file is whole only once finish() succeeds.
class SealedFile {
public:
    SealedFile(cipher::Direction direction, std::string_view passphrase);
    ~SealedFile();
    SealedFile(const SealedFile&) = delete;
    SealedFile& operator=(const SealedFile&) = delete;

    velloc::Result<std::string_view> feed(std::string_view block);
    velloc::Result<std::string_view> finish();

private:
    velloc::Result<void> startSealing();
    void clearOutput();

    cipher::Direction m_direction;
    cipher::SecretText m_passphrase; // until the sealer has stretched it
    std::optional<cipher::AgeSealer> m_sealer;
    std::optional<cipher::AgeOpener> m_opener;
    std::string m_out;
};

} // namespace velpack
