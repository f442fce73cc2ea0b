#pragma once

#include "cipher/age.h"

#include <memory>
#include <string>
#include <string_view>

namespace cipher {

// Seals a text that arrives in pieces, for a passphrase. create() stretches the passphrase (about
// a second at the default work factor) and keeps only the derived payload key; write() seals each
// chunk as soon as it knows more text follows it, finish() seals the last one. Sealed bytes are
// appended to the caller's string, the header with the first call.
class AgeSealer {
public:
    static AgeResult<AgeSealer> create(std::string_view passphrase, int workFactor = DefaultWorkFactor);

    AgeSealer(AgeSealer&&) noexcept;
    AgeSealer& operator=(AgeSealer&&) noexcept;
    ~AgeSealer();

    void write(std::string_view plain, std::string& sealed);
    void finish(std::string& sealed);

private:
    struct State;
    explicit AgeSealer(std::unique_ptr<State> state);

    std::unique_ptr<State> m_state;
};

} // namespace cipher
