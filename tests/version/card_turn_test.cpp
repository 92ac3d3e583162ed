// The strips of a turn: the worked frames of rows turning forward, and the
// other three kinds built from the same strips.
#include "version/card_turn.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using version::card_strips;
using version::TurnKind;

std::string text(const gfx::Rect& r)
{
    return "{" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width)
           + ", " + std::to_string(r.height) + "}";
}

TEST(CardTurn, RowsTurningForwardStandWhereTheWorkedFramesPutThem)
{
    const gfx::Point card{100, 50};
    struct Case {
        int n, i;
        gfx::Rect to;
    };
    const Case cases[] = {
        // The old face: every strip one pixel thinner a frame, the stack 24
        // pixels lower, strip i narrowed by (n * i) / 4 on each side.
        {1, 0, {100, 74, 290, 11}},
        {1, 3, {100, 107, 290, 11}},
        {1, 24, {106, 338, 278, 11}},
        {12, 0, {100, 338, 290, 0}},
        {12, 5, {115, 338, 260, 0}},
        {12, 24, {172, 338, 146, 0}},
        // The new face: standing on the card's top edge, stacked upward,
        // every strip 300 wide at n = 13 and 428 at n = 24.
        {13, 24, {95, 50, 300, 1}},
        {13, 0, {95, 26, 300, 1}},
        {24, 24, {31, 50, 428, 12}},
        {24, 10, {31, -118, 428, 12}},
        {24, 0, {31, -238, 428, 12}},
    };
    for (const Case& c : cases) {
        const version::CardStrip s = card_strips(c.n, TurnKind{0, 0}, card)[std::size_t(c.i)];
        EXPECT_EQ(s.to, c.to) << "frame " << c.n << " strip " << c.i << ": expected " << text(c.to)
                              << " got " << text(s.to);
        const gfx::Rect from{100, 50 + 12 * c.i, 290, 12};
        EXPECT_EQ(s.from, from) << "frame " << c.n << " strip " << c.i << ": expected the source "
                                << text(from) << " got " << text(s.from);
    }
}

// Columns are rows mirrored in the card's diagonal; the second direction
// draws frame n where the first draws frame 25 - n.
TEST(CardTurn, TheOtherKindsAreTheRowsTransposedOrPlayedFromTheOtherEnd)
{
    const gfx::Point card{-30, 17};
    auto transposed = [&](gfx::Rect r) {
        return gfx::Rect{card.x + (r.y - card.y), card.y + (r.x - card.x), r.height, r.width};
    };
    for (int n = 1; n <= 24; ++n) {
        const auto rows = card_strips(n, TurnKind{0, 0}, card);
        const auto rows_back = card_strips(25 - n, TurnKind{0, 0}, card);
        const auto columns = card_strips(n, TurnKind{0, 1}, card);
        const auto back = card_strips(n, TurnKind{1, 0}, card);
        const auto columns_back = card_strips(n, TurnKind{1, 1}, card);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(n) + " strip " + std::to_string(i));
            EXPECT_EQ(columns[i].from, transposed(rows[i].from)) << text(columns[i].from);
            EXPECT_EQ(columns[i].to, transposed(rows[i].to)) << text(columns[i].to);
            EXPECT_EQ(back[i].from, rows_back[i].from) << text(back[i].from);
            EXPECT_EQ(back[i].to, rows_back[i].to) << text(back[i].to);
            EXPECT_EQ(columns_back[i].to, transposed(rows_back[i].to)) << text(columns_back[i].to);
        }
    }
}

} // namespace
