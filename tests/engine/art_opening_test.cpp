// The opening figure: the ring closing in while the centre ball grows.

#include "art_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace art_testing;
using namespace test_support;

namespace {

std::string op_text(const Op& op)
{
    if (op.what == 'R')
        return "R";
    return "B" + std::to_string(op.ball) + " " + std::to_string(op.x) + "," + std::to_string(op.y)
           + " " + std::to_string(op.w) + "x" + std::to_string(op.h);
}

// Plays the opening on a freshly loaded saver; returns its trace.
std::string play_opening(SaverRig& rig)
{
    rig.saver.on_load();
    rig.take_trace();
    rig.saver.PlayOpening();
    return rig.take_trace();
}

} // namespace

TEST(PlayOpening, SixteenClosingFramesThenTheStartingRing)
{
    SaverRig rig(plain_settings(2), screen_of(1024, 768));
    const std::string trace = play_opening(rig);
    ASSERT_EQ(trace.rfind("{\"ev\":\"opening\"}\n", 0), 0u) << "the opening line comes first";

    const auto frames = frames_of(parse_trace(trace));
    ASSERT_EQ(frames.size(), 17u) << trace;

    // The centre ball grows by 72 / 15 = 4.8 a frame; sizes and corners are
    // rounded halves to even (71.99999... and 47.99999... round up).
    const int sizes[16] = {5, 10, 14, 19, 24, 29, 34, 38, 43, 48, 53, 58, 62, 67, 72, 77};
    for (int f = 0; f < 16; ++f) {
        const auto& ops = frames[std::size_t(f)].ops;
        ASSERT_EQ(ops.size(), 12u) << "frame " << f + 1;
        EXPECT_EQ(ops[0].what, 'R') << "frame " << f + 1 << " must start with a restore";
        for (int i = 1; i <= 10; ++i) {
            EXPECT_EQ(ops[std::size_t(i)].ball, i);
            EXPECT_EQ(ops[std::size_t(i)].w, 48);
        }
        const Op& centre = ops[11];
        EXPECT_EQ(centre.ball, 11);
        EXPECT_EQ(centre.w, sizes[f]) << "frame " << f + 1 << ": " << op_text(centre);
        EXPECT_EQ(centre.h, sizes[f]) << "frame " << f + 1 << ": " << op_text(centre);
    }
    EXPECT_EQ(op_text(frames[0].ops[11]), "B11 510,382 5x5");
    EXPECT_EQ(op_text(frames[14].ops[11]), "B11 476,348 72x72");

    // Frame 1 at radius 512: ball 10 stands one pixel left of the top (the
    // floor of a cosine just below 0), ball 5 straight below the centre.
    EXPECT_EQ(op_text(frames[0].ops[10]), "B10 487,-152 48x48");
    EXPECT_EQ(op_text(frames[0].ops[5]), "B5 488,872 48x48");

    // The last closing frame reaches the starting ring: its radius, 512 less
    // fifteen steps of 28.133..., is 90 give or take the rounding of the
    // repeated subtraction, which may put a ball one pixel off the ring. The
    // final frame holds the ring exactly, with the centre ball on top.
    const auto& last = frames[15].ops;
    const auto& final_frame = frames[16].ops;
    ASSERT_EQ(final_frame.size(), 12u);
    EXPECT_EQ(final_frame[0].what, 'R');
    for (int i = 1; i <= 10; ++i) {
        const Op& closing = last[std::size_t(i)];
        const Op& ring = final_frame[std::size_t(i)];
        EXPECT_LE(std::abs(closing.x - ring.x), 1) << op_text(closing) << " vs " << op_text(ring);
        EXPECT_LE(std::abs(closing.y - ring.y), 1) << op_text(closing) << " vs " << op_text(ring);
    }
    EXPECT_EQ(op_text(final_frame[1]), "B1 540,287 48x48");
    EXPECT_EQ(op_text(final_frame[11]), "B11 476,348 72x72");
}

TEST(PlayOpening, SlowestAndFastestSpeedsKeepTheirFrameCounts)
{
    for (int speed : {1, 30}) {
        Settings s = plain_settings(2);
        s.g_Speed = std::int16_t(speed);
        SaverRig rig(s, screen_of(1024, 768));
        const auto frames = frames_of(parse_trace(play_opening(rig)));
        // speed closing frames, one more where the real-valued radius lands
        // on the ring, and the final frame.
        EXPECT_GE(frames.size(), std::size_t(speed + 1)) << "speed " << speed;
        EXPECT_LE(frames.size(), std::size_t(speed + 2)) << "speed " << speed;
    }
}

TEST(PlayOpening, ScreensNoWiderThanTheRingShowOnlyTheFinalFrame)
{
    // Half of these widths is at most the ring's radius: there is nothing to
    // close in from, and the radius would never step past the ring.
    for (int width : {1, 100, 180}) {
        SaverRig rig(plain_settings(2), screen_of(width, 1));
        const auto frames = frames_of(parse_trace(play_opening(rig)));
        ASSERT_EQ(frames.size(), 1u) << "width " << width;
        EXPECT_EQ(frames[0].ops.size(), 12u);
        EXPECT_EQ(frames[0].ops[11].w, 72);
    }
}

TEST(PlayOpening, TinyPicturesAndScreensNeverHang)
{
    host::HeadlessOptions options = screen_of(1, 1);
    options.picture_loader = [](const std::string&, gfx::Surface& out) {
        out = gfx::Surface(0, 0);
        return host::PictureResult::Decoded;
    };
    Settings s = plain_settings(4);
    s.g_BackgroundArrangement = 2;
    SaverRig rig(s, std::move(options));
    const auto frames = frames_of(parse_trace(play_opening(rig)));
    EXPECT_EQ(frames.size(), 1u);
}
