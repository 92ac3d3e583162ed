#include "engine/formation.h"

#include "gfx/numeric.h"

#include <cmath>

// The starting ring around the centre ball. The floor of the offsets and the
// 15-digit 2 pi put ball 10 one pixel left of the vertical (dx = -1), which
// every figure starting from the ring inherits.
//
// The rods: ten small cells and ten gaps plus the centre cell make 582
// pixels, centred on the screen; after the fifth ball the centre ball's cell
// and one more gap are skipped, so the centre ball fits between.
Formation::Formation(double screen_width, double screen_height)
{
    const double centre_x = screen_width / 2;
    const double centre_y = screen_height / 2;
    for (int i = 1; i <= kSmallBalls; ++i) {
        const double angle = gfx::clock_angle(ring_clock(i));
        const double dx = std::floor(std::cos(angle) * kRingRadius);
        const double dy = std::floor(std::sin(angle) * kRingRadius);
        m_x[std::size_t(i)] = dx + centre_x - kHalfSmallCell;
        m_y[std::size_t(i)] = dy + centre_y - kHalfSmallCell;
    }
    m_centre_x = centre_x - kHalfLargeCell;
    m_centre_y = centre_y - kHalfLargeCell;

    constexpr double small = kSmallBallSize;
    constexpr double large = kLargeBallSize;
    m_gap = small / 16;
    const double rod_length = small * kSmallBalls + m_gap * kSmallBalls + large;
    double across = (screen_width - rod_length) / 2;
    double down = (screen_height - rod_length) / 2;
    for (int i = 1; i <= kSmallBalls; ++i) {
        const auto slot = std::size_t(i);
        m_vertical_x[slot] = centre_x - kHalfSmallCell;
        m_vertical_y[slot] = down;
        m_horizontal_x[slot] = across;
        m_horizontal_y[slot] = centre_y - kHalfSmallCell;
        across += small + m_gap;
        down += small + m_gap;
        if (i == 5) {
            across += large + m_gap;
            down += large + m_gap;
        }
    }
}

void Formation::place(int i, double x, double y)
{
    if (i < 1 || i > kSmallBalls)
        return;
    m_x[std::size_t(i)] = x;
    m_y[std::size_t(i)] = y;
}

void Formation::place_centre(double x, double y)
{
    m_centre_x = x;
    m_centre_y = y;
}
