#include "gfx/raster.h"
#include "surface_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace gfx {
namespace {

using testing::same_pixels;
using testing::text_of;

constexpr Pixel kInk = 0x00C0FF;

int count_ink(const Surface& s)
{
    int n = 0;
    for (Pixel p : s.pixels())
        n += p == kInk;
    return n;
}

TEST(Disc, RadiusTwentyFourFillsTheBallCellSymmetrically)
{
    Surface cell(48, 48);
    fill_disc(cell, {24, 24}, 24, kInk);
    for (int y = 0; y < 48; ++y) {
        int first = 48, last = -1;
        for (int x = 0; x < 48; ++x)
            if (cell.at(x, y) == kInk) {
                first = std::min(first, x);
                last = x;
            }
        ASSERT_LE(first, last) << "row " << y << " is empty";
        EXPECT_EQ(first + last, 47) << "row " << y << " not centred: columns " << first << ".." << last;
    }
    // The widest rows touch both sides, the top and bottom rows are short.
    EXPECT_EQ(cell.at(0, 23), kInk);
    EXPECT_EQ(cell.at(47, 24), kInk);
    EXPECT_EQ(cell.at(0, 0), kBlack);
    EXPECT_EQ(cell.at(23, 0), kInk);
    EXPECT_EQ(cell.at(24, 47), kInk);
}

TEST(Disc, SmallDiscsAreExact)
{
    Surface s(4, 4);
    fill_disc(s, {2, 2}, 1, testing::pixel_of('x'));
    EXPECT_EQ(text_of(s), "....|.xx.|.xx.|....");
    s = Surface(4, 4);
    fill_disc(s, {2, 2}, 2, testing::pixel_of('x'));
    EXPECT_EQ(text_of(s), ".xx.|xxxx|xxxx|.xx.");
}

// Radius 0 to 36: each disc lies in its box, is symmetric about both centre
// lines and the diagonals, is one run per row, and covers close to pi r^2
// pixels; the pixels are exactly those whose centres lie inside the circle.
TEST(Disc, RadiiZeroToThirtySix)
{
    for (int r = -3; r <= 36; ++r) {
        const int cx = 40, cy = 41;
        Surface s(81, 83);
        fill_disc(s, {cx, cy}, r, kInk);
        if (r <= 0) {
            EXPECT_EQ(count_ink(s), 0) << "radius " << r << " drew something";
            continue;
        }
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                bool inked = s.at(x, y) == kInk;
                double ex = x + 0.5 - cx, ey = y + 0.5 - cy;
                bool inside = ex * ex + ey * ey < double(r) * r;
                ASSERT_EQ(inked, inside) << "radius " << r << " pixel (" << x << ", " << y << ")";
                if (inked) {
                    ASSERT_TRUE(x >= cx - r && x < cx + r && y >= cy - r && y < cy + r)
                        << "radius " << r << " pixel (" << x << ", " << y << ") outside the box";
                    ASSERT_EQ(s.at(2 * cx - 1 - x, y), kInk) << "radius " << r << " not mirror-symmetric";
                    ASSERT_EQ(s.at(x, 2 * cy - 1 - y), kInk) << "radius " << r << " not flip-symmetric";
                    ASSERT_EQ(s.at(cx + (y - cy), cy + (x - cx)), kInk) << "radius " << r << " not round";
                }
            }
        double area = 3.14159265358979 * r * r;
        EXPECT_NEAR(count_ink(s), area, 1.5 * r + 1) << "radius " << r;
    }
}

TEST(Disc, ClippingAgreesWithTheUnclippedDisc)
{
    const int margin = 40;
    for (int r : {1, 3, 7, 12})
        for (int cy = -14; cy <= 24; cy += 3)
            for (int cx = -14; cx <= 26; cx += 3) {
                Surface canvas(12 + 2 * margin, 10 + 2 * margin, 0x808080);
                fill_disc(canvas, {cx + margin, cy + margin}, r, kInk);
                Surface expected(12, 10);
                blit(expected, {0, 0}, canvas, {margin, margin, 12, 10}, RasterOp::Copy);
                Surface got(12, 10, 0x808080);
                fill_disc(got, {cx, cy}, r, kInk);
                ASSERT_TRUE(same_pixels(got, expected)) << "radius " << r << " at (" << cx << ", " << cy << ")";
            }
}

