#pragma once

#include "gfx/surface.h"

#include <cstdint>

// What the version card reads of the settings dialog it plays over.
struct DialogCardView {
    gfx::Rect window_rect;         // where the dialog stands on the screen
    gfx::ColorRef dial_colour = 0; // the dial's background colour, behind the turning card
    std::int16_t pc_spec = 0;      // the settings' machine-speed value, g_PcSpec
};
