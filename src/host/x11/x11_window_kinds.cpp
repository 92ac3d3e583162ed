// How each kind of window is made. Every X request that may fail here runs
// in an ErrorTrap: a window the server refuses is reported and answered with
// null, never handed on as an id that names nothing.
#include "host/x11/x11_host_impl.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

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

bool covers(const gfx::Rect& rect, const gfx::Rect& area)
{
    return rect.x <= area.x && rect.y <= area.y && rect.x + rect.width >= area.x + area.width
           && rect.y + rect.height >= area.y + area.height;
}

void report_refusal(const char* what, const ErrorTrap& trap)
{
    std::fprintf(stderr, "orvelune: cannot create %s: %s\n", what, trap.first_error().c_str());
}

} // namespace

std::unique_ptr<host::Window> X11Host::create_window(const WindowOptions& options,
                                                     WindowHandler& handler)
{
    if (options.parent != 0)
        return create_child_window(options, handler);
    // The first top-level window of a foreign or ordinary placement is the
    // saver's, which goes where the command line said; later ones (the
    // dialogs') are our own.
    if (m_options.placement == X11Placement::ForeignWindow && !m_foreign_taken && m_foreign != 0)
        return adopt_foreign_window(options, handler);
    if (m_options.placement == X11Placement::OrdinaryWindow && !m_ordinary_taken)
        return create_ordinary_window(options, handler);
    // A dialog takes the keyboard and keeps a window manager's frame hints:
    // x11_dialog_window.cpp.
    if (options.takes_keyboard)
        return create_dialog_window(options, handler);
    if (options.overlay)
        return create_overlay_window(options, handler);
    return create_desktop_window(options, handler);
}

std::unique_ptr<host::Window> X11Host::create_child_window(const WindowOptions& options,
                                                           WindowHandler& handler)
{
    const ::Window parent = ::Window(options.parent);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(m_display, m_screen);
    attributes.event_mask = ExposureMask | StructureNotifyMask | VisibilityChangeMask;
    ErrorTrap trap(m_display);
    WindowResources made;
    made.id = XCreateWindow(m_display, parent, options.rect.x, options.rect.y,
                            unsigned(std::max(options.rect.width, 1)),
                            unsigned(std::max(options.rect.height, 1)), 0, CopyFromParent,
                            InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    // Watching the parent tells the child when to follow its size and when
    // the pane has gone away.
    XSelectInput(m_display, parent, StructureNotifyMask);
    made.gc = XCreateGC(m_display, made.id, 0, nullptr);
    XWindowAttributes created{};
    XGetWindowAttributes(m_display, made.id, &created);
    if (trap.failed()) {
        // The pane is no window (or went away): the caller has nothing to show.
        XFreeGC(m_display, made.gc);
        XDestroyWindow(m_display, made.id);
        return nullptr;
    }
    made.visual = created.visual;
    made.depth = created.depth;
    auto window = std::make_unique<X11Window>(*this, handler, options, WindowKind::Child, made);
    set_window_title(m_display, m_atoms, made.id, options.title);
    if (options.visible)
        window->show(true);
    return window;
}

std::unique_ptr<host::Window> X11Host::adopt_foreign_window(const WindowOptions& options,
                                                            WindowHandler& handler)
{
    m_foreign_taken = true;
    ErrorTrap trap(m_display);
    WindowResources made;
    made.id = m_foreign;
    // Only its going away and its exposures concern us; the other program
    // keeps its input, and nothing is grabbed.
    XSelectInput(m_display, m_foreign, StructureNotifyMask | ExposureMask | VisibilityChangeMask);
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_display, m_foreign, &attributes);
    made.gc = XCreateGC(m_display, m_foreign, 0, nullptr);
    if (trap.failed()) {
        // It went away since start-up found it.
        XFreeGC(m_display, made.gc);
        report_refusal("the saver's window in the window given", trap);
        return nullptr;
    }
    made.visual = attributes.visual;
    made.depth = attributes.depth;
    return std::make_unique<X11Window>(*this, handler, options, WindowKind::Foreign, made);
}

