#pragma once

#include "host/win32/windows_api.h"

#include "gfx/surface.h"

#include <span>

namespace host::win32 {

// A 32-bit top-down DIB section in a memory device context: the off-screen
// image that GDI puts on a window with BitBlt. Its pixel words are ours
// (0x00RRGGBB, which is blue, green, red, unused in memory), and its rows
// have no padding at 32 bits, so a frame goes in with one copy.
class DibSection {
public:
    DibSection() = default;
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    // Makes the section this size (kept when it already is); false when GDI
    // refuses, which leaves it empty.
    bool ensure(int width, int height);
    int width() const { return m_width; }
    int height() const { return m_height; }
    HDC dc() const { return m_dc; }
    gfx::Pixel* bits() const { return m_bits; }

    void copy_from(const gfx::Surface& frame);
    void copy_from(const gfx::Surface& frame, gfx::Rect area);
    void copy_to(gfx::Surface& into) const;

private:
    void release();

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    gfx::Pixel* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// Puts frames on a window: the frame is copied into the DIB section, which
// is then blitted to the window's client area. The section keeps the last
// frame, so a repaint the system asks for (WM_PAINT) needs no new frame.
class FramePresenter {
public:
    void present(HWND hwnd, const gfx::Surface& frame);
    // Only these blocks of the frame (client pixels, clipped to it), each
    // copied into the section and blitted to the same place, one BitBlt per
    // block; the whole frame when the section does not hold one of its
    // size yet.
    void present_areas(HWND hwnd, const gfx::Surface& frame, std::span<const gfx::Rect> areas);
    // The last presented frame onto `dc` (the window's, in WM_PAINT); before
    // the first frame, `frame` as it stands, so a window never shows garbage.
    void repaint(HDC dc, const gfx::Surface& frame);

private:
    DibSection m_dib;
};

} // namespace host::win32
