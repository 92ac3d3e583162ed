#include "host/x11/x11_host_impl.h"
#include "host/x11/x11_signals.h"

#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <ctime>
#include <limits>

// The X11 host's side of the loop (whose rules live in run_loop.cpp): the X
// connection's events, the waits between them, and SIGTERM, SIGINT and
// SIGHUP, whose pipe wakes every wait.
namespace host::x11 {

namespace {

int button_of(unsigned x_button)
{
    switch (x_button) {
    case Button1: return kLeftButton;
    case Button2: return kMiddleButton;
    case Button3: return kRightButton;
    default: return 0; // wheel steps arrive as buttons 4 to 7: not clicks
    }
}

int buttons_held(unsigned state)
{
    return ((state & Button1Mask) ? kLeftButton : 0) | ((state & Button2Mask) ? kMiddleButton : 0)
           | ((state & Button3Mask) ? kRightButton : 0);
}

// The key's first keysym (as if no modifier were held) and the modifiers:
// the keypad's arrows, pages, Home, End and Enter count as the main ones,
// and Tab with Shift is BackTab (some layouts give Shift+Tab a keysym of its
// own).
Key key_of(KeySym keysym, unsigned state)
{
    switch (keysym) {
    case XK_Escape: return Key::Escape;
    case XK_Tab: return (state & ShiftMask) ? Key::BackTab : Key::Tab;
    case XK_ISO_Left_Tab: return Key::BackTab;
    case XK_space:
    case XK_KP_Space: return Key::Space;
    case XK_Return:
    case XK_KP_Enter: return Key::Enter;
    case XK_Left:
    case XK_KP_Left: return Key::Left;
    case XK_Right:
    case XK_KP_Right: return Key::Right;
    case XK_Up:
    case XK_KP_Up: return Key::Up;
    case XK_Down:
    case XK_KP_Down: return Key::Down;
    case XK_Page_Up:
    case XK_KP_Page_Up: return Key::PageUp;
    case XK_Page_Down:
    case XK_KP_Page_Down: return Key::PageDown;
    case XK_Home:
    case XK_KP_Home: return Key::Home;
    case XK_End:
    case XK_KP_End: return Key::End;
    default: return Key::Other;
    }
}

bool takes_input(const X11Window& window)
{
    return window.kind() == WindowKind::Desktop || window.kind() == WindowKind::Ordinary;
}

} // namespace

X11Window* X11Host::find(::Window id) const
{
    for (X11Window* window : m_windows)
        if (window->id() == id)
            return window;
    return nullptr;
}

bool X11Host::alive(const X11Window* window) const
{
    return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
}

void X11Host::check_end()
{
    if (m_options.end_on_signals && EndSignals::arrived())
        end_process(0);
}

std::optional<std::string_view> X11Host::hidden_cause()
{
    return m_sight.hidden_cause(now_ms());
}

std::optional<std::uint64_t> X11Host::hidden_recheck()
{
    return m_sight.recheck();
}

void X11Host::dispatch(const XEvent& event)
{
    m_sight.note(event);
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            if (X11Window* window = find(event.xexpose.window))
                repaint(*window);
        break;

    case ButtonPress:
    case ButtonRelease: {
        X11Window* window = find(event.xbutton.window);
        const int button = button_of(event.xbutton.button);
        if (!window || !takes_input(*window) || button == 0)
            break;
        if (event.type == ButtonPress)
            window->handler().on_mouse_down(button, event.xbutton.x, event.xbutton.y);
        else
            window->handler().on_mouse_up(button, event.xbutton.x, event.xbutton.y);
        break;
    }

    case MotionNotify: {
        X11Window* window = find(event.xmotion.window);
        if (window && takes_input(*window))
            window->handler().on_mouse_move(buttons_held(event.xmotion.state), event.xmotion.x,
                                            event.xmotion.y);
        break;
    }

    case KeyPress: {
        X11Window* window = find(event.xkey.window);
        if (!window || !takes_input(*window))
            break;
        XKeyEvent key = event.xkey;
        window->handler().on_key_down(key_of(XLookupKeysym(&key, 0), key.state));
        break;
    }

    case ClientMessage: {
        X11Window* window = find(event.xclient.window);
        if (!window || event.xclient.message_type != m_atoms.wm_protocols
            || Atom(event.xclient.data.l[0]) != m_atoms.wm_delete_window)
            break;
        // Closing the ordinary window (-window) ends the saver like a click.
        if (window->kind() == WindowKind::Ordinary)
            end_process(0);
        window->handler().on_close_request();
        break;
    }

    case DestroyNotify: {
        const ::Window gone = event.xdestroywindow.window;
        // The window we were drawing into is gone: nothing is left to do.
        if (X11Window* window = find(gone); window && window->kind() == WindowKind::Foreign)
            end_process(0);
        for (X11Window* window : std::vector<X11Window*>(m_windows))
            if (alive(window) && window->watched_parent() == gone)
                window->handler().on_close_request();
        break;
    }

    case ConfigureNotify: {
        const ::Window changed = event.xconfigure.window;
        const Size size{event.xconfigure.width, event.xconfigure.height};
        for (X11Window* window : std::vector<X11Window*>(m_windows))
            if (alive(window) && window->watched_parent() == changed)
                window->handler().on_parent_resized(size);
        break;
    }

    default:
        break;
    }
}