TEST(Disc, ExtremeValuesAreSafe)
{
    Surface s(6, 6);
    fill_disc(s, {INT_MAX, INT_MAX}, INT_MAX, kInk);
    fill_disc(s, {INT_MIN, INT_MIN}, INT_MAX, kInk);
    fill_disc(s, {3, 3}, INT_MIN, kInk);
    EXPECT_EQ(count_ink(s), 0);
    fill_disc(s, {3, 3}, INT_MAX, kInk);
    EXPECT_EQ(count_ink(s), 36) << "a huge disc covers the whole surface";
    Surface empty;
    fill_disc(empty, {0, 0}, 5, kInk);
    draw_circle(empty, {0, 0}, 5, kInk);
}

TEST(Circle, RadiusFiveSelectionMark)
{
    Surface s(13, 13);
    draw_circle(s, {6, 6}, 5, testing::pixel_of('o'));
    EXPECT_EQ(text_of(s), ".............|"
                          "....ooooo....|"
                          "...o.....o...|"
                          "..o.......o..|"
                          ".o.........o.|"
                          ".o.........o.|"
                          ".o.........o.|"
                          ".o.........o.|"
                          ".o.........o.|"
                          "..o.......o..|"
                          "...o.....o...|"
                          "....ooooo....|"
                          ".............");
}

TEST(Circle, RadiusZeroIsAPointAndNegativeIsNothing)
{
    Surface s(3, 3);
    draw_circle(s, {1, 1}, -1, testing::pixel_of('o'));
    EXPECT_EQ(text_of(s), "...|...|...");
    draw_circle(s, {1, 1}, 0, testing::pixel_of('o'));
    EXPECT_EQ(text_of(s), "...|.o.|...");
}

// Every outline pixel lies within half a pixel of the true circle, the
// outline is closed (each pixel has an outline neighbour on both sides)
// and clipping changes nothing on the surface.
TEST(Circle, OutlinesAreRoundClosedAndClipped)
{
    for (int r = 1; r <= 36; ++r) {
        const int c = 40;
        Surface s(81, 81);
        draw_circle(s, {c, c}, r, kInk);
        int pixels = 0;
        for (int y = 0; y < 81; ++y)
            for (int x = 0; x < 81; ++x) {
                if (s.at(x, y) != kInk)
                    continue;
                ++pixels;
                double d = std::hypot(x - c, y - c);
                ASSERT_LT(std::fabs(d - r), 0.75) << "radius " << r << " pixel (" << x << ", " << y << ")";
                int neighbours = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        neighbours += (dx || dy) && s.at(x + dx, y + dy) == kInk;
                ASSERT_GE(neighbours, 2) << "radius " << r << " outline broken at (" << x << ", " << y << ")";
            }
        EXPECT_NEAR(pixels, 4 * std::sqrt(2.0) * r, 8) << "radius " << r;

        for (int at : {-r, -1, 3, 9, 9 + r}) {
            Surface got(10, 10);
            draw_circle(got, {at, 10 - at}, r, kInk);
            Surface expected(10, 10);
            blit(expected, {0, 0}, s, {c - at, c - (10 - at), 10, 10}, RasterOp::Copy);
            ASSERT_TRUE(same_pixels(got, expected)) << "radius " << r << " at " << at;
        }
    }
    // A huge circle through a small surface draws its arc there, quickly.
    Surface s(10, 10);
    draw_circle(s, {5, 500000005}, 500000000, kInk);
    EXPECT_EQ(count_ink(s), 10) << "the top of a huge circle is a horizontal line";
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(s.at(x, 5), kInk) << "column " << x;
}

} // namespace
} // namespace gfx
