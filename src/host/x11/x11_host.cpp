#include "host/x11/x11_host_impl.h"
#include "host/x11/x11_signals.h"

#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace host::x11 {

Atoms::Atoms(::Display* d)
    : wm_protocols(XInternAtom(d, "WM_PROTOCOLS", False)),
      wm_delete_window(XInternAtom(d, "WM_DELETE_WINDOW", False)),
      net_wm_name(XInternAtom(d, "_NET_WM_NAME", False)),
      utf8_string(XInternAtom(d, "UTF8_STRING", False)),
      net_wm_state(XInternAtom(d, "_NET_WM_STATE", False)),
      net_wm_state_fullscreen(XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False)),
      net_wm_state_above(XInternAtom(d, "_NET_WM_STATE_ABOVE", False)),
      motif_wm_hints(XInternAtom(d, "_MOTIF_WM_HINTS", False)),
      swm_vroot(XInternAtom(d, "__SWM_VROOT", False)),
      net_wm_pid(XInternAtom(d, "_NET_WM_PID", False)),
      net_supporting_wm_check(XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False)),
      net_client_list(XInternAtom(d, "_NET_CLIENT_LIST", False)),
      wm_state(XInternAtom(d, "WM_STATE", False))
{
}

X11Host::X11Host(::Display* display, const X11HostOptions& options)
    : m_display(display), m_options(options), m_atoms(display),
      m_screen(DefaultScreen(display)), m_root(RootWindow(display, m_screen)),
      m_sight(display, m_root)
{
    install_error_handler(m_display);
    loop().set_pause_log(options.verbose);
}

X11Host::~X11Host()
{
    if (m_invisible_cursor)
        XFreeCursor(m_display, m_invisible_cursor);
    // The last answers are judged while the connection is still ours.
    XSync(m_display, False);
    forget_display(m_display);
    XCloseDisplay(m_display);
}

bool X11Host::resolve_foreign_window(std::string& error)
{
    if (m_options.placement != X11Placement::ForeignWindow)
        return true;
    m_foreign = ::Window(m_options.foreign_window);
    if (m_foreign == 0 && m_options.draw_on_root)
        m_foreign = virtual_root(m_display, m_atoms, m_root);
    XWindowAttributes attributes{};
    ErrorTrap trap(m_display);
    const bool found = m_foreign != 0 && XGetWindowAttributes(m_display, m_foreign, &attributes);
    if (trap.failed() || !found) {
        error = "no window with the id " + std::to_string(m_options.foreign_window);
        return false;
    }
    m_foreign_size = {attributes.width, attributes.height};
    return true;
}

Size X11Host::screen_size()
{
    switch (m_options.placement) {
    case X11Placement::ForeignWindow:
        return m_foreign_size;
    case X11Placement::OrdinaryWindow:
        return m_options.ordinary_size;
    case X11Placement::Desktop:
        break;
    }
    return {DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen)};
}

std::optional<gfx::Rect> X11Host::native_window_rect(NativeHandle handle)
{
    if (handle == 0)
        return std::nullopt;
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    ::Window child = 0;
    ErrorTrap trap(m_display);
    const bool found = XGetWindowAttributes(m_display, ::Window(handle), &attributes) != 0
                       && XTranslateCoordinates(m_display, ::Window(handle), m_root, 0, 0, &x, &y,
                                                &child);
    if (trap.failed() || !found)
        return std::nullopt;
    return gfx::Rect{x, y, attributes.width, attributes.height};
}

bool X11Host::is_desktop_window(NativeHandle handle)
{
    // Every screen's root, and the virtual root a desktop program may lay
    // over ours.
    for (int screen = 0; screen < ScreenCount(m_display); ++screen)
        if (::Window(handle) == RootWindow(m_display, screen))
            return true;
    return ::Window(handle) == virtual_root(m_display, m_atoms, m_root);
}

bool X11Host::top_level_window_exists(std::string_view title)
{
    for (const ::Window window : top_level_windows(m_display, m_atoms, m_root)) {
        ErrorTrap trap(m_display); // the window may go away under us
        if (window_title(m_display, m_atoms, window) == title)
            return true;
    }
    return false;
}

std::uint64_t X11Host::now_ms()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::uint64_t(now.tv_sec) * 1000 + std::uint64_t(now.tv_nsec) / 1000000;
}

