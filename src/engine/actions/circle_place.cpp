#include "engine/actions/circle_place.h"

#include "gfx/numeric.h"

#include <cmath>

CellCorner place_on_circle(double centre_x, double centre_y, double minutes, double radius,
                           double cell)
{
    const double phi = gfx::clock_angle(minutes);
    return {centre_x + gfx::floor_int(std::cos(phi) * radius) - cell / 2,
            centre_y + gfx::floor_int(std::sin(phi) * radius) - cell / 2};
}
