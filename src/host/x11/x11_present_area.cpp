#include "host/x11/x11_host_impl.h"

#include "gfx/rect_set.h"

// Putting parts of a frame on the screen: the saver sends the cells its balls
// left and entered, a dialog the control it redrew. Each block is copied
// from the frame into the image and sent on its own, so a frame costs what
// changed on it, not the size of the screen.
namespace host::x11 {

void FramePresenter::present_areas(Drawable target, GC gc, const gfx::Surface& frame,
                                   std::span<const gfx::Rect> areas)
{
    if (frame.empty() || areas.empty() || !ensure_image(frame.width(), frame.height()))
        return;
    bool sent = false;
    for (const gfx::Rect& area : areas) {
        const gfx::Rect block = area.intersected(frame.rect());
        if (block.empty())
            continue;
        fill_image(frame, block);
        put_image(target, gc, block);
        sent = true;
    }
    if (sent)
        finish_puts();
}

void X11Window::refresh_areas(std::span<const gfx::Rect> areas)
{
    m_presenter->present_areas(m_id, m_gc, frame(), areas);
    m_host.presented(m_id);
    m_host.set_shm_used(m_presenter->uses_shm());
}

} // namespace host::x11
