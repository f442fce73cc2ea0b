// Throughput of every cipher routine on one block of the file operations and on a 64 MiB text,
// beside memcpy of the same number of bytes as the reference.
#include "cipher/cipher.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <malloc.h>
#include <string_view>
#include <random>
#include <string>

using namespace cipher;

namespace {

constexpr std::size_t Block = static_cast<std::size_t>(BlockSize);
constexpr std::size_t Large = std::size_t(64) << 20;

// Something like a file: printable characters and line breaks, with now and then a run of
// spaces, zeros or dashes of 3 to 40 characters, as padding and rules in real files have.
std::string fileLikeText(std::size_t size)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> printable(32, 126);
    std::uniform_int_distribution<int> every(0, 199);
    std::uniform_int_distribution<int> runLength(3, 40);
    static constexpr char RunCharacters[] = {' ', '\0', '-'};
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        const int roll = every(random);
        if (roll == 0)
            text.append(std::size_t(runLength(random)), RunCharacters[random() % 3]);
        else if (roll == 1)
            text += "\r\n";
        else
            text.push_back(static_cast<char>(printable(random)));
    }
    text.resize(size);
    return text;
}

const std::string& plainText(std::size_t size)
{
    static const std::string block = fileLikeText(Block);
    static const std::string large = fileLikeText(Large);
    return size == Block ? block : large;
}

// What a deciphering routine reads: the plain text enciphered and, where that comes out
// longer, cut the way the file operations cut it, after whole codes.
std::string encipheredText(const CipherType& type, std::size_t size, const CipherParams& params)
{
    std::string text = type.encipher(plainText(size), params).text;
    if (text.size() > size)
        text.resize(size / type.codeLength * type.codeLength);
    return text;
}

void Memcpy(benchmark::State& state)
{
    const std::string& source = plainText(std::size_t(state.range(0)));
    std::string target(source.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(source.size()));
}

// The least any routine can do: a new text holding a copy of its input.
void CopyToNewText(benchmark::State& state)
{
    const std::string& source = plainText(std::size_t(state.range(0)));
    for (auto _ : state) {
        TextBlock copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(source.size()));
}

CipherParams benchParams()
{
    CipherParams params;
    params.key = "Harbour Lanterns";
    params.ceaserOffset = 30;
    params.progress = [](std::int64_t) { return true; };
    return params;
}

void runRoutine(benchmark::State& state, const CipherType& type, Direction direction)
{
    const CipherParams params = benchParams();
    const std::size_t size = std::size_t(state.range(0));
    const std::string text = direction == Direction::Encipher ? plainText(size) : encipheredText(type, size, params);
    const CipherRoutine routine = direction == Direction::Encipher ? type.encipher : type.decipher;
    for (auto _ : state) {
        CipherResult result = routine(text, params);
        if (!result.ok()) {
            state.SkipWithError("the routine refused its benchmark text");
            break;
        }
        benchmark::DoNotOptimize(result.text.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    // cipher_table.py holds the length-preserving routines to memcpy, the others to a floor,
    // and lists them in catalogue order.
    state.counters["preserves_length"] = type.preservesLength ? 1 : 0;
    state.counters["place"] = double(type.number()) * 2 + (direction == Direction::Decipher ? 1 : 0);
}

// Every type in the catalogue: a routine that serves both directions once, as NameCipher,
// otherwise NameEncode and NameDecode.
void registerAll()
{
    for (std::int64_t size : {std::int64_t(Block), std::int64_t(Large)}) {
        benchmark::RegisterBenchmark("Memcpy", Memcpy)->Arg(size);
        benchmark::RegisterBenchmark("CopyToNewText", CopyToNewText)->Arg(size);
        for (const CipherType& type : catalogue()) {
            if (type.feed == Feed::Stream)
                continue; // sealed_bench measures the sealed type, its key stretching apart
            const std::string name(type.name);
            auto add = [&](const std::string& benchName, Direction direction) {
                benchmark::RegisterBenchmark(benchName.c_str(), [&type, direction](benchmark::State& state) {
                    runRoutine(state, type, direction);
                })->Arg(size);
            };
            if (type.encipher == type.decipher) {
                add(name + "Cipher", Direction::Encipher);
            } else {
                add(name + "Encode", Direction::Encipher);
                add(name + "Decode", Direction::Decipher);
            }
        }
    }
}

} // namespace

// By default large blocks stay in the heap once freed, so a 64 MiB result lands in memory the
// process already touched. Left to glibc's defaults (--fresh_heap), each 64 MiB block is a new
// mapping and the first write to each of its pages is a page fault; that cost, the same for
// every routine and for a plain copy into a new text, then outweighs the routines themselves.
void keepLargeBlocksInHeap()
{
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

int main(int argc, char** argv)
{
    bool freshHeap = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--fresh_heap")
            freshHeap = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (!freshHeap)
        keepLargeBlocksInHeap();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
