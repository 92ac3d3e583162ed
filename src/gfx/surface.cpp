#include "gfx/surface.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace gfx {

namespace {

// A size worked out in 64 bits, cut to what an int can hold: only a block
// far beyond any surface gets that big.
int clamped_size(std::int64_t size)
{
    return int(std::min<std::int64_t>(size, std::numeric_limits<int>::max()));
}

} // namespace

Rect Rect::intersected(const Rect& r) const
{
    if (!intersects(r))
        return {};
    const int x0 = std::max(x, r.x), y0 = std::max(y, r.y);
    const std::int64_t x1 = std::min(right(), r.right()), y1 = std::min(bottom(), r.bottom());
    return {x0, y0, clamped_size(x1 - x0), clamped_size(y1 - y0)};
}

Rect Rect::united(const Rect& r) const
{
    if (empty())
        return r;
    if (r.empty())
        return *this;
    const int x0 = std::min(x, r.x), y0 = std::min(y, r.y);
    const std::int64_t x1 = std::max(right(), r.right()), y1 = std::max(bottom(), r.bottom());
    return {x0, y0, clamped_size(x1 - x0), clamped_size(y1 - y0)};
}

Surface::Surface(int width, int height, Pixel fill)
{
    resize(width, height, fill);
}

void Surface::resize(int width, int height, Pixel fill)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    if (m_width == 0 || m_height == 0)
        m_width = m_height = 0;
    m_pixels.assign(std::size_t(m_width) * std::size_t(m_height), fill);
}

void Surface::resize_keeping(int width, int height)
{
    Surface resized(width, height);
    if (resized.m_width == m_width && resized.m_height == m_height)
        return;
    const int kept_width = std::min(m_width, resized.m_width);
    const int kept_height = std::min(m_height, resized.m_height);
    for (int y = 0; y < kept_height; ++y)
        std::copy_n(row(y), kept_width, resized.row(y));
    *this = std::move(resized);
}

void Surface::fill(Pixel colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), colour);
}

} // namespace gfx
