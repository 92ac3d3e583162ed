// The order every host gives its monitors in: the primary first, no empty
// or mirrored ones, never none.
#include "host/monitors.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Rects = std::vector<gfx::Rect>;

TEST(MonitorOrder, PrimaryFirstThenTheRestWithoutEmptyOrMirroredOnes)
{
    const gfx::Rect left{0, 0, 1920, 1080}, right{1920, 0, 1280, 1024}, above{0, -900, 1600, 900};
    const host::Size screen{3200, 1980};
    struct Case {
        const char* what;
        Rects found;
        std::optional<std::size_t> primary;
        Rects expected;
    };
    const Case cases[] = {
        {"the primary from the middle", {left, right, above}, 1, {right, left, above}},
        {"no primary named: the first", {right, left}, std::nullopt, {right, left}},
        {"a primary index past the end: the first", {right, left}, 2, {right, left}},
        {"a mirror of the primary before it", {left, right, left}, 2, {left, right}},
        {"a mirror of another monitor", {left, right, right}, 0, {left, right}},
        {"monitors without area", {{0, 0, 0, 768}, left, {5, 5, 10, -3}}, 0, {left}},
        {"an empty primary: the first with area", {{0, 0, 0, 0}, right}, 0, {right}},
        {"nothing: the whole screen", {}, std::nullopt, {{0, 0, 3200, 1980}}},
        {"nothing with area: the whole screen", {{0, 0, 0, 0}}, 0, {{0, 0, 3200, 1980}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host::order_monitors(c.found, c.primary, screen), c.expected) << c.what;
}

// What a server declares is cut to the desktop it really has: the saver's
// pictures are sized to the monitor, so a claim of 32767 x 32767 on a
// 2048 x 768 screen must not become one.
TEST(MonitorOrder, MonitorsAreClippedToTheDesktopsRealExtent)
{
    const host::Size screen{2048, 768};
    const gfx::Rect root{0, 0, 2048, 768};
    const gfx::Rect left{0, 0, 1024, 768}, right{1024, 0, 1024, 768};
    struct Case {
        const char* what;
        Rects found;
        std::optional<std::size_t> primary;
        std::optional<gfx::Rect> extent;
        Rects expected;
    };
    const Case cases[] = {
        {"a huge primary", {{0, 0, 32767, 32767}, right}, 0, root, {root, right}},
        {"a huge primary off the origin", {left, {1024, 0, 16384, 16384}}, 1, root, {right, left}},
        {"one reaching left of and above the screen", {{-500, -300, 1524, 1068}}, 0, root, {left}},
        {"one wholly outside: dropped, the next is primary", {{4096, 0, 800, 600}, right}, 0, root, {right}},
        {"two that clip to the same place: one", {{1024, 0, 5000, 768}, right}, 0, root, {right}},
        {"nothing inside: the whole screen", {{-900, 0, 800, 600}}, 0, root, {root}},
        {"a desktop with negative corners keeps them",
         {{-1280, 0, 1280, 1024}, {0, 0, 99999, 1080}}, 1, gfx::Rect{-1280, 0, 3200, 1080},
         {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}}},
        {"no extent: as declared", {{0, 0, 32767, 32767}}, 0, std::nullopt, {{0, 0, 32767, 32767}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host::order_monitors(c.found, c.primary, screen, c.extent), c.expected) << c.what;
}

// A server without a desktop of real pixels behind its claims (a Wayland
// compositor) has its monitors bounded instead: the claims of the table
// above, and the 65535 x 65535 a hostile compositor sent, cost no more than
// a monitor as large as any made; what real monitors declare is kept.
TEST(MonitorOrder, DeclaredSizesAndScalesAreBoundedToWhatRealMonitorsHave)
{
    constexpr int most = host::kLargestMonitorSide;
    struct Case {
        const char* what;
        host::Size declared;
        host::Size expected;
    };
    const Case cases[] = {
        {"32767 x 32767", {32767, 32767}, {most, most}},
        {"16384 x 16384", {16384, 16384}, {most, most}},
        {"65535 x 65535", {65535, 65535}, {most, most}},
        {"wide only", {65535, 1080}, {most, 1080}},
        {"8K as it is", {7680, 4320}, {7680, 4320}},
        {"8K turned", {4320, 7680}, {4320, 7680}},
        {"no area", {0, 768}, {0, 768}},
        {"negative", {-5, -2147483647 - 1}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host::bounded_monitor_size(c.declared.width, c.declared.height), c.expected) << c.what;

    const std::pair<int, int> scales[] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {-4, 1}, {65535, host::kLargestMonitorScale}};
    for (const auto& [declared, expected] : scales)
        EXPECT_EQ(host::bounded_monitor_scale(declared), expected) << "scale " << declared;
}

} // namespace
