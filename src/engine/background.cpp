// The background composer. Between actions it repaints the eleven ball
// sprites in the next highlight style and rebuilds Pic_Base, the picture
// every frame starts from, for the chosen background:
//   1  a grid of dark shaded balls, new on every run;
//   2  a single colour (the compositor fills it; nothing is composed here);
//   3  the screen as it was when the saver started;
//   4  a picture file, centred or tiled.
// Patterns 3 and 4 are composed once, on the run inside the load, and then
// kept for the saver's whole life.

#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/color.h"
#include "gfx/numeric.h"
#include "gfx/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kBallGrid = 1;
constexpr int kStartupScreen = 3;
constexpr int kPictureFile = 4;
constexpr int kCentred = 1;

// The last highlight style before the cycle starts again at 1.
constexpr int kLastHighlightStyle = 5;

// Pattern 1: GradientColumns balls across, 4 to 8, each as large as the
// screen's width allows, in as many rows as fit; the space left over is
// shared out evenly as gaps before, between and after the balls.
void compose_ball_grid(Ball_A& saver)
{
    gfx::Surface& grid_ball = saver.Pic_Mas[0];
    grid_ball.fill(gfx::kBlack);

    saver.GradientColumns = std::floor(saver.Rnd() * 5 + 4);
    const double ball_size = std::floor(saver.ScreenWidthPx / saver.GradientColumns);
    saver.g_GradientBallSize =
        std::int16_t(std::min<double>(ball_size, std::numeric_limits<std::int16_t>::max()));
    const int size = saver.g_GradientBallSize;
    // A screen narrower than the columns has balls of size 0: no row fits.
    saver.GradientRows = size > 0 ? std::floor(saver.ScreenHeightPx / size) : 0;
    grid_ball.resize(size, size);

    const double columns = saver.GradientColumns;
    const double rows = saver.GradientRows;
    const double gap_x = (saver.ScreenWidthPx - columns * size) / (columns + 1);
    const double gap_y = (saver.ScreenHeightPx - rows * size) / (rows + 1);

    // A dark colour: each component 0 to 63, so the balls of the grid stay
    // behind the brighter balls of the action.
    const int red = gfx::floor_int(saver.Rnd() * 256) % 64;
    const int green = gfx::floor_int(saver.Rnd() * 256) % 64;
    const int blue = gfx::floor_int(saver.Rnd() * 256) % 64;
    saver.DrawHalftoneBall(0, std::int16_t(red), std::int16_t(green), std::int16_t(blue));

    // Plain copies, no mask: the sprite's black ground is the grid's black.
    saver.Pic_Base.fill(gfx::kBlack);
    for (int i = 0; i < int(columns); ++i) {
        for (int j = 0; j < int(rows); ++j) {
            const int x = gfx::round_half_even(gap_x + (gap_x + size) * i);
            const int y = gfx::round_half_even(gap_y + (gap_y + size) * j);
            gfx::blit(saver.Pic_Base, {x, y}, grid_ball, gfx::RasterOp::Copy);
        }
    }
    saver.mark_whole_frame(); // a new picture under every pixel
    saver.RestoreBackground();
}

// Pattern 3. On the run inside the load the saver's window is not shown yet,
// so the capture holds the screen as the user left it. A failed capture
// leaves the background colour that Pic_Base got at load.
void compose_startup_screen(Ball_A& saver)
{
    saver.host.capture_desktop(saver.Pic_Base);
    saver.mark_whole_frame();
    saver.RestoreBackground();
}

// Tiles from the top-left corner. A row or column is started as long as the
// previous copy began on the screen, so the last row and column may hang
// partly or wholly off it.
void tile_picture(gfx::Surface& base, const gfx::Surface& picture, double screen_width,
                  double screen_height)
{
    const int w = picture.width();
    const int h = picture.height();
    for (int x = 0;; x += w) {
        for (int y = 0;; y += h) {
            gfx::blit(base, {x, y}, picture, gfx::RasterOp::Copy);
            if (y > screen_height)
                break;
        }
        if (x > screen_width)
            break;
    }
}

// Pattern 4: the picture on the background colour. A picture that cannot be
// read, or that has no pixels, leaves just the background colour: the empty
// picture is never tiled, since its zero width would never advance the loop.
void compose_picture(Ball_A& saver)
{
    const Settings& settings = saver.settings;
    // Decoding a picture can take a while. The saver's window goes up first,
    // in the background colour the picture will lie on, so that what ends
    // the saver (a click, a key, a move) reaches it meanwhile: the hosts
    // keep delivering input while they decode.
    if (saver.window) {
        saver.window->show(true);
        saver.window->set_topmost(true);
    }
    if (!saver.host.load_picture(settings.g_BackgroundPicturePath, saver.Pic_bk_G))
        saver.Pic_bk_G.resize(0, 0);
    const gfx::Surface& picture = saver.Pic_bk_G;

    saver.Pic_Base.fill(gfx::pixel_from_colorref(settings.g_BackgroundColor));
    if (!picture.empty()) {
        if (settings.g_BackgroundArrangement == kCentred) {
            // A picture larger than the screen is cut evenly on all sides.
            const int x = gfx::round_half_even((saver.ScreenWidthPx - picture.width()) / 2);
            const int y = gfx::round_half_even((saver.ScreenHeightPx - picture.height()) / 2);
            gfx::blit(saver.Pic_Base, {x, y}, picture, gfx::RasterOp::Copy);
        } else {
            tile_picture(saver.Pic_Base, picture, saver.ScreenWidthPx, saver.ScreenHeightPx);
        }
    }
    saver.mark_whole_frame();
    saver.RestoreBackground();
}

} // namespace

void Ball_A::ComposeBackground()
{
    // One style per action: 1, 2, 3, 4, 5, 1, ...; the run at load gets 1.
    ++HighlightStyle;
    if (HighlightStyle > kLastHighlightStyle)
        HighlightStyle = 1;

    for (std::int16_t n = 1; n <= kCentreBall; ++n)
        DrawHalftoneBall(n, settings.g_BallRed[n], settings.g_BallGreen[n],
                         settings.g_BallBlue[n]);

    switch (settings.g_BackgroundMode) {
    case kBallGrid:
        compose_ball_grid(*this);
        break;
    case kStartupScreen:
        if (FirstRun)
            compose_startup_screen(*this);
        break;
    case kPictureFile:
        if (FirstRun)
            compose_picture(*this);
        break;
    default:
        // The single colour is filled by the compositor on every frame; any
        // other value shows the background colour Pic_Base got at load.
        break;
    }

    if (trace)
        trace->compose(HighlightStyle);
}
