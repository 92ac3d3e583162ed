// Two savers side by side, each on a headless host of its own with its own
// seed, taking turns tick by tick (as one process showing two monitors
// would): each must show exactly the frames and trace it shows alone. State
// shared behind the savers' backs (a static in a routine, a shared
// generator) would leak one's figures into the other's.
#include "support/saver_rig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using test_support::default_settings;
using test_support::SaverRig;
using test_support::screen_of;

constexpr int kTicks = 3;

// FNV-1a over a frame's pixels: enough to tell frames apart.
std::uint64_t frame_hash(const gfx::Surface& frame)
{
    std::uint64_t h = 1469598103934665603u;
    for (gfx::Pixel p : frame.pixels()) {
        h ^= p;
        h *= 1099511628211u;
    }
    return h;
}

struct SaverRun {
    explicit SaverRun(std::uint64_t seed)
    {
        Settings settings = default_settings(4);
        settings.g_OrderMode = 2; // random order: the seed decides the kinds
        rig = std::make_unique<SaverRig>(settings, screen_of(160, 120), seed);
        rig->host.set_frame_sink([this](const host::Window&, const gfx::Surface& frame) {
            frames.push_back(frame_hash(frame));
        });
        rig->load();
    }
    std::unique_ptr<SaverRig> rig;
    std::vector<std::uint64_t> frames;
    std::string trace;
};

TEST(TwoSavers, SideBySideEachShowsTheFramesItShowsAlone)
{
    SaverRun alone_a(11), alone_b(12);
    alone_a.rig->run_ticks(kTicks);
    alone_a.trace = alone_a.rig->take_trace();
    alone_b.rig->run_ticks(kTicks);
    alone_b.trace = alone_b.rig->take_trace();
    ASSERT_NE(alone_a.trace, alone_b.trace) << "the seeds must make different runs";

    SaverRun a(11), b(12);
    for (int tick = 0; tick < kTicks; ++tick) {
        a.rig->run_ticks(1);
        b.rig->run_ticks(1);
    }
    a.trace = a.rig->take_trace();
    b.trace = b.rig->take_trace();

    EXPECT_EQ(a.trace, alone_a.trace);
    EXPECT_EQ(b.trace, alone_b.trace);
    ASSERT_FALSE(a.frames.empty());
    EXPECT_EQ(a.frames, alone_a.frames);
    EXPECT_EQ(b.frames, alone_b.frames);
}

} // namespace
