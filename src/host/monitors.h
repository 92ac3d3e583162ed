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
// The largest side, in pixels, a monitor is taken at whatever a system
// declares. Nothing made has a wider picture than the 7680 pixels of 8K
// (tiled panels and 32:9 screens included, each way round); a claim past
// this is cut to it, so that a display server announcing 65535 x 65535
// costs the saver its frames at 8192 x 8192 (a quarter of a GiB each), not
// sixteen GiB. On X11 the root window bounds the monitors the same way
// (order_monitors' `extent`): a server has the root's pixels for real.
inline constexpr int kLargestMonitorSide = 8192;
// The largest whole scale an output is taken at (the densest panels made use 3).
inline constexpr int kLargestMonitorScale = 8;

// A monitor's size as declared, each side within 0..kLargestMonitorSide.
Size bounded_monitor_size(int width, int height);
// An output's scale as declared, within 1..kLargestMonitorScale.
int bounded_monitor_scale(int scale);

std::vector<gfx::Rect> order_monitors(const std::vector<gfx::Rect>& found,
                                      std::optional<std::size_t> primary, Size screen,
                                      std::optional<gfx::Rect> extent = std::nullopt);

} // namespace host
