#pragma once

#include "gfx/surface.h"
#include "host/host.h"

#include <string_view>

// Text in the system's fonts, drawn straight into a surface: the text
// service of the desktop hosts and of the render tool's headless host. Each
// system has one, defined by its backend:
// - Linux (pango/pango_text.cpp): Pango over Cairo. Sizes are points at 96
//   dots per inch, the desktop's customary resolution, so a 9-point font is
//   12 pixels high as the dialog's pictures expect.
// - Windows (win32/win32_text.cpp): GDI fonts. Sizes are points at the
//   screen's resolution. Japanese text asks for the Shift-JIS character
//   set, and where no face of the list is installed the first Gothic face
//   the system has serves ("MS UI Gothic" on Windows, the IPA faces under
//   Wine on Linux).
// A face list (comma-separated) is taken in order, passing over faces the
// system lacks. Text that is not valid UTF-8 shows replacement characters.
namespace host {

// Holds nothing: any number may be made, and used from any one thread at a
// time.
class SystemText final : public TextService {
public:
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour) override;
    int text_height(std::string_view utf8, const Font& font) override;
    int text_width(std::string_view utf8, const Font& font) override;
};

} // namespace host
