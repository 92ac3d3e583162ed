#pragma once

#include <cstdint>

// The ball-grid background's layout, drawn anew on every run: GradientColumns
// balls across (4 to 8), each GradientBallSize pixels square, as large as
// the screen's width allows, in as many rows (GradientRows) as fit. A screen
// narrower than the columns has balls of size 0 and no rows.
class BallGrid {
public:
    // No grid yet: nothing composed.
    BallGrid() = default;
    BallGrid(double columns, double screen_width, double screen_height);

    double GradientColumns() const { return m_columns; }
    double GradientRows() const { return m_rows; }
    std::int16_t GradientBallSize() const { return m_ball_size; }

private:
    double m_columns = 0;
    double m_rows = 0;
    std::int16_t m_ball_size = 0;
};
