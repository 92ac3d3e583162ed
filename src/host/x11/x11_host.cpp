#include "host/x11/x11_host_impl.h"
#include "host/x11/x11_signals.h"

#include "host/gdk/picture_file.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace host::x11 {

namespace {

// The motif hints a window manager reads for decorations: flags word with
// "decorations given" set, then decorations 0 (no border, no title).
struct MotifHints {
    unsigned long flags = 2;
    unsigned long functions = 0;
    unsigned long decorations = 0;
    long input_mode = 0;
    unsigned long status = 0;
};

bool covers_screen(const gfx::Rect& rect, int width, int height)
{
    return rect.x <= 0 && rect.y <= 0 && rect.x + rect.width >= width
           && rect.y + rect.height >= height;
}

} // namespace

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
      net_supporting_wm_check(XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False))
{
}

X11Host::X11Host(::Display* display, const X11HostOptions& options)
    : m_display(display), m_options(options), m_atoms(display),
      m_screen(DefaultScreen(display)), m_root(RootWindow(display, m_screen))
{
    if (m_options.end_on_signals)
        EndSignals::install();
}

X11Host::~X11Host()
{
    if (m_invisible_cursor)
        XFreeCursor(m_display, m_invisible_cursor);
    XCloseDisplay(m_display);
}

bool X11Host::resolve_foreign_window(std::string& error)
{
    if (m_options.placement != X11Placement::ForeignWindow)
        return true;
    m_foreign = ::Window(m_options.foreign_window);
    if (m_foreign == 0 && m_options.draw_on_root)
        m_foreign = VirtualRoot(m_display, m_atoms, m_root);
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

bool X11Host::window_manager_present()
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool present = XGetWindowProperty(m_display, m_root, m_atoms.net_supporting_wm_check,
                                            0, 1, False, XA_WINDOW, &type, &format, &count,
                                            &after, &data) == Success
                         && count == 1;
    if (data)
        XFree(data);
    return present;
}

std::unique_ptr<host::Window> X11Host::create_window(const WindowOptions& options,
                                                     WindowHandler& handler)
{
    const unsigned width = unsigned(std::max(options.rect.width, 1));
    const unsigned height = unsigned(std::max(options.rect.height, 1));

    // The first top-level window of a foreign placement is the foreign window.
    if (options.parent == 0 && m_options.placement == X11Placement::ForeignWindow
        && !m_foreign_taken && m_foreign != 0) {
        m_foreign_taken = true;
        // Only its going away and its exposures concern us; the other
        // program keeps its input, and nothing is grabbed.
        XSelectInput(m_display, m_foreign, StructureNotifyMask | ExposureMask);
        return std::make_unique<X11Window>(*this, handler, options, WindowKind::Foreign,
                                           m_foreign);
    }

    if (options.parent != 0) {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(m_display, m_screen);
        attributes.event_mask = ExposureMask | StructureNotifyMask;
        ErrorTrap trap(m_display);
        const ::Window id = XCreateWindow(
            m_display, ::Window(options.parent), options.rect.x, options.rect.y, width, height,
            0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask,
            &attributes);
        // Watching the parent tells the child when to follow its size and
        // when the pane has gone away.
        XSelectInput(m_display, ::Window(options.parent), StructureNotifyMask);
        if (trap.failed())
            return nullptr;
        auto window = std::make_unique<X11Window>(*this, handler, options, WindowKind::Child, id);
        SetWindowTitle(m_display, m_atoms, id, options.title);
        if (options.visible)
            window->show(true);
        return window;
    }

    const bool ordinary = m_options.placement == X11Placement::OrdinaryWindow && !m_ordinary_taken;
    WindowOptions placed = options;
    if (ordinary) {
        m_ordinary_taken = true;
        placed.rect = {0, 0, m_options.ordinary_size.width, m_options.ordinary_size.height};
    }

    XSetWindowAttributes attributes{};
    // No background of its own: until the first frame arrives the screen
    // keeps what it showed, which for a saver over the desktop is no flash.
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask
                            | ButtonReleaseMask | PointerMotionMask;
    const ::Window id = XCreateWindow(
        m_display, m_root, placed.rect.x, placed.rect.y,
        unsigned(std::max(placed.rect.width, 1)), unsigned(std::max(placed.rect.height, 1)), 0,
        CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);

    XSizeHints size_hints{};
    size_hints.flags = PPosition | PSize;
    size_hints.x = placed.rect.x;
    size_hints.y = placed.rect.y;
    size_hints.width = placed.rect.width;
    size_hints.height = placed.rect.height;
    XSetWMNormalHints(m_display, id, &size_hints);
    XSetWMProtocols(m_display, id, const_cast<Atom*>(&m_atoms.wm_delete_window), 1);
    const long pid = long(getpid());
    XChangeProperty(m_display, id, m_atoms.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    SetWindowTitle(m_display, m_atoms, id, placed.title);
    // The class by which window managers and desktop settings know the program.
    char res_name[] = "orvelune", res_class[] = "Orvelune";
    XClassHint class_hint{res_name, res_class};
    XSetClassHint(m_display, id, &class_hint);

    if (!ordinary && placed.borderless) {
        MotifHints hints;
        XChangeProperty(m_display, id, m_atoms.motif_wm_hints, m_atoms.motif_wm_hints, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&hints), 5);
    }
    // A window over the whole screen asks the window manager for the
    // full-screen state, which also lifts it above panels; without a window
    // manager its geometry alone already covers the screen.
    if (!ordinary && covers_screen(placed.rect, DisplayWidth(m_display, m_screen),
                                   DisplayHeight(m_display, m_screen))) {
        const Atom fullscreen = m_atoms.net_wm_state_fullscreen;
        XChangeProperty(m_display, id, m_atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&fullscreen), 1);
    }

    auto window = std::make_unique<X11Window>(
        *this, handler, placed, ordinary ? WindowKind::Ordinary : WindowKind::Desktop, id);
    if (placed.topmost)
        window->set_topmost(true);
    apply_cursor(*window);
    if (placed.visible)
        window->show(true);
    XFlush(m_display);
    return window;
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

