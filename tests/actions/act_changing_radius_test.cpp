#include "action_rig.h"

#include "engine/actions/actions.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace action_test;
using namespace test_support;

namespace {

// A drawn ball's centre, from its stretched cell.
struct Point {
    double x, y;
};
Point CentreOf(const Op* op) { return {op->x + op->w / 2.0, op->y + op->h / 2.0}; }

} // namespace

// On 1024 x 768 (ring radius 192, lobes of radius 128): glide out to the
// ring, ten lobes of 60 frames, glide home, closing figure. Through the
// first two lobes the even balls swing to 57, 267, 57 and back to 192, the
// odd ones to 267, 42, 267 and 192; the balls shrink to half and grow back
// twice; the centre ball runs the left circle clockwise, then the right one.
TEST(ChangingRadius, RadiiSizesAndFigureOfEightOn1024x768)
{
    ActionRig rig;
    const auto frames = FramesOf(rig.Run(Act_ChangingRadius));
    ASSERT_EQ(frames.size(), 15u + 600 + 15 + 30);
    EXPECT_EQ(frames[14].Ball(1)->x, 600) << "the ring of radius H/4";
    EXPECT_EQ(frames[14].Ball(10)->x, 487) << "the -1 of the rounded-down cosine";
    EXPECT_EQ(frames[14].Ball(10)->y, 168);

    struct Row {
        int frame; // of the lobes
        double even_radius, odd_radius;
        int small_size, centre_size;
        double x, y; // the centre ball's centre
    };
    for (const Row& row : {Row{15, 57, 267, 24, 36, 384, 512}, Row{30, 267, 42, 48, 72, 256, 384},
                           Row{45, 57, 267, 24, 36, 384, 256}, Row{60, 192, 192, 48, 72, 512, 384},
                           Row{75, 57, 267, 24, 36, 640, 512}, Row{90, 267, 42, 48, 72, 768, 384},
                           Row{600, 192, 192, 48, 72, 512, 384}}) {
        const Event& frame = frames[std::size_t(15 + row.frame - 1)];
        const Point c = CentreOf(frame.Ball(11));
        EXPECT_NEAR(c.x, row.x, 1.5) << "frame " << row.frame;
        EXPECT_NEAR(c.y, row.y, 1.5) << "frame " << row.frame;
        EXPECT_EQ(frame.Ball(11)->w, row.centre_size) << "frame " << row.frame;
        for (int j = 1; j <= 10; ++j) {
            const Point b = CentreOf(frame.Ball(j));
            EXPECT_NEAR(std::hypot(b.x - c.x, b.y - c.y), j % 2 ? row.odd_radius : row.even_radius, 1.5)
                << "frame " << row.frame << " ball " << j;
            EXPECT_EQ(frame.Ball(j)->w, row.small_size) << "frame " << row.frame;
        }
    }
}

// Below 600 pixels of height an odd ball's radius passes zero: on 640 x 480
// it is 120 - 150 = -30 after frame 30, and the ball is drawn on the far
// side of the centre ball, not clamped. The speed changes how far the balls
// turn (factor 2 at speed 10: a full turn by frame 30), never the 600 frames.
TEST(ChangingRadius, NegativeRadiusOnLowScreensAndTheSameFrameCountAtAnySpeed)
{
    ActionRig rig(ActionSettings(10), 640, 480);
    ASSERT_DOUBLE_EQ(rig.settings.g_SpeedFactor, 2);
    const auto frames = FramesOf(rig.Run(Act_ChangingRadius));
    ASSERT_EQ(frames.size(), 10u + 600 + 10 + 20);
    const Event& frame = frames[10 + 30 - 1];
    const Point c = CentreOf(frame.Ball(11));
    for (int j = 1; j <= 9; j += 2) {
        const double phi = gfx::clock_angle(6.0 * j - 30 * 2);
        const Point b = CentreOf(frame.Ball(j));
        EXPECT_NEAR(b.x - c.x, -30 * std::cos(phi), 1.5) << "ball " << j;
        EXPECT_NEAR(b.y - c.y, -30 * std::sin(phi), 1.5) << "ball " << j;
    }
}
