#include "cipher/string1.h"

#include "cipher/bytekernels.h"

#include <array>

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

// Decoding: per digit pair 00..99 the third character and the plain character; plain 0 marks
// a pair without a code (no entry has plain 0).
struct PairSlot {
    char third = 0;
    char plain = 0;
};

constexpr std::array<PairSlot, 100> makeDecodeTable()
{
    std::array<PairSlot, 100> table{};
    for (const Entry& entry : Codebook)
        table[digitPair(entry.code)] = {entry.code[2], entry.plain};
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
// The decoder's one-slot-per-pair table and its skip past a found code both rest on this.
static_assert(wellFormed(), "every code is two digits and a non-digit, every digit pair used once");

constexpr auto EncodeTable = makeEncodeTable();
constexpr auto DecodeTable = makeDecodeTable();

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
    if (code.size() != CodeLength || !isDigit(code[0]) || !isDigit(code[1]))
        return std::nullopt;
    const PairSlot slot = DecodeTable[digitPair(code)];
    if (slot.plain == 0 || slot.third != code[2])
        return std::nullopt;
    return slot.plain;
}

CipherResult String1Encode(std::string_view text, const CipherParams&)
{
    const unsigned char* in = detail::bytesOf(text);
    // Every code is written as four characters, the fourth overwritten by the next code or cut
    // off at the end: one spare character.
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
        while (p + String1Codebook::CodeLength <= n) {
            const unsigned high = in[p] - unsigned('0');
            const unsigned low = in[p + 1] - unsigned('0');
            if (high < 10 && low < 10) {
                const PairSlot slot = DecodeTable[high * 10 + low];
                if (slot.plain != 0 && slot.third == static_cast<char>(in[p + 2])) {
                    out[o++] = static_cast<unsigned char>(slot.plain);
                    // The two windows after a code start with its non-digit third character or
                    // carry it second: neither can be a code.
                    p += String1Codebook::CodeLength;
                    continue;
                }
            }
            ++p;
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
