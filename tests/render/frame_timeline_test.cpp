// The render tool's FrameTimeline: which frames an animated file shows, from
// when and for how long, on each kind of file clock.
#include "frame_timeline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Shown {
    gfx::Pixel frame; // which frame: each is one pixel of its own colour
    std::int64_t start;
    std::int64_t length;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s)
{
    return out << "{frame " << s.frame << " from " << s.start << " for " << s.length << "}";
}

struct Case {
    const char* what;
    FileClock clock;
    std::vector<std::int64_t> times_ms; // frame n (from 1) presented at times_ms[n-1]
    std::int64_t end_ms;
    std::vector<Shown> expected;
};

TEST(FrameTimeline, ShowsEachFrameForItsTimeOnEveryClock)
{
    const FileClock ms{1000, 1, false, 20};
    const FileClock gif{100, 2, false, 2};
    const FileClock fps10{10, 1, true, 1};
    const std::vector<Case> cases = {
        {"milliseconds, a hold in the middle, times from the first frame", ms, {500, 550, 700, 750}, 800,
         {{1, 0, 50}, {2, 50, 150}, {3, 200, 50}, {4, 250, 50}}},
        // A pause of 0: each frame of no time is held and moves the rest on.
        {"a frame of no time is held 20 ms", ms, {0, 50, 50, 100}, 150,
         {{1, 0, 50}, {2, 50, 20}, {3, 70, 50}, {4, 120, 50}}},
        {"frames of no time last two hundredths", gif, {0, 0, 0}, 0, {{1, 0, 2}, {2, 2, 2}, {3, 4, 2}}},
        {"frames of no time are one video frame each", fps10, {0, 0, 0, 100}, 100,
         {{1, 0, 1}, {2, 1, 1}, {3, 2, 1}, {4, 3, 1}}},
        {"a last frame of no time is held too", ms, {0, 40}, 40, {{1, 0, 40}, {2, 40, 20}}},
        {"hundredths round to the nearest", gif, {0, 54, 116}, 166, {{1, 0, 5}, {2, 5, 7}, {3, 12, 5}}},
        {"a frame under two hundredths gives way", gif, {0, 10, 20, 30, 40}, 90,
         {{2, 0, 2}, {4, 2, 2}, {5, 4, 5}}},
        {"the last GIF frame lasts two hundredths at least", gif, {0, 50}, 50, {{1, 0, 5}, {2, 5, 2}}},
        {"video repeats a long frame", fps10, {0, 250}, 300, {{1, 0, 3}, {2, 3, 1}}},
        {"video drops a frame between two of its own", fps10, {0, 120, 150, 260}, 300,
         {{1, 0, 2}, {3, 2, 1}, {4, 3, 1}}},
        {"video shows the last frame once at least", fps10, {0, 100}, 100, {{1, 0, 1}, {2, 1, 1}}},
        {"one frame alone", ms, {30}, 31, {{1, 0, 1}}},
    };
    for (const Case& c : cases) {
        std::vector<Shown> shown;
        FrameTimeline timeline(c.clock, [&](const gfx::Surface& picture, std::int64_t start, std::int64_t length) {
            shown.push_back({picture.at(0, 0), start, length});
            return true;
        });
        for (std::size_t i = 0; i < c.times_ms.size(); ++i)
            ASSERT_TRUE(timeline.add(c.times_ms[i], gfx::Surface(1, 1, gfx::Pixel(i + 1)))) << c.what;
        ASSERT_TRUE(timeline.finish(c.end_ms)) << c.what;
        EXPECT_EQ(shown, c.expected) << c.what;
        EXPECT_EQ(timeline.pictures_shown(), std::int64_t(c.expected.size())) << c.what;
    }
}

TEST(FrameTimeline, AFailingFileStopsItAndNothingIsShownWithoutFrames)
{
    int calls = 0;
    FrameTimeline timeline({1000, 1, false}, [&](const gfx::Surface&, std::int64_t, std::int64_t) {
        ++calls;
        return false;
    });
    EXPECT_TRUE(timeline.finish(100)) << "no frame, nothing to show";
    EXPECT_TRUE(timeline.add(0, gfx::Surface(1, 1)));
    EXPECT_FALSE(timeline.add(50, gfx::Surface(1, 1)));
    EXPECT_EQ(calls, 1);
}

} // namespace
