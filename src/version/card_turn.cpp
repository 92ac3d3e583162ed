// The strips of a turn; see card_turn.h. Every division here truncates
// toward zero (C++'s own integer division), which matters in the growing
// half, where the inset is negative and the face is wider than the card.
#include "version/card_turn.h"

namespace version {

namespace {

// The upper edge of the collapsing face moves down 290 / 12 = 24 pixels a
// frame, so after 12 frames the face is a line along the card's far edge.
constexpr int kEdgeStep = kCardSide / kHalfTurn;
// Strip i is narrowed by (n * i) / 4 on each side: the strips further from
// the near edge recede more, which is the perspective of the fold.
constexpr int kNarrowing = 4;
// The growing face has every strip as wide as strip 23 = 290 / 12 - 1
// would be, mirrored in n: (12 - n) * 23 / 4 is negative, so it is wider
// than the card (300 pixels at n = 13, 428 at n = 24).
constexpr int kGrowingStrip = kCardSide / kStripThickness - 1;

// A strip's place on the rows' axes: `along` its long side, `across` its
// thin side, both as offsets from the card's corner.
struct StripPlace {
    int along_at, along_size, across_at, across_size;
};

StripPlace place_of(int n, int i)
{
    if (n <= kHalfTurn) {
        // Every strip thins by one pixel a frame, the strips stay stacked
        // edge to edge, and the stack slides toward the far edge.
        const int inset = (n * i) / kNarrowing;
        const int thickness = kStripThickness - n;
        return {inset, kCardSide - 2 * inset, kEdgeStep * n + thickness * i, thickness};
    }
    // The new face stands on the card's near edge: its last strip starts
    // there and the others stack outward from it, each n - 12 thick.
    const int inset = ((kHalfTurn - n) * kGrowingStrip) / kNarrowing;
    const int thickness = n - kHalfTurn;
    return {inset, kCardSide - 2 * inset, thickness * (i - (kStripCount - 1)), thickness};
}

} // namespace

std::array<CardStrip, kStripCount> card_strips(int n, TurnKind kind, gfx::Point card)
{
    // Direction 1 draws frame n where frame 25 - n of direction 0 stands:
    // the old face rises out of the card and folds into its near edge, and
    // the new face opens out of a line along the far edge.
    const int m = kind.direction == 0 ? n : kFramesPerTurn + 1 - n;
    std::array<CardStrip, kStripCount> strips{};
    for (int i = 0; i < kStripCount; ++i) {
        const StripPlace p = place_of(m, i);
        CardStrip& s = strips[std::size_t(i)];
        if (kind.axis == 0) {
            s.from = {card.x, card.y + kStripThickness * i, kCardSide, kStripThickness};
            s.to = {card.x + p.along_at, card.y + p.across_at, p.along_size, p.across_size};
        } else {
            s.from = {card.x + kStripThickness * i, card.y, kStripThickness, kCardSide};
            s.to = {card.x + p.across_at, card.y + p.along_at, p.across_size, p.along_size};
        }
    }
    return strips;
}

} // namespace version
