#pragma once

// What an action carries from one of its runs to the next, kept by the saver
// for its whole life. Everything else an action uses lives in its own state
// for one run. Only the Lissajous action keeps anything: RotationDegrees, the
// turn of its rotated figures, which goes on growing by a quarter turn a
// figure, run after run.
class CarryOver {
public:
    double RotationDegrees() const { return m_rotation_degrees; }
    // Turns the Lissajous figures `degrees` further; returns the new turn.
    double turn_figures(double degrees) { return m_rotation_degrees += degrees; }

private:
    double m_rotation_degrees = 0;
};
