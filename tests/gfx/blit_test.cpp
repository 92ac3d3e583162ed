#include "gfx/raster.h"
#include "gfx/row_ops.h"
#include "support/sanitizers.h"
#include "surface_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace gfx {
namespace {

using testing::surface_of;
using testing::same_pixels;
using testing::text_of;

// A surface whose every pixel differs from every other, so that a pixel
// taken from the wrong place cannot go unnoticed.
Surface numbered(int width, int height, Pixel base)
{
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, base + Pixel(y * 64 + x) * 0x010203u);
    return s;
}

Pixel combine(Pixel d, Pixel s, RasterOp op)
{
    switch (op) {
    case RasterOp::Copy: return s;
    case RasterOp::And: return d & s;
    case RasterOp::Xor: return d ^ s;
    }
    return d;
}

// What a block transfer must do, one pixel at a time.
Surface reference_blit(Surface dst, int dx, int dy, const Surface& src, int sx, int sy, int w,
                       int h, RasterOp op)
{
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (src.contains(sx + i, sy + j) && dst.contains(dx + i, dy + j))
                dst.set(dx + i, dy + j, combine(dst.at(dx + i, dy + j), src.at(sx + i, sy + j), op));
    return dst;
}

TEST(Blit, RasterOpsCombineExactly)
{
    Surface dst(2, 1);
    dst.set(0, 0, 0xF0F0F0);
    dst.set(1, 0, 0x123456);
    Surface src(2, 1);
    src.set(0, 0, 0x0FF00F);
    src.set(1, 0, 0xFFFFFF);

    Surface copy = dst, anded = dst, xored = dst;
    blit(copy, {0, 0}, src, RasterOp::Copy);
    blit(anded, {0, 0}, src, RasterOp::And);
    blit(xored, {0, 0}, src, RasterOp::Xor);
    EXPECT_EQ(copy, src);
    EXPECT_EQ(anded.at(0, 0), 0x00F000u) << "AND: expected 0x00F000, got " << std::hex << anded.at(0, 0);
    EXPECT_EQ(anded.at(1, 0), 0x123456u);
    EXPECT_EQ(xored.at(0, 0), 0xFF00FFu) << "XOR: expected 0xFF00FF, got " << std::hex << xored.at(0, 0);
    EXPECT_EQ(xored.at(1, 0), 0xEDCBA9u);
}

TEST(Blit, PartOfABlockLandsWhereItWould)
{
    Surface dst = surface_of("....|....|....");
    Surface src = surface_of("abc|def");
    blit(dst, {3, 1}, src, {1, 0, 2, 2}, RasterOp::Copy); // "bc" and "ef"; the right column falls off
    EXPECT_EQ(text_of(dst), "....|...b|...e");
    blit(dst, {-1, -1}, src, {0, 0, 3, 2}, RasterOp::Copy); // only "ef" lands, at (0, 0)
    EXPECT_EQ(text_of(dst), "ef..|...b|...e");
}

// Every placement of a block around a small destination, with the source
// block also hanging off its own surface on every side: the clipped fast
// path must agree with the pixel-by-pixel rule, for each raster operation.
TEST(Blit, ClipsAtEveryEdgeAndCornerAgainstBothSurfaces)
{
    const Surface background = numbered(7, 5, 0x400000);
    const Surface src = numbered(4, 3, 0x000100);
    const RasterOp ops[] = {RasterOp::Copy, RasterOp::And, RasterOp::Xor};
    for (RasterOp op : ops)
        for (int dy = -5; dy <= 7; ++dy)
            for (int dx = -6; dx <= 9; ++dx)
                for (int sy = -2; sy <= 2; sy += 2)
                    for (int sx = -2; sx <= 2; sx += 2)
                        for (int size : {0, 1, 3, 6}) {
                            Surface got = background;
                            blit(got, {dx, dy}, src, {sx, sy, size, size - 1}, op);
                            Surface expected =
                                reference_blit(background, dx, dy, src, sx, sy, size, size - 1, op);
                            ASSERT_TRUE(same_pixels(got, expected))
                                << "op " << int(op) << " at (" << dx << ", " << dy << ") from (" << sx
                                << ", " << sy << ") size " << size;
                        }
}

TEST(Blit, NothingHappensForEmptyOrFarAwayBlocks)
{
    const Surface background = numbered(5, 5, 0x100000);
    const Surface src = numbered(5, 5, 0x000001);
    struct Case {
        int dx, dy, sx, sy, w, h;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 5},         {0, 0, 0, 0, 5, 0},          {0, 0, 0, 0, -3, 5},
        {0, 0, 0, 0, 5, -3},        {5, 0, 0, 0, 5, 5},          {0, 5, 0, 0, 5, 5},
        {-5, 0, 0, 0, 5, 5},        {0, -5, 0, 0, 5, 5},         {0, 0, 5, 0, 5, 5},
        {0, 0, 0, -5, 5, 5},        {INT_MIN, INT_MIN, 0, 0, INT_MAX, INT_MAX},
        {INT_MAX, 0, 0, 0, INT_MAX, 5}, {0, 0, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        Surface got = background;
        blit(got, {c.dx, c.dy}, src, {c.sx, c.sy, c.w, c.h}, RasterOp::Copy);
        EXPECT_TRUE(same_pixels(got, background)) << "block (" << c.dx << ", " << c.dy << ") from (" << c.sx << ", "
                                   << c.sy << ") size " << c.w << " x " << c.h << " changed pixels";
    }
    // Huge blocks from far up-left still land their visible part where it belongs.
    Surface got = background;
    blit(got, {INT_MIN + 10, INT_MIN + 10}, src, {INT_MIN + 10, INT_MIN + 10, INT_MAX, INT_MAX}, RasterOp::Copy);
    EXPECT_TRUE(same_pixels(got, src));
    got = background;
    blit(got, {-2, -2}, src, {-1, -1, INT_MAX, INT_MAX}, RasterOp::Copy);
    EXPECT_TRUE(same_pixels(got, reference_blit(background, -2, -2, src, -1, -1, 20, 20,
                                                RasterOp::Copy)));
}

