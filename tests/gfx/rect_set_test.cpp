#include "gfx/raster.h"
#include "gfx/rect_set.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace gfx {
namespace {

std::string text_of(Rect r)
{
    return "(" + std::to_string(r.x) + "," + std::to_string(r.y) + ") " + std::to_string(r.width)
           + "x" + std::to_string(r.height);
}

// The block stretch_cover names is exactly the block the stretching transfer
// draws on, clipped to the surface: what the compositor restores and sends
// after a scaled ball must hold every pixel the ball changed.
TEST(StretchCover, NamesExactlyThePixelsTheStretchDraws)
{
    struct Case {
        int x, y, w, h;
    };
    const Case cases[] = {
        {3, 4, 10, 6},  {12, 9, -10, -6}, {0, 5, -7, 4},  {5, 0, 4, -3},  {-4, -2, 9, 9},
        {19, 14, 5, 5}, {2, 2, 1, -1},    {7, 7, 0, 5},   {7, 7, 5, 0},   {25, 3, -8, 2},
        {-1, 3, -5, 2}, {3, 20, 2, -4},
    };
    Surface sprite(6, 5, rgb(1, 1, 1));
    for (const Case& c : cases) {
        Surface dst(20, 15, kBlack);
        stretch_blit(dst, {c.x, c.y, c.w, c.h}, sprite, {0, 0, sprite.width(), sprite.height()}, RasterOp::Copy);
        const Rect cover = stretch_cover({c.x, c.y, c.w, c.h}).intersected(dst.rect());
        for (int y = 0; y < dst.height(); ++y)
            for (int x = 0; x < dst.width(); ++x) {
                const bool inside = x >= cover.x && x < cover.x + cover.width && y >= cover.y
                                    && y < cover.y + cover.height;
                ASSERT_EQ(dst.at(x, y) != kBlack, inside)
                    << "stretch to (" << c.x << "," << c.y << ") " << c.w << "x" << c.h
                    << ", cover " << text_of(cover) << ": pixel (" << x << "," << y << ")";
            }
    }
}

TEST(StretchCover, ExtentsAtTheLimitsOfIntStayInRange)
{
    const Rect r = stretch_cover({-2147483647, 0, -2147483647, 1});
    EXPECT_FALSE(r.intersects({0, 0, 100, 100}));
    const Rect s = stretch_cover({2147483647, 0, -2147483647, 1});
    EXPECT_EQ(text_of(s.intersected({0, 0, 100, 100})), "(1,0) 99x1");
}

// Every pixel added is covered, the set never holds more than its capacity,
// and as long as it has room it never covers more pixels than were added.
void ExpectCovers(const RectSet& set, const std::vector<Rect>& added, const std::string& what)
{
    const auto rects = set.rects();
    ASSERT_LE(rects.size(), RectSet::kCapacity) << what;
    for (const Rect& a : added)
        for (int y = a.y; y < a.y + a.height; ++y)
            for (int x = a.x; x < a.x + a.width; ++x) {
                bool covered = false;
                for (const Rect& r : rects)
                    covered = covered
                              || (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
                ASSERT_TRUE(covered) << what << ": pixel (" << x << "," << y << ") of "
                                     << text_of(a) << " is not covered";
            }
}

TEST(RectSet, CoversEveryBlockAddedWhateverTheirNumberAndPlaces)
{
    struct Pattern {
        const char* name;
        int blocks;
        int spread; // how far apart the blocks may lie
        int step;   // a ball's move per block (0: scattered)
    };
    const Pattern patterns[] = {
        {"a ball gliding", 30, 600, 3},
        {"a ball jumping", 40, 600, 60},
        {"scattered cells", 40, 600, 0},
        {"a long trail", 400, 900, 5},
        {"many scattered cells", 300, 900, 0},
    };
    std::mt19937 generator(7);
    for (const Pattern& p : patterns) {
        std::uniform_int_distribution<int> place(-40, p.spread);
        std::uniform_int_distribution<int> size(1, 72);
        std::uniform_int_distribution<int> move(-p.step, p.step);
        RectSet set;
        std::vector<Rect> added;
        std::int64_t added_area = 0;
        Rect ball{place(generator), place(generator), 48, 48};
        for (int i = 0; i < p.blocks; ++i) {
            Rect block;
            if (p.step > 0) {
                ball.x += move(generator);
                ball.y += move(generator);
                block = ball;
            } else {
                block = {place(generator), place(generator), size(generator), size(generator)};
            }
            set.add(block);
            added.push_back(block);
            added_area += block.area();
        }
        ExpectCovers(set, added, p.name);
        if (p.blocks <= int(RectSet::kCapacity)) {
            std::int64_t covered_area = 0;
            for (const Rect& r : set.rects())
                covered_area += r.area();
            EXPECT_LE(covered_area, added_area) << p.name << ": merging made more pixels to copy";
        }
        set.clear();
        EXPECT_TRUE(set.empty());
    }
}

TEST(RectSet, MergesOnlyWhereItCostsNoPixels)
{
    RectSet set;
    set.add({100, 100, 48, 48});
    set.add({103, 98, 48, 48}); // the same ball a step further
    ASSERT_EQ(set.rects().size(), 1u);
    EXPECT_EQ(text_of(set.rects()[0]), "(100,98) 51x50");

    set.add({110, 110, 20, 20}); // inside: nothing new
    set.add({0, 0, 0, 30});      // empty: nothing at all
    set.add({400, 300, 48, 48}); // far away: a piece of its own
    set.add({147, 140, 48, 48}); // touches the first only at a corner
    ASSERT_EQ(set.rects().size(), 3u);
    EXPECT_EQ(text_of(set.rects()[0]), "(100,98) 51x50");
    EXPECT_EQ(text_of(set.rects()[1]), "(400,300) 48x48");
    EXPECT_EQ(text_of(set.rects()[2]), "(147,140) 48x48");

    // A block that bridges two pieces joins both once they cost nothing together.
    set.add({100, 98, 95, 90});
    EXPECT_EQ(set.rects().size(), 2u);
}

} // namespace
} // namespace gfx
