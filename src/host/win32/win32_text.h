#pragma once

#include "gfx/surface.h"
#include "host/host.h"

#include <string_view>

// Text through GDI fonts, drawn into a surface: for the Windows host, and
// for the render tool's headless host on Windows. Sizes are points at the
// screen's resolution. A face list (comma-separated) is taken in order,
// passing over faces the system lacks; Japanese text asks for the Shift-JIS
// character set, and where no face of the list is installed the first
// Gothic face the system has serves ("MS UI Gothic" on Windows, the IPA
// faces under Wine on Linux).
namespace host {

// Draws the text with its top-left at `at`, clipped to the surface; returns
// the width of its line in pixels.
int draw_gdi_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour);
int gdi_text_width(std::string_view utf8, const Font& font);
int gdi_text_height(std::string_view utf8, const Font& font);

} // namespace host
