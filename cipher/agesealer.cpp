#include "cipher/agesealer.h"

#include "cipher/agecrypto.h"
#include "cipher/ageheader.h"

#include <cassert>
#include <cstring>

namespace cipher {

using namespace age;

struct AgeSealer::State {
    SecretKey<KeySize> payloadKey;
    std::string header; // header and payload nonce, until the first output
    // The plain text of the chunk being filled; it is sealed once more text arrives or at the end.
    std::array<char, AgeChunkSize> chunk;
    std::size_t fill = 0;
    std::uint64_t counter = 0;
    bool finished = false;

    ~State() { wipeBytes(chunk.data(), chunk.size()); }

    void flushHeader(std::string& sealed)
    {
        if (header.empty())
            return;
        sealed += header;
        header.clear();
    }
};

AgeSealer::AgeSealer(std::unique_ptr<State> state) : m_state(std::move(state)) {}
AgeSealer::AgeSealer(AgeSealer&&) noexcept = default;
AgeSealer& AgeSealer::operator=(AgeSealer&&) noexcept = default;
AgeSealer::~AgeSealer() = default;

AgeResult<AgeSealer> AgeSealer::create(std::string_view passphrase, int workFactor)
{
    if (!initialise())
        return ageError(AgeProblem::Refused, "the random source is not available");
    if (passphrase.empty())
        return ageError(AgeProblem::Refused, "the passphrase is empty");
    if (workFactor < 1 || workFactor > MaxWorkFactor)
        return ageError(AgeProblem::Refused, "the work factor " + std::to_string(workFactor) + " is outside 1 to " +
                                                 std::to_string(MaxWorkFactor));

    auto state = std::make_unique<State>();
    if (!beginSealedData(passphrase, workFactor, state->header, state->payloadKey.span()))
        return ageError(AgeProblem::OutOfMemory);
    return AgeSealer(std::move(state));
}

void AgeSealer::write(std::string_view plain, std::string& sealed)
{
    State& s = *m_state;
    assert(!s.finished);
    s.flushHeader(sealed);
    while (!plain.empty()) {
        if (s.fill == AgeChunkSize) {
            sealChunk(s.payloadKey.bytes(), s.counter++, false, {s.chunk.data(), s.fill}, sealed);
            s.fill = 0;
        }
        // Whole chunks with more text behind them go straight from the caller's text.
        if (s.fill == 0 && plain.size() > AgeChunkSize) {
            sealChunk(s.payloadKey.bytes(), s.counter++, false, plain.substr(0, AgeChunkSize), sealed);
            plain.remove_prefix(AgeChunkSize);
            continue;
        }
        const std::size_t count = std::min(AgeChunkSize - s.fill, plain.size());
        std::memcpy(s.chunk.data() + s.fill, plain.data(), count);
        s.fill += count;
        plain.remove_prefix(count);
    }
}

void AgeSealer::finish(std::string& sealed)
{
    State& s = *m_state;
    assert(!s.finished);
    s.flushHeader(sealed);
    sealChunk(s.payloadKey.bytes(), s.counter++, true, {s.chunk.data(), s.fill}, sealed);
    s.fill = 0;
    s.finished = true;
}

} // namespace cipher
