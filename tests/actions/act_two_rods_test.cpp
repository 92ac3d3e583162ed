#include "figure_checks.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace action_test;
using namespace test_support;

namespace {
constexpr int kFigureFrames = 20 * 30; // twenty repetitions of 30 frames
} // namespace

// Glide into the rod (n), 20 repetitions of 30 frames whatever the speed,
// glide home (n), closing figure (2n). The rod is vertical or horizontal at
// random (both come up in six runs). On 1024 x 768 the middles (balls 3
// and 8) circle the centre 165 pixels out on opposite sides.
TEST(TwoRods, TwentyRepetitionsOf30FramesAboutOppositeMiddles)
{
    std::set<bool> orientations;
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        const std::int16_t n = seed % 3 == 0 ? 1 : seed % 3 == 1 ? 15 : 30;
        SCOPED_TRACE("seed " + std::to_string(seed) + " speed " + std::to_string(n));
        ActionRig rig(ActionSettings(n), 1024, 768, seed);
        const Ball_A& s = rig.saver;
        const auto frames = frames_of(rig.Run(Act_TwoRods));
        ASSERT_EQ(int(frames.size()), n + kFigureFrames + n + 2 * n);

        const Event& rod = frames[std::size_t(n - 1)];
        const bool vertical = rod.ball(1)->x == rod.ball(10)->x;
        orientations.insert(vertical);
        for (int i = 1; i <= 10; ++i) {
            EXPECT_EQ(rod.ball(i)->x, int(vertical ? s.formation().VerticalRodX()[i] : s.formation().HorizontalRodX()[i]));
            EXPECT_EQ(rod.ball(i)->y, int(vertical ? s.formation().VerticalRodY()[i] : s.formation().HorizontalRodY()[i]));
        }
        for (int k = n; k < n + kFigureFrames; ++k) {
            const Event& f = frames[std::size_t(k)];
            ASSERT_EQ(BallOrder(f), (std::vector<int>{11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
            ASSERT_NEAR(std::hypot(CentreX(f, 3) - 512, CentreY(f, 3) - 384), 165, 1.5);
            ASSERT_NEAR(CentreX(f, 3) + CentreX(f, 8), 1024, 2) << "frame " << k;
            ASSERT_NEAR(CentreY(f, 3) + CentreY(f, 8), 768, 2) << "frame " << k;
        }
        const std::size_t home = std::size_t(n + kFigureFrames);
        ExpectGlideSetsOutFrom(frames[home - 1], frames[home], s.formation().FormationX(), s.formation().FormationY(), n);
    }
    EXPECT_EQ(orientations.size(), 2u) << "six runs all chose the same rod";
}

// The arms are 51 and 102 pixels: whole in the twelfth repetition, where
// both factors are back at 1; closed across in the fifth (horizontal factor
// ~0) and along in the seventeenth (vertical factor ~0), where the arm balls
// collapse onto their middle ball's column or row, give or take the pixel
// that rounding down costs. Seeds 1 and 2 give one rod of each kind.
TEST(TwoRods, ArmsCloseAcrossThenAlongOnBothRods)
{
    for (std::uint64_t seed : {1, 2}) {
        ActionRig rig(ActionSettings(15), 1024, 768, seed);
        const auto frames = frames_of(rig.Run(Act_TwoRods));
        const auto spin = [&](int rep, int k) -> const Event& {
            return frames[std::size_t(15 + (rep - 1) * 30 + k)];
        };
        const int arm[11] = {0, 102, 51, 0, 51, 102, 102, 51, 0, 51, 102};
        for (int k = 0; k < 30; ++k)
            for (int i = 1; i <= 10; ++i) {
                const int m = i <= 5 ? 3 : 8;
                const Event &whole = spin(12, k), &across = spin(5, k), &along = spin(17, k);
                EXPECT_NEAR(std::hypot(CentreX(whole, i) - CentreX(whole, m),
                                       CentreY(whole, i) - CentreY(whole, m)),
                            arm[i], 1.5) << "seed " << seed << " ball " << i;
                EXPECT_LE(std::abs(across.ball(i)->x - across.ball(m)->x), 1) << "ball " << i;
                EXPECT_LE(std::abs(along.ball(i)->y - along.ball(m)->y), 1) << "ball " << i;
            }
    }
}
