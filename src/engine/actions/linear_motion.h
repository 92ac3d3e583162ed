#pragma once

#include "engine/figure.h"

// The helper of the uniform-linear-motion action, open to its tests.

// Where each small ball (slots 1..10) meets the screen's edge in one leg.
struct EdgeTargets {
    Figure::BallArray EdgeX{}, EdgeY{};
};

// For each small ball, a random point on a random one of the four edges, as
// a cell corner: on the right and bottom edges the ball lies just inside the
// screen, on the top and left edges its corner touches the edge.
EdgeTargets PickEdgeTargets(Figure& saver);
