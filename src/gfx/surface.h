#pragma once

#include "gfx/color.h"

#include <cstddef>
#include <span>
#include <vector>

namespace gfx {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
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
