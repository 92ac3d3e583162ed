#pragma once

class Ball_A;

// The helper of the uniform-linear-motion action, open to its tests.

// For each small ball, a random point on a random one of the four edges, in
// EdgeX/EdgeY, as a cell corner: on the right and bottom edges the ball lies
// just inside the screen, on the top and left edges its corner touches the edge.
void PickEdgeTargets(Ball_A& saver);
