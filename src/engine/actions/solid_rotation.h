#pragma once

#include <cstdint>

class Figure;

// The drift of the solid-rotation figure, shared by the action and the edge
// test that moves it (open to the tests).
struct SolidDrift {
    double ox = 0, oy = 0; // displacement of the whole figure from its formation
    double vx = 5, vy = 5; // pixels per frame, each +5 or -5
    bool bounced = false;  // a component was reversed in the current frame
    std::int16_t bounces = 0; // frames with a bounce so far
};

// One frame of drift: steps the offset, then reverses a velocity component
// whose edge the figure has passed. The edges are judged from the formation
// places of the ring's outermost balls (3 right, 8 left, 5 lowest, 10 highest),
// not from where the balls are drawn; a frame that reverses both components
// counts one bounce.
void BounceSolidOffEdges(const Figure& saver, SolidDrift& drift);