WindowResources X11Host::create_top_level(const gfx::Rect& rect, const std::string& title,
                                          long extra_events)
{
    XSetWindowAttributes attributes{};
    // No background of its own: until the first frame arrives the screen
    // keeps what it showed, which for a saver over the desktop is no flash.
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | StructureNotifyMask | VisibilityChangeMask | ButtonPressMask
                            | ButtonReleaseMask | PointerMotionMask | extra_events;
    ErrorTrap trap(m_display);
    WindowResources made;
    made.id = XCreateWindow(m_display, m_root, rect.x, rect.y, unsigned(std::max(rect.width, 1)),
                            unsigned(std::max(rect.height, 1)), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
    made.gc = XCreateGC(m_display, made.id, 0, nullptr);
    made.visual = DefaultVisual(m_display, m_screen);
    made.depth = DefaultDepth(m_display, m_screen);

    XSizeHints size_hints{};
    size_hints.flags = PPosition | PSize;
    size_hints.x = rect.x;
    size_hints.y = rect.y;
    size_hints.width = rect.width;
    size_hints.height = rect.height;
    XSetWMNormalHints(m_display, made.id, &size_hints);
    XSetWMProtocols(m_display, made.id, const_cast<Atom*>(&m_atoms.wm_delete_window), 1);
    const long pid = long(getpid());
    XChangeProperty(m_display, made.id, m_atoms.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    set_window_title(m_display, m_atoms, made.id, title);
    // The class by which window managers and desktop settings know the program.
    char res_name[] = "orvelune", res_class[] = "Orvelune";
    XClassHint class_hint{res_name, res_class};
    XSetClassHint(m_display, made.id, &class_hint);

    if (trap.failed()) {
        report_refusal("a window", trap);
        XFreeGC(m_display, made.gc);
        XDestroyWindow(m_display, made.id);
        return {};
    }
    return made;
}

std::unique_ptr<host::Window> X11Host::finish_top_level(std::unique_ptr<X11Window> window,
                                                        const WindowOptions& options)
{
    apply_cursor(*window);
    if (options.visible)
        window->show(true);
    XFlush(m_display);
    return window;
}

std::unique_ptr<host::Window> X11Host::create_ordinary_window(const WindowOptions& options,
                                                              WindowHandler& handler)
{
    // Framed by the window manager at the size the command line chose; a
    // click on it or closing it ends the saver (x11_loop.cpp).
    m_ordinary_taken = true;
    WindowOptions placed = options;
    placed.rect = {0, 0, m_options.ordinary_size.width, m_options.ordinary_size.height};
    const WindowResources made = create_top_level(placed.rect, placed.title);
    if (!made.id)
        return nullptr;
    auto window = std::make_unique<X11Window>(*this, handler, placed, WindowKind::Ordinary, made);
    return finish_top_level(std::move(window), placed);
}

std::unique_ptr<host::Window> X11Host::create_desktop_window(const WindowOptions& options,
                                                             WindowHandler& handler)
{
    const WindowResources made = create_top_level(options.rect, options.title);
    if (!made.id)
        return nullptr;
    if (options.borderless) {
        MotifHints hints;
        XChangeProperty(m_display, made.id, m_atoms.motif_wm_hints, m_atoms.motif_wm_hints, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&hints), 5);
    }
    // A window over a whole monitor (the saver's, a cover's) or the whole
    // screen asks the window manager for the full-screen state, which also
    // lifts it above panels and keeps it on that monitor; without a window
    // manager its geometry alone already covers it.
    const std::vector<gfx::Rect> screens = monitors();
    const bool full_screen =
        covers(options.rect, {0, 0, DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen)})
        || std::any_of(screens.begin(), screens.end(),
                       [&](const gfx::Rect& monitor) { return covers(options.rect, monitor); });
    if (full_screen) {
        const Atom fullscreen = m_atoms.net_wm_state_fullscreen;
        XChangeProperty(m_display, made.id, m_atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&fullscreen), 1);
    }
    auto window = std::make_unique<X11Window>(*this, handler, options, WindowKind::Desktop, made);
    if (options.topmost)
        window->set_topmost(true);
    return finish_top_level(std::move(window), options);
}

} // namespace host::x11
