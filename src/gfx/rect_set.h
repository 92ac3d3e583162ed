#pragma once

#include "gfx/surface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Rectangles of a surface that have to be redrawn or sent to the screen.
namespace gfx {

// The pixels a stretching transfer to `to` covers, its size signed as
// stretch_blit takes it (raster.h): [x, x + w) for a positive width,
// [x + w + 1, x + 1) for a negative one, nothing for 0; rows likewise.
Rect stretch_cover(Rect to);

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
