// The scheduler: the order of the kinds, what a tick does, and that no
// setting or screen size can hang the saver.
#include "support/saver_rig.h"

#include "engine/actions/action_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using test_support::default_settings;
using test_support::Event;
using test_support::SaverRig;
using test_support::screen_of;

Settings WithEnabled(std::vector<int> kinds, std::int16_t order_mode = 1)
{
    Settings s = default_settings();
    s.g_ActionEnabled.fill(0);
    for (int k : kinds)
        s.g_ActionEnabled[std::size_t(k)] = 1;
    s.g_OrderMode = order_mode;
    return s;
}

std::vector<Event> Only(const std::vector<Event>& events, const std::string& ev)
{
    std::vector<Event> out;
    for (const Event& e : events)
        if (e.ev == ev)
            out.push_back(e);
    return out;
}

std::vector<int> TickKinds(const std::vector<Event>& events)
{
    std::vector<int> kinds;
    for (const Event& e : Only(events, "tick"))
        kinds.push_back(int(e.number("kind")));
    return kinds;
}

bool IsPermutationOf1To20(std::vector<int> kinds)
{
    std::sort(kinds.begin(), kinds.end());
    for (int i = 0; i < 20; ++i)
        if (kinds.size() != 20 || kinds[std::size_t(i)] != i + 1)
            return false;
    return true;
}

TEST(Scheduler, SequenceRunsTheKindsInOrderCycleAfterCycle)
{
    SaverRig rig(WithEnabled({}), screen_of(160, 120));
    rig.load();
    rig.run_ticks(45);
    const auto ticks = Only(rig.take_events(), "tick");
    ASSERT_EQ(ticks.size(), 45u);
    for (int n = 1; n <= 45; ++n) {
        const Event& t = ticks[std::size_t(n - 1)];
        EXPECT_EQ(t.number("n"), n);
        EXPECT_EQ(t.number("kind"), (n - 1) % 20 + 1) << "tick " << n;
        EXPECT_FALSE(t.flag("enabled"));
    }
}

TEST(Scheduler, OnlyKindsThreeAndSevenEnabledRunOnlyThoseAndRecomposeAfterEach)
{
    SaverRig rig(WithEnabled({3, 7}), screen_of(160, 120));
    rig.load();
    rig.run_ticks(40);
    const auto events = rig.take_events();
    const auto ticks = Only(events, "tick");
    ASSERT_EQ(ticks.size(), 40u);
    for (const Event& t : ticks) {
        const long long kind = t.number("kind");
        EXPECT_EQ(t.flag("enabled"), kind == 3 || kind == 7) << t.line;
    }
    std::vector<int> ran;
    for (const Event& a : Only(events, "action"))
        ran.push_back(int(a.number("kind")));
    std::vector<int> expected;
    for (int cycle = 0; cycle < 2; ++cycle)
        for (int k : {3, 7})
            if (action_table()[std::size_t(k)].routine)
                expected.push_back(k);
    EXPECT_EQ(ran, expected);

    // Every action is followed by a fresh composition before the next tick;
    // a tick that runs nothing composes nothing.
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].ev != "action")
            continue;
        std::size_t j = i + 1;
        while (j < events.size() && events[j].ev != "tick" && events[j].ev != "compose")
            ++j;
        ASSERT_LT(j, events.size());
        EXPECT_EQ(events[j].ev, "compose") << "after " << events[i].line;
    }
    EXPECT_EQ(Only(events, "compose").size(), ran.size());
}

TEST(Scheduler, RandomCyclesArePermutationsAndTwoCyclesDiffer)
{
    for (std::int16_t mode : {2, 0, 7}) {
        SaverRig rig(WithEnabled({}, mode), screen_of(160, 120));
        rig.load();
        rig.run_ticks(60);
        const auto kinds = TickKinds(rig.take_events());
        ASSERT_EQ(kinds.size(), 60u);
        const std::vector<int> first(kinds.begin(), kinds.begin() + 20);
        const std::vector<int> second(kinds.begin() + 20, kinds.begin() + 40);
        const std::vector<int> third(kinds.begin() + 40, kinds.end());
        EXPECT_TRUE(IsPermutationOf1To20(first)) << "order mode " << mode;
        EXPECT_TRUE(IsPermutationOf1To20(second)) << "order mode " << mode;
        EXPECT_TRUE(IsPermutationOf1To20(third)) << "order mode " << mode;
        EXPECT_NE(first, second) << "order mode " << mode;
        EXPECT_NE(second, third) << "order mode " << mode;
    }
}

