#include "action_rig.h"

#include "engine/actions/action_table.h"
#include "host/headless/headless_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

// Restoring and presenting only what changed must not change one pixel:
// every built kind, from the opening through the kind to the first frames
// of the next one (a new background between them), at two screen sizes and
// two speeds, is played once with whole restores and presents and once
// with partial ones, and every frame is compared, both as drawn and as the
// screen shows it after the partial presents.

using namespace action_test;
using namespace test_support;

namespace {

struct Setup {
    const char* name;
    int width, height;
    int speed;
    int background;  // g_BackgroundMode
    int arrangement; // for the picture
    // On a desktop of two monitors whose primary (the saver's screen) lies
    // right of and below the other's corner: the screen at start is read
    // from the primary's part of the desktop, the other monitor is covered.
    bool two_monitors;
};

// Two sizes: one that holds most figures, and one far smaller than them, so
// that balls leave it and come back. Two speeds: at 1 a ball jumps clear of
// the cell it left, at 6 each step overlaps it. Each pair on another
// background: the ball grid and the pictures change the background under
// the balls, which a restore from the wrong place would show. Low speeds and
// small screens keep a case to a few hundred frames.
constexpr Setup kSetups[] = {
    {"grid_160x120_speed1", 160, 120, 1, 1, 1, false},
    {"colour_160x120_speed6", 160, 120, 6, 2, 1, false},
    {"tiled_picture_47x30_speed1", 47, 30, 1, 4, 2, false},
    {"startup_screen_two_monitors_47x30_speed6", 47, 30, 6, 3, 1, true},
};

// Frames of the next kind played after the kind (at most: a short one ends
// sooner): enough for its first frame on the new background and a few of
// its steps.
constexpr std::size_t kFramesOfTheNextKind = 24;

void PrintTo(const Setup& setup, std::ostream* out) { *out << setup.name; }

// A picture with no two neighbours alike, so that a block restored from
// the wrong place shows.
gfx::Surface Gradient(int width, int height)
{
    gfx::Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, gfx::rgb((x * 7) & 255, (y * 11) & 255, (x * y) & 255));
    return s;
}

std::uint64_t Fingerprint(const gfx::Surface& s)
{
    std::uint64_t h = 14695981039346656037u; // FNV-1a
    for (gfx::Pixel p : s.pixels()) {
        h ^= p;
        h *= 1099511628211u;
    }
    return h;
}

struct Frames {
    std::vector<std::uint64_t> drawn; // Display after each present
    std::vector<std::uint64_t> shown; // the screen after each present
    std::size_t kind_ends = 0;        // frames up to the end of the kind's tick
};

Frames Play(int kind, const Setup& setup, bool full_redraw)
{
    Settings settings = ActionSettings(std::int16_t(setup.speed));
    // The kind, then the next one in the sequence: between them the sprites
    // and the background are composed anew.
    const int next = kind % 20 + 1;
    settings.g_ActionEnabled.fill(0);
    settings.g_ActionEnabled[std::size_t(kind)] = 1;
    settings.g_ActionEnabled[std::size_t(next)] = 1;
    settings.g_BackgroundMode = std::int16_t(setup.background);
    settings.g_BackgroundArrangement = std::int16_t(setup.arrangement);
    settings.g_BackgroundPicturePath = "picture";
    settings.g_BackgroundColor = gfx::colorref(128, 64, 64);

    host::HeadlessOptions options = screen_of(setup.width, setup.height);
    options.desktop = Gradient(setup.width + 13, setup.height - 7);
    if (setup.two_monitors) {
        options.screen = {setup.width + 30, setup.height + 5};
        options.monitors = {{30, 5, setup.width, setup.height}, {0, 0, 30, 20}};
        options.desktop = Gradient(setup.width + 30, setup.height + 5);
    }
    options.picture_loader = [](const std::string&, gfx::Surface& out) {
        out = Gradient(37, 23);
        return host::PictureResult::Decoded;
    };
    SaverRig rig(settings, options, 5);
    rig.saver.stage().set_trace(nullptr);
    rig.saver.stage().set_full_redraw(full_redraw);

    Frames frames;
    std::size_t stop_at = 0; // set once the kind is over
    host::ShownPicture shown;
    rig.host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
        if (&window != rig.saver.window())
            return; // a cover over the other monitor
        shown.update(rig.host.record_for(window), frame);
        frames.drawn.push_back(Fingerprint(frame));
        frames.shown.push_back(Fingerprint(shown.picture()));
        if (stop_at != 0 && frames.drawn.size() >= stop_at)
            throw host::ProcessEnd{};
    });
    rig.load();
    rig.run_ticks(kind); // the opening and the kind (tick 20 is kind 20)
    frames.kind_ends = frames.drawn.size();
    stop_at = frames.kind_ends + kFramesOfTheNextKind;
    try {
        rig.run_ticks(1); // the next kind (kind 1 on tick 21, after kind 20)
    } catch (const host::ProcessEnd&) {
        rig.host.set_after_tick(nullptr);
    }
    return frames;
}

using Case = std::tuple<int, Setup>;

class PartialRedraw : public testing::TestWithParam<Case> {};

TEST_P(PartialRedraw, GivesEveryFrameOfTheFullRedraw)
{
    const auto [kind, setup] = GetParam();
    const Frames full = Play(kind, setup, true);
    const Frames partial = Play(kind, setup, false);
    ASSERT_GT(full.kind_ends, std::size_t(2 * setup.speed)) << "no action was played";
    ASSERT_GT(full.drawn.size(), full.kind_ends) << "the next kind drew nothing";
    ASSERT_EQ(partial.kind_ends, full.kind_ends) << "frame counts differ";
    ASSERT_EQ(partial.drawn.size(), full.drawn.size()) << "frame counts differ";
    for (std::size_t i = 0; i < full.drawn.size(); ++i) {
        ASSERT_EQ(full.shown[i], full.drawn[i]) << "frame " << i + 1 << ": a whole refresh";
        ASSERT_EQ(partial.drawn[i], full.drawn[i]) << "frame " << i + 1 << " drawn differently";
        ASSERT_EQ(partial.shown[i], full.drawn[i])
            << "frame " << i + 1 << " drawn alike but not all of its changes reached the screen";
    }
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (const Setup& setup : kSetups)
        for (const ActionEntry& entry : action_table())
            if (entry.routine)
                cases.emplace_back(entry.kind, setup);
    return cases;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    const auto& [kind, setup] = info.param;
    return "kind" + std::to_string(kind) + "_" + setup.name;
}

INSTANTIATE_TEST_SUITE_P(BuiltKinds, PartialRedraw, testing::ValuesIn(Cases()), CaseName);

} // namespace
