// The length-preserving ciphers run 32 characters at a time over precomputed key streams. Here
// each is checked against its rule followed one character at a time, over text and key lengths
// on both sides of the vector width, the stream period and the stream's padding.
#include "testtext.h"

#include <gtest/gtest.h>

#include "cipher/bytekernels.h"

#include <functional>
#include <vector>

using namespace cipher;

namespace {

using Rule = std::function<int(int code, std::size_t position, const CipherParams&)>; // position from 1

std::string applyRule(const std::string& text, const CipherParams& params, const Rule& rule)
{
    std::string out = text;
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(rule(static_cast<unsigned char>(text[i]), i + 1, params));
    return out;
}

int standardRule(int c, std::size_t i, const CipherParams& p)
{
    const std::size_t L = p.key.size();
    const std::size_t keyPosition = L - (i - 1) % L; // L, L-1, ..., 1, L, ...
    return c ^ static_cast<unsigned char>(p.key[keyPosition - 1]);
}

int classRule(int c, std::size_t i, const CipherParams& p)
{
    const std::size_t L = p.key.size();
    std::size_t t = i % L;
    if (t == 0)
        t = 1;
    return c ^ (static_cast<unsigned char>(p.key[t - 1]) ^ static_cast<unsigned char>(p.key[t]));
}

int ceaserUp(int c, std::size_t, const CipherParams& p)
{
    const int o = std::min<int>(p.ceaserOffset, 254);
    const int r = c + o;
    return r > 255 ? r - 255 : r;
}

int ceaserDown(int c, std::size_t, const CipherParams& p)
{
    const int o = std::min<int>(p.ceaserOffset, 254);
    const int r = c - o;
    return r < 0 ? r + 255 : r;
}

int rising(std::size_t i) { return static_cast<int>(i % 256); }
int falling(std::size_t i) { return static_cast<int>((256 - i % 256) % 256); }

struct Routine {
    const char* name;
    CipherRoutine routine;
    Rule rule;
    std::size_t minKey;
    int maxCode;
};

const Routine Routines[] = {
    {"Standard", &StandardCipher, standardRule, 1, 255},
    {"Class", &ClassCipher, classRule, 2, 255},
    {"CeaserEncode", &CeaserEncode, ceaserUp, 1, 254},
    {"CeaserDecode", &CeaserDecode, ceaserDown, 1, 255},
    {"VX1", &VX1Cipher, [](int c, std::size_t, const CipherParams&) { return 0xFF ^ (((c << 4) | (c >> 4)) & 0xFF); }, 0, 255},
    {"VX2", &VX2Cipher, [](int c, std::size_t, const CipherParams&) { return 0xFF ^ (c ^ 0xAA); }, 0, 255},
    {"VX3", &VX3Cipher, [](int c, std::size_t i, const CipherParams&) { return (c ^ 0xAA) ^ rising(i); }, 0, 255},
    {"VX4", &VX4Cipher, [](int c, std::size_t i, const CipherParams&) { return (c ^ 0xAA) ^ falling(i); }, 0, 255},
    {"VX5", &VX5Cipher, [](int c, std::size_t i, const CipherParams&) { return (0xFF ^ c) ^ falling(i); }, 0, 255},
};

void PrintTo(const Routine& r, std::ostream* os) { *os << r.name; }

class StepByStep : public testing::TestWithParam<Routine> {};

} // namespace