TEST(Scheduler, RandomOrderPutsEveryKindFirstSometimes)
{
    // Two hundred orders: each kind should lead about ten times. A walk that
    // favoured or never reached some kinds would miss one entirely.
    SaverRig rig(WithEnabled({}, 2), screen_of(160, 120));
    std::array<int, 21> leads{};
    for (int k = 0; k < 200; ++k) {
        rig.saver.scheduler().BuildActionOrder(OrderMode::Random, rig.random);
        std::vector<int> order(rig.saver.scheduler().ActionOrder().begin() + 1, rig.saver.scheduler().ActionOrder().end());
        ASSERT_TRUE(IsPermutationOf1To20(order));
        ++leads[std::size_t(order[0])];
    }
    for (int kind = 1; kind <= 20; ++kind)
        EXPECT_GT(leads[std::size_t(kind)], 0) << "kind " << kind << " never came first";
}

TEST(Scheduler, TheOpeningPlaysOnTheFirstTickEvenWithNothingEnabled)
{
    SaverRig rig(WithEnabled({}), screen_of(160, 120));
    rig.load();
    EXPECT_TRUE(rig.saver.scheduler().FirstRun());
    rig.run_ticks(1);
    auto events = rig.take_events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].ev, "opening");
    EXPECT_EQ(events.back().ev, "tick") << "the tick line follows the opening's frames";
    EXPECT_FALSE(Only(events, "frame").empty());
    EXPECT_FALSE(rig.saver.scheduler().FirstRun());

    rig.run_ticks(5);
    events = rig.take_events();
    EXPECT_EQ(events.size(), 5u) << "later empty ticks draw nothing";
    EXPECT_TRUE(Only(events, "opening").empty());
}

// ---- no setting and no screen size may hang or crash the saver

TEST(SoundBehaviour, HostileSpeedsAndPausesRunTicksToTheirEnd)
{
    struct Case {
        std::int16_t speed, pcspec;
    };
    for (Case c : {Case{0, 0}, Case{-5, -1}, Case{40, 32767}, Case{1, 0}, Case{30, 0}}) {
        Settings settings = WithEnabled({}, 2);
        for (int k = 1; k <= 20; ++k)
            settings.g_ActionEnabled[std::size_t(k)] = action_table()[std::size_t(k)].routine ? 1 : 0;
        settings.g_Speed = c.speed;
        settings.g_PcSpec = c.pcspec;
        SaverRig rig(settings, screen_of(160, 120));
        rig.load();
        rig.run_ticks(3);
        EXPECT_EQ(Only(rig.take_events(), "tick").size(), 3u) << "speed " << c.speed;
    }
}

TEST(SoundBehaviour, TinyAndEmptyScreensRunTicksToTheirEnd)
{
    for (host::Size size : {host::Size{0, 0}, host::Size{1, 1}, host::Size{47, 30},
                            host::Size{180, 180}, host::Size{583, 10}, host::Size{3, 900}}) {
        Settings settings = WithEnabled({}, 1);
        for (int k = 1; k <= 20; ++k)
            settings.g_ActionEnabled[std::size_t(k)] = action_table()[std::size_t(k)].routine ? 1 : 0;
        for (std::int16_t background : {1, 2}) {
            settings.g_BackgroundMode = background;
            SaverRig rig(settings, screen_of(size.width, size.height));
            rig.load();
            rig.run_ticks(20);
            EXPECT_EQ(Only(rig.take_events(), "tick").size(), 20u)
                << size.width << "x" << size.height << " background " << background;
        }
    }
}

} // namespace
