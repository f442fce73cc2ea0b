#include "testtext.h"

#include <gtest/gtest.h>

using namespace cipher;

namespace {

struct ShiftCase {
    int offset;
    Direction direction;
    int in;
    int out;
};

void PrintTo(const ShiftCase& c, std::ostream* os)
{
    *os << "offset " << c.offset << (c.direction == Direction::Encipher ? " encipher " : " decipher ") << c.in
        << " -> " << c.out;
}

class CeaserKnownAnswer : public testing::TestWithParam<ShiftCase> {};

} // namespace

// Each case sits in the middle of a 100-character text so that both the 32-character loop and
// the tail carry it.
TEST_P(CeaserKnownAnswer, ShiftsModulo255)
{
    const ShiftCase c = GetParam();
    CipherParams params;
    params.ceaserOffset = static_cast<std::uint8_t>(c.offset);
    std::string text(100, static_cast<char>(c.in));
    const CipherResult result =
        c.direction == Direction::Encipher ? CeaserEncode(text, params) : CeaserDecode(text, params);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.text, std::string(100, static_cast<char>(c.out)));
}

INSTANTIATE_TEST_SUITE_P(Vectors, CeaserKnownAnswer, testing::Values(
    ShiftCase{30, Direction::Encipher, 65, 95},   // 65 + 30
    ShiftCase{30, Direction::Encipher, 230, 5},   // 260 - 255
    ShiftCase{30, Direction::Encipher, 225, 255}, // 255 is not above 255: no wrap
    ShiftCase{30, Direction::Decipher, 95, 65},   // 95 - 30
    ShiftCase{30, Direction::Decipher, 5, 230},   // 5 - 30 + 255
    ShiftCase{30, Direction::Decipher, 0, 225},   // 0 - 30 + 255
    ShiftCase{255, Direction::Encipher, 1, 255},  // 255 acts as 254: 1 + 254
    ShiftCase{255, Direction::Decipher, 255, 1},  // 255 - 254
    ShiftCase{1, Direction::Encipher, 254, 255},  // 254 + 1
    ShiftCase{1, Direction::Encipher, 0, 1},
    ShiftCase{1, Direction::Decipher, 0, 254},    // 0 - 1 + 255
    ShiftCase{0, Direction::Encipher, 255, 255},  // offset 0 changes nothing, not even 255
    ShiftCase{0, Direction::Decipher, 255, 255}),
    [](const testing::TestParamInfo<ShiftCase>& info) {
        const ShiftCase& c = info.param;
        return std::string(c.direction == Direction::Encipher ? "Encipher" : "Decipher") + std::to_string(c.in) + "By"
            + std::to_string(c.offset) + "Gives" + std::to_string(c.out);
    });

// Code 255 is looked for in the 32-character steps as well as in the tail.
TEST(CeaserEncode, RefusesCode255WhenItWouldComeBackAsZero)
{
    for (int offset : {1, 30, 254, 255}) {
        for (std::size_t at : {0, 17, 31, 32, 40}) {
            CipherParams params;
            params.ceaserOffset = static_cast<std::uint8_t>(offset);
            std::string text(41, 'a');
            text[at] = '\xFF';
            const CipherResult result = CeaserEncode(text, params);
            ASSERT_TRUE(result.error) << offset << " at " << at;
            EXPECT_EQ(result.error->number, 5);
            EXPECT_EQ(result.text, "");
        }
    }
}
