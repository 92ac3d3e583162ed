#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/color.h"
#include "gfx/numeric.h"
#include "gfx/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// The frame primitives. Everything an action draws reaches Display through
// these, and each writes its own trace entry, so the trace is complete by
// construction and costs one null test when it is off. Nothing here
// allocates: a frame is one full-screen copy or fill, two small transfers per
// ball and one refresh.

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

// True when the block with one corner at (x, y) and the signed extent w x h
// (a negative extent reaches left of or above the corner) meets the surface.
bool touches(const gfx::Surface& surface, int x, int y, int w, int h)
{
    const std::int64_t left = std::min<std::int64_t>(x, std::int64_t(x) + w);
    const std::int64_t right = std::max<std::int64_t>(x, std::int64_t(x) + w);
    const std::int64_t top = std::min<std::int64_t>(y, std::int64_t(y) + h);
    const std::int64_t bottom = std::max<std::int64_t>(y, std::int64_t(y) + h);
    return w != 0 && h != 0 && right > 0 && bottom > 0 && left < surface.width()
           && top < surface.height();
}

} // namespace

void Ball_A::RestoreBackground()
{
    if (!Display)
        return;
    if (trace)
        trace->restore();
    // The single-colour background is a fill; Pic_Base is not consulted.
    if (settings.g_BackgroundMode == 2)
        Display->fill(gfx::pixel_from_colorref(settings.g_BackgroundColor));
    else
        gfx::blit(*Display, 0, 0, Pic_Base, gfx::RasterOp::Copy);
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
    if (touches(*Display, px, py, size, size))
        gfx::stamp(*Display, px, py, centre ? Pic_Mask_C : Pic_Mask, Pic_Mas[std::size_t(n)]);
}

void Ball_A::BlitBallScaled(int n, double x, double y, double w, double h)
{
    if (!Display || n < 1 || n > kCentreBall)
        return;
    int px = 0, py = 0, pw = 0, ph = 0;
    if (!to_pixel(x, px) || !to_pixel(y, py) || !to_pixel(w, pw) || !to_pixel(h, ph))
        return;
    if (trace)
        trace->ball(n, px, py, pw, ph);
    if (touches(*Display, px, py, pw, ph))
        gfx::stamp_scaled(*Display, px, py, pw, ph, n == kCentreBall ? Pic_Mask_C : Pic_Mask,
                          Pic_Mas[std::size_t(n)]);
}

// The trace line comes first: a headless run that stops at a frame limit
// stops inside refresh(), and the frame it stops on must be in the trace.
void Ball_A::PresentFrame()
{
    if (trace)
        trace->frame(settings.g_PcSpec);
    if (window)
        window->refresh();
    DoEvents();
    host.sleep_ms(settings.g_PcSpec);
}

void Ball_A::Pause(int ms)
{
    ms = std::max(ms, 0);
    if (trace)
        trace->sleep(ms);
    host.sleep_ms(ms);
}

void Ball_A::DoEvents()
{
    host.process_pending_messages();
}
