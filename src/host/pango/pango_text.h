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

// Draws the text with its top-left at `at`, clipped to the surface; returns
// the width of its line in pixels.
int draw_pango_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour);
int pango_text_width(std::string_view utf8, const Font& font);
int pango_text_height(std::string_view utf8, const Font& font);

} // namespace host
