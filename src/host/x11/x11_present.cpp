#include "host/x11/x11_present.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace host::x11 {

namespace {

constexpr int kHostByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

bool pixels_are_native(Visual* visual, int depth)
{
    return (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000
           && visual->green_mask == 0x00FF00 && visual->blue_mask == 0x0000FF;
}

bool image_takes_words(const XImage* image)
{
    return image->bits_per_pixel == 32 && image->byte_order == kHostByteOrder;
}

// The visual's channel of a pixel word, for visuals whose masks are not ours.
unsigned long scale_into_mask(int value, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return ((static_cast<unsigned long>(value) * max + 127) / 255) << shift;
}

int scale_from_mask(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return int((((pixel & mask) >> shift) * 255 + max / 2) / max);
}

} // namespace

FramePresenter::FramePresenter(::Display* display, Visual* visual, int depth, bool try_shm)
    : m_display(display), m_visual(visual), m_depth(depth),
      m_shm_wanted(try_shm && XShmQueryExtension(display)),
      m_native_pixels(pixels_are_native(visual, depth))
{
    // A failed attach (a server on another machine) is remembered only for
    // this presenter's first image; later sizes try again, which costs
    // nothing when it works and one round trip when it does not.
    m_shm_ok = m_shm_wanted;
}

FramePresenter::~FramePresenter()
{
    release_image();
}

void FramePresenter::release_image()
{
    if (!m_image)
        return;
    if (m_shm_attached) {
        XShmDetach(m_display, &m_shm);
        XSync(m_display, False);
        m_shm_attached = false;
    }
    if (m_shm.shmaddr) {
        m_image->data = nullptr;
        shmdt(m_shm.shmaddr);
        m_shm.shmaddr = nullptr;
    }
    XDestroyImage(m_image); // frees data allocated for the XPutImage path
    m_image = nullptr;
}

bool FramePresenter::ensure_image(int width, int height)
{
    if (m_image && m_image->width == width && m_image->height == height)
        return true;
    release_image();
    if (width <= 0 || height <= 0)
        return false;

    if (m_shm_ok) {
        m_image = XShmCreateImage(m_display, m_visual, unsigned(m_depth), ZPixmap, nullptr,
                                  &m_shm, unsigned(width), unsigned(height));
        if (m_image) {
            const std::size_t bytes = std::size_t(m_image->bytes_per_line) * std::size_t(height);
            m_shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
            void* address = m_shm.shmid >= 0 ? shmat(m_shm.shmid, nullptr, 0) : nullptr;
            if (address != nullptr && address != reinterpret_cast<void*>(-1)) {
                m_shm.shmaddr = m_image->data = static_cast<char*>(address);
                m_shm.readOnly = False;
                ErrorTrap trap(m_display);
                XShmAttach(m_display, &m_shm);
                m_shm_attached = !trap.failed();
            }
            // Marked for removal at once: the segment goes away with the last
            // detach, so no ending of the process (not even _exit) leaks it.
            if (m_shm.shmid >= 0)
                shmctl(m_shm.shmid, IPC_RMID, nullptr);
            if (m_shm_attached)
                return true;
            release_image();
        }
        m_shm_ok = false;
    }

    m_image = XCreateImage(m_display, m_visual, unsigned(m_depth), ZPixmap, 0, nullptr,
                           unsigned(width), unsigned(height), 32, 0);
    if (!m_image)
        return false;
    m_image->data = static_cast<char*>(
        std::malloc(std::size_t(m_image->bytes_per_line) * std::size_t(height)));
    if (!m_image->data) {
        XDestroyImage(m_image);
        m_image = nullptr;
        return false;
    }
    return true;
}

void FramePresenter::fill_image(const gfx::Surface& frame, gfx::Rect area)
{
    const int x0 = area.x, x1 = area.x + area.width;
    const int y0 = area.y, y1 = area.y + area.height;
    if (m_native_pixels && image_takes_words(m_image)) {
        for (int y = y0; y < y1; ++y)
            std::memcpy(m_image->data + std::size_t(y) * std::size_t(m_image->bytes_per_line)
                            + std::size_t(x0) * sizeof(gfx::Pixel),
                        frame.row(y) + x0, std::size_t(x1 - x0) * sizeof(gfx::Pixel));
        return;
    }
    for (int y = y0; y < y1; ++y) {
        const gfx::Pixel* row = frame.row(y);
        for (int x = x0; x < x1; ++x) {
            const gfx::Pixel p = row[x];
            XPutPixel(m_image, x, y,
                      scale_into_mask(gfx::red_of(p), m_visual->red_mask)
                          | scale_into_mask(gfx::green_of(p), m_visual->green_mask)
                          | scale_into_mask(gfx::blue_of(p), m_visual->blue_mask));
        }
    }
}

void FramePresenter::put_image(Drawable target, GC gc, gfx::Rect area)
{
    const unsigned w = unsigned(area.width), h = unsigned(area.height);
    if (m_shm_attached)
        XShmPutImage(m_display, target, gc, m_image, area.x, area.y, area.x, area.y, w, h, False);
    else
        XPutImage(m_display, target, gc, m_image, area.x, area.y, area.x, area.y, w, h);
}

void FramePresenter::finish_puts()
{
    // The server reads a shared segment after the request arrives; the next
    // frame must not overwrite it before then.
    if (m_shm_attached)
        XSync(m_display, False);
    else
        XFlush(m_display);
}

void FramePresenter::present(Drawable target, GC gc, const gfx::Surface& frame)
{
    if (frame.empty() || !ensure_image(frame.width(), frame.height()))
        return;
    fill_image(frame, frame.rect());
    put_image(target, gc, frame.rect());
    finish_puts();
}

bool read_drawable(::Display* display, Drawable source, Visual* visual, int width, int height,
                  gfx::Surface& into, gfx::Point origin)
{
    width = std::min(width, into.width());
    height = std::min(height, into.height());
    if (width <= 0 || height <= 0)
        return false;
    XImage* image = nullptr;
    {
        ErrorTrap trap(display);
        image = XGetImage(display, source, origin.x, origin.y, unsigned(width), unsigned(height),
                          AllPlanes, ZPixmap);
        if (trap.failed() && image) {
            XDestroyImage(image);
            image = nullptr;
        }
    }
    if (!image)
        return false;
    const bool native = pixels_are_native(visual, image->depth) && image_takes_words(image);
    for (int y = 0; y < height; ++y) {
        gfx::Pixel* row = into.row(y);
        if (native) {
            const auto* src = reinterpret_cast<const std::uint32_t*>(
                image->data + std::size_t(y) * std::size_t(image->bytes_per_line));
            for (int x = 0; x < width; ++x)
                row[x] = src[x] & 0xFFFFFF;
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            row[x] = gfx::rgb(scale_from_mask(p, visual->red_mask),
                              scale_from_mask(p, visual->green_mask),
                              scale_from_mask(p, visual->blue_mask));
        }
    }
    XDestroyImage(image);
    return true;
}

} // namespace host::x11
