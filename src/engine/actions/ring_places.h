#pragma once

#include "engine/figure.h"

// The ten small balls as a ring of kRingRadius around a point, as the saver
// lays out its starting ring: ball i at clock position 6 i (ball 10 at the
// top, the others 36 degrees apart clockwise), each offset from the point
// rounded down to whole pixels, then taken from the ball's centre to its
// cell's corner. Rounding down, with the clock's 15-digit 2 pi, is what puts
// ball 10 one pixel left of the top; a ring built here around the screen
// centre lands on the starting ring exactly.
void place_ring(Figure::BallArray& x, Figure::BallArray& y, double centre_x, double centre_y);
