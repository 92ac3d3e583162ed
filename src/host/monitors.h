#pragma once

#include "gfx/surface.h"
#include "host/host.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace host {

// Puts the monitors a system reports into the order Host::monitors() gives:
// the primary first (`primary` indexes `found`; with nothing, or an index
// past the end, the first monitor is the primary), then the others in the
// system's order. Given the desktop's real `extent` (the root window on X11,
// the virtual screen on Windows), each monitor is first clipped to it: a
// monitor is only as large as the part of the desktop it shows, whatever a
// server declares, and the saver's pictures are sized to it. A monitor
// without area is left out, and so is the second of two with the same
// rectangle (two outputs that mirror one picture would otherwise get a black
// cover over the figure). Nothing left means the system told nothing useful:
// the whole `screen` is then the one monitor.
std::vector<gfx::Rect> order_monitors(const std::vector<gfx::Rect>& found,
                                      std::optional<std::size_t> primary, Size screen,
                                      std::optional<gfx::Rect> extent = std::nullopt);

} // namespace host
