#include "gfx/rect_set.h"

#include <algorithm>
#include <limits>

namespace gfx {

Rect stretch_cover(Rect to)
{
    const int x = to.x, y = to.y, width = to.width, height = to.height;
    if (width == 0 || height == 0)
        return {};
    // In 64 bits: x + width + 1 must not wrap for extents near the int limits.
    const std::int64_t left = width > 0 ? std::int64_t(x) : std::int64_t(x) + width + 1;
    const std::int64_t top = height > 0 ? std::int64_t(y) : std::int64_t(y) + height + 1;
    const std::int64_t w = width > 0 ? std::int64_t(width) : -std::int64_t(width);
    const std::int64_t h = height > 0 ? std::int64_t(height) : -std::int64_t(height);
    constexpr std::int64_t lowest = std::numeric_limits<int>::min();
    constexpr std::int64_t highest = std::numeric_limits<int>::max();
    // A block beyond what an int can say lies far off any surface; it is
    // cut to the representable range, which keeps every pixel a surface has.
    const std::int64_t x0 = std::max(left, lowest), y0 = std::max(top, lowest);
    const std::int64_t x1 = std::min(left + w, highest), y1 = std::min(top + h, highest);
    if (x0 >= x1 || y0 >= y1)
        return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

void RectSet::add(Rect r)
{
    if (r.empty())
        return;
    // Join the piece whose bounding box with r costs the fewest extra
    // pixels, as long as that costs none; when the set is full, join it
    // whatever it costs. The merged box is then offered again, since it may
    // now swallow another piece.
    for (;;) {
        std::size_t cheapest = m_count;
        std::int64_t cheapest_extra = std::numeric_limits<std::int64_t>::max();
        Rect cheapest_box;
        for (std::size_t i = 0; i < m_count; ++i) {
            const Rect box = m_rects[i].united(r);
            const std::int64_t extra = box.area() - m_rects[i].area() - r.area();
            if (extra < cheapest_extra) {
                cheapest = i;
                cheapest_extra = extra;
                cheapest_box = box;
            }
        }
        if (cheapest == m_count || (cheapest_extra > 0 && m_count < kCapacity))
            break;
        r = cheapest_box;
        remove(cheapest);
    }
    m_rects[m_count++] = r;
}

} // namespace gfx
