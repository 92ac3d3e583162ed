#include "host/monitors.h"

#include "gfx/rect_set.h"

#include <algorithm>

namespace host {

Size bounded_monitor_size(int width, int height)
{
    return {std::clamp(width, 0, kLargestMonitorSide), std::clamp(height, 0, kLargestMonitorSide)};
}

int bounded_monitor_scale(int scale)
{
    return std::clamp(scale, 1, kLargestMonitorScale);
}

std::vector<gfx::Rect> order_monitors(const std::vector<gfx::Rect>& found,
                                      std::optional<std::size_t> primary, Size screen,
                                      std::optional<gfx::Rect> extent)
{
    std::vector<gfx::Rect> ordered;
    auto take = [&ordered, &extent](gfx::Rect monitor) {
        if (extent)
            monitor = monitor.intersected(*extent);
        if (monitor.width <= 0 || monitor.height <= 0)
            return;
        if (std::find(ordered.begin(), ordered.end(), monitor) == ordered.end())
            ordered.push_back(monitor);
    };
    if (primary && *primary < found.size())
        take(found[*primary]);
    for (const gfx::Rect& monitor : found)
        take(monitor);
    if (ordered.empty())
        ordered.push_back({0, 0, screen.width, screen.height});
    return ordered;
}

} // namespace host
