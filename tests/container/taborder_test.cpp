// The focus order TabIndex numbers, without a window.
#include "taborder.h"

#include <gtest/gtest.h>

using namespace container;

namespace {

struct OrderCase {
    const char* name;
    QStringList written; // the description's focus order
    QStringList stops;   // the tab stops, in the order of the form
    QStringList expected;
};

class Effective : public ::testing::TestWithParam<OrderCase> {};

TEST_P(Effective, ListsEveryStopOnce)
{
    EXPECT_EQ(taborder::effective(GetParam().written, GetParam().stops), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Effective,
    ::testing::Values(OrderCase {"AsWritten", {"B", "A", "C"}, {"A", "B", "C"}, {"B", "A", "C"}},
                      OrderCase {"NoneWritten", {}, {"A", "B"}, {"A", "B"}},
                      OrderCase {"NewControlsLast", {"C", "A"}, {"A", "B", "C", "D"}, {"C", "A", "B", "D"}},
                      OrderCase {"GoneControlsLeave", {"X", "B", "A"}, {"A", "B"}, {"B", "A"}},
                      OrderCase {"RepeatedOnce", {"A", "B", "A"}, {"A", "B"}, {"A", "B"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct MoveCase {
    const char* name;
    QString control;
    int index;
    QStringList expected;
};

class Moved : public ::testing::TestWithParam<MoveCase> {};

TEST_P(Moved, RenumbersTheOthersAroundIt)
{
    const QStringList order {"A", "B", "C", "D"};
    const QStringList moved = taborder::moved(order, GetParam().control, GetParam().index);
    EXPECT_EQ(moved, GetParam().expected);
    if (order.contains(GetParam().control)) {
        EXPECT_EQ(moved.indexOf(GetParam().control), std::clamp(GetParam().index, 0, int(order.size()) - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Moved,
                         ::testing::Values(MoveCase {"ToTheFront", "C", 0, {"C", "A", "B", "D"}},
                                           MoveCase {"ToTheBack", "A", 3, {"B", "C", "D", "A"}},
                                           MoveCase {"Forward", "A", 2, {"B", "C", "A", "D"}},
                                           MoveCase {"Backward", "D", 1, {"A", "D", "B", "C"}},
                                           MoveCase {"InPlace", "B", 1, {"A", "B", "C", "D"}},
                                           MoveCase {"PastTheEndIsLast", "B", 99, {"A", "C", "D", "B"}},
                                           MoveCase {"NotInTheOrder", "Z", 0, {"A", "B", "C", "D"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
