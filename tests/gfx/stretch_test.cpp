#include "gfx/raster.h"
#include "surface_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace gfx {
namespace {

using testing::same_pixels;
using testing::surface_of;
using testing::text_of;

// Stretches the whole of `src` (given as a letter picture) onto a blank
// surface of the given size and returns the result as a letter picture.
std::string stretched(const std::string& src_text, int dst_w, int dst_h, int x, int y, int w, int h)
{
    Surface src = surface_of(src_text);
    Surface dst(dst_w, dst_h);
    stretch_blit(dst, {x, y, w, h}, src, {0, 0, src.width(), src.height()}, RasterOp::Copy);
    return text_of(dst);
}

TEST(Stretch, GrowingRepeatsTheSourcePixelUnderEachCentre)
{
    EXPECT_EQ(stretched("ab", 4, 1, 0, 0, 4, 1), "aabb");
    EXPECT_EQ(stretched("ab", 3, 1, 0, 0, 3, 1), "aab") << "a centre on a boundary takes the lower pixel";
    EXPECT_EQ(stretched("abc", 5, 1, 0, 0, 5, 1), "aabcc");
    EXPECT_EQ(stretched("abc", 7, 1, 0, 0, 7, 1), "aabbbcc");
    EXPECT_EQ(stretched("a|b", 1, 3, 0, 0, 1, 3), "a|a|b");
    EXPECT_EQ(stretched("ab|cd", 4, 4, 0, 0, 4, 4), "aabb|aabb|ccdd|ccdd");
    EXPECT_EQ(stretched("ab|cd", 2, 2, 0, 0, 2, 2), "ab|cd") << "equal sizes copy";
}

TEST(Stretch, ShrinkingKeepsTheLastPixelOfEachGroup)
{
    EXPECT_EQ(stretched("abcd", 2, 1, 0, 0, 2, 1), "bd");
    EXPECT_EQ(stretched("abc", 2, 1, 0, 0, 2, 1), "bc");
    EXPECT_EQ(stretched("abcdefgh", 3, 1, 0, 0, 3, 1), "ceh");
    EXPECT_EQ(stretched("a|b|c|d", 1, 2, 0, 0, 1, 2), "b|d");
    // One pixel wide or high: the system samples a source one pixel narrower.
    EXPECT_EQ(stretched("ab", 1, 1, 0, 0, 1, 1), "a");
    EXPECT_EQ(stretched("abcd", 1, 1, 0, 0, 1, 1), "c");
}

TEST(Stretch, AMask48ShrunkTo24KeepsOddColumns)
{
    Surface src(48, 1);
    for (int x = 0; x < 48; ++x)
        src.set(x, 0, Pixel(x + 1));
    Surface dst(24, 1);
    stretch_blit(dst, {0, 0, 24, 1}, src, {0, 0, 48, 1}, RasterOp::Copy);
    for (int x = 0; x < 24; ++x)
        ASSERT_EQ(dst.at(x, 0), Pixel(2 * x + 2)) << "column " << x << ": expected source column "
                                                   << 2 * x + 1 << ", got " << dst.at(x, 0) - 1;
}

TEST(Stretch, NegativeExtentsMirrorAndIncludeTheOrigin)
{
    // A width of -4 at x = 3 covers columns 0..3, right to left.
    EXPECT_EQ(stretched("abcd", 4, 1, 3, 0, -4, 1), "dcba");
    EXPECT_EQ(stretched("abcd", 5, 1, 3, 0, -4, 1), "dcba.");
    EXPECT_EQ(stretched("abcd", 4, 1, 2, 0, -4, 1), "cba.") << "column -1 is clipped";
    EXPECT_EQ(stretched("ab|cd", 2, 2, 1, 1, -2, -2), "dc|ba");
    EXPECT_EQ(stretched("ab|cd", 2, 2, 0, 1, 2, -2), "cd|ab");
    EXPECT_EQ(stretched("ab", 5, 1, 4, 0, -4, 1), ".bbaa") << "mirrored and grown";
    EXPECT_EQ(stretched("abcd", 3, 1, 1, 0, -2, 1), "db.") << "mirrored and shrunk";

    // A negative source extent mirrors the same way, from its origin leftwards.
    Surface src = surface_of("abcd");
    Surface dst(4, 1);
    stretch_blit(dst, {0, 0, 4, 1}, src, {3, 0, -4, 1}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), "dcba");
    stretch_blit(dst, {3, 0, -4, 1}, src, {3, 0, -4, 1}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), "abcd") << "both mirrored is the original";
}

TEST(Stretch, ZeroSizesDrawNothing)
{
    EXPECT_EQ(stretched("ab|cd", 3, 3, 0, 0, 0, 3), "...|...|...");
    EXPECT_EQ(stretched("ab|cd", 3, 3, 0, 0, 3, 0), "...|...|...");
    Surface src = surface_of("ab|cd");
    Surface dst(3, 3);
    stretch_blit(dst, {0, 0, 3, 3}, src, {0, 0, 0, 2}, RasterOp::Copy);
    stretch_blit(dst, {0, 0, 3, 3}, src, {0, 0, 2, 0}, RasterOp::Copy);
    stretch_blit(dst, {0, 0, 3, 3}, Surface(), {0, 0, 2, 2}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), "...|...|...");
}

