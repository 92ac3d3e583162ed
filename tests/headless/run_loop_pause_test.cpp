// The shared loop's pause while its source says nothing can be seen: what
// it waits for (no timeout, or the source's own recheck), that input is
// still delivered and can end the pause, and that no tick fires meanwhile,
// so that the animation goes on from where it stood.
#include "host/headless/headless_host.h"
#include "host/run_loop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// A source whose events are a script, each handed out by one wait.
struct ScriptedSource : host::EventSource {
    enum class Next { Click, Seen, Quit };
    std::deque<Next> script;
    std::optional<std::string_view> cause = "asleep";
    std::optional<std::uint64_t> recheck;
    std::size_t clicks = 0;
    std::vector<std::string>& log;
    host::RunLoop* loop = nullptr;

    explicit ScriptedSource(std::vector<std::string>& l) : log(l) {}
    std::size_t pending_input(std::uint64_t) override { return clicks; }
    bool deliver_next_input(std::uint64_t) override
    {
        if (clicks == 0)
            return false;
        --clicks;
        log.push_back("click");
        return true;
    }
    bool wait(std::optional<std::uint64_t> until) override
    {
        log.push_back(until ? "wait until " + std::to_string(*until) : "wait");
        if (script.empty())
            return false;
        const Next next = script.front();
        script.pop_front();
        if (next == Next::Click)
            ++clicks;
        else if (next == Next::Seen)
            cause.reset();
        else
            loop->quit();
        return true;
    }
    std::optional<std::string_view> hidden_cause() override { return cause; }
    std::optional<std::uint64_t> hidden_recheck() override { return recheck; }
};

struct Ticks : host::WindowHandler {
    std::vector<std::string>& log;
    host::RunLoop& loop;
    Ticks(std::vector<std::string>& l, host::RunLoop& r) : log(l), loop(r) {}
    void on_timer() override
    {
        log.push_back("tick");
        loop.quit();
    }
};

TEST(LoopPause, WaitsWithoutTimeoutDeliversInputAndTicksOnlyOnceSeen)
{
    using Next = ScriptedSource::Next;
    struct Case {
        const char* what;
        std::deque<Next> script;
        std::optional<std::uint64_t> recheck;
        bool through_run; // the pause before a tick (run) or after a frame (pending messages)
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"after a frame", {Next::Click, Next::Seen}, std::nullopt, false, {"wait", "click", "wait"}},
        {"before a tick", {Next::Click, Next::Seen}, std::nullopt, true, {"wait", "click", "wait", "tick"}},
        {"a cause without events is asked again when the source says", {Next::Click, Next::Seen}, 1000,
         true, {"wait until 1000", "click", "wait until 1000", "tick"}},
        {"a quit ends the pause and the run, with no tick", {Next::Quit}, std::nullopt, true, {"wait"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host::HeadlessHost clock;
        std::vector<std::string> log;
        ScriptedSource source(log);
        host::RunLoop loop(clock, source);
        source.loop = &loop;
        source.script = c.script;
        source.recheck = c.recheck;
        Ticks ticks(log, loop);
        host::WindowTimer timer(loop, ticks);
        if (c.through_run) {
            timer.set_interval(1); // due before the loop can wait for it
            clock.sleep_ms(5);
            loop.run();
        } else {
            loop.process_pending_messages();
        }
        EXPECT_EQ(log, c.expected);
    }
}

} // namespace