TEST_P(StepByStep, AgreesWithTheRuleAtEveryPosition)
{
    const Routine& r = GetParam();
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 70; ++n)
        lengths.push_back(n);
    for (std::size_t n : {255, 256, 257, 288, 289, 1000, 10001})
        lengths.push_back(n);
    unsigned seed = 1;
    for (std::size_t keyLength : {1, 2, 3, 7, 31, 32, 33, 64, 255, 256, 257, 300, 1500}) {
        if (keyLength < r.minKey)
            continue;
        const std::string key = testtext::mixedText(keyLength, seed++, 255);
        for (std::size_t n : lengths) {
            CipherParams params;
            params.key = key;
            params.ceaserOffset = static_cast<std::uint8_t>((seed * 37) % 256);
            const std::string text = testtext::mixedText(n, seed++, r.maxCode);
            const CipherResult result = r.routine(text, params);
            ASSERT_TRUE(result.ok()) << "length " << n;
            ASSERT_EQ(result.text, applyRule(text, params, r.rule))
                << r.name << " length " << n << " key length " << keyLength << " offset " << int(params.ceaserOffset);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LengthPreserving, StepByStep, testing::ValuesIn(Routines),
                         [](const testing::TestParamInfo<Routine>& info) { return std::string(info.param.name); });

// The routines above run the fastest loops this processor has; here every set of loops it can
// run (the 16-byte baseline included) is checked directly, with the output starting at every
// offset within a vector so that the aligned-store loops start everywhere.
TEST(ByteKernels, EverySetAgreesWithTheRulesAtEveryAlignment)
{
    const auto sets = cipher::detail::availableKernels();
    ASSERT_FALSE(sets.empty());
    const std::string text = testtext::mixedText(700, 99, 255);
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<unsigned char> stream(96 + cipher::detail::StreamPad);
    for (std::size_t j = 0; j < stream.size(); ++j)
        stream[j] = static_cast<unsigned char>((j % 96) * 37 + 11); // span 96, the pad repeating its start
    std::vector<unsigned char> buffer(text.size() + 64);

    for (const cipher::detail::ByteKernels* set : sets) {
        for (std::size_t shift = 0; shift < 32; ++shift) {
            for (std::size_t n : {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 95, 96, 97, 700}) {
                unsigned char* out = buffer.data() + shift;
                auto check = [&](const char* what, auto rule) {
                    for (std::size_t i = 0; i < n; ++i)
                        ASSERT_EQ(out[i], static_cast<unsigned char>(rule(in[i], i)))
                            << set->name << " " << what << " n " << n << " shift " << shift << " at " << i;
                };
                set->xorStream(in, n, stream.data(), 96, out);
                check("xor", [&](int c, std::size_t i) { return c ^ stream[i % 96]; });
                set->swapNibblesComplement(in, n, out);
                check("nibbles", [](int c, std::size_t) { return ~((c << 4) | (c >> 4)); });
                for (unsigned offset : {1u, 30u, 128u, 254u}) {
                    const bool saw255 = set->shiftUpMod255(in, n, offset, out);
                    EXPECT_EQ(saw255, std::string_view(text).substr(0, n).find('\xFF') != std::string_view::npos);
                    check("up", [&](int c, std::size_t) { return c + int(offset) > 255 ? c + int(offset) - 255 : c + int(offset); });
                    set->shiftDownMod255(in, n, offset, out);
                    check("down", [&](int c, std::size_t) { return c - int(offset) < 0 ? c - int(offset) + 255 : c - int(offset); });
                }
            }
        }
    }
}

// The run-length loops of every set against the routines: the whole text with a limit of every
// few characters (each element that passes it ends a call) and, deciphering, little room; the
// joined output is the routine's, the elements passing the limits are the routine's progress
// points when the limit is its threshold.
TEST(ByteKernels, EverySetsRunLengthLoopsGiveTheRoutinesText)
{
    using cipher::detail::RunPass;
    std::string plain = testtext::mixedText(6000, 21);
    for (std::size_t at = 0; at < plain.size(); at += 37) // runs of three and short literals too
        plain.replace(at, 3, 3, static_cast<char>(at % 200));
    const std::string enciphered = cipher::RleEncode(plain, {}).text;
    const auto* in = reinterpret_cast<const unsigned char*>(plain.data());
    const auto* code = reinterpret_cast<const unsigned char*>(enciphered.data());

    for (const cipher::detail::ByteKernels* set : cipher::detail::availableKernels()) {
        for (std::size_t step : {1, 2, 7, 300, 100000}) {
            std::string out(plain.size() + 64, '\0');
            std::size_t i = 0;
            std::size_t o = 0;
            while (i < plain.size()) {
                const RunPass pass = set->encodeRuns(in + i, plain.size() - i, true, reinterpret_cast<unsigned char*>(out.data()) + o, step);
                ASSERT_TRUE(pass.stop == RunPass::Passed || pass.stop == RunPass::End) << set->name;
                ASSERT_TRUE(pass.stop == RunPass::End || pass.consumed > step) << set->name;
                i += pass.consumed;
                o += pass.written;
            }
            EXPECT_EQ(out.substr(0, o), enciphered) << set->name << " step " << step;

            std::string back(plain.size() + 64, '\0');
            std::size_t p = 0;
            o = 0;
            const std::size_t room = std::min<std::size_t>(300 + step, plain.size());
            while (p < enciphered.size()) {
                const std::size_t left = std::min(room, back.size() - o);
                const RunPass pass = set->decodeRuns(code + p, enciphered.size() - p, true, reinterpret_cast<unsigned char*>(back.data()) + o, left, step);
                ASSERT_TRUE(pass.stop == RunPass::Passed || pass.stop == RunPass::End || pass.stop == RunPass::Full) << set->name;
                p += pass.consumed;
                o += pass.written;
            }
            EXPECT_EQ(back.substr(0, o), plain) << set->name << " step " << step;
        }
        std::uint64_t size = 0;
        EXPECT_EQ(set->sizeTriples(code, enciphered.size(), &size), enciphered.size()) << set->name;
        EXPECT_EQ(size, plain.size()) << set->name;

        const std::string refused[] = {plain.substr(0, 100) + "\xFF" + "abc", enciphered.substr(0, 50) + "\xFF\xFF" "a" + "xyz",
                                       enciphered.substr(0, 50) + "\xFF\x05"};
        const auto* bad = reinterpret_cast<const unsigned char*>(refused[0].data());
        std::string out(200, '\0');
        RunPass pass = set->encodeRuns(bad, refused[0].size(), true, reinterpret_cast<unsigned char*>(out.data()), 100000);
        EXPECT_EQ(pass.stop, RunPass::Code255) << set->name;
        EXPECT_EQ(pass.consumed, 100u) << set->name;
        for (const RunPass::Stop expected : {RunPass::Count255, RunPass::Cut}) {
            const std::string& text = refused[expected == RunPass::Count255 ? 1 : 2];
            const auto* t = reinterpret_cast<const unsigned char*>(text.data());
            pass = set->decodeRuns(t, text.size(), true, reinterpret_cast<unsigned char*>(out.data()), 0, 100000);
            EXPECT_EQ(pass.stop, RunPass::Full) << set->name; // no room, nothing looked at
            std::string wide(100000, '\0');
            pass = set->decodeRuns(t, text.size(), true, reinterpret_cast<unsigned char*>(wide.data()), wide.size(), 100000);
            EXPECT_EQ(pass.stop, expected) << set->name;
            EXPECT_EQ(pass.consumed, 50u) << set->name;
            size = 0;
            EXPECT_EQ(set->sizeTriples(t, text.size(), &size), 50u) << set->name;
        }
    }
}

namespace {

// Deciphering's first pass one element at a time: where the first triple it cannot settle
// stands (or the length), and the deciphered size up to there.
std::pair<std::size_t, std::uint64_t> sizeByElements(std::string_view text)
{
    std::uint64_t size = 0;
    for (std::size_t p = 0; p < text.size();) {
        if (static_cast<unsigned char>(text[p]) != cipher::RunMarker) {
            ++size, ++p;
            continue;
        }
        if (text.size() - p < 3 || static_cast<unsigned char>(text[p + 1]) == cipher::RunMarker)
            return {p, size};
        size += static_cast<unsigned char>(text[p + 1]) + 1u;
        p += 3;
    }
    return {text.size(), size};
}

} // namespace

// The sizing pass takes windows of 64 characters one after another, carrying into the next the
// characters of a triple that runs past a window. Each kind of triple, placed at every position
// of the first windows among literals and ordinary triples, and every length of text around it,
// gives what the element-by-element rule gives, in every set of loops.
TEST(ByteKernels, EverySetSizesTriplesAcrossEveryWindowBoundary)
{
    std::string background;
    for (std::size_t k = 0; background.size() < 300; ++k)
        background += k % 5 == 0 ? testtext::codes({0xFF, int(k % 250), 'r'}) : std::string(1, char('a' + k % 26));
    const std::string placed[] = {
        testtext::codes({0xFF, 9, 'x'}),          // an ordinary triple
        testtext::codes({0xFF, 0, 0xFF}),         // run character 255: markers two apart
        testtext::codes({0xFF, 4, 'y', 0xFF, 2, 'z'}), // two triples end to end
        testtext::codes({0xFF, 0xFF, 'q'}),       // count 255: refused
        testtext::codes({0xFF}),                  // a marker cut by the end, where the text ends
    };
    for (const cipher::detail::ByteKernels* set : cipher::detail::availableKernels()) {
        for (const std::string& triple : placed) {
            for (std::size_t at = 0; at <= 200; ++at) {
                std::string text = background;
                text.insert(at, triple);
                for (const std::size_t length : {at + triple.size(), at + triple.size() + 1, at + 66, at + 131, text.size()}) {
                    const std::string_view cut = std::string_view(text).substr(0, std::min(length, text.size()));
                    std::uint64_t size = 7;
                    const std::size_t stop = set->sizeTriples(reinterpret_cast<const unsigned char*>(cut.data()), cut.size(), &size);
                    const auto [expectedStop, expectedSize] = sizeByElements(cut);
                    ASSERT_EQ(stop, expectedStop) << set->name << " at " << at << " length " << cut.size();
                    ASSERT_EQ(size, 7 + expectedSize) << set->name << " at " << at << " length " << cut.size();
                }
            }
        }
    }
}
