#include "host/x11/x11_host_impl.h"

#include <algorithm>

// The window zoom: outlines drawn by inverting pixels of the screen, so that
// drawing each one a second time takes it away again, growing from one
// rectangle into the other.
namespace host::x11 {

namespace {

// Eight outlines 25 ms apart: a fifth of a second. Each stays while the next
// two are drawn, which gives the zoom its trail.
constexpr int kSteps = 8;
constexpr int kStepMs = 25;
constexpr int kTrail = 2;

gfx::Rect between(gfx::Rect from, gfx::Rect to, int step)
{
    auto mix = [step](int a, int b) { return a + (b - a) * step / kSteps; };
    return {mix(from.x, to.x), mix(from.y, to.y), mix(from.width, to.width), mix(from.height, to.height)};
}

} // namespace

std::optional<gfx::Point> X11Host::pointer_position()
{
    ::Window root_return = 0, child = 0;
    int root_x = 0, root_y = 0, win_x = 0, win_y = 0;
    unsigned mask = 0;
    // False when the pointer is on another screen of the display.
    if (!XQueryPointer(m_display, m_root, &root_return, &child, &root_x, &root_y, &win_x, &win_y, &mask))
        return std::nullopt;
    return gfx::Point{root_x, root_y};
}

void X11Host::animate_zoom(gfx::Rect from, gfx::Rect to)
{
    if (m_options.placement != X11Placement::Desktop)
        return;
    XGCValues values{};
    values.function = GXxor;
    values.subwindow_mode = IncludeInferiors; // over every window, ours included
    values.foreground = WhitePixel(m_display, m_screen) ^ BlackPixel(m_display, m_screen);
    values.line_width = 1;
    GC gc = XCreateGC(m_display, m_root, GCFunction | GCSubwindowMode | GCForeground | GCLineWidth, &values);
    auto outline = [&](int step) {
        const gfx::Rect r = between(from, to, step);
        XDrawRectangle(m_display, m_root, gc, r.x, r.y, unsigned(std::max(r.width, 0)),
                       unsigned(std::max(r.height, 0)));
    };
    // Nothing else may draw while outlines are on the screen: an outline
    // inverted over a changed picture could not be taken away cleanly.
    XGrabServer(m_display);
    for (int step = 1; step <= kSteps; ++step) {
        outline(step);
        if (step > kTrail)
            outline(step - kTrail);
        XFlush(m_display);
        sleep_ms(kStepMs);
    }
    for (int step = kSteps - kTrail + 1; step <= kSteps; ++step)
        outline(step);
    XUngrabServer(m_display);
    XFreeGC(m_display, gc);
    XFlush(m_display);
}

} // namespace host::x11
