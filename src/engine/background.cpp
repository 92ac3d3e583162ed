// The background composer. Between actions it repaints the eleven ball
// sprites in the next highlight style and rebuilds Pic_Base, the picture
// every frame starts from, for the chosen background:
//   1  a grid of dark shaded balls, new on every run;
//   2  a single colour (the compositor fills it; nothing is composed here);
//   3  the screen as it was when the saver started;
//   4  a picture file, centred or tiled (the grid when no file is at its path).
// Patterns 3 and 4 are composed once, on the run inside the load, and then
// kept for the saver's whole life.

#include "engine/ball_geometry.h"
#include "engine/saver_window.h"
#include "engine/sprites.h"

#include "gfx/color.h"
#include "gfx/numeric.h"
#include "gfx/raster.h"
#include "settings/setting_choices.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Pattern 1: the saver's grid() of dark shaded balls; the space left over is
// shared out evenly as gaps before, between and after the balls.
void compose_ball_grid(Ball_A& saver)
{
    gfx::Surface& grid_ball = saver.stage().paint_Pic_Mas(0);
    grid_ball.fill(gfx::kBlack);

    const BallGrid& grid = saver.grid();
    const int size = grid.GradientBallSize();
    grid_ball.resize(size, size);

    const double columns = grid.GradientColumns();
    const double rows = grid.GradientRows();
    const double gap_x = (saver.ScreenWidthPx() - columns * size) / (columns + 1);
    const double gap_y = (saver.ScreenHeightPx() - rows * size) / (rows + 1);

    // A dark colour: each component 0 to 63, so the balls of the grid stay
    // behind the brighter balls of the action.
    const int red = gfx::floor_int(saver.Rnd() * 256) % 64;
    const int green = gfx::floor_int(saver.Rnd() * 256) % 64;
    const int blue = gfx::floor_int(saver.Rnd() * 256) % 64;
    saver.DrawHalftoneBall(0, std::int16_t(red), std::int16_t(green), std::int16_t(blue));

    // Plain copies, no mask: the sprite's black ground is the grid's black.
    gfx::Surface& base = saver.stage().change_Pic_Base(); // a new picture under every pixel
    base.fill(gfx::kBlack);
    for (int i = 0; i < int(columns); ++i) {
        for (int j = 0; j < int(rows); ++j) {
            const int x = gfx::round_half_even(gap_x + (gap_x + size) * i);
            const int y = gfx::round_half_even(gap_y + (gap_y + size) * j);
            gfx::blit(base, {x, y}, grid_ball, gfx::RasterOp::Copy);
        }
    }
    saver.stage().RestoreBackground();
}

// Pattern 3. On the run inside the load the saver's window is not shown yet,
// so the capture holds the screen as the user left it. A failed capture
// leaves the background colour that Pic_Base got at load.
void compose_startup_screen(Ball_A& saver)
{
    saver.host().capture_desktop(saver.stage().change_Pic_Base());
    saver.stage().RestoreBackground();
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
// decoded, or that has no pixels, leaves just the background colour: the
// empty picture is never tiled, since its zero width would never advance the
// loop. When there is no file to read at the path at all, nothing is composed
// and the answer says so: the caller puts the ball grid in its place.
host::PictureResult compose_picture(Ball_A& saver)
{
    const Settings& settings = saver.settings();
    // Decoding a picture can take a while. The saver's window goes up first,
    // in the background colour the picture will lie on, so that what ends
    // the saver (a click, a key, a move) reaches it meanwhile: the hosts
    // keep delivering input while they decode.
    if (host::Window* window = saver.window()) {
        window->show(true);
        window->set_topmost(true);
    }
    Stage& stage = saver.stage();
    const host::PictureResult result = saver.host().load_picture(settings.g_BackgroundPicturePath, stage.load_Pic_bk_G());
    if (result == host::PictureResult::Unreadable)
        return result;
    if (result != host::PictureResult::Decoded)
        stage.load_Pic_bk_G().resize(0, 0);
    const gfx::Surface& picture = stage.Pic_bk_G();

    gfx::Surface& base = stage.change_Pic_Base();
    base.fill(gfx::pixel_from_colorref(settings.g_BackgroundColor));
    if (!picture.empty()) {
        if (arrangement(settings) == Arrangement::Centred) {
            // A picture larger than the screen is cut evenly on all sides.
            const int x = gfx::round_half_even((saver.ScreenWidthPx() - picture.width()) / 2);
            const int y = gfx::round_half_even((saver.ScreenHeightPx() - picture.height()) / 2);
            gfx::blit(base, {x, y}, picture, gfx::RasterOp::Copy);
        } else {
            tile_picture(base, picture, saver.ScreenWidthPx(), saver.ScreenHeightPx());
        }
    }
    stage.RestoreBackground();
    return result;
}

} // namespace

BallGrid::BallGrid(double columns, double screen_width, double screen_height) : m_columns(columns)
{
    const double ball_size = std::floor(screen_width / columns);
    m_ball_size = std::int16_t(std::min<double>(ball_size, std::numeric_limits<std::int16_t>::max()));
    const int size = m_ball_size;
    // A screen narrower than the columns has balls of size 0: no row fits.
    m_rows = size > 0 ? std::floor(screen_height / size) : 0;
}

void Ball_A::ComposeBackground()
{
    const std::int16_t style = m_scheduler.next_highlight_style();
    paint_ball_sprites(m_stage, m_settings, style);

    // A picture path with no file behind it gets the ball grid, now and on
    // every later run. Whether the file is there is the decoder's to find:
    // the settings loader never looks, since a path on a mount that stopped
    // answering would hold whoever looks.
    if (background_pattern(m_settings) == BackgroundPattern::Picture && m_scheduler.FirstRun()
        && compose_picture(*this) == host::PictureResult::Unreadable)
        m_settings.g_BackgroundMode = setting_number(BackgroundPattern::BallGrid);

    switch (background_pattern(m_settings)) {
    case BackgroundPattern::BallGrid:
        // 4 to 8 columns.
        m_grid = BallGrid(std::floor(Rnd() * 5 + 4), m_screen_width, m_screen_height);
        compose_ball_grid(*this);
        break;
    case BackgroundPattern::ScreenAtStart:
        if (m_scheduler.FirstRun())
            compose_startup_screen(*this);
        break;
    case BackgroundPattern::Picture:
        // Composed above, on the first run.
        break;
    case BackgroundPattern::SingleColour:
        // Filled by the compositor on every frame.
        break;
    case BackgroundPattern::Other:
        // The background colour Pic_Base got at load.
        break;
    }

    if (trace())
        trace()->compose(style);
}
