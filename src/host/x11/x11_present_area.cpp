#include "host/x11/x11_host_impl.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Putting part of a frame on the screen: a dialog that changed one control
// sends that control's pixels, not the whole window's.
namespace host::x11 {

namespace {

constexpr int kHostByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

unsigned long scale_into_mask(int value, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return ((static_cast<unsigned long>(value) * max + 127) / 255) << shift;
}

gfx::Rect clipped(gfx::Rect area, const gfx::Surface& frame)
{
    const int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
    const int x1 = std::min(area.x + area.width, frame.width());
    const int y1 = std::min(area.y + area.height, frame.height());
    return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

} // namespace

void FramePresenter::fill_image_area(const gfx::Surface& frame, gfx::Rect area)
{
    const bool words = m_image->bits_per_pixel == 32 && m_image->byte_order == kHostByteOrder;
    for (int y = area.y; y < area.y + area.height; ++y) {
        const gfx::Pixel* row = frame.row(y) + area.x;
        if (m_native_pixels && words) {
            std::memcpy(m_image->data + std::size_t(y) * std::size_t(m_image->bytes_per_line)
                            + std::size_t(area.x) * sizeof(gfx::Pixel),
                        row, std::size_t(area.width) * sizeof(gfx::Pixel));
            continue;
        }
        for (int x = 0; x < area.width; ++x)
            XPutPixel(m_image, area.x + x, y,
                      scale_into_mask(gfx::red_of(row[x]), m_visual->red_mask)
                          | scale_into_mask(gfx::green_of(row[x]), m_visual->green_mask)
                          | scale_into_mask(gfx::blue_of(row[x]), m_visual->blue_mask));
    }
}

void FramePresenter::present_area(Drawable target, GC gc, const gfx::Surface& frame, gfx::Rect area)
{
    area = clipped(area, frame);
    if (area.width <= 0 || area.height <= 0)
        return;
    const bool fresh = !m_image || m_image->width != frame.width() || m_image->height != frame.height();
    if (!ensure_image(frame.width(), frame.height()))
        return;
    if (fresh) {
        // A new image holds nothing yet: the whole frame goes this once.
        present(target, gc, frame);
        return;
    }
    fill_image_area(frame, area);
    const unsigned w = unsigned(area.width), h = unsigned(area.height);
    if (m_shm_attached) {
        XShmPutImage(m_display, target, gc, m_image, area.x, area.y, area.x, area.y, w, h, False);
        XSync(m_display, False);
    } else {
        XPutImage(m_display, target, gc, m_image, area.x, area.y, area.x, area.y, w, h);
        XFlush(m_display);
    }
}

void X11Window::refresh_area(gfx::Rect area)
{
    m_presenter->present_area(m_id, m_gc, m_frame, area);
    m_host.set_shm_used(m_presenter->uses_shm());
}

} // namespace host::x11
