#pragma once

#include <cstdint>

class Figure;

// The action routines, one file each in this folder, each registered by one
// row of the table in action_table.cpp. Every routine ends with FinishAction()
// and leaves the balls' final places in FormationX/Y and CenterFormationX/Y.

// Kind 1: the balls fly to the screen edges and meet again, twenty legs.
void Act_LinearMotion(Figure& saver, int mode);
// Kinds 2 (mode 1) and 14 (mode 2): the spinning rod, clean or with trails.
void Act_RodRotation(Figure& saver, int mode);
// Kind 3: the small balls circle the centre ball on a figure of eight, their
// distances and every ball's size swinging in and out.
void Act_ChangingRadius(Figure& saver, int mode);
// Kind 4: the ring rolls like a wheel, bouncing off the screen edges.
void Act_RollingRotation(Figure& saver, int mode);
// Kind 5: the ring turns over like a coin while drifting and bouncing.
void Act_SolidRotation(Figure& saver, int mode);
// Kinds 6 (mode 1) and 13 (mode 2): the balls alternate between a band
// through the centre and rings around random points, clean or as trails.
void Act_RingsAndBands(Figure& saver, int mode);
// Kind 7: a random lead ball traces six rose curves with a snake behind it,
// the centre ball running a figure-eight and growing and shrinking.
void Act_RoseCurve(Figure& saver, int mode);
// Kind 8: the ring warps from one random place and size to the next, forty
// moves, gliding or jumping.
void Act_RingWarp(Figure& saver, int mode);
// Kind 9: ball 1 traces Lissajous figures with a snake behind it, the centre
// ball bouncing off the screen edges.
void Act_Lissajous(Figure& saver, int mode);
// Kind 10: the centre ball traces trochoids, the small balls following it.
void Act_Cycloid(Figure& saver, int mode);
// Kind 11: the ring and the centre ball travel a figure-eight in opposite
// directions and pass through each other, the ring half turning over.
void Act_PassThrough(Figure& saver, int mode);
// Kind 12: ten turned copies of one ellipse traced together into a rosette
// around the centre ball, eight turn steps.
void Act_MutualEllipseTrails(Figure& saver, int mode);
// Kind 15: a breathing rod turning about its hub on a circle, the centre
// ball circling its far end.
void Act_RodAndBall(Figure& saver, int mode);
// Kind 16: each ball circles a small ellipse riding on a large one while a
// depth value squeezes both, first across and then along.
void Act_CircleOnEllipses(Figure& saver, int mode);
// Kind 17: the ring balls circle a quarter-height ring while the centre ball
// flies ten turned ellipses out into depth and back.
void Act_CenterEllipses(Figure& saver, int mode);
// Kind 18: two short rods circle the centre on opposite sides, spinning in
// depth.
void Act_TwoRods(Figure& saver, int mode);
// Kind 19: six flowers of ten spiral arms drawn as trails.
void Act_SpiralTrail(Figure& saver, int mode);
// Kind 20: the rosette of kind 12 with the balls setting off five frames apart.
void Act_LaggedEllipses(Figure& saver, int mode);
