// The headless host's loop: the virtual clock, scripted input and timer ticks.
#include "host/headless/headless_host.h"
#include "host/headless/headless_window.h"

namespace host {

HeadlessWindow* HeadlessHost::input_target() const
{
    // The topmost visible window, else the last visible one, else the only one.
    HeadlessWindow* visible = nullptr;
    for (auto it = m_live.rbegin(); it != m_live.rend(); ++it) {
        const WindowRecord& record = m_windows[(*it)->record()];
        if (!record.shown)
            continue;
        if (record.topmost)
            return *it;
        if (!visible)
            visible = *it;
    }
    if (visible)
        return visible;
    return m_live.size() == 1 ? m_live.front() : nullptr;
}

HeadlessWindow* HeadlessHost::due_timer(std::uint64_t limit) const
{
    // The earliest timer due by `limit`; on a tie, the older window.
    HeadlessWindow* due = nullptr;
    for (HeadlessWindow* window : m_live) {
        if (window->timer_interval() <= 0 || window->in_tick || window->timer_due() > limit)
            continue;
        if (!due || window->timer_due() < due->timer_due())
            due = window;
    }
    return due;
}

void HeadlessHost::deliver_input(const MouseEvent& event)
{
    if (event.kind == MouseEventKind::KeyDown) {
        if (HeadlessWindow* target = input_target())
            target->handler().on_key_down(event.key);
        return;
    }
    m_pointer = {int(event.x), int(event.y)};
    switch (event.kind) {
    case MouseEventKind::Down: m_buttons_down |= event.button; break;
    case MouseEventKind::Up: m_buttons_down &= ~event.button; break;
    case MouseEventKind::Move:
    case MouseEventKind::KeyDown: break;
    }
    HeadlessWindow* target = input_target();
    if (!target)
        return; // nobody to tell: the event is lost, as on a bare screen
    const WindowRecord& record = m_windows[target->record()];
    double x = event.x - record.rect.x;
    double y = event.y - record.rect.y;
    WindowHandler& handler = target->handler();
    switch (event.kind) {
    case MouseEventKind::Down: handler.on_mouse_down(event.button, x, y); break;
    case MouseEventKind::Up: handler.on_mouse_up(event.button, x, y); break;
    case MouseEventKind::Move: handler.on_mouse_move(m_buttons_down, x, y); break;
    case MouseEventKind::KeyDown: break;
    }
}

void HeadlessHost::deliver_tick(HeadlessWindow& window)
{
    window.in_tick = true;
    try {
        window.handler().on_timer();
    } catch (...) {
        if (window_alive(&window))
            window.in_tick = false;
        throw;
    }
    // The handler may have closed its own window.
    if (window_alive(&window)) {
        window.in_tick = false;
        window.rearm_timer(m_now);
    }
    if (m_after_tick)
        m_after_tick();
}

void HeadlessHost::process_pending_messages()
{
    for (;;) {
        if (!m_input.empty() && m_input.front().at_ms <= m_now) {
            MouseEvent event = m_input.front();
            m_input.pop_front();
            deliver_input(event);
            continue;
        }
        if (HeadlessWindow* window = due_timer(m_now)) {
            deliver_tick(*window);
            continue;
        }
        return;
    }
}

void HeadlessHost::run()
{
    while (!m_quit && !m_live.empty()) {
        HeadlessWindow* timer = due_timer(UINT64_MAX);
        bool input = !m_input.empty();
        if (!timer && !input)
            break; // nothing will ever happen again
        // Input first on a tie, so that a click at the moment of a tick wins.
        if (input && (!timer || m_input.front().at_ms <= timer->timer_due())) {
            MouseEvent event = m_input.front();
            m_input.pop_front();
            if (event.at_ms > m_now)
                m_now = event.at_ms;
            deliver_input(event);
        } else {
            if (timer->timer_due() > m_now)
                m_now = timer->timer_due();
            deliver_tick(*timer);
        }
    }
    m_quit = false;
}

} // namespace host