bool X11Host::top_level_window_exists(std::string_view title)
{
    // A window manager reparents each top-level window into a frame of its
    // own, so the program's window is a child of a child of the root; one
    // level below the root's children finds it either way.
    ErrorTrap trap(m_display);
    ::Window root_return = 0, parent_return = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, m_root, &root_return, &parent_return, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (WindowTitle(m_display, m_atoms, children[i]) == title) {
            found = true;
            break;
        }
        ::Window* inner = nullptr;
        unsigned inner_count = 0;
        if (XQueryTree(m_display, children[i], &root_return, &parent_return, &inner,
                       &inner_count)) {
            for (unsigned j = 0; j < inner_count && !found; ++j)
                found = WindowTitle(m_display, m_atoms, inner[j]) == title;
            if (inner)
                XFree(inner);
        }
    }
    if (children)
        XFree(children);
    (void)trap.failed();
    return found;
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
        return CaptureThroughGetImage(m_display, m_foreign, into);
    }
    return ReadDrawable(m_display, m_root, DefaultVisual(m_display, m_screen),
                        DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen),
                        into);
}

bool X11Host::load_picture(const std::string& path_utf8, gfx::Surface& out)
{
    const Size screen = screen_size();
    return decode_picture_file(path_utf8, out, picture_pixel_limit(screen.width, screen.height))
           == PictureResult::Decoded;
}

void X11Host::window_created(X11Window& window)
{
    m_windows.push_back(&window);
}

void X11Host::window_destroyed(X11Window& window)
{
    std::erase(m_windows, &window);
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

std::unique_ptr<Host> OpenX11Host(const X11HostOptions& options, std::string& error)
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
    ::Display* display = XOpenDisplay(name);
    if (!display) {
        error = std::string("cannot open the X display \"") + name + "\"";
        return nullptr;
    }
    x11::InstallErrorHandler();
    auto host = std::make_unique<x11::X11Host>(display, options);
    if (!host->resolve_foreign_window(error))
        return nullptr;
    return host;
}

bool X11HostUsesShm(const Host& host)
{
    const auto* x11 = dynamic_cast<const x11::X11Host*>(&host);
    return x11 && x11->uses_shm();
}

} // namespace host
