#pragma once

#include "cipher/cipher.h"

#include <initializer_list>
#include <ostream>
#include <random>
#include <string>

namespace testtext {

// A text from a list of codes.
inline std::string codes(std::initializer_list<int> list)
{
    std::string text;
    for (int code : list)
        text.push_back(static_cast<char>(code));
    return text;
}

inline int code(const std::string& text, std::size_t position) // position from 1
{
    return static_cast<unsigned char>(text.at(position - 1));
}

// Random codes 0..maxCode mixed with runs of lengths around the run-length cipher's limits,
// so every cipher sees both noise and long runs of one code.
inline std::string mixedText(std::size_t size, unsigned seed, int maxCode = 254)
{
    static constexpr std::size_t RunLengths[] = {1, 1, 1, 1, 2, 3, 4, 254, 255, 256, 257, 600};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pickCode(0, maxCode);
    std::uniform_int_distribution<std::size_t> pickRun(0, std::size(RunLengths) - 1);
    std::string text;
    while (text.size() < size) {
        const std::size_t run = std::min(RunLengths[pickRun(random)], size - text.size());
        text.append(run, static_cast<char>(pickCode(random)));
    }
    return text;
}

// Random characters that all have a String1 codebook entry.
inline std::string codebookText(std::size_t size, unsigned seed)
{
    const auto entries = cipher::String1Codebook::entries();
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, entries.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < size; ++i)
        text.push_back(entries[pick(random)].plain);
    return text;
}

} // namespace testtext

namespace cipher {
// Parameterised tests over the catalogue name each case by its type.
inline void PrintTo(const CipherType& type, std::ostream* os) { *os << type.name; }
} // namespace cipher
