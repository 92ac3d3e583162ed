// The shared loop and window timers; see run_loop.h and the loop's rules in host.h.
#include "host/run_loop.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

namespace host {

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

} // namespace

WindowTimer::WindowTimer(RunLoop& loop, WindowHandler& handler)
    : m_loop(&loop), m_handler(handler), m_serial(loop.m_next_serial++)
{
    loop.m_timers.push_back(this);
}

WindowTimer::~WindowTimer()
{
    if (m_loop)
        std::erase(m_loop->m_timers, this);
}

void WindowTimer::set_interval(int interval_ms)
{
    m_interval = std::max(interval_ms, 0);
    if (m_loop)
        m_due = m_loop->m_clock.now_ms() + std::uint64_t(m_interval);
}

RunLoop::RunLoop(Host& clock, EventSource& source) : m_clock(clock), m_source(source) {}

RunLoop::~RunLoop()
{
    // Windows that outlive their host keep their timers, inert.
    for (WindowTimer* timer : m_timers)
        timer->m_loop = nullptr;
}

WindowTimer* RunLoop::next_timer(std::uint64_t limit) const
{
    WindowTimer* next = nullptr;
    for (WindowTimer* timer : m_timers) {
        if (timer->m_interval <= 0 || timer->m_in_tick || timer->m_due > limit)
            continue;
        if (!next || timer->m_due < next->m_due)
            next = timer;
    }
    return next;
}

bool RunLoop::alive(const WindowTimer* timer, std::uint64_t serial) const
{
    // The serial tells a timer from a new one that took a closed window's place.
    return std::find(m_timers.begin(), m_timers.end(), timer) != m_timers.end()
           && timer->m_serial == serial;
}

void RunLoop::fire(WindowTimer& timer)
{
    // The handler may close its own window, and with it the timer.
    const std::uint64_t serial = timer.m_serial;
    timer.m_in_tick = true;
    try {
        timer.m_handler.on_timer();
    } catch (...) {
        // An end of the process unwinds through here on the headless host;
        // the timer must not stay blocked for a later run.
        if (alive(&timer, serial))
            timer.m_in_tick = false;
        throw;
    }
    if (alive(&timer, serial)) {
        timer.m_in_tick = false;
        timer.m_due = m_clock.now_ms() + std::uint64_t(timer.m_interval);
    }
    if (m_after_tick)
        m_after_tick();
}

void RunLoop::run()
{
    // However run() ends, a quit() it has seen is forgotten.
    struct ForgetQuit {
        bool& quit;
        ~ForgetQuit() { quit = false; }
    } forget{m_quit};

    while (!m_quit && !m_timers.empty()) {
        m_source.check_end();
        WindowTimer* next = next_timer(kNever);
        // Input that has arrived by the next tick's time goes first.
        if (m_source.deliver_next_input(next ? next->m_due : kNever))
            continue;
        if (next && next->m_due <= m_clock.now_ms()) {
            // No tick while nothing can be seen: the next action would draw
            // a frame for nobody.
            if (hold_while_hidden())
                continue; // input may have changed the timers meanwhile
            fire(*next);
            continue;
        }
        if (!m_source.wait(next ? std::optional<std::uint64_t>(next->m_due) : std::nullopt))
            break;
    }
}

void RunLoop::process_pending_messages()
{
    m_source.check_end();
    // Only what has arrived now: what arrives while the handlers run waits
    // for the next call, so that neither a stream of pointer motion nor
    // timers that keep falling due can hold a running animation between two
    // of its frames. A tick due now fires once; its next is due later.
    const std::uint64_t now = m_clock.now_ms();
    deliver_arrived(now);
    // A running animation calls here after each frame it presents: this is
    // where it stands still while nobody can see it.
    hold_while_hidden();
    while (WindowTimer* timer = next_timer(now))
        fire(*timer);
    m_source.check_end();
}

void RunLoop::deliver_arrived(std::uint64_t now)
{
    for (std::size_t n = m_source.pending_input(now); n > 0; --n)
        if (!m_source.deliver_next_input(now))
            break;
}

bool RunLoop::hold_while_hidden()
{
    std::optional<std::string_view> cause = m_source.hidden_cause();
    if (!cause)
        return false;
    const std::uint64_t since = m_clock.now_ms();
    std::string said(*cause);
    if (m_pause_log)
        std::fprintf(stderr, "orvelune: paused: %s\n", said.c_str());
    while (!m_quit && !m_timers.empty()) {
        m_source.check_end();
        // What has arrived first (a click ends the saver, an event may end
        // the cause), then the cause asked again; a question the host sends
        // the server may have brought events in with its answer.
        deliver_arrived(m_clock.now_ms());
        cause = m_source.hidden_cause();
        if (!cause)
            break;
        if (*cause != said) {
            said = *cause;
            if (m_pause_log)
                std::fprintf(stderr, "orvelune: still paused: %s\n", said.c_str());
        }
        if (m_source.pending_input(m_clock.now_ms()) > 0)
            continue;
        if (!m_source.wait(m_source.hidden_recheck()))
            break;
    }
    if (m_pause_log)
        std::fprintf(stderr, "orvelune: resumed after %.1f s\n",
                     double(m_clock.now_ms() - since) / 1000.0);
    return true;
}

LoopWindow::LoopWindow(RunLoop& loop, WindowHandler& handler, const WindowOptions& options)
    : m_handler(handler), m_frame_limit(options.frame_limit), m_timer(loop, handler)
{
    resize_frame(options.rect.width, options.rect.height);
}

void LoopWindow::resize_frame(int width, int height)
{
    const Size frame = frame_size_within(width, height, m_frame_limit);
    m_frame.resize_keeping(frame.width, frame.height);
}

} // namespace host
