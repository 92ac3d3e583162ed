#pragma once

#include "gfx/surface.h"
#include "host/host.h"

#include <string_view>

// Text with Pango over Cairo, drawn straight into a surface, for the hosts
// that run on a Linux desktop or stand in for one (the X11 host, the render
// tool's headless host). Sizes are points at 96 dots per inch, the desktop's
// customary resolution, so a 9-point font is 12 pixels high as the dialog's
// pictures expect. Text that is not valid UTF-8 shows replacement characters.
namespace host {

// The text service of the Linux desktop hosts and of the render tool's
// headless host on Linux. Holds nothing: any number may be made, and used
// from any one thread at a time.
class PangoText final : public TextService {
public:
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour) override;
    int text_height(std::string_view utf8, const Font& font) override;
    int text_width(std::string_view utf8, const Font& font) override;
};

} // namespace host
