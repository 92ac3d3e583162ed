#include "gfx/color.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

namespace gfx {
namespace {

TEST(Color, SettingsColoursBecomePixelsWithRedAndBlueSwapped)
{
    // A settings colour holds red in its low byte; a pixel holds it in bits 16..23.
    EXPECT_EQ(pixel_from_colorref(0x000000FF), 0xFF0000u) << "pure red";
    EXPECT_EQ(pixel_from_colorref(0x0000FF00), 0x00FF00u) << "pure green";
    EXPECT_EQ(pixel_from_colorref(0x00FF0000), 0x0000FFu) << "pure blue";
    EXPECT_EQ(pixel_from_colorref(colorref(0x12, 0x34, 0x56)), rgb(0x12, 0x34, 0x56));
    // A top byte (as a negative 32-bit value carries) is not part of the colour.
    EXPECT_EQ(pixel_from_colorref(ColorRef(0xFF102030)), rgb(0x30, 0x20, 0x10));
}

TEST(Color, ComponentsRoundTrip)
{
    Pixel p = rgb(200, 100, 50);
    EXPECT_EQ(p, 0xC86432u);
    EXPECT_EQ(red_of(p), 200);
    EXPECT_EQ(green_of(p), 100);
    EXPECT_EQ(blue_of(p), 50);
    EXPECT_EQ(colorref(200, 100, 50), 0x003264C8);
    // Components are taken modulo 256, never spilling into a neighbour.
    EXPECT_EQ(rgb(256 + 1, -1, 0), 0x01FF00u);
}

TEST(Numeric, RoundHalfEvenAndFloor)
{
    struct Case {
        double v;
        int rounded;
        int floored;
    };
    const Case cases[] = {
        {2.5, 2, 2},   {3.5, 4, 3},   {-0.5, 0, -1}, {0.5, 0, 0},  {1.5, 2, 1},
        {-1.5, -2, -2}, {-2.5, -2, -3}, {2.4999, 2, 2}, {2.5001, 3, 2}, {-0.0, 0, 0},
        {-7.0, -7, -7}, {123456.5, 123456, 123456},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(round_half_even(c.v), c.rounded) << "round_half_even(" << c.v << ")";
        EXPECT_EQ(floor_int(c.v), c.floored) << "floor_int(" << c.v << ")";
    }
}

TEST(Numeric, ClockAngleStartsAtTwelveAndRunsClockwise)
{
    EXPECT_DOUBLE_EQ(clock_angle(0), -kHalfPi);
    // Fifteen minutes is three o'clock: angle 0 up to the rounding of the constants.
    EXPECT_NEAR(clock_angle(15), 0.0, 1e-13);
    EXPECT_NEAR(clock_angle(30), kHalfPi, 1e-13);
}

} // namespace
} // namespace gfx
