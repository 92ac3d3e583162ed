#pragma once

#include <cmath>
#include <cstdint>

// The saver's numeric vocabulary. Its figures were designed with these exact
// constants and rounding rules, and the positions on screen depend on them:
// the starting ring has a ball at dx = -1 only because 2*pi is taken as the
// 15-digit decimal below, not the full-precision value.
namespace gfx {

constexpr double kTwoPi = 6.28318530717958;
constexpr double kHalfPi = 1.570796326794895;
constexpr double kPi = 3.14159265358979;

// The same constants rounded to single precision, for figures whose
// parameter is a single and is compared with bounds of that precision.
constexpr float kPiSingle = float(kPi);
constexpr float kTwoPiSingle = float(kTwoPi);
static_assert(kPiSingle == 3.1415927f && kTwoPiSingle == 6.2831855f);

// Whole pixels from a real position: nearest integer, halves to even.
inline int round_half_even(double v)
{
    return int(std::nearbyint(v)); // the default rounding mode is to-nearest-even
}

// The integer part: rounds toward minus infinity (so -0.5 gives -1).
inline int floor_int(double v) { return int(std::floor(v)); }

// A clock position in minutes as an angle in radians: 0 points straight up
// and positions advance clockwise on the screen (y grows downward).
inline double clock_angle(double minutes) { return minutes * kTwoPi / 60 - kHalfPi; }

} // namespace gfx
