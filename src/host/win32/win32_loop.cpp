// The Windows host's side of the loop (whose rules live in run_loop.cpp):
// the thread's message queue, the waits between messages, and the panes our
// preview children sit in.
#include "host/win32/win32_host_impl.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace host::win32 {

namespace {

// However busy the queue, one pump hands back to the loop after this many
// messages, so a flood cannot hold an animation between two frames.
constexpr int kMessagesPerPump = 2000;

// A pane that is destroyed takes our child with it and tells us; one that
// merely changes size does not, so the loop looks at it this often.
constexpr DWORD kParentWatchIntervalMs = 250;

} // namespace

Win32Window* Win32Host::find(HWND hwnd) const
{
    for (Win32Window* window : m_windows)
        if (window->hwnd() == hwnd)
            return window;
    return nullptr;
}

bool Win32Host::alive(const Win32Window* window, std::uint64_t serial) const
{
    return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end()
           && window->serial() == serial;
}

void Win32Host::window_created(Win32Window& window)
{
    m_windows.push_back(&window);
}

void Win32Host::window_destroyed(Win32Window& window)
{
    std::erase(m_windows, &window);
    std::erase_if(m_events, [&](const InputEvent& event) { return event.window == &window; });
}

void Win32Host::pump_messages()
{
    MSG message;
    for (int n = 0; n < kMessagesPerPump && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
        // Nothing of ours posts WM_QUIT; the loop ends when our windows do.
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Host::watch_parents()
{
    for (Win32Window* window : m_windows) {
        if (window->kind() != WindowKind::Child)
            continue;
        if (std::optional<InputEvent> event = window->check_parent())
            m_events.push_back(*event);
    }
}

std::size_t Win32Host::pending_input(std::uint64_t)
{
    pump_messages();
    watch_parents();
    return m_events.size();
}

bool Win32Host::deliver_next_input(std::uint64_t)
{
    if (m_events.empty()) {
        pump_messages();
        watch_parents();
    }
    if (m_events.empty())
        return false;
    const InputEvent event = m_events.front();
    m_events.pop_front();
    if (!alive(event.window, event.serial))
        return true; // its window has gone meanwhile
    WindowHandler& handler = event.window->handler();
    switch (event.kind) {
    case InputEvent::MouseDown: handler.on_mouse_down(event.button, event.x, event.y); break;
    case InputEvent::MouseUp: handler.on_mouse_up(event.button, event.x, event.y); break;
    case InputEvent::MouseMove: handler.on_mouse_move(event.button, event.x, event.y); break;
    case InputEvent::KeyDown: handler.on_key_down(event.key); break;
    case InputEvent::CloseRequest: handler.on_close_request(); break;
    case InputEvent::ParentResized: handler.on_parent_resized(event.size); break;
    }
    return true;
}

bool Win32Host::wait(std::optional<std::uint64_t> until)
{
    if (!m_events.empty())
        return true;
    DWORD timeout = INFINITE;
    if (until) {
        const std::uint64_t now = now_ms();
        const std::uint64_t left = *until > now ? *until - now : 0;
        timeout = DWORD(std::min<std::uint64_t>(left, INFINITE - 1));
    }
    const bool has_child = std::any_of(m_windows.begin(), m_windows.end(), [](Win32Window* w) {
        return w->kind() == WindowKind::Child;
    });
    if (has_child)
        timeout = std::min(timeout, kParentWatchIntervalMs);
    // Returns as soon as anything is queued for this thread, including
    // messages that arrived before the call and were not looked at yet.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return true;
}

void Win32Host::sleep_ms(int ms)
{
    // What was drawn before the pause is to be on the screen during it (the
    // card holds its credit face for a second this way). Windows shows it
    // once GDI's batch is flushed; Wine puts a window's picture on the screen
    // only when the thread looks at its queue and finds nothing there, so
    // the pause looks for thread messages first, which this program never
    // posts: nothing is taken from the queue, and a message another thread
    // sends meanwhile only queues its input for the loop.
    GdiFlush();
    MSG none;
    PeekMessageW(&none, reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)), 0, 0, PM_NOREMOVE);
    Sleep(DWORD(std::max(ms, 0)));
}

std::uint64_t Win32Host::now_ms()
{
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    // Whole seconds and the rest apart, so the product never overflows.
    const std::int64_t f = m_counter_frequency;
    return std::uint64_t(counter.QuadPart / f) * 1000 + std::uint64_t((counter.QuadPart % f) * 1000 / f);
}

} // namespace host::win32
