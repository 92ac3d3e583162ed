#include "gfx/surface.h"

#include <algorithm>
#include <utility>

namespace gfx {

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
