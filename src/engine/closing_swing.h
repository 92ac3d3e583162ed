#pragma once

#include "engine/formation.h"

// The closing figure's hold, pivot and the centre ball's swing. Every closing
// sets out from its own copy of the balls' last places (HoldX/Y) and
// mirrors the ring about a pivot ball (PivotBall, 1..10); in the swinging
// mode the centre ball circles the pivot ball's cell centre (GatherX,
// GatherY) at the ring radius, the hand starting at SwingClock minutes and
// moving one step (SwingCount) per frame. CenterSwingX/Y is where the
// centre ball's cell corner was last drawn.
class ClosingSwing {
public:
    using BallArray = Formation::BallArray;

    const BallArray& HoldX() const { return m_hold_x; }
    const BallArray& HoldY() const { return m_hold_y; }
    int PivotBall() const { return m_pivot; }
    double SwingClock() const { return m_clock; }
    double SwingCount() const { return m_count; }
    double GatherX() const { return m_centre_x; }
    double GatherY() const { return m_centre_y; }
    double CenterSwingX() const { return m_ball_x; }
    double CenterSwingY() const { return m_ball_y; }

    // The places the closing sets out from, small balls 1..10.
    void hold(const BallArray& x, const BallArray& y);
    void set_pivot(int pivot) { m_pivot = pivot; }
    // A new swing round (centre_x, centre_y), the hand at `clock` minutes,
    // two steps already counted.
    void start(double clock, double centre_x, double centre_y);
    // One frame further round over a turn of 2 `frames_per_leg` frames:
    // moves the hand on and returns the centre ball's new cell corner (also
    // kept in CenterSwingX/Y).
    void step(int frames_per_leg, double radius, double half_cell);

private:
    BallArray m_hold_x{}, m_hold_y{};
    int m_pivot = 0;
    double m_clock = 0;
    double m_count = 0;
    double m_centre_x = 0, m_centre_y = 0;
    double m_ball_x = 0, m_ball_y = 0;
};
