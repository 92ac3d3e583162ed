#include "host/monitors.h"

#include <algorithm>

namespace host {

std::vector<gfx::Rect> order_monitors(const std::vector<gfx::Rect>& found,
                                      std::optional<std::size_t> primary, Size screen)
{
    std::vector<gfx::Rect> ordered;
    auto take = [&ordered](const gfx::Rect& monitor) {
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
