#pragma once

#include "engine/ball_geometry.h"

#include <array>

// The formation: the places every action starts from and leaves the balls
// in, handed from one action to the next: ball i's cell corner
// (FormationX(i), FormationY(i)) for the small balls 1..10 and
// (CenterFormationX, CenterFormationY) for the centre ball. Beside it stand
// the two rods the rod figures line the balls up on, one down and one across
// the screen's middle, with BallGap pixels between neighbouring cells.
class Formation {
public:
    using BallArray = std::array<double, kSmallBalls + 1>;

    // Everything at 0, as before a screen is known.
    Formation() = default;
    // The starting ring around the middle of a screen of width x height, and
    // the rods through it.
    Formation(double screen_width, double screen_height);

    const BallArray& FormationX() const { return m_x; }
    const BallArray& FormationY() const { return m_y; }
    double CenterFormationX() const { return m_centre_x; }
    double CenterFormationY() const { return m_centre_y; }

    const BallArray& VerticalRodX() const { return m_vertical_x; }
    const BallArray& VerticalRodY() const { return m_vertical_y; }
    const BallArray& HorizontalRodX() const { return m_horizontal_x; }
    const BallArray& HorizontalRodY() const { return m_horizontal_y; }
    double BallGap() const { return m_gap; }

    // Hands small ball i (1..10; others are ignored) or the centre ball a new place.
    void place(int i, double x, double y);
    void place_centre(double x, double y);

private:
    BallArray m_x{}, m_y{};
    double m_centre_x = 0, m_centre_y = 0;
    BallArray m_vertical_x{}, m_vertical_y{};
    BallArray m_horizontal_x{}, m_horizontal_y{};
    double m_gap = 0;
};
