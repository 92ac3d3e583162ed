#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace gfx {
namespace {

std::string text_of(Rect r)
{
    return "(" + std::to_string(r.x) + "," + std::to_string(r.y) + ") " + std::to_string(r.width) + "x"
           + std::to_string(r.height);
}

TEST(Rect, VerbsOnNamedPairs)
{
    struct Case {
        const char* what;
        Rect a, b;
        bool meet;
        Rect both;  // a.intersected(b)
        Rect union_; // a.united(b)
    };
    const Case cases[] = {
        {"overlapping", {0, 0, 4, 3}, {2, 1, 4, 4}, true, {2, 1, 2, 2}, {0, 0, 6, 5}},
        {"one inside the other", {0, 0, 10, 10}, {3, 4, 2, 1}, true, {3, 4, 2, 1}, {0, 0, 10, 10}},
        {"touching along a side", {0, 0, 4, 3}, {4, 0, 2, 3}, false, {}, {0, 0, 6, 3}},
        {"touching at a corner", {0, 0, 4, 3}, {4, 3, 1, 1}, false, {}, {0, 0, 5, 4}},
        {"one column shared", {0, 0, 4, 3}, {3, 2, 5, 5}, true, {3, 2, 1, 1}, {0, 0, 8, 7}},
        {"far apart", {-9, -9, 2, 2}, {7, 7, 1, 1}, false, {}, {-9, -9, 17, 17}},
        {"an empty one adds nothing", {5, 5, 0, 7}, {1, 2, 3, 4}, false, {}, {1, 2, 3, 4}},
        {"a negative size is empty", {1, 1, 3, -2}, {0, 0, 9, 9}, false, {}, {0, 0, 9, 9}},
        {"both empty", {4, 4, -1, 5}, {2, 2, 0, 0}, false, {}, {2, 2, 0, 0}},
        {"reaching the end of int", {INT_MAX - 3, 0, 3, 2}, {INT_MAX - 5, 1, 4, 5}, true,
         {INT_MAX - 3, 1, 2, 1}, {INT_MAX - 5, 0, 5, 6}},
        {"from the start of int", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-5, -5, 3, 3}, true,
         {-5, -5, 3, 3}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        for (bool swapped : {false, true}) {
            const Rect& a = swapped ? c.b : c.a;
            const Rect& b = swapped ? c.a : c.b;
            const std::string what = std::string(c.what) + (swapped ? " (swapped)" : "");
            EXPECT_EQ(a.intersects(b), c.meet) << what;
            EXPECT_EQ(text_of(a.intersected(b)), text_of(c.both)) << what;
            // Both orders of an empty rectangle's union give the other one unchanged.
            if (!a.empty() || !b.empty()) {
                EXPECT_EQ(text_of(a.united(b)), text_of(c.union_)) << what;
            }
            EXPECT_TRUE(a.united(b).contains(a) && a.united(b).contains(b)) << what;
            EXPECT_EQ(a.contains(b), a.intersected(b) == b || b.empty()) << what;
        }
    }
}

// Small rectangles, including empty and negative ones, against a pixel
// model: a rectangle is the set of pixels it holds, and every verb must
// agree with what that set says.
TEST(Rect, VerbsAgreeWithThePixelsHeld)
{
    std::vector<Rect> rects;
    for (int x = -1; x <= 2; ++x)
        for (int y = -1; y <= 1; ++y)
            for (int w = -1; w <= 3; ++w)
                for (int h = -1; h <= 2; ++h)
                    rects.push_back({x, y, w, h});
    auto holds = [](Rect r, int x, int y) { return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height; };
    for (const Rect& a : rects) {
        for (int y = -3; y <= 5; ++y)
            for (int x = -3; x <= 6; ++x)
                ASSERT_EQ(a.contains(Point{x, y}), holds(a, x, y)) << text_of(a) << " point " << x << "," << y;
        for (const Rect& b : rects) {
            bool shared = false, a_in_b = true;
            int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN; // bounds of the shared pixels
            int ux0 = INT_MAX, uy0 = INT_MAX, ux1 = INT_MIN, uy1 = INT_MIN; // bounds of the pixels of either
            for (int y = -3; y <= 5; ++y)
                for (int x = -3; x <= 6; ++x) {
                    const bool in_a = holds(a, x, y), in_b = holds(b, x, y);
                    a_in_b = a_in_b && (!in_a || in_b);
                    if (in_a && in_b) {
                        shared = true;
                        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
                    }
                    if (in_a || in_b)
                        ux0 = std::min(ux0, x), uy0 = std::min(uy0, y), ux1 = std::max(ux1, x + 1),
                        uy1 = std::max(uy1, y + 1);
                }
            const std::string what = text_of(a) + " and " + text_of(b);
            ASSERT_EQ(a.intersects(b), shared) << what;
            ASSERT_EQ(b.contains(a), a_in_b) << what;
            ASSERT_EQ(text_of(a.intersected(b)), text_of(shared ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{})) << what;
            if (!a.empty() && !b.empty()) {
                ASSERT_EQ(text_of(a.united(b)), text_of(Rect{ux0, uy0, ux1 - ux0, uy1 - uy0})) << what;
            } else {
                ASSERT_EQ(a.united(b), a.empty() ? b : a) << what;
            }
        }
    }
}

TEST(Rect, TranslatingMovesTheCornerOnly)
{
    const Rect r{3, -4, -2, 7}; // a mirrored block keeps its signed size
    EXPECT_EQ(r.translated(-5, 6), (Rect{-2, 2, -2, 7}));
    EXPECT_EQ(r.translated(Point{1, 1}).origin(), (Point{4, -3}));
    EXPECT_EQ((Point{2, 3}).translated(Point{-2, 4}), (Point{0, 7}));
    EXPECT_EQ((Rect{0, 0, 65536, 65536}).area(), std::int64_t(1) << 32);
    EXPECT_EQ((Rect{0, 0, -3, 4}).area(), 0);
}

} // namespace
} // namespace gfx
