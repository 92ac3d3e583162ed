// The headless host: the clock, the loop, scripted input, frames and records.
#include "host/headless/headless_host.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using host::HeadlessHost;
using host::MouseEvent;
using host::MouseEventKind;

// Records what a window was told, with the virtual time it happened at.
struct Recorder : host::WindowHandler {
    HeadlessHost& host;
    std::vector<std::string> log;
    std::vector<std::uint64_t> tick_times;
    int tick_work_ms = 0;
    int ticks_to_run = 0; // quit after this many (0: never)
    std::function<void()> on_tick;

    explicit Recorder(HeadlessHost& h) : host(h) {}
    void on_mouse_down(int b, double x, double y) override
    {
        log.push_back("down " + std::to_string(b) + " " + std::to_string(int(x)) + ","
                      + std::to_string(int(y)) + " @" + std::to_string(host.now_ms()));
    }
    void on_mouse_move(int b, double x, double y) override
    {
        log.push_back("move " + std::to_string(b) + " " + std::to_string(int(x)) + ","
                      + std::to_string(int(y)) + " @" + std::to_string(host.now_ms()));
    }
    void on_timer() override
    {
        tick_times.push_back(host.now_ms());
        host.sleep_ms(tick_work_ms);
        if (on_tick)
            on_tick();
        if (ticks_to_run && int(tick_times.size()) == ticks_to_run)
            host.quit();
    }
};

host::WindowOptions options(std::string title, gfx::Rect rect = {0, 0, 4, 3})
{
    host::WindowOptions o;
    o.title = std::move(title);
    o.rect = rect;
    o.visible = true;
    return o;
}

TEST(HeadlessClock, StartsAtZeroAndOnlySleepAdvancesIt)
{
    HeadlessHost host;
    EXPECT_EQ(host.now_ms(), 0u);
    host.sleep_ms(25);
    host.sleep_ms(-10); // a negative pause is no pause
    host.sleep_ms(0);
    EXPECT_EQ(host.now_ms(), 25u) << "expected 25 got " << host.now_ms();
}

TEST(HeadlessLoop, TimerIsRearmedAnIntervalAfterItsHandlerReturns)
{
    HeadlessHost host;
    Recorder r(host);
    r.tick_work_ms = 7;
    r.ticks_to_run = 3;
    auto w = host.create_window(options("w"), r);
    w->set_timer(10);
    host.run();
    // Ticks at 10, then 10 + 7 + 10 = 27, then 27 + 17 = 44.
    EXPECT_EQ(r.tick_times, (std::vector<std::uint64_t>{10, 27, 44}));
}

TEST(HeadlessLoop, ReturnsWhenNothingIsLeftToDo)
{
    HeadlessHost host;
    host.run(); // no window at all
    Recorder r(host);
    auto w = host.create_window(options("w"), r);
    host.add_input({5, MouseEventKind::Down, host::kLeftButton, 1, 2});
    host.run(); // delivers the click, then has nothing left
    EXPECT_EQ(r.log, (std::vector<std::string>{"down 1 1,2 @5"}));
    EXPECT_EQ(host.now_ms(), 5u);
}

TEST(HeadlessLoop, AQuitBeforeRunEndsTheNextRunOnlyAndIsThenForgotten)
{
    HeadlessHost host;
    Recorder r(host);
    r.ticks_to_run = 2;
    auto w = host.create_window(options("w"), r);
    w->set_timer(10);
    host.quit();
    host.run();
    EXPECT_TRUE(r.tick_times.empty()) << "expected the run after quit() to return at once";
    host.run();
    EXPECT_EQ(r.tick_times, (std::vector<std::uint64_t>{10, 20}));
}

TEST(HeadlessLoop, PendingMessagesFireEachDueTickOnceEvenWhenTicksOutlastTheirInterval)
{
    // Two other windows whose ticks take longer than their interval: each
    // tick makes the other one due again. A running animation that lets
    // pending messages run must still get back to its next frame.
    HeadlessHost host;
    Recorder running(host), b(host), c(host);
    b.tick_work_ms = 15;
    c.tick_work_ms = 15;
    int calls = 0;
    running.on_tick = [&] {
        ++calls;
        host.process_pending_messages();
        host.quit();
    };
    auto wa = host.create_window(options("running"), running);
    auto wb = host.create_window(options("b"), b);
    auto wc = host.create_window(options("c"), c);
    wa->set_timer(10);
    wb->set_timer(10);
    wc->set_timer(10);
    host.run();
    EXPECT_EQ(calls, 1);
    // The first tick at 10 is the oldest window's; then b and c, once each.
    EXPECT_EQ(b.tick_times, (std::vector<std::uint64_t>{10}));
    EXPECT_EQ(c.tick_times, (std::vector<std::uint64_t>{25}));
}

