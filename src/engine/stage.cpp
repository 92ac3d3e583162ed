#include "engine/stage.h"

#include "engine/ball_geometry.h"
#include "host/host.h"
#include "settings/setting_choices.h"

#include "gfx/color.h"
#include "gfx/numeric.h"
#include "gfx/raster.h"

#include <algorithm>
#include <cmath>

// The frame primitives. Everything an action draws reaches Display through
// these, and each writes its own trace entry, so the trace is complete by
// construction and costs one null test when it is off. Nothing here
// allocates.
//
// They also keep account of what they drew, so that a frame costs what
// changes on it rather than what the screen holds: balls are drawn only
// through BlitBall and blit_ball_scaled, so Display differs from the
// background only in the blocks they drew since the last restore, and from
// the screen only in those and the blocks restored since the last present.
// A restore copies (or fills) just the former and a present sends just the
// latter, which gives the same frame, pixel for pixel, as a whole copy and
// a whole refresh. Anything that changes Display or the background another
// way calls mark_whole_frame(), and the next restore and present are whole.

namespace {

// Reals become whole pixels to the nearest integer, halves to even. A value
// that no screen coordinate can take (not finite, or beyond a billion pixels)
// makes the conversion fail and the drawing is skipped, as a failed
// statement would be; the bound also keeps x + width far from overflowing.
constexpr double kPixelLimit = 1 << 30;

bool to_pixel(double v, int& out)
{
    if (!std::isfinite(v) || v < -kPixelLimit || v > kPixelLimit)
        return false;
    out = gfx::round_half_even(v);
    return true;
}

} // namespace

Stage::Stage(const Settings& settings, host::Host* host, Trace* trace, bool full_redraw)
    : m_settings(settings), m_host(host), m_trace(trace), m_full_redraw(full_redraw)
{
}

void Stage::attach(gfx::Surface& frame, host::Window* window, gfx::Pixel background)
{
    m_display = &frame;
    m_window = window;
    frame.fill(background);
    m_base.resize(frame.width(), frame.height(), background);
    // Every sprite at its cell's size, black until it is painted (the grid
    // background sizes ball 0 anew for its grid).
    for (int n = 0; n <= kSmallBalls; ++n)
        m_sprites[std::size_t(n)].resize(kSmallBallSize, kSmallBallSize, gfx::kBlack);
    m_sprites[kCentreBall].resize(kLargeBallSize, kLargeBallSize, gfx::kBlack);
    draw_ball_masks(m_mask, m_mask_centre);
    mark_whole_frame();
}

gfx::Surface& Stage::change_Pic_Base()
{
    mark_whole_frame();
    return m_base;
}

void Stage::set_full_redraw(bool on)
{
    m_full_redraw = on;
    mark_whole_frame();
}

void Stage::mark_whole_frame()
{
    m_drawn_whole = true;
    m_changed_whole = true;
}

bool Stage::frame_resized() const
{
    return m_display->width() != m_frame_width || m_display->height() != m_frame_height;
}

void Stage::note_drawn(gfx::Rect block)
{
    // Whole redraws keep no account; should they be switched off, the
    // first restore and present after are whole.
    if (m_full_redraw) {
        mark_whole_frame();
        return;
    }
    block = block.intersected(m_display->rect());
    if (!m_drawn_whole)
        m_drawn.add(block);
    if (!m_changed_whole)
        m_changed.add(block);
}

void Stage::RestoreBackground()
{
    if (!m_display)
        return;
    if (m_trace)
        m_trace->restore();
    // The single-colour background is a fill; Pic_Base is not consulted.
    const bool fill = background_pattern(m_settings) == BackgroundPattern::SingleColour;
    const gfx::Pixel colour = gfx::pixel_from_colorref(m_settings.g_BackgroundColor);
    if (m_full_redraw || m_drawn_whole || frame_resized()) {
        if (fill)
            m_display->fill(colour);
        else
            gfx::blit(*m_display, {0, 0}, m_base, gfx::RasterOp::Copy);
        m_frame_width = m_display->width();
        m_frame_height = m_display->height();
        m_changed_whole = true;
    } else {
        // Outside these blocks Display holds the background already.
        for (const gfx::Rect& r : m_drawn.rects()) {
            if (fill)
                gfx::fill_box(*m_display, r, colour);
            else
                gfx::blit(*m_display, r.origin(), m_base, r, gfx::RasterOp::Copy);
            if (!m_changed_whole)
                m_changed.add(r);
        }
    }
    m_drawn.clear();
    m_drawn_whole = false;
}

void Stage::BlitBall(int n, double x, double y)
{
    if (!m_display || n < 1 || n > kCentreBall)
        return;
    int px = 0, py = 0;
    if (!to_pixel(x, px) || !to_pixel(y, py))
        return;
    const bool centre = n == kCentreBall;
    const int size = centre ? kLargeBallSize : kSmallBallSize;
    if (m_trace)
        m_trace->ball(n, px, py, size, size);
    // A ball wholly off the frame changes nothing; transfers are clipped anyway.
    const gfx::Rect cell{px, py, size, size};
    if (!cell.intersects(m_display->rect()))
        return;
    gfx::stamp(*m_display, cell.origin(), centre ? m_mask_centre : m_mask, m_sprites[std::size_t(n)]);
    note_drawn(cell);
}

void Stage::blit_ball_scaled(int n, double x, double y, double w, double h)
{
    if (!m_display || n < 1 || n > kCentreBall)
        return;
    int px = 0, py = 0, pw = 0, ph = 0;
    if (!to_pixel(x, px) || !to_pixel(y, py) || !to_pixel(w, pw) || !to_pixel(h, ph))
        return;
    if (m_trace)
        m_trace->ball(n, px, py, pw, ph);
    // A negative size reaches left of (or above) the corner and includes the
    // corner's own column (row), as the stretching transfer draws it.
    const gfx::Rect to{px, py, pw, ph};
    const gfx::Rect cover = gfx::stretch_cover(to);
    if (!cover.intersects(m_display->rect()))
        return;
    gfx::stamp_scaled(*m_display, to, n == kCentreBall ? m_mask_centre : m_mask, m_sprites[std::size_t(n)]);
    note_drawn(cover);
}

// The trace line comes first: a headless run that stops at a frame limit
// stops inside refresh(), and the frame it stops on must be in the trace.
void Stage::PresentFrame()
{
    if (m_trace)
        m_trace->frame(m_settings.g_PcSpec);
    if (m_window && m_display) {
        if (m_full_redraw || m_changed_whole || frame_resized())
            m_window->refresh();
        else
            m_window->refresh_areas(m_changed.rects());
        m_changed.clear();
        m_changed_whole = false;
    }
    if (m_host) {
        m_host->process_pending_messages();
        m_host->sleep_ms(m_settings.g_PcSpec);
    }
}
