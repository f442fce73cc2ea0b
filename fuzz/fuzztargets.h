#pragma once

#include <cstddef>
#include <cstdint>

// Every fuzz target; its seed corpus is fuzz/corpus/<name>/ and its program fuzz_<name>.
namespace fuzztargets {

int rle(const std::uint8_t* data, std::size_t size);
int rlestream(const std::uint8_t* data, std::size_t size);
int string1(const std::uint8_t* data, std::size_t size);
int decode(const std::uint8_t* data, std::size_t size);
int roundtrip(const std::uint8_t* data, std::size_t size);
int sealed(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;
    int (*run)(const std::uint8_t* data, std::size_t size);
};

inline constexpr Target All[] = {
    {"rle", &rle},
    {"rlestream", &rlestream},
    {"string1", &string1},
    {"decode", &decode},
    {"roundtrip", &roundtrip},
    {"sealed", &sealed},
};

} // namespace fuzztargets
