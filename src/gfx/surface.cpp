#include "gfx/surface.h"

#include <algorithm>

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

void Surface::fill(Pixel colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), colour);
}

} // namespace gfx