TEST(HeadlessLoop, TickIsNeverReenteredFromPendingMessages)
{
    HeadlessHost host;
    Recorder r(host);
    r.ticks_to_run = 2;
    int depth = 0, deepest = 0;
    r.on_tick = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        host.sleep_ms(100); // far past the next due time
        host.process_pending_messages();
        --depth;
    };
    auto w = host.create_window(options("w"), r);
    w->set_timer(10);
    host.run();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(r.tick_times, (std::vector<std::uint64_t>{10, 120}));
}

TEST(HeadlessInput, PendingMessagesDeliverOnlyWhatIsDueToTheTopmostVisibleWindow)
{
    HeadlessHost host;
    Recorder hidden(host), plain(host), top(host);
    auto a = host.create_window(options("a"), plain);
    auto b = host.create_window(options("b", {100, 50, 300, 200}), top);
    auto c = host.create_window(options("c"), hidden);
    c->show(false);
    b->set_topmost(true);
    host.add_input({20, MouseEventKind::Move, 0, 130, 70});
    host.add_input({10, MouseEventKind::Down, host::kRightButton, 110, 60});
    host.process_pending_messages();
    EXPECT_TRUE(top.log.empty()) << "nothing is due at time 0";
    host.sleep_ms(15);
    host.process_pending_messages();
    ASSERT_EQ(top.log.size(), 1u);
    EXPECT_EQ(top.log[0], "down 2 10,10 @15") << "positions are client pixels";
    host.sleep_ms(5);
    host.process_pending_messages();
    ASSERT_EQ(top.log.size(), 2u);
    EXPECT_EQ(top.log[1], "move 2 30,20 @20") << "the held button comes with the move";
    EXPECT_TRUE(plain.log.empty());
    EXPECT_TRUE(hidden.log.empty());
    EXPECT_EQ(host.cursor_pos(), (gfx::Point{130, 70}));
}

TEST(HeadlessWindows, RecordsWhatWasCreatedShownAndDestroyed)
{
    HeadlessHost host;
    Recorder r(host);
    host::WindowOptions o = options("Orvelune(Main)", {0, 0, 8, 6});
    o.visible = false;
    auto w = host.create_window(o, r);
    EXPECT_TRUE(host.top_level_window_exists("Orvelune(Main)"));
    EXPECT_FALSE(host.top_level_window_exists("Orvelune"));
    w->move({2, 3, 5, 4});
    w->show(true);
    w->set_topmost(true);
    ASSERT_EQ(host.windows().size(), 1u);
    const host::WindowRecord& rec = host.windows()[0];
    EXPECT_EQ(rec.rect, (gfx::Rect{2, 3, 5, 4}));
    EXPECT_TRUE(rec.shown && rec.topmost && rec.alive);
    EXPECT_EQ(w->frame().width(), 5);
    EXPECT_EQ(w->frame().height(), 4);
    EXPECT_EQ(host.native_window_rect(w->native_handle()), (gfx::Rect{2, 3, 5, 4}));
    w.reset();
    EXPECT_FALSE(host.windows()[0].alive);
    EXPECT_FALSE(host.top_level_window_exists("Orvelune(Main)"));

    host.foreign_titles.push_back("Orveluneの設定");
    EXPECT_TRUE(host.top_level_window_exists("Orveluneの設定"));
    host.foreign_windows[1234] = {0, 0, 152, 112};
    EXPECT_EQ(host.native_window_rect(1234), (gfx::Rect{0, 0, 152, 112}));
    EXPECT_FALSE(host.native_window_rect(99).has_value());
}

TEST(HeadlessWindows, RefreshHandsTheFrameToTheSink)
{
    HeadlessHost host;
    Recorder r(host);
    std::vector<gfx::Pixel> seen;
    host.set_frame_sink([&](const host::Window&, const gfx::Surface& f) { seen.push_back(f.at(1, 1)); });
    auto w = host.create_window(options("w"), r);
    w->frame().set(1, 1, 0x123456);
    w->refresh();
    w->frame().set(1, 1, 0xABCDEF);
    w->refresh();
    EXPECT_EQ(seen, (std::vector<gfx::Pixel>{0x123456, 0xABCDEF}));
    EXPECT_EQ(host.windows()[0].refreshes, 2);
}

TEST(HeadlessServices, DesktopCaptureCopiesTheTopLeftAndBlackBeyondIt)
{
    host::HeadlessOptions o;
    o.desktop = gfx::Surface(2, 1, 0x00FF00);
    HeadlessHost host(o);
    gfx::Surface into(3, 2, 0xFFFFFF);
    ASSERT_TRUE(host.capture_desktop(into));
    EXPECT_EQ(into.at(1, 0), 0x00FF00u);
    EXPECT_EQ(into.at(2, 0), 0u) << "expected black beyond the desktop picture";
    EXPECT_EQ(into.at(0, 1), 0u);
}

