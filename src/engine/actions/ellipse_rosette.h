#pragma once

#include "engine/figure.h"

#include <array>
#include <cstdint>

// The rosette that the two mutual-ellipse figures (kinds 12 and 20) draw: ten
// copies of one flat ellipse centred on the screen, ball i's copy turned
// about the screen centre by i times a turn step D. Both figures play the
// same eight repetitions, each with its own D; they differ only in how the
// balls set off along their ellipses. What they share lives here: the
// set-up of a repetition, a ball's place on its ellipse, the glide out to the
// start points, the clean frame after the hold and the glide back.

// The turn steps of the eight repetitions, degrees. After 92 they fall by 16
// each time, except that 44 is left out.
inline constexpr std::array<std::int16_t, 9> kRosetteTurnSteps = {0,  90, 92, 76, 60,
                                                                  28, 12, -4, -20};
inline constexpr int kRosetteRepetitions = 8;

// The ellipse parameter grows by a tenth of a radian per drawing, which
// takes 62 drawings round the ellipse.
inline constexpr double kParameterStep = 0.1;

// How long the finished rosette stays on the screen.
inline constexpr int kRosetteHoldMs = 2000;

struct EllipseRosette {
    // The semi-axes, single precision: the screen's width over 3.5 across
    // and its height over 7 down, a flat ellipse on any usual screen.
    float a = 0, b = 0;
    std::int16_t D = 0; // the turn step of this repetition, degrees
    // Sine and cosine of ball i's turn angle D x i degrees, single precision.
    std::array<float, kSmallBalls + 1> s{}, c{};
    // Where each ball's cell was last placed.
    Figure::BallArray x{}, y{};
};

// a, b, D and every ball's turn for repetition 1..8.
void set_up_rosette(const Figure& saver, EllipseRosette& r, int repetition);

// Places ball i at parameter t of its turned ellipse, in r.x(i), r.y(i).
void place_on_ellipse(const Figure& saver, EllipseRosette& r, int i, double t);

// The ten balls glide from their formation places onto their ellipses' start
// points (t = 0), the centre ball staying at its own; every frame erased.
void glide_out_to_ellipses(Figure& saver, EllipseRosette& r);

// After the hold: one clean frame with every ball back on its start point
// (at t = 2 pi, the end of its round) and the centre ball on its place.
void clear_and_place(Figure& saver, EllipseRosette& r);

// The ten balls glide from where the clean frame placed them back to their
// formation places, the centre ball staying at its own.
void glide_back_to_formation(Figure& saver, EllipseRosette& r);
