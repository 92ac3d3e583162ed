#include "engine/actions/ring_places.h"

#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

void place_ring(Figure::BallArray& x, Figure::BallArray& y, double centre_x, double centre_y)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        const double theta = gfx::clock_angle(6 * i);
        x[std::size_t(i)] = gfx::floor_int(kRingRadius * std::cos(theta)) + centre_x - kHalfSmallCell;
        y[std::size_t(i)] = gfx::floor_int(kRingRadius * std::sin(theta)) + centre_y - kHalfSmallCell;
    }
}
