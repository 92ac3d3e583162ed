#pragma once

#include "engine/figure.h"

// A glide of the ten small balls from one set of cell corners to another in
// g_Speed clean frames while the centre ball stays on its formation place,
// drawn between balls 5 and 6. Several figures open with it (from the
// formation into their starting shape) and close with it (back home).
void glide_small_balls(Figure& saver, const Figure::BallArray& from_x,
                       const Figure::BallArray& from_y, const Figure::BallArray& to_x,
                       const Figure::BallArray& to_y);

// The small balls glide from where the figure left them back onto their
// formation places, the centre ball staying on its own, and the closing
// figure follows.
void glide_home_and_finish(Figure& saver, const Figure::BallArray& from_x,
                           const Figure::BallArray& from_y);
