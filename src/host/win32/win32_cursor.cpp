// A pointer drawn by the program, as a Windows cursor: its two monochrome
// masks, AND above XOR in one bitmap twice the height. Where the picture's
// mask is white the AND bit is 0 and the XOR bit is the picture's (white 1,
// black 0); elsewhere AND 1 and XOR 0 leave the screen as it is.
#include "host/win32/win32_host_impl.h"

#include <algorithm>
#include <vector>

namespace host::win32 {

namespace {

HCURSOR create_cursor(const CursorPicture& picture)
{
    const int width = picture.image.width();
    const int height = picture.image.height();
    if (width <= 0 || height <= 0 || picture.mask.width() != width || picture.mask.height() != height)
        return nullptr;
    // Monochrome rows are padded to 16 bits.
    const int row_bytes = ((width + 15) / 16) * 2;
    std::vector<BYTE> bits(std::size_t(row_bytes) * std::size_t(height) * 2, 0);
    for (int y = 0; y < height; ++y) {
        BYTE* and_row = bits.data() + std::size_t(y) * std::size_t(row_bytes);
        BYTE* xor_row = bits.data() + std::size_t(y + height) * std::size_t(row_bytes);
        for (int x = 0; x < width; ++x) {
            const BYTE bit = BYTE(0x80 >> (x % 8));
            const bool shown = (picture.mask.at(x, y) & 0xFFFFFF) == 0xFFFFFF;
            const bool white = (picture.image.at(x, y) & 0xFFFFFF) == 0xFFFFFF;
            if (!shown)
                and_row[x / 8] |= bit;
            else if (white)
                xor_row[x / 8] |= bit;
        }
    }
    HBITMAP masks = CreateBitmap(width, height * 2, 1, 1, bits.data());
    if (!masks)
        return nullptr;
    ICONINFO info{};
    info.fIcon = FALSE;
    info.xHotspot = DWORD(std::max(picture.hot_spot.x, 0));
    info.yHotspot = DWORD(std::max(picture.hot_spot.y, 0));
    info.hbmMask = masks;
    HCURSOR cursor = reinterpret_cast<HCURSOR>(CreateIconIndirect(&info));
    DeleteObject(masks);
    return cursor;
}

} // namespace

void Win32Window::set_cursor_picture(const CursorPicture* picture)
{
    HCURSOR previous = m_cursor;
    m_cursor = picture ? create_cursor(*picture) : nullptr;
    // The system asks for the pointer only when the mouse moves; one over
    // the window now changes at once.
    POINT point{};
    if (m_hwnd && GetCursorPos(&point) && WindowFromPoint(point) == m_hwnd)
        SetCursor(m_cursor ? m_cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    if (previous)
        DestroyCursor(previous);
}

} // namespace host::win32
