#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/color.h"
#include "gfx/numeric.h"
#include "gfx/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

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

bool full_redraw_requested()
{
    const char* value = std::getenv("ORVELUNE_FULL_REDRAW");
    return value != nullptr && value[0] != '\0' && std::string_view(value) != "0";
}

void Ball_A::mark_whole_frame()
{
    m_drawn_whole = true;
    m_changed_whole = true;
}

bool Ball_A::frame_resized() const
{
    return Display->width() != m_frame_width || Display->height() != m_frame_height;
}

void Ball_A::note_drawn(gfx::Rect block)
{
    // Whole redraws keep no account; should they be switched off, the
    // first restore and present after are whole.
    if (full_redraw) {
        mark_whole_frame();
        return;
    }
    block = block.intersected(Display->rect());
    if (!m_drawn_whole)
        m_drawn.add(block);
    if (!m_changed_whole)
        m_changed.add(block);
}

void Ball_A::RestoreBackground()
{
    if (!Display)
        return;
    if (trace)
        trace->restore();
    // The single-colour background is a fill; Pic_Base is not consulted.
    const bool fill = settings.g_BackgroundMode == 2;
    const gfx::Pixel colour = gfx::pixel_from_colorref(settings.g_BackgroundColor);
    if (full_redraw || m_drawn_whole || frame_resized()) {
        if (fill)
            Display->fill(colour);
        else
            gfx::blit(*Display, {0, 0}, Pic_Base, gfx::RasterOp::Copy);
        m_frame_width = Display->width();
        m_frame_height = Display->height();
        m_changed_whole = true;
    } else {
        // Outside these blocks Display holds the background already.
        for (const gfx::Rect& r : m_drawn.rects()) {
            if (fill)
                gfx::fill_box(*Display, r, colour);
            else
                gfx::blit(*Display, r.origin(), Pic_Base, r, gfx::RasterOp::Copy);
            if (!m_changed_whole)
                m_changed.add(r);
        }
    }
    m_drawn.clear();
    m_drawn_whole = false;
}

void Ball_A::BlitBall(int n, double x, double y)
{
    if (!Display || n < 1 || n > kCentreBall)
        return;
    int px = 0, py = 0;
    if (!to_pixel(x, px) || !to_pixel(y, py))
        return;
    const bool centre = n == kCentreBall;
    const int size = centre ? g_LargeBallSize : g_SmallBallSize;
    if (trace)
        trace->ball(n, px, py, size, size);
    // A ball wholly off the frame changes nothing; transfers are clipped anyway.
    const gfx::Rect cell{px, py, size, size};
    if (!cell.intersects(Display->rect()))
        return;
    gfx::stamp(*Display, cell.origin(), centre ? Pic_Mask_C : Pic_Mask, Pic_Mas[std::size_t(n)]);
    note_drawn(cell);
}

void Ball_A::blit_ball_scaled(int n, double x, double y, double w, double h)
{
    if (!Display || n < 1 || n > kCentreBall)
        return;
    int px = 0, py = 0, pw = 0, ph = 0;
    if (!to_pixel(x, px) || !to_pixel(y, py) || !to_pixel(w, pw) || !to_pixel(h, ph))
        return;
    if (trace)
        trace->ball(n, px, py, pw, ph);
    // A negative size reaches left of (or above) the corner and includes the
    // corner's own column (row), as the stretching transfer draws it.
    const gfx::Rect to{px, py, pw, ph};
    const gfx::Rect cover = gfx::stretch_cover(to);
    if (!cover.intersects(Display->rect()))
        return;
    gfx::stamp_scaled(*Display, to, n == kCentreBall ? Pic_Mask_C : Pic_Mask, Pic_Mas[std::size_t(n)]);
    note_drawn(cover);
}

// The trace line comes first: a headless run that stops at a frame limit
// stops inside refresh(), and the frame it stops on must be in the trace.
void Ball_A::PresentFrame()
{
    if (trace)
        trace->frame(settings.g_PcSpec);
    if (window && Display) {
        if (full_redraw || m_changed_whole || frame_resized())
            window->refresh();
        else
            window->refresh_areas(m_changed.rects());
        m_changed.clear();
        m_changed_whole = false;
    }
    do_events();
    host.sleep_ms(settings.g_PcSpec);
}

void Ball_A::pause(int ms)
{
    ms = std::max(ms, 0);
    if (trace)
        trace->sleep(ms);
    host.sleep_ms(ms);
}

void Ball_A::do_events()
{
    host.process_pending_messages();
}
