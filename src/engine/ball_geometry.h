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
inline constexpr int kSmallBallSize = 48;
inline constexpr int kLargeBallSize = 72;

// From a cell's corner to its centre, in either direction.
inline constexpr double kHalfSmallCell = kSmallBallSize / 2.0; // 24
inline constexpr double kHalfLargeCell = kLargeBallSize / 2.0; // 36

// The radius of the ring on which the small balls start, and of the other
// rings and circles the figures draw at the same size.
inline constexpr int kRingRadius = 90;

// Ball i of a ring stands at i x 6 minutes on the clock (gfx::clock_angle):
// ten balls 36 degrees apart, ball 10 at the top.
constexpr double ring_clock(int ball) { return 6.0 * ball; }

// The clock minute that points from ball i's place on a ring towards the
// ring's centre: 30 minutes on, kept within 1..60 (60, straight up, for ball 5).
constexpr double clock_towards_centre(int ball)
{
    const double clock = ring_clock(ball) + 30;
    return clock > 60 ? clock - 60 : clock;
}

// A mirrored turn's two legs draw the small balls in DrawOrder (slots 1..10)
// on the way out and in the order reversed on the way back, so the ball
// uppermost on the way out is drawn first on the way back. The centre ball
// is drawn right after the ball of slot 5 in both legs: after the fifth ball
// drawn on the way out, after the sixth on the way back.
inline constexpr int kCentreAfterSlot = 5;

// The DrawOrder slot drawn k-th (1..10) in a leg.
constexpr int leg_slot(bool outward, int k) { return outward ? k : kSmallBalls + 1 - k; }

// The count the actions use for their phases: legs, repetitions, bounces.
inline constexpr int kPhaseSteps = 20;
