#pragma once

#include "gfx/surface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Rectangles of a surface that have to be redrawn or sent to the screen.
namespace gfx {

inline bool is_empty(Rect r) { return r.width <= 0 || r.height <= 0; }

inline std::int64_t area_of(Rect r)
{
    return is_empty(r) ? 0 : std::int64_t(r.width) * std::int64_t(r.height);
}

// The part of `a` inside `b`; empty (0 x 0) when they do not meet.
Rect intersection(Rect a, Rect b);

// The smallest rectangle holding both; an empty one adds nothing.
Rect bounding_box(Rect a, Rect b);

// The block a stretching transfer to (x, y) with the signed extent w x h
// covers (raster.h): [x, x + w) for a positive width, [x + w + 1, x + 1) for
// a negative one, nothing for 0; rows likewise.
Rect stretch_cover(int x, int y, int width, int height);

// A bounded set of rectangles that covers every rectangle added since it was
// last cleared, never in more than kCapacity pieces, with no storage beyond
// its own: the compositor keeps two and fills them on every frame. The
// rectangles are a surface's (clipped to it), so their edges never overflow.
//
// A rectangle joins an existing one when their bounding box holds no more
// pixels than the two apart (one inside the other, or two that overlap
// along most of a side: a ball's cell before and after a small step), so
// merging never makes more pixels to copy. When the set is full, the
// newcomer joins the piece whose bounding box with it grows least, and the
// set stays a cover at the price of some pixels copied needlessly.
class RectSet {
public:
    static constexpr std::size_t kCapacity = 64;

    void add(Rect r);
    void clear() { m_count = 0; }
    bool empty() const { return m_count == 0; }
    std::span<const Rect> rects() const { return {m_rects.data(), m_count}; }

private:
    void remove(std::size_t i) { m_rects[i] = m_rects[--m_count]; }

    std::array<Rect, kCapacity> m_rects{};
    std::size_t m_count = 0;
};

} // namespace gfx
