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

} // namespace
