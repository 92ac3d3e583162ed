// The shaded ball sprites. A ball is a stack of filled discs, each smaller and
// lighter than the one below it, whose centres drift one way so that the
// lightest discs gather into a highlight on one side of the ball. The discs
// are painted over whatever the sprite held, on its black ground: the
// compositor XORs the sprite into a blanked disc, so the ground outside the
// outermost disc must stay black.

#include "engine/sprites.h"

#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/numeric.h"
#include "gfx/raster.h"

#include <algorithm>

namespace {

// 64 steps are always taken; with the radius shrinking by 2 per step only the
// first half of the cell's radius, 12 discs for a small ball and 18 for the
// centre ball, is ever drawn.
constexpr int kShadeSteps = 64;

// Where disc k sits relative to the cell's centre, per highlight style: the
// x offset is fixed_x + k * per_step_x, the y offset k * per_step_y.
struct HighlightDrift {
    int fixed_x;
    int per_step_x;
    int per_step_y;
};

// Styles 1 to 5: upper left, centre, lower right, bottom, upper right. The
// bottom highlight stands one pixel left of the centre line, whatever k is.
constexpr HighlightDrift kHighlightDrifts[] = {
    {0, -1, -1},
    {0, 0, 0},
    {0, 1, 1},
    {-1, 0, 1},
    {0, 1, -1},
};

// Components brighten up to white and no further. A component below 0 (a
// settings file written by hand) is taken as 0 rather than wrapping round
// into a bright value.
int shade_component(int base, int k, int step) { return std::clamp(base + k * step, 0, 255); }

// The sprites of balls 1 to 10 lighten by 16 per disc, so a small ball's
// twelve discs span +176; the centre ball's eighteen discs take 12 each
// (+204). The grid ball lightens by its column count (4 to 8): with more and
// smaller balls on the screen the grid stays dark.
constexpr int kSmallBallStep = 16;
constexpr int kCentreBallStep = 12;

} // namespace

void DrawHalftoneBall(gfx::Surface& sprite, int style, int step, int red, int green, int blue)
{
    if (style < kFirstHighlightStyle || style > kLastHighlightStyle)
        return; // no highlight direction yet: the sprite is left as it is

    const HighlightDrift drift = kHighlightDrifts[style - 1];
    const int cx = sprite.width() / 2;
    const int cy = sprite.height() / 2;

    for (int k = 0; k < kShadeSteps; ++k) {
        const int radius = cx - 2 * k;
        if (radius <= 0)
            continue;
        const gfx::Pixel colour = gfx::rgb(shade_component(red, k, step),
                                           shade_component(green, k, step),
                                           shade_component(blue, k, step));
        gfx::fill_disc(sprite, {cx + drift.fixed_x + k * drift.per_step_x, cy + k * drift.per_step_y},
                       radius, colour);
    }
}

void paint_ball_sprites(Stage& stage, const Settings& settings, int style)
{
    for (int n = 1; n <= kCentreBall; ++n) {
        const auto slot = std::size_t(n);
        DrawHalftoneBall(stage.paint_Pic_Mas(n), style,
                         n == kCentreBall ? kCentreBallStep : kSmallBallStep,
                         settings.g_BallRed[slot], settings.g_BallGreen[slot],
                         settings.g_BallBlue[slot]);
    }
}

void Ball_A::DrawHalftoneBall(std::int16_t index, std::int16_t red, std::int16_t green,
                              std::int16_t blue)
{
    if (index < 0 || index > kCentreBall)
        return;
    int step = kSmallBallStep;
    if (index == kCentreBall)
        step = kCentreBallStep;
    else if (index == 0)
        step = gfx::round_half_even(m_grid.GradientColumns());
    ::DrawHalftoneBall(m_stage.paint_Pic_Mas(index), m_scheduler.HighlightStyle(), step, red, green, blue);
}
