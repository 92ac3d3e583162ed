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

// The text service of the Windows host and of the render tool's headless
// host on Windows. Holds nothing: any number may be made, and used from any
// one thread at a time.
class GdiText final : public TextService {
public:
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour) override;
    int text_height(std::string_view utf8, const Font& font) override;
    int text_width(std::string_view utf8, const Font& font) override;
};

} // namespace host
