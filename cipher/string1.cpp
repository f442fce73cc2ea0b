#include "cipher/string1.h"

#include "cipher/bytekernels.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace cipher {

namespace {

using Entry = String1Codebook::Entry;

constexpr std::array<Entry, String1Codebook::EntryCount> Codebook{{
    {'a', "46B"}, {'b', "63/"}, {'c', "43o"}, {'d', "39,"},
    {'e', "27I"}, {'f', "81y"}, {'g', "49p"}, {'h', "09["},
    {'i', "31B"}, {'j', "90{"}, {'k', "84d"}, {'l', "35U"},
    {'m', "06C"}, {'n', "22y"}, {'o', "14f"}, {'p', "67'"},
    {'q', "82@"}, {'r', "51}"}, {'s', "40$"}, {'t', "24v"},
    {'u', "23-"}, {'v', "93D"}, {'w', "18p"}, {'x', "45f"},
    {'y', "47!"}, {'z', "65H"}, {'0', "69;"}, {'1', "32i"},
    {'2', "72k"}, {'3', "59d"}, {'4', "52|"}, {'5', "99N"},
    {'6', "60z"}, {'7', "80m"}, {'8', "64U"}, {'9', "41%"},
    {' ', "19g"}, {'!', "94B"}, {'#', "83t"}, {'$', "71y"},
    {'%', "33$"}, {'&', "95N"}, {'\'', "21C"}, {'(', "05g"},
    {')', "26U"}, {'*', "87f"}, {'+', "62b"}, {',', "25q"},
    {'-', "10G"}, {'.', "08C"}, {'/', "53^"}, {':', "38!"},
    {';', "03n"}, {'<', "91m"}, {'=', "20U"}, {'>', "13_"},
    {'?', "89V"}, {'@', "97p"}, {'[', "74J"}, {'\\', "96M"},
    {']', "73g"}, {'^', "77P"}, {'_', "01~"}, {'`', "42."},
    {'{', "11G"}, {'|', "98K"}, {'}', "55O"}, {'~', "07%"},
    {'\r', "29x"}, {'\n', "30#"}, {'\x16', "70r"},
}};

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr unsigned digitPair(std::string_view code) { return unsigned(code[0] - '0') * 10 + unsigned(code[1] - '0'); }

// Encoding: per code 0..255 the three code characters and, in the fourth place, how many
// characters to keep (3, or 0 for a character without an entry). Upper-case letters share the
// entries of their lower-case letters; the single-byte code page's other capitals have no
// lower-case letter with an entry, so lower-casing them would change nothing here.
constexpr std::array<std::array<char, 4>, 256> makeEncodeTable()
{
    std::array<std::array<char, 4>, 256> table{};
    for (const Entry& entry : Codebook) {
        const std::array<char, 4> code{entry.code[0], entry.code[1], entry.code[2], 3};
        const auto plain = static_cast<unsigned char>(entry.plain);
        table[plain] = code;
        if (plain >= 'a' && plain <= 'z')
            table[plain - 'a' + 'A'] = code;
    }
    return table;
}

constexpr bool wellFormed()
{
    std::array<bool, 100> pairUsed{};
    for (const Entry& entry : Codebook) {
        if (entry.plain == 0 || entry.code.size() != 3 || !isDigit(entry.code[0]) || !isDigit(entry.code[1]) ||
            isDigit(entry.code[2]) || pairUsed[digitPair(entry.code)])
            return false;
        pairUsed[digitPair(entry.code)] = true;
    }
    return true;
}
// The decoder's one code per slot (below) and its skip past a found code both rest on this.
static_assert(wellFormed(), "every code is two digits and a non-digit, every digit pair used once");

constexpr auto EncodeTable = makeEncodeTable();

// Four characters as one word, in the order they stand in memory.
constexpr std::uint32_t wordOf(unsigned char c0, unsigned char c1, unsigned char c2, unsigned char c3)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::uint32_t(c0) | std::uint32_t(c1) << 8 | std::uint32_t(c2) << 16 | std::uint32_t(c3) << 24;
    else
        return std::uint32_t(c0) << 24 | std::uint32_t(c1) << 16 | std::uint32_t(c2) << 8 | std::uint32_t(c3);
}

constexpr std::uint32_t CodeMask = wordOf(0xFF, 0xFF, 0xFF, 0);

constexpr unsigned char fourthOf(std::uint32_t word)
{
    return static_cast<unsigned char>(std::endian::native == std::endian::little ? word >> 24 : word);
}

