#include "host/x11/x11_host_impl.h"

#include <algorithm>

// Putting part of a frame on the screen: a dialog that changed one control
// sends the server that control's pixels, not the whole window's. The image
// is refreshed whole (a copy in our own memory, far cheaper than the
// transfer), and only the area goes out.
namespace host::x11 {

void FramePresenter::present_area(Drawable target, GC gc, const gfx::Surface& frame, gfx::Rect area)
{
    const int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
    const int x1 = std::min(area.x + area.width, frame.width());
    const int y1 = std::min(area.y + area.height, frame.height());
    if (x0 >= x1 || y0 >= y1 || !ensure_image(frame.width(), frame.height()))
        return;
    fill_image(frame);
    const unsigned w = unsigned(x1 - x0), h = unsigned(y1 - y0);
    if (m_shm_attached) {
        XShmPutImage(m_display, target, gc, m_image, x0, y0, x0, y0, w, h, False);
        // As for whole frames: the server must have read the segment first.
        XSync(m_display, False);
    } else {
        XPutImage(m_display, target, gc, m_image, x0, y0, x0, y0, w, h);
        XFlush(m_display);
    }
}

void X11Window::refresh_area(gfx::Rect area)
{
    m_presenter->present_area(m_id, m_gc, m_frame, area);
    m_host.set_shm_used(m_presenter->uses_shm());
}

} // namespace host::x11
