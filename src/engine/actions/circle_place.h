#pragma once

// Where a ball's cell goes when the ball's centre is to sit on a circle. The
// ring figures (the changing radius, the rolling wheel, the warping ring)
// all place their balls this way: the offset from the circle's centre is
// taken to the whole pixel below on each axis, as the starting ring's is,
// and half the ball's drawn cell is taken off to get its corner.

struct CellCorner {
    double x = 0, y = 0;
};

// The cell corner of a ball of edge `cell` whose centre stands at clock
// position `minutes` (0 straight up, growing clockwise) on the circle of
// `radius` around (centre_x, centre_y). A negative radius puts the ball on
// the opposite side of the centre.
CellCorner place_on_circle(double centre_x, double centre_y, double minutes, double radius,
                           double cell);
