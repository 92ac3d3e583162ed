// Frames are drawn without allocating: a saver runs for hours, and a frame
// loop that allocates fragments the heap and stutters. This file counts every
// allocation of the test program while the counter is armed.
#include "support/saver_rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

} // namespace

void* operator new(std::size_t size)
{
    if (g_counting.load(std::memory_order_relaxed))
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

// GCC pairs the free() below with the malloc() above only across the
// replacement, which it cannot see, and warns that they do not match.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

using test_support::default_settings;
using test_support::SaverRig;
using test_support::screen_of;

TEST(FrameAllocation, GlidesAndTheClosingFigureAllocateNothing)
{
    for (std::int16_t background : {1, 2}) {
        Settings settings = default_settings();
        settings.g_BackgroundMode = background;
        SaverRig rig(settings, screen_of(320, 240));
        rig.load(false);
        Ball_A& s = rig.saver;
        s.stage().set_trace(nullptr); // the trace writes text; frames alone must not allocate
        for (int i = 1; i <= 10; ++i) {
            s.glides().hand_on_start(i, 10.0 * i, 5.0 * i);
        }

        g_allocations = 0;
        g_counting = true;
        s.glides().GatherToCenter(Gathering::WithCentre, 136, 96);
        s.glides().GlideIntoFormation();
        s.glides().GlideBalls(GlideKind::Trail);
        s.FinishAction();
        g_counting = false;
        EXPECT_EQ(g_allocations.load(), 0) << "background " << background;
    }
}

TEST(FrameAllocation, ScaledStampsAllocateNothingOnceWarm)
{
    SaverRig rig(default_settings(), screen_of(320, 240));
    rig.load(false);
    Ball_A& s = rig.saver;
    s.stage().set_trace(nullptr);
    s.stage().blit_ball_scaled(11, 0, 0, 300, 200); // the sampling tables grow once

    g_allocations = 0;
    g_counting = true;
    for (double size : {72.0, 4.8, 48.0, -63.0, 0.0, 150.0})
        s.stage().blit_ball_scaled(11, 100, 80, size, size);
    s.PlayOpening();
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
}

} // namespace
