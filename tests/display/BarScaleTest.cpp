#include <gtest/gtest.h>

#include "display/BarScale.h"

namespace korvex {
namespace {

TMeterState Reading(std::uint8_t kind, std::int32_t raw, std::int32_t point)
{
    TMeterState state;
    state.MainKind = kind;
    state.MainRaw = raw;
    state.MainPoint = point;
    return state;
}

// Every decimal-point code with a full scale has 20000 steps: 20000 counts of 1, 2000.0 ... 2.0000.
TEST(BarScale, FullScaleFillsAndZeroEmptiesForEveryPointCode)
{
    for (std::int32_t point = 0; point <= 4; ++point) {
        SCOPED_TRACE(point);
        EXPECT_EQ(BarMaximum(point), 20000);
        EXPECT_EQ(BarPosition(Reading(rkNumber, 20000, point)), BarMaximum(point));
        EXPECT_EQ(BarPosition(Reading(rkNumber, 0, point)), 0);
        EXPECT_EQ(BarPosition(Reading(rkNumber, 1234, point)), 1234);
        EXPECT_EQ(BarPosition(Reading(rkNumber, 65535, point)), BarMaximum(point));
        EXPECT_EQ(BarPosition(Reading(rkOL, 0, point)), BarMaximum(point));
        EXPECT_EQ(BarPosition(Reading(rkERR, 1234, point)), 0);
    }
}

TEST(BarScale, PointCodesWithoutFullScaleGiveAnEmptyBar)
{
    for (std::int32_t point = 5; point <= 7; ++point) {
        EXPECT_EQ(BarMaximum(point), 0);
        EXPECT_EQ(BarPosition(Reading(rkNumber, 1234, point)), 0);
        EXPECT_EQ(BarPosition(Reading(rkOL, 0, point)), 0);
    }
}

}  // namespace
}  // namespace korvex