TEST(Blit, EmptySurfacesAreSafe)
{
    Surface empty;
    Surface dst = numbered(3, 3, 1);
    const Surface before = dst;
    blit(dst, {0, 0}, empty, RasterOp::Copy);
    blit(empty, {0, 0}, dst, RasterOp::Xor);
    EXPECT_EQ(dst, before);
    EXPECT_TRUE(empty.empty());
}

// Scrolling a surface onto itself must read every source pixel before it is
// overwritten, whatever the direction and the raster operation.
TEST(Blit, OverlappingSelfTransfersReadTheOriginal)
{
    // Rows of 19 pixels: longer than the eight-pixel groups of the AND and
    // XOR loops, so that shifts shorter than a group are covered.
    const Surface original = numbered(30, 5, 0x300000);
    for (RasterOp op : {RasterOp::Copy, RasterOp::And, RasterOp::Xor})
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx : {-10, -8, -7, -3, -1, 0, 1, 3, 7, 8, 10}) {
                Surface got = original;
                blit(got, {10 + dx, 1 + dy}, got, {10, 1, 19, 3}, op);
                Surface expected = reference_blit(original, 10 + dx, 1 + dy, original, 10, 1, 19, 3, op);
                ASSERT_TRUE(same_pixels(got, expected))
                    << "op " << int(op) << " shift (" << dx << ", " << dy << ")";
            }
}

TEST(FillBox, FillsTheClippedBoxOnly)
{
    Surface s = surface_of("....|....|....");
    fill_box(s, {1, 1, 2, 5}, testing::pixel_of('x'));
    EXPECT_EQ(text_of(s), "....|.xx.|.xx.");
    fill_box(s, {-3, -3, 4, 4}, testing::pixel_of('y'));
    EXPECT_EQ(text_of(s), "y...|.xx.|.xx.");
    const Surface before = s;
    for (Rect r : {Rect{0, 0, 0, 3}, Rect{0, 0, 3, -1}, Rect{4, 0, 3, 3}, Rect{0, 3, 3, 3},
                   Rect{-5, 0, 5, 3}, Rect{INT_MAX, INT_MAX, INT_MAX, INT_MAX}})
        fill_box(s, r, testing::pixel_of('z'));
    EXPECT_EQ(text_of(s), text_of(before));
    fill_box(s, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, testing::pixel_of('z'));
    EXPECT_EQ(text_of(s), text_of(before)) << "a huge box from far up-left ends at x = -1, y = -1";
    fill_box(s, {INT_MIN, INT_MIN, -1, -1}, testing::pixel_of('z'));
    fill_box(s, {-1, -1, INT_MAX, INT_MAX}, testing::pixel_of('z'));
    EXPECT_EQ(text_of(s), "zzzz|zzzz|zzzz");
}

} // namespace
} // namespace gfx

TEST(Surface, ResizeKeepingHoldsTheSharedTopLeftAndBlacksTheRest)
{
    gfx::Surface s(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            s.set(x, y, gfx::Pixel(0x010101u * std::uint32_t(1 + x + 3 * y)));
    gfx::Surface grown = s;
    grown.resize_keeping(2, 3);
    ASSERT_EQ(grown.width(), 2);
    ASSERT_EQ(grown.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(grown.at(x, y), y < 2 ? s.at(x, y) : gfx::kBlack) << x << "," << y;
    grown.resize_keeping(-4, 5);
    EXPECT_TRUE(grown.empty());
    EXPECT_EQ(grown.width(), 0);
    EXPECT_EQ(grown.height(), 0);
}

// The sanitized build checks each row of the raster kernels as one range
// instead of pixel by pixel; a row that runs one pixel past its memory, on
// either side of any kernel, must still be reported.
TEST(RowKernelsDeathTest, ARowOnePixelPastItsMemoryIsReported)
{
    if (!testrig::kSanitized)
        GTEST_SKIP() << "only the sanitized build checks memory";
    using gfx::Pixel, gfx::RasterOp;
    constexpr int kPixels = 16;
    std::unique_ptr<Pixel[]> small(new Pixel[kPixels]()), large(new Pixel[kPixels + 1]());
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"AND into", [&] { gfx::detail::combine_row(small.get(), large.get(), kPixels + 1, RasterOp::And); }},
        {"AND from", [&] { gfx::detail::combine_row(large.get(), small.get(), kPixels + 1, RasterOp::And); }},
        {"XOR into", [&] { gfx::detail::combine_row(small.get(), large.get(), kPixels + 1, RasterOp::Xor); }},
        {"XOR from", [&] { gfx::detail::combine_row(large.get(), small.get(), kPixels + 1, RasterOp::Xor); }},
        {"copy into", [&] { gfx::detail::combine_row(small.get(), large.get(), kPixels + 1, RasterOp::Copy); }},
        {"fill", [&] { gfx::detail::fill_row(small.get(), kPixels + 1, gfx::kBlack); }},
    };
    for (const auto& [name, row] : rows) {
        SCOPED_TRACE(name);
        EXPECT_DEATH(row(), "AddressSanitizer");
    }
    // The rows that fit pass.
    gfx::detail::combine_row(small.get(), large.get(), kPixels, RasterOp::Xor);
    gfx::detail::fill_row(large.get(), kPixels + 1, gfx::kBlack);
}
