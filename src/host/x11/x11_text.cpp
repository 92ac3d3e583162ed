#include "host/x11/x11_host_impl.h"

#include "host/pango/pango_text.h"

// Text with Pango over Cairo (src/host/pango), shared with the render tool.
namespace host::x11 {

int X11Host::draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8,
                       const Font& font, gfx::Pixel colour)
{
    return draw_pango_text(into, at, utf8, font, colour);
}

int X11Host::text_height(std::string_view utf8, const Font& font)
{
    return pango_text_height(utf8, font);
}

int X11Host::text_width(std::string_view utf8, const Font& font)
{
    return pango_text_width(utf8, font);
}

} // namespace host::x11
