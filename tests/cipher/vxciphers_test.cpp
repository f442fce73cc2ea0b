#include "testtext.h"

#include <gtest/gtest.h>

using namespace cipher;
using testtext::code;

namespace {

struct PositionCase {
    CipherRoutine routine;
    const char* name;
    int atPosition1, atPosition2, atPosition256, atPosition257;
};

void PrintTo(const PositionCase& c, std::ostream* os) { *os << c.name; }

class VXKnownAnswer : public testing::TestWithParam<PositionCase> {};

} // namespace

// Code 65 = 0x41 throughout. VX1: halves swapped 0x14, complemented 0xEB = 235. VX2:
// 0x41^0x55 = 0x14 = 20. 0x41^0xAA = 0xEB. VX3 adds the rising byte i mod 256: 0xEB^1 = 234,
// 0xEB^2 = 233, 0xEB^0 = 235, 0xEB^1 = 234. VX4 the falling byte: 0xEB^255 = 20, 0xEB^254 = 21,
// 0xEB^0 = 235, 0xEB^255 = 20. VX5 is 65 ^ ((i-1) mod 256): 65, 64, 65^255 = 190, 65.
TEST_P(VXKnownAnswer, Code65AtPositions1_2_256_257)
{
    const PositionCase c = GetParam();
    const CipherResult result = c.routine(std::string(257, 'A'), {});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(code(result.text, 1), c.atPosition1);
    EXPECT_EQ(code(result.text, 2), c.atPosition2);
    EXPECT_EQ(code(result.text, 256), c.atPosition256);
    EXPECT_EQ(code(result.text, 257), c.atPosition257);
}

INSTANTIATE_TEST_SUITE_P(Vectors, VXKnownAnswer, testing::Values(
    PositionCase{&VX1Cipher, "VX1", 235, 235, 235, 235},
    PositionCase{&VX2Cipher, "VX2", 20, 20, 20, 20},
    PositionCase{&VX3Cipher, "VX3", 234, 233, 235, 234},
    PositionCase{&VX4Cipher, "VX4", 20, 21, 235, 20},
    PositionCase{&VX5Cipher, "VX5", 65, 64, 190, 65}),
    [](const testing::TestParamInfo<PositionCase>& info) { return std::string(info.param.name); });
