#include "host/x11/x11_host_impl.h"

// A window that passes over everything for a moment (WindowOptions::overlay):
// override-redirect, so that no window manager frames it, moves it, fades it
// in or hands it the keyboard focus. It appears where it is put the moment it
// is mapped, above every window there is, and goes the moment it is
// destroyed; the window that had the focus keeps it throughout.
namespace host::x11 {

std::unique_ptr<host::Window> X11Host::create_overlay_window(const WindowOptions& options,
                                                             WindowHandler& handler)
{
    const WindowResources made = create_top_level(options.rect, options.title);
    if (!made.id)
        return nullptr;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(m_display, made.id, CWOverrideRedirect, &attributes);
    auto window = std::make_unique<X11Window>(*this, handler, options, WindowKind::Desktop, made);
    apply_cursor(*window);
    if (options.visible)
        window->show(true);
    XFlush(m_display);
    return window;
}

} // namespace host::x11
