// The Wayland host's side of the loop (whose rules live in run_loop.cpp): the
// compositor's events, read into the host's queue of input, the waits between
// them, and SIGTERM and SIGINT, whose pipe wakes every wait.
#include "host/wayland/wayland_host_impl.h"
#include "host/x11/x11_signals.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace host::wl {

void WaylandHost::lost_connection()
{
    const int error = wl_display_get_error(m_display);
    std::fprintf(stderr, "orvelune: the connection to the Wayland compositor was lost: %s\n",
                 std::strerror(error ? error : errno));
    std::fflush(nullptr);
    _exit(1);
}

void WaylandHost::pump(int timeout_ms, int also_fd)
{
    if (wl_display_dispatch_pending(m_display) < 0)
        lost_connection();
    while (wl_display_prepare_read(m_display) != 0)
        if (wl_display_dispatch_pending(m_display) < 0)
            lost_connection();
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display);
        lost_connection();
    }
    pollfd fds[3] = {{wl_display_get_fd(m_display), POLLIN, 0}, {also_fd, POLLIN, 0},
                     {x11::EndSignals::read_fd(), POLLIN, 0}};
    // poll() passes over a negative descriptor, so the unused places cost nothing.
    if (!(m_options.end_on_signals && x11::EndSignals::read_fd() >= 0))
        fds[2].fd = -1;
    const nfds_t count = 3;
    // A signal cuts the wait short (EINTR) or shows on its pipe; either way
    // check_end() looks at it next.
    const int ready = poll(fds, count, timeout_ms);
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
        if (wl_display_read_events(m_display) < 0)
            lost_connection();
    } else {
        wl_display_cancel_read(m_display);
    }
    if (wl_display_dispatch_pending(m_display) < 0)
        lost_connection();
    watch_outputs();
    check_end();
}

void WaylandHost::roundtrip()
{
    if (wl_display_roundtrip(m_display) < 0)
        lost_connection();
}

void WaylandHost::check_end()
{
    if (m_options.end_on_signals && x11::EndSignals::arrived())
        end_process(0);
}

void WaylandHost::present_owed_frames()
{
    for (WaylandWindow* window : std::vector<WaylandWindow*>(m_windows))
        if (alive(window))
            window->present_owed();
}

std::size_t WaylandHost::pending_input(std::uint64_t)
{
    pump(0);
    present_owed_frames();
    return m_input.size();
}

bool WaylandHost::deliver_next_input(std::uint64_t)
{
    if (m_input.empty())
        pump(0);
    present_owed_frames();
    if (m_input.empty())
        return false;
    const InputEvent event = m_input.front();
    m_input.pop_front();
    WaylandWindow* window = event.window;
    if (!alive(window))
        return true;
    WindowHandler& handler = window->handler();
    switch (event.kind) {
    case InputEvent::Kind::Down: handler.on_mouse_down(event.button, event.x, event.y); break;
    case InputEvent::Kind::Up: handler.on_mouse_up(event.button, event.x, event.y); break;
    case InputEvent::Kind::Move: handler.on_mouse_move(event.button, event.x, event.y); break;
    case InputEvent::Kind::Key: handler.on_key_down(event.key); break;
    case InputEvent::Kind::Close:
        // Closing the ordinary window (-window) ends the saver like a click.
        if (m_options.placement == WaylandPlacement::OrdinaryWindow && !window->takes_keyboard()
            && window->role() == WindowRole::Toplevel)
            end_process(0);
        handler.on_close_request();
        break;
    case InputEvent::Kind::MonitorsChanged: handler.on_monitors_changed(); break;
    }
    return true;
}

bool WaylandHost::wait(std::optional<std::uint64_t> until)
{
    if (!m_input.empty())
        return true;
    int timeout = -1;
    // Woken in time to end the saver when no output comes.
    if (const std::optional<std::uint64_t> deadline = no_output_deadline())
        until = until ? std::min(*until, *deadline) : *deadline;
    if (until) {
        const std::uint64_t now = now_ms();
        const std::uint64_t left = *until > now ? *until - now : 0;
        timeout = int(std::min<std::uint64_t>(left, std::numeric_limits<int>::max()));
    }
    pump(timeout);
    present_owed_frames();
    return true;
}

void WaylandHost::sleep_ms(int ms)
{
    // The compositor is answered while the saver pauses (buffers come back,
    // pings are answered); input waits in the queue for the loop.
    const std::uint64_t until = now_ms() + std::uint64_t(std::max(ms, 0));
    pump(0);
    for (std::uint64_t now = now_ms(); now < until; now = now_ms())
        pump(int(until - now));
}

} // namespace host::wl