TEST(Stretch, SourceOutsideItsSurfaceLeavesTheDestination)
{
    Surface src = surface_of("ab");
    Surface dst = surface_of("xyz");
    stretch_blit(dst, {0, 0, 3, 1}, src, {-1, 0, 3, 1}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), "xab");
    dst = surface_of("xyzw");
    stretch_blit(dst, {0, 0, 4, 1}, src, {1, 0, 2, 1}, RasterOp::Copy); // columns 1 and 2: "b", then nothing
    EXPECT_EQ(text_of(dst), "bbzw");
}

// Clipping must not change which source pixel any visible destination pixel
// takes: drawing onto a small surface equals drawing onto a large one with
// nothing clipped and cutting the small one out of it. Covers every edge and
// corner, fully outside, shrinking, growing and mirroring, for each op.
TEST(Stretch, ClippingAgreesWithTheUnclippedPicture)
{
    Surface src(5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            src.set(x, y, Pixel(0x010000 * (x + 1) + 0x000100 * (y + 1) + 0x5A));
    Surface background(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            background.set(x, y, Pixel(0xF0F0F0 - 0x030201 * (y * 6 + x)));

    const int margin = 20;
    Surface canvas(6 + 2 * margin, 5 + 2 * margin);
    for (RasterOp op : {RasterOp::Copy, RasterOp::And, RasterOp::Xor})
        for (int w : {-9, -5, -3, -1, 1, 2, 3, 5, 9})
            for (int h : {-7, -4, -1, 1, 3, 4, 7})
                for (int y = -9; y <= 13; y += 2)
                    for (int x = -10; x <= 15; x += 2) {
                        canvas.fill(0);
                        blit(canvas, {margin, margin}, background, RasterOp::Copy);
                        stretch_blit(canvas, {x + margin, y + margin, w, h}, src, {0, 0, 5, 4}, op);
                        Surface expected(6, 5);
                        blit(expected, {0, 0}, canvas, {margin, margin, 6, 5}, RasterOp::Copy);

                        Surface got = background;
                        stretch_blit(got, {x, y, w, h}, src, {0, 0, 5, 4}, op);
                        ASSERT_TRUE(same_pixels(got, expected))
                            << "op " << int(op) << " at (" << x << ", " << y << ") size " << w
                            << " x " << h;
                    }
}

TEST(Stretch, EqualSizesMatchABlockTransfer)
{
    Surface src(7, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            src.set(x, y, Pixel(0x123456 * (y * 7 + x + 1)) & 0xFFFFFF);
    for (RasterOp op : {RasterOp::Copy, RasterOp::And, RasterOp::Xor})
        for (int at : {-3, 0, 2, 5}) {
            Surface by_blit(8, 8, 0xA5A5A5), by_stretch(8, 8, 0xA5A5A5);
            blit(by_blit, {at, at - 1}, src, {1, 1, 5, 4}, op);
            stretch_blit(by_stretch, {at, at - 1, 5, 4}, src, {1, 1, 5, 4}, op);
            ASSERT_TRUE(same_pixels(by_stretch, by_blit)) << "op " << int(op) << " at " << at;
        }
}

// Sizes far beyond the surface must neither overflow nor loop over the
// invisible part; each draws just what lies on the surface.
TEST(Stretch, ExtremeSizesAreSafe)
{
    Surface src = surface_of("ab|cd");
    Surface dst(8, 8);
    stretch_blit(dst, {0, 0, 100000, 100000}, src, {0, 0, 2, 2}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), std::string("aaaaaaaa|") + "aaaaaaaa|aaaaaaaa|aaaaaaaa|aaaaaaaa|aaaaaaaa|"
                                                       "aaaaaaaa|aaaaaaaa");
    dst.fill(0);
    stretch_blit(dst, {5, 5, -1000, -1000}, src, {0, 0, 2, 2}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), "aaaaaa..|aaaaaa..|aaaaaa..|aaaaaa..|aaaaaa..|aaaaaa..|........|........");
    dst.fill(0);
    stretch_blit(dst, {-99996, -99996, 100000, 100000}, src, {0, 0, 2, 2}, RasterOp::Copy);
    EXPECT_EQ(text_of(dst), "dddd....|dddd....|dddd....|dddd....|........|........|........|........");

    const int sizes[] = {INT_MIN, INT_MIN + 1, -1000, -1, 0, 1, 1000, 100000, INT_MAX};
    for (int w : sizes)
        for (int h : sizes)
            for (int at : {INT_MIN, -5, 3, INT_MAX}) {
                Surface any(8, 8);
                stretch_blit(any, {at, at, w, h}, src, {0, 0, 2, 2}, RasterOp::Xor);
                stretch_blit(any, {3, 3, w, h}, src, {at, at, w, h}, RasterOp::Copy);
                stretch_blit(any, {3, 3, 4, 4}, src, {0, 0, w, h}, RasterOp::And);
            }
}

TEST(Stretch, SelfTransferReadsTheOriginal)
{
    Surface s = surface_of("ab..|cd..|....|....");
    stretch_blit(s, {0, 0, 4, 4}, s, {0, 0, 2, 2}, RasterOp::Copy);
    EXPECT_EQ(text_of(s), "aabb|aabb|ccdd|ccdd");
}

} // namespace
} // namespace gfx