inline std::uint32_t loadWord(const unsigned char* p)
{
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Decoding a window with one look-up and no test of its characters: the slot is chosen by the
// low four bits of the first two characters, taken straight from the window's word, and holds
// the whole code and, fourth, its plain character; the window is that code exactly when its
// three characters equal the slot's. A slot of no code holds a first character whose low four
// bits differ from those of every window that chooses it, so that nothing matches it.
constexpr std::uint32_t SlotBits = wordOf(15, 15, 0, 0);
constexpr std::size_t SlotCount = std::size_t(SlotBits >> std::countr_zero(SlotBits)) + 1;

constexpr std::size_t slotOf(std::uint32_t word)
{
    return std::size_t((word & SlotBits) >> std::countr_zero(SlotBits));
}

constexpr std::array<std::uint32_t, SlotCount> makeWindowTable()
{
    std::array<std::uint32_t, SlotCount> table{};
    for (unsigned first = 0; first < 16; ++first) {
        for (unsigned second = 0; second < 16; ++second)
            table[slotOf(wordOf(first, second, 0, 0))] = wordOf(static_cast<unsigned char>(first ^ 1), 0, 0, 0);
    }
    for (const Entry& entry : Codebook) {
        const std::uint32_t code = wordOf(static_cast<unsigned char>(entry.code[0]), static_cast<unsigned char>(entry.code[1]),
                                          static_cast<unsigned char>(entry.code[2]), static_cast<unsigned char>(entry.plain));
        table[slotOf(code)] = code;
    }
    return table;
}

constexpr auto WindowTable = makeWindowTable();

// The four characters at p (the window and the one after it), and the slot they choose.
struct Window {
    std::uint32_t word;
    std::uint32_t slot;
};

inline Window windowAt(const unsigned char* p)
{
    const std::uint32_t word = loadWord(p);
    return {word, WindowTable[slotOf(word)]};
}

inline bool isCode(Window window)
{
    return ((window.word ^ window.slot) & CodeMask) == 0;
}

} // namespace

std::span<const Entry, String1Codebook::EntryCount> String1Codebook::entries()
{
    return Codebook;
}

std::string_view String1Codebook::codeFor(unsigned char plain)
{
    for (const Entry& entry : Codebook) {
        if (static_cast<unsigned char>(entry.plain) == plain)
            return entry.code;
    }
    return {};
}

std::optional<char> String1Codebook::plainFor(std::string_view code)
{
    if (code.size() != CodeLength)
        return std::nullopt;
    const unsigned char window[4] = {static_cast<unsigned char>(code[0]), static_cast<unsigned char>(code[1]),
                                     static_cast<unsigned char>(code[2]), 0};
    const Window found = windowAt(window);
    if (!isCode(found))
        return std::nullopt;
    return static_cast<char>(fourthOf(found.slot));
}

CipherResult String1Encode(std::string_view text, const CipherParams&)
{
    const unsigned char* in = detail::bytesOf(text);
    // Every code is written as four characters, the fourth overwritten by the next code or cut
    // off at the end: one spare character. (Eight characters written as three words when all
    // eight have a code run no faster: either way the loop issues about seven instructions a
    // character.)
    return Completed(detail::makeText(text.size() * String1Codebook::CodeLength + 1, [&](unsigned char* out) {
        std::size_t o = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::array<char, 4>& code = EncodeTable[in[i]];
            std::memcpy(out + o, code.data(), 4);
            o += static_cast<std::size_t>(code[3]);
        }
        return o;
    }));
}

CipherResult String1Decode(std::string_view text, const CipherParams&)
{
    const unsigned char* in = detail::bytesOf(text);
    const std::size_t n = text.size();
    return Completed(detail::makeText(n / String1Codebook::CodeLength, [&](unsigned char* out) {
        std::size_t o = 0;
        std::size_t p = 0;
        // One window at a time: a code moves on past itself (the two windows after a code start
        // with its non-digit third character or carry it second, so neither is a code),
        // anything else by one character. Reads one character past the window.
        const auto step = [&] {
            if (const Window window = windowAt(in + p); isCode(window)) {
                out[o++] = fourthOf(window.slot);
                p += String1Codebook::CodeLength;
            } else {
                ++p;
            }
        };
        // Enciphered text is codes end to end: eight in a row are taken as one, their
        // characters stored together. Where the eight are not all codes, the next
        // twenty-four characters go a window at a time.
        constexpr std::size_t Codes = 8;
        constexpr std::size_t Group = Codes * String1Codebook::CodeLength;
        // The window-at-a-time steps read up to in[p + Group + 2].
        while (p + Group + String1Codebook::CodeLength <= n) {
            std::uint32_t differs = 0;
            std::uint64_t plains = 0;
#pragma GCC unroll 8
            for (std::size_t k = 0; k < Codes; ++k) {
                const Window window = windowAt(in + p + k * String1Codebook::CodeLength);
                differs |= window.word ^ window.slot;
                const unsigned place = std::endian::native == std::endian::little ? unsigned(k) : unsigned(Codes - 1 - k);
                plains |= std::uint64_t(fourthOf(window.slot)) << (8 * place);
            }
            if ((differs & CodeMask) == 0) [[likely]] {
                std::memcpy(out + o, &plains, sizeof plains);
                o += Codes;
                p += Group;
                continue;
            }
            const std::size_t until = p + Group;
            while (p < until)
                step();
        }
        while (p + String1Codebook::CodeLength < n)
            step();
        if (p + String1Codebook::CodeLength == n) { // the last window, with nothing past it
            if (const std::optional<char> plain = String1Codebook::plainFor(text.substr(p)))
                out[o++] = static_cast<unsigned char>(*plain);
        }
        return o;
    }));
}

TextBlock String1Restored(std::string_view plain)
{
    TextBlock kept;
    for (const unsigned char c : plain) {
        if (EncodeTable[c][3] != 0)
            kept.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c));
    }
    return kept;
}

} // namespace cipher
