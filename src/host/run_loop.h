#pragma once

#include "host/host.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// The loop and the window timers, shared by every backend so that the rules
// host.h gives for run(), quit() and process_pending_messages() are kept in
// one place. A backend supplies only what differs: where its input comes
// from and how it waits (an EventSource), and its clock (Host::now_ms()).
// Each of its windows owns a WindowTimer registered with the loop; the loop
// counts a window as alive for as long as its timer is registered.
namespace host {

class RunLoop;

class EventSource {
public:
    virtual ~EventSource() = default;
    // How many input events have arrived by `limit` on the host's clock. A
    // virtual clock knows its scripted events ahead; on a display, what has
    // arrived has arrived, whatever the limit.
    virtual std::size_t pending_input(std::uint64_t limit) = 0;
    // Hands the first event that has arrived by `limit` to its window; false
    // when there is none.
    virtual bool deliver_next_input(std::uint64_t limit) = 0;
    // Waits until input may have arrived or the clock reaches `until` (with
    // no `until`, until input arrives). False when nothing can ever arrive,
    // which ends run().
    virtual bool wait(std::optional<std::uint64_t> until) = 0;
    // Called before each pass of the loop and around pending messages: a
    // host ends the process here when a signal asked it to.
    virtual void check_end() {}
    // Why nothing the program draws can be seen now (the display asleep, the
    // window covered), as a text that lives as long as the host; nothing
    // while it can be seen. A host that cannot tell (the headless one)
    // keeps the default, and its loop never pauses.
    virtual std::optional<std::string_view> hidden_cause() { return std::nullopt; }
    // While hidden: when the host must look again of its own accord, for a
    // cause that sends no event when it ends; nothing when an event will
    // tell (the wait then has no timeout, and the process no wake-up).
    virtual std::optional<std::uint64_t> hidden_recheck() { return std::nullopt; }
};

class WindowTimer {
public:
    WindowTimer(RunLoop& loop, WindowHandler& handler);
    ~WindowTimer();
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    // Starts the timer, its first tick one interval from now, or stops it
    // with 0 or less.
    void set_interval(int interval_ms);
    int interval() const { return m_interval; }

private:
    friend class RunLoop;

    RunLoop* m_loop; // null once the loop has gone before the window
    WindowHandler& m_handler;
    std::uint64_t m_serial;
    int m_interval = 0;
    std::uint64_t m_due = 0;
    bool m_in_tick = false;
};

class RunLoop {
public:
    RunLoop(Host& clock, EventSource& source);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    void run();
    void quit() { m_quit = true; }
    void process_pending_messages();
    bool has_windows() const { return !m_timers.empty(); }
    // Called after each timer handler has returned (the render tool counts ticks).
    void set_after_tick(std::function<void()> hook) { m_after_tick = std::move(hook); }
    // Each pause and resume, with its cause, goes to standard error (orvelune --verbose).
    void set_pause_log(bool on) { m_pause_log = on; }

private:
    friend class WindowTimer;

    // The running timer due first by `limit` that is not in its tick; on a
    // tie, the older window's.
    WindowTimer* next_timer(std::uint64_t limit) const;
    void fire(WindowTimer& timer);
    bool alive(const WindowTimer* timer, std::uint64_t serial) const;
    // Delivers the input that had arrived by `now`, and no more.
    void deliver_arrived(std::uint64_t now);
    // While the source says nothing can be seen: delivers input as it comes
    // and waits for the next event (or the source's recheck), firing no
    // timer, so that the animation stands still where it is and continues
    // from there. False at once while something can be seen.
    bool hold_while_hidden();

    Host& m_clock;
    EventSource& m_source;
    std::vector<WindowTimer*> m_timers; // in creation order
    std::uint64_t m_next_serial = 1;
    bool m_quit = false;
    std::function<void()> m_after_tick;
    bool m_pause_log = false;
};

// A host whose loop is a RunLoop over its own events, as every backend's
// is: run(), quit() and process_pending_messages() are the loop's, and the
// backend supplies the EventSource calls (privately: only the loop makes
// them) and its clock, Host::now_ms().
class LoopHost : public Host, private EventSource {
public:
    void run() final { m_loop.run(); }
    void quit() final { m_loop.quit(); }
    void process_pending_messages() final { m_loop.process_pending_messages(); }
    // The loop the host's windows register their timers with.
    RunLoop& loop() { return m_loop; }

private:
    RunLoop m_loop{*this, *this};
};

// What every backend's window keeps alike: the handler its events go to,
// the frame the program draws into (the client area's size, or its top-left
// part within WindowOptions::frame_limit) and the timer the host's loop
// ticks. A backend's window adds its native resources and presents the frame.
class LoopWindow : public Window {
public:
    gfx::Surface& frame() final { return m_frame; }
    const gfx::Surface& frame() const { return m_frame; }
    void set_timer(int interval_ms) override { m_timer.set_interval(interval_ms); }
    WindowHandler& handler() { return m_handler; }

protected:
    // A black frame for options.rect within options.frame_limit; the timer
    // registered with `loop`, stopped.
    LoopWindow(RunLoop& loop, WindowHandler& handler, const WindowOptions& options);
    // The frame follows a client area of width x height (within the limit),
    // keeping the part the two sizes share.
    void resize_frame(int width, int height);
    const WindowTimer& timer() const { return m_timer; }

private:
    WindowHandler& m_handler;
    std::optional<Size> m_frame_limit;
    gfx::Surface m_frame;
    WindowTimer m_timer;
};

} // namespace host
