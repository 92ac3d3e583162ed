#pragma once

#include "gfx/surface.h"

#include <array>

// The geometry of one turn of the version card. A turn is 24 frames: in the
// first half the old face, cut into strips 12 pixels thick, collapses toward
// one edge of the card; in the second half the new face grows out of it.
// Every frame is drawn from the same 25 strips of a face, each stretched
// from its 12-pixel source to a thinner, narrowed destination, so a turn
// costs nothing but block transfers of the two faces.
namespace version {

inline constexpr int kFramesPerTurn = 24;
inline constexpr int kHalfTurn = kFramesPerTurn / 2;
inline constexpr int kStripThickness = 12;
// The card is a square of the dial: 290 pixels a side.
inline constexpr int kCardSide = 290;
// 290 / 12 + 1: the last strip runs 10 pixels past the card's edge.
inline constexpr int kStripCount = kCardSide / kStripThickness + 1;

// How a turn runs. Axis 0 cuts the card into rows, axis 1 into columns.
// Direction 0 collapses the old face toward the card's far edge (the lower
// one for rows, the right one for columns) and raises the new face from its
// near edge; direction 1 plays the same frames from the other end.
struct TurnKind {
    int direction = 0;
    int axis = 0;
    friend bool operator==(TurnKind, TurnKind) = default;
};

// One strip of a frame: its block on the face, and where it is stretched to
// on the screen (an empty destination draws nothing).
struct CardStrip {
    gfx::Rect from;
    gfx::Rect to;
};

// The strips of frame n (1 to 24) of a turn of the card whose top-left
// corner is `card`, in screen pixels; faces are screen-sized, so `from`
// is in screen pixels too. Frames 1 to 12 draw the old face, 13 to 24 the new.
std::array<CardStrip, kStripCount> card_strips(int n, TurnKind kind, gfx::Point card);

} // namespace version
