#include "action_rig.h"

#include "engine/actions/actions.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

using namespace action_test;
using namespace test_support;

namespace {

// The wheel's frames (up to the glide home) on a screen where the action
// starts it in direction 0..3 (down-right, up-left, up-right, down-left),
// and the frames (from 1) in which its step reversed.
struct Wheel {
    std::vector<Event> frames;
    std::vector<int> bounces;
};

Wheel RunWheel(int direction, int width, int height)
{
    std::unique_ptr<ActionRig> rig;
    for (std::uint64_t seed = 1; !rig; ++seed) {
        rig = std::make_unique<ActionRig>(ActionSettings(15), width, height, seed);
        Random peek = rig->random;
        if (gfx::floor_int(peek.Rnd() * 4) != direction)
            rig.reset();
    }
    Wheel w;
    w.frames = FramesOf(rig->Run(Act_RollingRotation));
    w.frames.resize(w.frames.size() - 3 * 15);
    int px = gfx::round_half_even(width / 2.0), py = gfx::round_half_even(height / 2.0);
    int vx = 0, vy = 0;
    for (std::size_t f = 0; f < w.frames.size(); ++f) {
        const int x = w.frames[f].Ball(11)->x + 36, y = w.frames[f].Ball(11)->y + 36;
        if (f > 0 && (x - px != vx || y - py != vy))
            w.bounces.push_back(int(f) + 1);
        vx = x - px;
        vy = y - py;
        px = x;
        py = y;
    }
    return w;
}

// Ball 1's centre seen from the wheel's centre in frame f (from 1).
std::pair<double, double> Ball1(const Wheel& w, int f)
{
    const Event& e = w.frames[std::size_t(f - 1)];
    return {e.Ball(1)->x + 24 - (e.Ball(11)->x + 36), e.Ball(1)->y + 24 - (e.Ball(11)->y + 36)};
}

// +1 when ball 1 turned clockwise on the screen (y grows downward) since
// the frame before, -1 when anticlockwise.
int TurnAt(const Wheel& w, int f)
{
    const auto [x0, y0] = Ball1(w, f - 1);
    const auto [x1, y1] = Ball1(w, f);
    return x0 * y1 - y0 * x1 > 0 ? +1 : -1;
}

} // namespace

// From the centre of 1024 x 768 the wheel first bounces in frame 33
// (y = 672, and 672 + 9 + 90 > 768). Rolling along that wall it turns
// clockwise when it travels anticlockwise around the screen (down-right
// meeting the bottom, up-left meeting the top), anticlockwise otherwise; on
// a square screen every bounce is a corner (frame 33, then every 64 frames),
// counted once, turning it anticlockwise. It ends in the frame of its 20th
// bounce, and the ring squashes in and springs out over frames 52 to 60. On a screen too small for the
// ring every frame is a bounce, so it still ends, after 20 frames.
TEST(RollingRotation, BouncesTurnsAndBreathesAndAlwaysEnds)
{
    struct Row {
        int width, height, direction;
        int turn_after_first_bounce; // in frame 33
        int wheel_frames;            // 0: as the path falls
    };
    for (const Row& row : {Row{1024, 768, 0, +1, 0}, Row{1024, 768, 1, +1, 0}, Row{1024, 768, 2, -1, 0},
                           Row{1024, 768, 3, -1, 0}, Row{768, 768, 0, -1, 33 + 19 * 64},
                           Row{100, 100, 0, 0, 20}}) {
        SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height) + " direction "
                     + std::to_string(row.direction));
        const Wheel w = RunWheel(row.direction, row.width, row.height);
        if (row.wheel_frames != 0) {
            EXPECT_EQ(int(w.frames.size()), row.wheel_frames);
        }
        if (row.turn_after_first_bounce == 0)
            continue;
        ASSERT_EQ(w.bounces.size(), 20u);
        EXPECT_EQ(w.bounces.front(), 33);
        EXPECT_EQ(w.bounces.back(), int(w.frames.size())) << "ends in the frame of the 20th bounce";
        EXPECT_EQ(TurnAt(w, 32), +1) << "clockwise from the start";
        EXPECT_EQ(TurnAt(w, 34), row.turn_after_first_bounce);
        const double radius[10] = {90, 75, 60, 45, 75, 105, 135, 120, 105, 90}; // frames 51..60
        for (int f = 51; f <= 60; ++f) {
            const auto [x, y] = Ball1(w, f);
            EXPECT_NEAR(std::hypot(x, y), radius[f - 51], 1.5) << "frame " << f;
        }
    }
}
