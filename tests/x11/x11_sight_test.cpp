// What the X11 host counts as unseen, through the seam that answers for
// the display's power (DPMS has no events and Xvfb has no DPMS): how often
// the power is asked, when the paused loop must wake to ask again, and the
// window's own sight from its events.
#include "x11_rig.h"

#include <gtest/gtest.h>

#include "host/x11/x11_sight.h"

#include <string>

namespace x11test {
namespace {

using host::x11::X11Sight;

constexpr int kNoEvent = -1;

struct Step {
    const char* what;
    std::uint64_t now;
    std::optional<bool> power_asleep; // the probe's answer from this step on
    int event;                        // a VisibilityNotify state, UnmapNotify, MapNotify or kNoEvent
    const char* cause;                // a part of the cause, "" for none
    std::optional<std::uint64_t> recheck;
    int probes;                       // how often the power was asked so far
};

TEST(X11Sight, ThePowerIsAskedOnceASecondAndOnlyItWakesThePausedLoop)
{
    XvfbRig rig(64, 48);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    std::optional<bool> asleep = false;
    int probes = 0;
    X11Sight sight(rig.display(), rig.root(), [&] {
        ++probes;
        return asleep;
    });
    constexpr ::Window kDrawn = 0x1234;
    sight.presented(kDrawn);
    const std::optional<std::uint64_t> none;
    const Step steps[] = {
        {"awake at the start", 0, false, kNoEvent, "", none, 1},
        {"asked again only a second later", 999, true, kNoEvent, "", none, 1},
        {"powered down", 1000, true, kNoEvent, "powered down", 2000, 2},
        {"no question before the second is up", 1500, true, kNoEvent, "powered down", 2000, 2},
        {"on again", 2000, false, kNoEvent, "", none, 3},
        {"covered: no wake-up", 2100, false, VisibilityFullyObscured, "covered", none, 3},
        {"partly covered can be seen", 2200, false, VisibilityPartiallyObscured, "", none, 3},
        {"unmapped", 2300, false, UnmapNotify, "not shown", none, 3},
        {"mapped", 2400, false, MapNotify, "", none, 3},
        {"covered and powered down: the power first", 3100, true, VisibilityFullyObscured,
         "powered down", 4100, 4},
        {"powered up, still covered", 4100, false, kNoEvent, "covered", none, 5},
        {"unobscured", 4300, false, VisibilityUnobscured, "", none, 5},
        {"a display without DPMS is awake", 5300, std::nullopt, kNoEvent, "", none, 6},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        asleep = step.power_asleep;
        if (step.event != kNoEvent) {
            XEvent event{};
            if (step.event == UnmapNotify || step.event == MapNotify) {
                event.type = step.event;
                if (step.event == MapNotify)
                    event.xmap.window = kDrawn;
                else
                    event.xunmap.window = kDrawn;
            } else {
                event.type = VisibilityNotify;
                event.xvisibility.window = kDrawn;
                event.xvisibility.state = step.event;
            }
            sight.note(event);
        }
        const std::optional<std::string_view> cause = sight.hidden_cause(step.now);
        if (*step.cause == '\0')
            EXPECT_FALSE(cause) << *cause;
        else
            EXPECT_TRUE(cause && cause->find(step.cause) != std::string_view::npos)
                << (cause ? std::string(*cause) : "nothing");
        EXPECT_EQ(sight.recheck(), step.recheck);
        EXPECT_EQ(probes, step.probes);
    }
    // Another window drawn into last, or the covered one gone: it no longer counts.
    XEvent covered{};
    covered.type = VisibilityNotify;
    covered.xvisibility.window = kDrawn;
    covered.xvisibility.state = VisibilityFullyObscured;
    sight.note(covered);
    sight.presented(kDrawn + 1);
    EXPECT_FALSE(sight.hidden_cause(6400));
    sight.presented(kDrawn);
    sight.forget(kDrawn);
    EXPECT_FALSE(sight.hidden_cause(6500));
}

} // namespace
} // namespace x11test