// A capture reads our shown top-level windows over the desktop: topmost ones
// above the others whatever their age, later ones above earlier.
TEST(HeadlessServices, DesktopCaptureShowsTheShownWindowsOverTheDesktop)
{
    host::HeadlessOptions o;
    o.desktop = gfx::Surface(6, 1, 0x111111);
    HeadlessHost host(o);
    Recorder r(host);
    std::vector<std::unique_ptr<host::Window>> windows;
    for (const auto& [x, width, topmost, visible] : {std::tuple{1, 2, true, true}, {2, 3, false, true},
                                                     {3, 2, false, true}, {0, 6, false, false}}) {
        windows.push_back(host.create_window({"", {x, 0, width, 1}, true, topmost, visible}, r));
        windows.back()->frame().fill(gfx::Pixel(0xAA0000 + windows.size()));
    }
    gfx::Surface into(6, 1);
    ASSERT_TRUE(host.capture_desktop(into));
    const gfx::Pixel expected[] = {0x111111, 0xAA0001, 0xAA0001, 0xAA0003, 0xAA0003, 0x111111};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(into.at(x, 0), expected[x]) << "at " << x;
}

TEST(HeadlessServices, PicturesCursorPasswordsAndEnding)
{
    HeadlessHost host;
    gfx::Surface out(1, 1, 0x777777);
    EXPECT_EQ(host.load_picture("x.bmp", out), host::PictureResult::Unreadable) << "no loader: no file is there";
    EXPECT_EQ(out.at(0, 0), 0x777777u);
    host.options().picture_loader = [](const std::string& p, gfx::Surface& s) {
        if (p != "good.png")
            return host::PictureResult::Broken;
        s = gfx::Surface(2, 2, 0x010203);
        return host::PictureResult::Decoded;
    };
    EXPECT_EQ(host.load_picture("bad.png", out), host::PictureResult::Broken);
    EXPECT_EQ(out.width(), 1) << "a failed load leaves the surface as it was";
    EXPECT_EQ(host.load_picture("good.png", out), host::PictureResult::Decoded);
    EXPECT_EQ(out.width(), 2);

    EXPECT_EQ(host.show_cursor(false), -1);
    EXPECT_EQ(host.show_cursor(false), -2);
    EXPECT_EQ(host.show_cursor(true), -1);
    EXPECT_EQ(host.cursor_calls(), (std::vector<bool>{false, false, true}));

    Recorder r(host);
    auto w = host.create_window(options("w"), r);
    host.password_answers = {false};
    EXPECT_FALSE(host.verify_screen_saver_password(*w));
    EXPECT_TRUE(host.verify_screen_saver_password(*w)) << "then the default answer";
    EXPECT_EQ(host.password_verifications(), 2);

    try {
        host.end_process(3);
        FAIL() << "end_process returned";
    } catch (const host::ProcessEnd& end) {
        EXPECT_EQ(end.status, 3);
    }
    EXPECT_EQ(host.ended_with(), 3);
}

TEST(HeadlessWindows, HandlerMayCloseItsOwnWindowInATick)
{
    HeadlessHost host;
    Recorder r(host);
    std::unique_ptr<host::Window> w = host.create_window(options("w"), r);
    r.on_tick = [&] { w.reset(); };
    w->set_timer(10);
    int after = 0;
    host.set_after_tick([&] { ++after; });
    host.run(); // ends: no window left
    EXPECT_EQ(r.tick_times.size(), 1u);
    EXPECT_EQ(after, 1);
}

TEST(HeadlessLoop, InputIsDeliveredBetweenTicksInTimeOrder)
{
    HeadlessHost host;
    Recorder r(host);
    r.ticks_to_run = 3;
    auto w = host.create_window(options("w"), r);
    w->set_timer(10);
    host.add_input({25, MouseEventKind::Down, host::kLeftButton, 0, 0});
    host.add_input({10, MouseEventKind::Move, 0, 2, 2}); // same time as a tick: input first
    host.run();
    EXPECT_EQ(r.log, (std::vector<std::string>{"move 0 2,2 @10", "down 1 0,0 @25"}));
    EXPECT_EQ(r.tick_times, (std::vector<std::uint64_t>{10, 20, 30}));
}

TEST(HeadlessLoop, AnEndInsideATickLeavesTheLoopAndTheTimerUsable)
{
    HeadlessHost host;
    Recorder r(host);
    bool end_now = true;
    r.on_tick = [&] {
        if (end_now)
            host.end_process(0);
    };
    auto w = host.create_window(options("w"), r);
    w->set_timer(10);
    EXPECT_THROW(host.run(), host::ProcessEnd);
    end_now = false;
    r.ticks_to_run = 2;
    host.run(); // the tick that threw does not block the timer for ever
    EXPECT_EQ(r.tick_times.size(), 2u);
}

} // namespace
