#pragma once

#include "gfx/surface.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

// How far a figure has spread from the ring its balls start on, read from
// the balls' places in the trace; the contact sheet picks its tile by it,
// and draws the balls' earlier places under it as ghosts.
// Measured from the ring rather than from the screen as the action began: a
// ring that only turns or wanders is not what makes a figure recognisable,
// a flight to the edges, a rod or a curve is.
namespace figure_spread {

struct BallPlace {
    double x = 0; // the centre
    double y = 0;
    int left = 0; // the square the ball was drawn in
    int top = 0;
    int size = 0;
};

// Where each of the eleven balls was last drawn: index 0 holds ball 1,
// index 10 the centre ball. Nothing for a ball not drawn yet.
using BallCentres = std::array<std::optional<BallPlace>, 11>;

// Takes the balls a trace's "frame" line drew into `centres`, each at its
// last place in the line; balls the line does not draw keep their entry,
// and anything that is not a ball of 1 to 11 is passed over.
void read_frame_line(std::string_view line, BallCentres& centres);

// How far the balls of `now` stand from the ring of `ring`: for each small
// ball, how far it lies inside or outside the ring's circle (around the
// small balls' centroid, through their mean distance from it), plus how far
// the centre ball is from that centre. 0 for the ring itself, however it
// is turned. Balls missing from either count nothing.
double spread_from_ring(const BallCentres& ring, const BallCentres& now);

// The frame the contact sheet shows: the last one whose score comes within
// a tenth of the highest of them all. The last rather than the highest, so
// that a figure that leaves trails shows as much of them as it can. Fed
// the frames' scores in order, offer() says whether the frame just offered
// is the choice so far (its picture is then the one to keep); as the
// highest only grows, the last frame it accepts is the choice over the
// whole run.
class FrameChoice {
public:
    bool offer(double score);

private:
    double m_highest = -1;
};

// One ball's disc as a frame showed it, kept to draw as a ghost later.
struct Disc {
    int left = 0;
    int top = 0;
    int size = 0;
    std::vector<gfx::Pixel> pixels; // size x size, row by row
};

// The discs of the balls at `places` as `picture` shows them, clipped to
// the picture.
std::vector<Disc> cut_discs(const gfx::Surface& picture, const BallCentres& places);

// Paints the round part of each disc into `into`: weight / 256 of the
// disc's colour, the rest of what was there. 256 puts the disc back exactly.
void paint_discs(gfx::Surface& into, const std::vector<Disc>& discs, int weight);

} // namespace figure_spread