std::size_t X11Host::pending_input(std::uint64_t)
{
    return std::size_t(std::max(XPending(m_display), 0));
}

bool X11Host::deliver_next_input(std::uint64_t)
{
    // Only an event that has arrived: this never blocks.
    if (XPending(m_display) == 0)
        return false;
    XEvent event;
    XNextEvent(m_display, &event);
    dispatch(event);
    return true;
}

bool X11Host::wait(std::optional<std::uint64_t> until)
{
    int timeout = -1;
    if (until) {
        const std::uint64_t now = now_ms();
        const std::uint64_t left = *until > now ? *until - now : 0;
        timeout = int(std::min<std::uint64_t>(left, std::numeric_limits<int>::max()));
    }
    pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {EndSignals::read_fd(), POLLIN, 0}};
    const nfds_t count = m_options.end_on_signals && EndSignals::read_fd() >= 0 ? 2 : 1;
    // A signal cuts the wait short (EINTR) or shows on its pipe; either way
    // the loop looks at it next.
    poll(fds, count, timeout);
    return true;
}

void X11Host::repaint(X11Window& window)
{
    // A repair is no frame of the animation: the window whose sight counts stays the same.
    const ::Window drawn = m_sight.drawn();
    window.refresh();
    m_sight.presented(drawn);
}

void X11Host::sleep_ms(int ms)
{
    XFlush(m_display);
    const std::uint64_t until = now_ms() + std::uint64_t(std::max(ms, 0));
    for (std::uint64_t now = now_ms(); now < until; now = now_ms()) {
        const int left = int(until - now);
        if (m_options.end_on_signals && EndSignals::read_fd() >= 0) {
            // A signal wakes the pause at once.
            pollfd fd{EndSignals::read_fd(), POLLIN, 0};
            poll(&fd, 1, left);
            check_end();
        } else {
            timespec pause{left / 1000, long(left % 1000) * 1000000L};
            nanosleep(&pause, nullptr);
        }
    }
}

void X11Host::repaint_exposed()
{
    XEvent event;
    while (XCheckTypedEvent(m_display, Expose, &event))
        if (event.xexpose.count == 0)
            if (X11Window* window = find(event.xexpose.window))
                repaint(*window);
    XFlush(m_display);
}

void X11Host::drop_input()
{
    // Whatever the server holds for us yet comes in first.
    XSync(m_display, False);
    auto is_input = [](Display*, XEvent* event, XPointer host) -> Bool {
        switch (event->type) {
        case ButtonPress:
        case ButtonRelease:
        case MotionNotify:
        case KeyPress:
        case KeyRelease:
            return reinterpret_cast<X11Host*>(host)->find(event->xany.window) != nullptr;
        default:
            return False;
        }
    };
    XEvent event;
    while (XCheckIfEvent(m_display, &event, is_input, reinterpret_cast<XPointer>(this)))
        continue;
}

} // namespace host::x11
