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

// Prose for the codebook cipher: covered characters and a few capitals.
std::string codebookText(std::size_t size)
{
    const auto entries = String1Codebook::entries();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, entries.size() - 1);
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        char c = entries[pick(random)].plain;
        if (c >= 'a' && c <= 'z' && random() % 20 == 0)
            c = static_cast<char>(c - 'a' + 'A');
        text.push_back(c);
    }
    return text;
}

const std::string& plainText(std::size_t size)
{
    static const std::string block = fileLikeText(Block);
    static const std::string large = fileLikeText(Large);
    return size == Block ? block : large;
}

const std::string& rleEnciphered(std::size_t size)
{
    static const std::string block = RleEncode(plainText(Block), {}).text;
    static const std::string large = RleEncode(plainText(Large), {}).text;
    return size == Block ? block : large;
}

const std::string& codebookPlain(std::size_t size)
{
    static const std::string block = codebookText(Block);
    static const std::string large = codebookText(Large);
    return size == Block ? block : large;
}

// Enciphered codebook text cut the way the file operations cut it: 9999 characters a block.
const std::string& codebookEnciphered(std::size_t size)
{
    static const std::string block = String1Encode(codebookPlain(Block), {}).text.substr(0, String1DecodeBlockSize);
    static const std::string large = String1Encode(codebookPlain(Large / 3), {}).text.substr(0, Large / 3 * 3);
    return size == Block ? block : large;
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

using Input = const std::string& (*)(std::size_t);

void runRoutine(benchmark::State& state, CipherRoutine routine, Input input)
{
    const std::string& text = input(std::size_t(state.range(0)));
    CipherParams params;
    params.key = "Harbour Lanterns";
    params.ceaserOffset = 30;
    params.progress = [](std::int64_t) { return true; };
    for (auto _ : state) {
        CipherResult result = routine(text, params);
        if (!result.ok()) {
            state.SkipWithError("the routine refused its benchmark text");
            break;
        }
        benchmark::DoNotOptimize(result.text.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void registerAll()
{
    const struct {
        const char* name;
        CipherRoutine routine;
        Input input;
    } routines[] = {
        {"StandardCipher", &StandardCipher, &plainText},
        {"CeaserEncode", &CeaserEncode, &plainText},
        {"CeaserDecode", &CeaserDecode, &plainText},
        {"ClassCipher", &ClassCipher, &plainText},
        {"VX1Cipher", &VX1Cipher, &plainText},
        {"VX2Cipher", &VX2Cipher, &plainText},
        {"VX3Cipher", &VX3Cipher, &plainText},
        {"VX4Cipher", &VX4Cipher, &plainText},
        {"VX5Cipher", &VX5Cipher, &plainText},
        {"RleEncode", &RleEncode, &plainText},
        {"RleDecode", &RleDecode, &rleEnciphered},
        {"String1Encode", &String1Encode, &codebookPlain},
        {"String1Decode", &String1Decode, &codebookEnciphered},
    };
    for (std::int64_t size : {std::int64_t(Block), std::int64_t(Large)}) {
        benchmark::RegisterBenchmark("Memcpy", Memcpy)->Arg(size);
        benchmark::RegisterBenchmark("CopyToNewText", CopyToNewText)->Arg(size);
        for (const auto& r : routines) {
            benchmark::RegisterBenchmark(r.name, [r](benchmark::State& state) { runRoutine(state, r.routine, r.input); })
                ->Arg(size);
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
