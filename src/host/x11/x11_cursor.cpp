#include "host/x11/x11_host_impl.h"

#include <vector>

// A pointer drawn by the program, as a two-colour X cursor: white where the
// picture is light, black elsewhere, shown where its mask is.
namespace host::x11 {

namespace {

// One bit a pixel, rows padded to whole bytes, least significant bit first:
// the bitmap layout XCreateBitmapFromData reads.
std::vector<char> bits_of(const gfx::Surface& picture)
{
    const int stride = (picture.width() + 7) / 8;
    std::vector<char> bits(std::size_t(stride * picture.height()), 0);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (gfx::green_of(picture.at(x, y)) >= 128)
                bits[std::size_t(y * stride + x / 8)] |= char(1 << (x % 8));
    return bits;
}

} // namespace

void X11Window::set_cursor_picture(const CursorPicture* cursor)
{
    ::Display* d = m_host.display();
    if (!cursor || cursor->image.empty() || cursor->mask.width() != cursor->image.width()
        || cursor->mask.height() != cursor->image.height()) {
        // The arrow back, or the hidden cursor where the saver has hidden it.
        m_host.apply_cursor(*this);
        XFlush(d);
        return;
    }
    const std::vector<char> source = bits_of(cursor->image);
    const std::vector<char> mask = bits_of(cursor->mask);
    const unsigned width = unsigned(cursor->image.width()), height = unsigned(cursor->image.height());
    const Pixmap source_map = XCreateBitmapFromData(d, m_id, source.data(), width, height);
    const Pixmap mask_map = XCreateBitmapFromData(d, m_id, mask.data(), width, height);
    XColor white{}, black{};
    white.red = white.green = white.blue = 0xFFFF;
    white.flags = black.flags = DoRed | DoGreen | DoBlue;
    const Cursor shape = XCreatePixmapCursor(d, source_map, mask_map, &white, &black,
                                             unsigned(cursor->hot_spot.x), unsigned(cursor->hot_spot.y));
    XFreePixmap(d, source_map);
    XFreePixmap(d, mask_map);
    XDefineCursor(d, m_id, shape);
    // The window keeps the cursor for as long as it uses it.
    XFreeCursor(d, shape);
    XFlush(d);
}

} // namespace host::x11
