// The headless host's side of the loop: scripted input on the virtual clock.
#include "host/headless/headless_host.h"
#include "host/headless/headless_window.h"

namespace host {

HeadlessWindow* HeadlessHost::input_target(std::optional<gfx::Point> pointer) const
{
    // The window under the pointer, as the system stacks them: topmost
    // windows above the others, newer above older.
    if (pointer) {
        auto under = [&](bool topmost) -> HeadlessWindow* {
            for (auto it = m_live.rbegin(); it != m_live.rend(); ++it) {
                const WindowRecord& record = m_windows[(*it)->record()];
                const gfx::Rect& r = record.rect;
                if (record.shown && record.topmost == topmost && pointer->x >= r.x
                    && pointer->y >= r.y && pointer->x < r.x + r.width && pointer->y < r.y + r.height)
                    return *it;
            }
            return nullptr;
        };
        if (HeadlessWindow* window = under(true))
            return window;
        if (HeadlessWindow* window = under(false))
            return window;
    }
    // Else the topmost visible window, else the last visible one, else the only one.
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

void HeadlessHost::deliver_input(const MouseEvent& event)
{
    if (event.kind == MouseEventKind::KeyDown) {
        if (HeadlessWindow* target = input_target(std::nullopt))
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
    HeadlessWindow* target = input_target(m_pointer);
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

std::size_t HeadlessHost::pending_input(std::uint64_t limit)
{
    // The script is kept in time order.
    std::size_t count = 0;
    while (count < m_input.size() && m_input[count].at_ms <= limit)
        ++count;
    return count;
}

bool HeadlessHost::deliver_next_input(std::uint64_t limit)
{
    if (m_input.empty() || m_input.front().at_ms > limit)
        return false;
    MouseEvent event = m_input.front();
    m_input.pop_front();
    if (event.at_ms > m_now)
        m_now = event.at_ms;
    deliver_input(event);
    return true;
}

bool HeadlessHost::wait(std::optional<std::uint64_t> until)
{
    // Nothing arrives by itself on the virtual clock: without a tick to
    // wait for, nothing ever will.
    if (!until)
        return false;
    if (*until > m_now)
        m_now = *until;
    return true;
}

} // namespace host
