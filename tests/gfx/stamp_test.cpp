#include "gfx/raster.h"
#include "surface_text.h"

#include <gtest/gtest.h>

namespace gfx {
namespace {

using testing::same_pixels;

// A ball cell as the saver builds it: the mask is white with a black disc,
// the sprite is black outside the same disc and shaded inside it.
struct Ball {
    Surface mask;
    Surface sprite;
};

Ball make_ball(int size)
{
    Ball ball{Surface(size, size, kWhite), Surface(size, size, kBlack)};
    fill_disc(ball.mask, {size / 2, size / 2}, size / 2, kBlack);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (ball.mask.at(x, y) == kBlack)
                ball.sprite.set(x, y, rgb(40 + 3 * x, 20 + 4 * y, 200 - x - y));
    return ball;
}

// A background with no black and no white pixel, so that a stamp that
// blackens or whitens anything outside the disc shows.
Surface make_background(int width, int height)
{
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, rgb(17 + 5 * x, 90 + 3 * y, 33 + ((x * y) & 0x7F)));
    return s;
}

// After the stamp, each pixel of the cell inside the disc is the sprite's
// pixel exactly, and every other pixel is the background's.
Surface expected_stamp(const Surface& background, int x, int y, const Ball& ball)
{
    Surface expected = background;
    for (int j = 0; j < ball.mask.height(); ++j)
        for (int i = 0; i < ball.mask.width(); ++i)
            if (expected.contains(x + i, y + j) && ball.mask.at(i, j) == kBlack)
                expected.set(x + i, y + j, ball.sprite.at(i, j));
    return expected;
}

TEST(Stamp, ShowsTheSpriteInsideTheDiscAndKeepsTheBackgroundOutside)
{
    for (int size : {48, 72}) {
        const Ball ball = make_ball(size);
        const Surface background = make_background(100, 90);
        // Fully inside, and hanging off every edge and corner.
        const int places[][2] = {{20, 10}, {-20, 10}, {80, 10}, {20, -30}, {20, 70}, {-30, -30},
                                 {70, -30}, {-30, 60}, {70, 60}, {-size, 0}, {100, 90}};
        for (auto [x, y] : places) {
            Surface screen = background;
            stamp(screen, {x, y}, ball.mask, ball.sprite);
            ASSERT_TRUE(same_pixels(screen, expected_stamp(background, x, y, ball)))
                << size << "-pixel ball at (" << x << ", " << y << ")";

            // The scaled form at the cell's own size is the same picture.
            Surface scaled = background;
            stamp_scaled(scaled, {x, y, size, size}, ball.mask, ball.sprite);
            ASSERT_TRUE(same_pixels(scaled, screen)) << "scaled " << size << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(Stamp, ScaledStampKeepsTheBackgroundOutsideTheScaledDisc)
{
    const Ball ball = make_ball(48);
    const Surface background = make_background(80, 80);
    for (int size : {-60, -31, -1, 0, 1, 5, 24, 31, 47, 49, 60, 96}) {
        Surface screen = background;
        stamp_scaled(screen, {40, 40, size, size}, ball.mask, ball.sprite);
        // The mask and the sprite are sampled alike, so every pixel is
        // either the background or a pixel of the sprite's disc.
        Surface mask(80, 80, kWhite), sprite(80, 80, kBlack);
        stretch_blit(mask, {40, 40, size, size}, ball.mask, {0, 0, 48, 48}, RasterOp::Copy);
        stretch_blit(sprite, {40, 40, size, size}, ball.sprite, {0, 0, 48, 48}, RasterOp::Copy);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x) {
                Pixel want = mask.at(x, y) == kBlack ? sprite.at(x, y) : background.at(x, y);
                ASSERT_EQ(screen.at(x, y), want) << "size " << size << " pixel (" << x << ", " << y
                                                 << "): expected " << std::hex << want << ", got "
                                                 << screen.at(x, y);
            }
    }
}

} // namespace
} // namespace gfx
