#include "engine/actions/cycloid_curve.h"

#include "gfx/numeric.h"

#include <cmath>

float Cyc_X(const CycloidCurve& curve, float t)
{
    const double k = curve.CycloidK;
    const double tt = t;
    return float((curve.CycloidA * std::cos(k * tt) + curve.CycloidB * std::cos(tt)) * gfx::kPi);
}

float Cyc_Y(const CycloidCurve& curve, float t)
{
    const double k = curve.CycloidK;
    const double tt = t;
    return float((curve.CycloidA * std::sin(k * tt) + curve.CycloidB * std::sin(tt)) * gfx::kPi);
}

void move_curve_center(CurveOrbit& orbit, double factor, double screen_width, double center_y)
{
    // Both circles have radius W / 8; the left one is centred at 3W / 8, the
    // right one at 5W / 8, so they touch at W / 2.
    const auto place = [&](double middle_x) {
        const double phi = gfx::clock_angle(orbit.OrbitClock);
        const int dx = gfx::floor_int(std::cos(phi) * screen_width / 8);
        const int dy = gfx::floor_int(std::sin(phi) * screen_width / 8);
        orbit.CurveCenterX = dx + middle_x;
        orbit.CurveCenterY = dy + center_y;
    };

    if (orbit.OrbitForward) {
        orbit.OrbitClock += factor;
        place(3 * screen_width / 8);
        if (orbit.OrbitClock >= 75) {
            orbit.OrbitClock = 45;
            orbit.OrbitForward = false;
        }
    } else {
        orbit.OrbitClock -= factor;
        place(5 * screen_width / 8);
        if (orbit.OrbitClock <= -15) {
            orbit.OrbitClock = 15;
            orbit.OrbitForward = true;
        }
    }
}
