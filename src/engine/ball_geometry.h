#pragma once

#include <cstdint>

// The balls' numbers and sizes, which every figure is built from. Positions
// are the top-left corners of the balls' square cells; a figure that works
// with the balls' centres adds the half cell on the way in and takes it off
// where a ball is drawn.

// Balls 1 to 10 are the small balls, ball 11 the centre ball (ball 0 is the
// ball of the grid background).
inline constexpr int kSmallBalls = 10;
inline constexpr int kCentreBall = 11;

// Edge in pixels of a small ball's cell and of the centre ball's cell.
inline constexpr std::int16_t g_SmallBallSize = 48;
inline constexpr std::int16_t g_LargeBallSize = 72;

// From a cell's corner to its centre, in either direction.
inline constexpr double kHalfSmallCell = g_SmallBallSize / 2.0; // 24
inline constexpr double kHalfLargeCell = g_LargeBallSize / 2.0; // 36

// The radius of the ring on which the small balls start, and of the other
// rings and circles the figures draw at the same size.
inline constexpr std::int16_t g_RingRadius = 90;

// The count the actions use for their phases: legs, repetitions, bounces.
inline constexpr std::int16_t g_PhaseSteps = 20;
