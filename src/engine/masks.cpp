// The two fixed ball masks: a black disc on white, one for the small balls'
// 48-pixel cells and one for the centre ball's 72-pixel cell. The compositor
// ANDs a mask onto the frame to blank the ball's disc before the sprite is
// XORed into it.
//
// The masks are drawings, not circles: they were painted by hand and are a
// little taller at the bottom than at the top, and the sprites' outermost
// disc was drawn to sit inside exactly these shapes. So they are kept as
// data, one inset per row: each row is black from column `inset` to column
// size - 1 - inset and white elsewhere.

#include "engine/ball_geometry.h"
#include "engine/stage.h"

#include <cstddef>
#include <iterator>

namespace {

constexpr int kSmallMaskInsets[] = {
    20, 16, 14, 12, 11, 9, 8, 7, 6, 5, 5, 4, 3, 3, 2, 2, 1, 1, 1, 1,
    0,  0,  0,  0,  0,  0, 0, 0, 0,
    1,  1,  1,  1,  2,  2, 3, 3, 4, 5, 5, 6, 7, 8, 10, 11, 13, 15, 19,
};

constexpr int kLargeMaskInsets[] = {
    31, 26, 23, 21, 19, 17, 16, 15, 13, 12, 11, 10, 9, 8, 8, 7,
    6,  5,  5,  4,  4,  3,  3,  2,  2,  2,  1,  1,  1, 1, 1,
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    1,  1,  1,  1,  1,  2,  2,  2,  3,  3,  4,  4,  5, 5, 6, 7,
    8,  8,  9,  10, 11, 12, 14, 15, 16, 18, 20, 22, 25, 30,
};

static_assert(std::size(kSmallMaskInsets) == kSmallBallSize);
static_assert(std::size(kLargeMaskInsets) == kLargeBallSize);

template <std::size_t Size>
void draw_mask(gfx::Surface& mask, const int (&insets)[Size])
{
    constexpr int size = int(Size);
    mask.resize(size, size, gfx::kWhite);
    for (int y = 0; y < size; ++y) {
        gfx::Pixel* row = mask.row(y);
        for (int x = insets[y]; x <= size - 1 - insets[y]; ++x)
            row[x] = gfx::kBlack;
    }
}

} // namespace

void draw_ball_masks(gfx::Surface& small, gfx::Surface& centre)
{
    draw_mask(small, kSmallMaskInsets);
    draw_mask(centre, kLargeMaskInsets);
}
