#pragma once

#include <cstdint>

// The trochoid that the centre ball traces in the cycloid action, and the
// figure-eight along which the curve's middle travels meanwhile.

// One curve: x = (A cos(K t) + B cos t) * pi, y = (A sin(K t) + B sin t) * pi.
// K, t and the results are single-precision values: their rounding is part of
// where a point lands, and a point near a half pixel can be drawn one pixel
// over because of it, so the traces keep it.
struct CycloidCurve {
    double CycloidA = 0;        // the loop's radius term: 5, 8, 11, 14
    float CycloidK = 0;         // 20 / 7 in single precision
    std::int16_t CycloidB = 0;  // 20 + 7
};

// Offsets from the curve's middle in pixels at parameter t, computed in double
// from the single-precision K and t and rounded to single.
float Cyc_X(const CycloidCurve& curve, float t);
float Cyc_Y(const CycloidCurve& curve, float t);

// The curve's middle runs a figure-eight of two circles of radius W / 8 that
// touch at the screen centre: clock 15 to 75 on the left circle (clockwise),
// 45 down to -15 on the right one (anticlockwise). Clock 15 and 75 on the left
// and 45 and -15 on the right are all the touching point.
struct CurveOrbit {
    double OrbitClock = 15;
    bool OrbitForward = true;   // true while on the left circle
    double CurveCenterX = 0;
    double CurveCenterY = 0;
};

// One frame's move: the clock advances by `factor` minutes on its circle, the
// middle is placed there (offsets rounded down), and once the clock has
// reached or stepped past the touching point the next frame continues on the
// other circle. Stepping past matters: at factors such as 1.2 the clock
// never lands exactly on 75 or -15.
void move_curve_center(CurveOrbit& orbit, double factor, double screen_width, double center_y);
