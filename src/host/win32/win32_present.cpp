#include "host/win32/win32_present.h"

#include "gfx/rect_set.h"

#include <algorithm>
#include <cstring>

namespace host::win32 {

DibSection::~DibSection()
{
    release();
}

void DibSection::release()
{
    if (m_dc && m_previous)
        SelectObject(m_dc, m_previous);
    if (m_bitmap)
        DeleteObject(m_bitmap);
    if (m_dc)
        DeleteDC(m_dc);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_previous = nullptr;
    m_bits = nullptr;
    m_width = m_height = 0;
}

bool DibSection::ensure(int width, int height)
{
    if (width == m_width && height == m_height && m_bits)
        return true;
    release();
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: top-down, row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = m_dc ? CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!m_bitmap || !bits) {
        release();
        return false;
    }
    m_previous = SelectObject(m_dc, m_bitmap);
    m_bits = static_cast<gfx::Pixel*>(bits);
    m_width = width;
    m_height = height;
    return true;
}

void DibSection::copy_from(const gfx::Surface& frame)
{
    if (!m_bits)
        return;
    // GDI may still be drawing into the section from an earlier call.
    GdiFlush();
    const int width = std::min(m_width, frame.width());
    const int height = std::min(m_height, frame.height());
    for (int y = 0; y < height; ++y)
        std::memcpy(m_bits + std::size_t(y) * std::size_t(m_width), frame.row(y),
                    std::size_t(width) * sizeof(gfx::Pixel));
}

void DibSection::copy_from(const gfx::Surface& frame, gfx::Rect area)
{
    if (!m_bits)
        return;
    GdiFlush();
    for (int y = area.y; y < area.y + area.height; ++y)
        std::memcpy(m_bits + std::size_t(y) * std::size_t(m_width) + std::size_t(area.x),
                    frame.row(y) + area.x, std::size_t(area.width) * sizeof(gfx::Pixel));
}

void DibSection::copy_to(gfx::Surface& into) const
{
    if (!m_bits)
        return;
    GdiFlush();
    const int width = std::min(m_width, into.width());
    const int height = std::min(m_height, into.height());
    for (int y = 0; y < height; ++y) {
        const gfx::Pixel* from = m_bits + std::size_t(y) * std::size_t(m_width);
        gfx::Pixel* to = into.row(y);
        // The unused top byte of a GDI pixel may be anything; ours is 0.
        for (int x = 0; x < width; ++x)
            to[x] = from[x] & 0xFFFFFFu;
    }
}

void FramePresenter::present(HWND hwnd, const gfx::Surface& frame)
{
    if (!hwnd || frame.empty() || !m_dib.ensure(frame.width(), frame.height()))
        return;
    m_dib.copy_from(frame);
    if (HDC dc = GetDC(hwnd)) {
        BitBlt(dc, 0, 0, m_dib.width(), m_dib.height(), m_dib.dc(), 0, 0, SRCCOPY);
        ReleaseDC(hwnd, dc);
    }
}

void FramePresenter::present_areas(HWND hwnd, const gfx::Surface& frame,
                                   std::span<const gfx::Rect> areas)
{
    if (!hwnd || frame.empty())
        return;
    if (m_dib.width() != frame.width() || m_dib.height() != frame.height()) {
        present(hwnd, frame);
        return;
    }
    // The window's context is taken once for all the blocks of a frame.
    HDC dc = nullptr;
    for (const gfx::Rect& area : areas) {
        const gfx::Rect block = area.intersected(frame.rect());
        if (block.empty())
            continue;
        m_dib.copy_from(frame, block);
        if (!dc && !(dc = GetDC(hwnd)))
            return;
        BitBlt(dc, block.x, block.y, block.width, block.height, m_dib.dc(), block.x, block.y,
               SRCCOPY);
    }
    if (dc)
        ReleaseDC(hwnd, dc);
}

void FramePresenter::repaint(HDC dc, const gfx::Surface& frame)
{
    if (!m_dib.dc() && m_dib.ensure(frame.width(), frame.height()))
        m_dib.copy_from(frame);
    if (m_dib.dc())
        BitBlt(dc, 0, 0, m_dib.width(), m_dib.height(), m_dib.dc(), 0, 0, SRCCOPY);
}

} // namespace host::win32
