#pragma once

#include "gfx/surface.h"
#include "host/x11/x11_errors.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <span>

namespace host::x11 {

// Puts frames on a drawable of one visual. Through a shared-memory image when
// the server offers MIT-SHM and can attach our segment (not over a network),
// else through XPutImage. Frames whose pixel words already are the visual's
// (24 or 32 bits deep, red 0xFF0000, green 0xFF00, blue 0xFF, the server
// taking our byte order) are copied row by row; any other visual gets each
// pixel through XPutPixel, slowly but right.
class FramePresenter {
public:
    FramePresenter(::Display* display, Visual* visual, int depth, bool try_shm);
    ~FramePresenter();
    FramePresenter(const FramePresenter&) = delete;
    FramePresenter& operator=(const FramePresenter&) = delete;

    // The whole frame to (0, 0) of `target`; the server clips it to the
    // drawable, so a window smaller than the frame is no fault.
    void present(Drawable target, GC gc, const gfx::Surface& frame);
    // Only these blocks of the frame, each to the same place of `target`
    // (x11_present_area.cpp): one put request per block, one wait for the
    // server at the end.
    void present_areas(Drawable target, GC gc, const gfx::Surface& frame,
                       std::span<const gfx::Rect> areas);
    bool uses_shm() const { return m_shm_wanted && m_shm_ok; }

private:
    bool ensure_image(int width, int height);
    void release_image();
    // Copies `area` (inside the frame) of the frame into the same place of
    // the image. The image keeps the rest: a block is always copied just
    // before it is sent, so stale parts of the image never reach the screen.
    void fill_image(const gfx::Surface& frame, gfx::Rect area);
    // Sends `area` of the image to the same place of `target`.
    void put_image(Drawable target, GC gc, gfx::Rect area);
    // After the puts of one refresh.
    void finish_puts();

    ::Display* m_display;
    Visual* m_visual;
    int m_depth;
    bool m_shm_wanted;
    bool m_shm_ok = false;   // the last attach succeeded
    bool m_native_pixels;    // frame words can be copied as they are
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
    bool m_shm_attached = false;
};

// Reads a block of a drawable, from `origin` on, into a surface at (0, 0),
// clipped to both. False when the server refuses (a window not viewable, a
// bad id, a block that reaches outside the drawable).
bool read_drawable(::Display* display, Drawable source, Visual* visual, int width, int height,
                  gfx::Surface& into, gfx::Point origin = {});

} // namespace host::x11
