#pragma once

#include "gfx/color.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gfx {

// A pixel position; y grows downward.
struct Point {
    int x = 0;
    int y = 0;

    Point translated(int dx, int dy) const { return {x + dx, y + dy}; }
    Point translated(Point by) const { return translated(by.x, by.y); }

    friend bool operator==(Point, Point) = default;
};

// The block of pixels [x, x + width) x [y, y + height). A width or height of
// 0 or below holds no pixel: such a rectangle is empty, contains nothing and
// meets nothing. Edges are worked out in 64 bits, so a rectangle reaching
// past the end of int is still answered correctly. Only stretch_blit
// (raster.h) gives a negative size a meaning of its own: a mirrored block.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    Point origin() const { return {x, y}; }
    bool empty() const { return width <= 0 || height <= 0; }
    std::int64_t area() const { return empty() ? 0 : std::int64_t(width) * std::int64_t(height); }

    bool contains(Point p) const
    {
        return !empty() && p.x >= x && p.y >= y && std::int64_t(p.x) < right() && std::int64_t(p.y) < bottom();
    }
    // Whether every pixel of `r` is one of this rectangle's; an empty `r`
    // has no pixel and so lies in any rectangle.
    bool contains(const Rect& r) const
    {
        return r.empty()
               || (!empty() && r.x >= x && r.y >= y && r.right() <= right() && r.bottom() <= bottom());
    }
    // Whether the two share a pixel: rectangles that only touch along an
    // edge do not.
    bool intersects(const Rect& r) const
    {
        return !empty() && !r.empty() && std::int64_t(x) < r.right() && std::int64_t(r.x) < right()
               && std::int64_t(y) < r.bottom() && std::int64_t(r.y) < bottom();
    }
    // The pixels both hold; 0 x 0 at the origin when they share none.
    Rect intersected(const Rect& r) const;
    // The smallest rectangle holding both; an empty one adds nothing, so the
    // union of an empty rectangle with `r` is `r` as it is.
    Rect united(const Rect& r) const;
    Rect translated(int dx, int dy) const { return {x + dx, y + dy, width, height}; }
    Rect translated(Point by) const { return translated(by.x, by.y); }

    // One past the last column and row, as 64-bit values.
    std::int64_t right() const { return std::int64_t(x) + width; }
    std::int64_t bottom() const { return std::int64_t(y) + height; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// A width x height block of 0x00RRGGBB pixels, rows top to bottom, no padding.
// Every window's picture, the frames and the layers they are composed from
// are surfaces; a window's surface keeps its picture between refreshes.
class Surface {
public:
    Surface() = default;
    Surface(int width, int height, Pixel fill = kBlack);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width <= 0 || m_height <= 0; }
    Rect rect() const { return {0, 0, m_width, m_height}; }

    // Resizing discards the content and fills the new area with `fill`.
    // A negative size is taken as 0.
    void resize(int width, int height, Pixel fill = kBlack);
    // Resizing that keeps the pixels the old and new sizes share at the
    // top-left, black elsewhere: a window's frame when the window changes size.
    void resize_keeping(int width, int height);
    void fill(Pixel colour);

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    Pixel at(int x, int y) const { return m_pixels[std::size_t(y) * std::size_t(m_width) + std::size_t(x)]; }
    void set(int x, int y, Pixel p) { m_pixels[std::size_t(y) * std::size_t(m_width) + std::size_t(x)] = p; }

    Pixel* row(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    const Pixel* row(int y) const { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    std::span<Pixel> pixels() { return m_pixels; }
    std::span<const Pixel> pixels() const { return m_pixels; }

    friend bool operator==(const Surface&, const Surface&) = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Pixel> m_pixels;
};

} // namespace gfx
