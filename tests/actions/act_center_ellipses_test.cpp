#include "figure_checks.h"

#include "engine/actions/actions.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kEllipseFrames = 62; // t = 0.1 ... 6.2

// The centre ball's middle as drawn at its scaled size.
double MiddleX(const Event& frame) { return frame.ball(11)->x + frame.ball(11)->w / 2.0; }
double MiddleY(const Event& frame) { return frame.ball(11)->y + frame.ball(11)->h / 2.0; }

} // namespace

// Glide into the ring (n), ten ellipses of 62 frames whatever the speed,
// glide home (n), closing figure (2n). In every ellipse the centre ball,
// under the ring, shrinks by 2 pixels a frame to 10 and grows back to 72.
TEST(CenterEllipses, TenEllipsesOf62FramesShrinkingTo10AndBack)
{
    for (std::int16_t n : {1, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(n));
        ActionRig rig(ActionSettings(n));
        const auto frames = frames_of(rig.Run(Act_CenterEllipses));
        const int figure = 10 * kEllipseFrames;
        ASSERT_EQ(int(frames.size()), n + figure + n + 2 * n);
        for (int k = 0; k < figure; ++k) {
            const Event& frame = frames[std::size_t(n + k)];
            const int step = k % kEllipseFrames + 1;
            const int size = step <= 31 ? 72 - 2 * step : 10 + 2 * (step - 31);
            ASSERT_TRUE(frame.ball(11)->w == size && frame.ball(11)->h == size) << "frame " << k;
            ASSERT_EQ(BallOrder(frame), (std::vector<int>{11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        }
        const std::size_t home = std::size_t(n + figure);
        ExpectGlideSetsOutFrom(frames[home - 1], frames[home], rig.saver.formation().FormationX(),
                               rig.saver.formation().FormationY(), n);
    }
}

// Every ellipse starts and ends near the screen centre and reaches 360
// pixels out on the side opposite its turn at t = pi, between its 31st and
// 32nd frames: the first, turned 36 degrees, about 291 pixels left of and
// 212 above the centre. Meanwhile the ring, a quarter of the screen height
// about the centre, turns with the odd balls against the even ones, then all
// anticlockwise, then all clockwise, and so on.
TEST(CenterEllipses, EllipsesTurnBy36DegreesAndTheRingChangesDirection)
{
    ActionRig rig;
    const auto frames = frames_of(rig.Run(Act_CenterEllipses));
    for (int r = 1; r <= 10; ++r) {
        const auto frame = [&](int k) -> const Event& {
            return frames[std::size_t(15 + (r - 1) * kEllipseFrames + k)];
        };
        for (int k : {0, kEllipseFrames - 1})
            EXPECT_LE(std::hypot(MiddleX(frame(k)) - 512, MiddleY(frame(k)) - 384), 12) << r;
        const double turn = 36.0 * r / 180 * gfx::kPi;
        EXPECT_NEAR((MiddleX(frame(30)) + MiddleX(frame(31))) / 2 - 512, -360 * std::cos(turn), 2);
        EXPECT_NEAR((MiddleY(frame(30)) + MiddleY(frame(31))) / 2 - 384, -360 * std::sin(turn), 2);

        for (int i = 1; i <= 10; ++i) {
            const Event &a = frame(1), &b = frame(2);
            EXPECT_NEAR(std::hypot(CentreX(a, i) - 512, CentreY(a, i) - 384), 192, 1.5);
            const double turned = std::remainder(
                std::atan2(CentreY(b, i) - 384, CentreX(b, i) - 512)
                    - std::atan2(CentreY(a, i) - 384, CentreX(a, i) - 512),
                2 * gfx::kPi);
            const bool clockwise = r % 3 == 0 || (r % 3 == 1 && i % 2 == 0);
            EXPECT_EQ(turned > 0, clockwise) << "ellipse " << r << " ball " << i;
        }
    }
}