int X11Host::show_cursor(bool show)
{
    m_cursor_count += show ? 1 : -1;
    for (X11Window* window : m_windows)
        apply_cursor(*window);
    XFlush(m_display);
    return m_cursor_count;
}

void X11Host::apply_cursor(X11Window& window)
{
    // Another program's window keeps its cursor.
    if (!window.owns_cursor())
        return;
    if (m_cursor_count >= 0) {
        XUndefineCursor(m_display, window.id());
        return;
    }
    if (!m_invisible_cursor) {
        // A one-pixel cursor whose mask is empty: nothing of it is drawn.
        const char empty = 0;
        const Pixmap blank = XCreateBitmapFromData(m_display, m_root, &empty, 1, 1);
        XColor black{};
        m_invisible_cursor = XCreatePixmapCursor(m_display, blank, blank, &black, &black, 0, 0);
        XFreePixmap(m_display, blank);
    }
    XDefineCursor(m_display, window.id(), m_invisible_cursor);
}

gfx::Point X11Host::cursor_pos()
{
    ::Window root_return = 0, child = 0;
    int root_x = 0, root_y = 0, win_x = 0, win_y = 0;
    unsigned mask = 0;
    XQueryPointer(m_display, m_root, &root_return, &child, &root_x, &root_y, &win_x, &win_y,
                  &mask);
    return {root_x, root_y};
}

bool X11Host::capture_desktop(gfx::Surface& into)
{
    if (m_options.placement == X11Placement::ForeignWindow) {
        // The foreign window is already on the screen, so reading the root
        // would read our own (black) window: the picture has to come from the
        // helper that knows how the user wants the desktop grabbed.
        if (!m_options.capture_through_getimage || m_foreign == 0)
            return false;
        return capture_through_getimage(m_display, m_foreign, into);
    }
    // The primary monitor's part of the root, which may lie anywhere in it.
    const gfx::Rect primary = monitors().front();
    return read_drawable(m_display, m_root, DefaultVisual(m_display, m_screen), primary.width,
                        primary.height, into, {primary.x, primary.y});
}

void X11Host::wait_for_decoder(int decoder_fd, int timeout_ms)
{
    // Events Xlib has already read would never wake the poll. An end signal
    // wakes it, and the delivery that follows ends the process.
    if (XPending(m_display) != 0)
        return;
    pollfd fds[3] = {{decoder_fd, POLLIN, 0},
                     {ConnectionNumber(m_display), POLLIN, 0},
                     {EndSignals::read_fd(), POLLIN, 0}};
    const nfds_t count = m_options.end_on_signals && EndSignals::read_fd() >= 0 ? 3 : 2;
    poll(fds, count, timeout_ms);
}

void X11Host::window_created(X11Window& window)
{
    m_windows.push_back(&window);
}

void X11Host::window_destroyed(X11Window& window)
{
    std::erase(m_windows, &window);
    m_sight.forget(window.id());
}

bool X11Host::uses_shm() const
{
    return m_shm_used;
}

void X11Host::end_process(int status)
{
    // Everything the saver drew is sent before the connection goes; no
    // destructor runs, which is what ending the process on the spot means.
    XSync(m_display, False);
    std::fflush(nullptr);
    _exit(status);
}

} // namespace host::x11

namespace host {

std::unique_ptr<Host> open_x11_host(const X11HostOptions& options, std::string& error)
{
    // Window titles may be Japanese: Xlib's text conversions follow the locale.
    std::setlocale(LC_CTYPE, "");
    if (!XSupportsLocale())
        std::setlocale(LC_CTYPE, "C.UTF-8");
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        error = "no X display: DISPLAY is not set";
        return nullptr;
    }
    // Before the connection, so that a signal that comes early still ends
    // the program in order.
    if (options.end_on_signals && !x11::EndSignals::install(error))
        return nullptr;
    ::Display* display = XOpenDisplay(name);
    if (!display) {
        error = std::string("cannot open the X display \"") + name + "\"";
        return nullptr;
    }
    auto host = std::make_unique<x11::X11Host>(display, options);
    if (!host->resolve_foreign_window(error))
        return nullptr;
    return host;
}

bool x11_host_uses_shm(const Host& host)
{
    const auto* x11 = dynamic_cast<const x11::X11Host*>(&host);
    return x11 && x11->uses_shm();
}

} // namespace host
