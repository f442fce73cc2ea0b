// The sealed type's costs apart: the passphrase's key stretching at the work factor new files get,
// and the payload sealed and opened in the file operations' blocks, beside the Standard cipher on
// the same blocks, in the same run.
#include "cipher/agecrypto.h"
#include "cipher/ageopener.h"
#include "cipher/agesealer.h"
#include "cipher/sealedtext.h"
#include "cipher/standardcipher.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

using namespace cipher;

namespace {

constexpr std::size_t Size = std::size_t(64) << 20;
constexpr std::size_t Block = std::size_t(BlockSize);
constexpr std::string_view Passphrase = "Tide tables for the northern quay";
// The payload's cost alone: the stretching at this factor takes microseconds.
constexpr int CheapWorkFactor = 1;

const std::string& plainText()
{
    static const std::string text = [] {
        std::mt19937_64 random(2024);
        std::string t(Size, '\0');
        for (std::size_t i = 0; i + 8 <= t.size(); i += 8) {
            const std::uint64_t word = random();
            std::memcpy(t.data() + i, &word, 8);
        }
        return t;
    }();
    return text;
}

void KeyStretching(benchmark::State& state)
{
    age::initialise();
    const std::array<unsigned char, age::SaltSize> salt{};
    std::array<unsigned char, age::KeySize> key{};
    for (auto _ : state) {
        if (!age::scryptKey(Passphrase, salt, int(state.range(0)), key))
            state.SkipWithError("scrypt could not get its memory");
        benchmark::DoNotOptimize(key.data());
    }
}

void StandardBlocks(benchmark::State& state)
{
    const std::string& plain = plainText();
    CipherParams params;
    std::string out;
    out.reserve(plain.size());
    for (auto _ : state) {
        out.clear();
        for (std::size_t at = 0; at < plain.size(); at += Block)
            out += StandardCipher(std::string_view(plain).substr(at, Block), params).text;
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(plain.size()));
}

void SealBlocks(benchmark::State& state)
{
    const std::string& plain = plainText();
    std::string out;
    out.reserve(plain.size() + plain.size() / 1000);
    for (auto _ : state) {
        out.clear();
        AgeResult<AgeSealer> sealer = AgeSealer::create(Passphrase, CheapWorkFactor);
        for (std::size_t at = 0; at < plain.size(); at += Block)
            sealer.value().write(std::string_view(plain).substr(at, Block), out);
        sealer.value().finish(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(plain.size()));
}

void OpenBlocks(benchmark::State& state)
{
    static const std::string sealed = SealText(plainText(), Passphrase, CheapWorkFactor).value();
    std::string out;
    out.reserve(plainText().size());
    for (auto _ : state) {
        out.clear();
        AgeOpener opener(Passphrase);
        for (std::size_t at = 0; at < sealed.size(); at += Block) {
            if (opener.write(std::string_view(sealed).substr(at, Block), out))
                state.SkipWithError("the sealed text did not open");
        }
        if (opener.finish(out))
            state.SkipWithError("the sealed text did not open");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(plainText().size()));
}

} // namespace

BENCHMARK(KeyStretching)->Arg(DefaultWorkFactor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(StandardBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(SealBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenBlocks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
