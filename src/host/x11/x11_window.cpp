#include "host/x11/x11_host_impl.h"

#include "gfx/raster.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace host::x11 {

namespace {

// _NET_WM_STATE client messages: remove, add.
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;

void send_state(X11Host& host, ::Window id, bool on, Atom state)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = host.atoms().net_wm_state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = on ? kStateAdd : kStateRemove;
    event.xclient.data.l[1] = long(state);
    event.xclient.data.l[3] = 1; // a normal application asks
    XSendEvent(host.display(), host.root(), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

} // namespace

X11Window::X11Window(X11Host& host, WindowHandler& handler, const WindowOptions& options,
                     WindowKind kind, const WindowResources& resources)
    : LoopWindow(host.loop(), handler, options), m_host(host), m_kind(kind), m_id(resources.id),
      m_gc(resources.gc),
      m_presenter(std::make_unique<FramePresenter>(host.display(), resources.visual,
                                                   resources.depth, host.options().use_shm)),
      m_size{std::max(options.rect.width, 0), std::max(options.rect.height, 0)},
      m_topmost(options.topmost)
{
    // Another program's window, and our child that dies with its pane, may
    // go away under us at any moment; the loop hears of it and ends us.
    if (kind == WindowKind::Child) {
        m_parent = ::Window(options.parent);
        tolerate_errors_on(host.display(), m_parent);
    }
    if (kind == WindowKind::Child || kind == WindowKind::Foreign)
        tolerate_errors_on(host.display(), m_id);
    host.window_created(*this);
}

X11Window::~X11Window()
{
    m_host.window_destroyed(*this);
    ::Display* d = m_host.display();
    {
        // Every answer comes in while errors on a window that has gone are
        // still let pass.
        ErrorTrap trap(d);
        m_presenter.reset();
        XFreeGC(d, m_gc);
        if (m_kind == WindowKind::Foreign)
            XSelectInput(d, m_id, NoEventMask);
        else
            XDestroyWindow(d, m_id);
        (void)trap.failed();
    }
    if (m_kind == WindowKind::Child || m_kind == WindowKind::Foreign)
        stop_tolerating(d, m_id);
    if (m_parent)
        stop_tolerating(d, m_parent);
}

void X11Window::refresh()
{
    m_presenter->present(m_id, m_gc, frame());
    m_host.presented(m_id);
    m_host.set_shm_used(m_presenter->uses_shm());
    clear_beyond_frame();
}

void X11Window::clear_beyond_frame()
{
    const int frame_width = frame().width(), frame_height = frame().height();
    if (frame_width >= m_size.width && frame_height >= m_size.height)
        return;
    ::Display* d = m_host.display();
    XSetForeground(d, m_gc, BlackPixel(d, DefaultScreen(d)));
    // Right of the frame, then below it.
    if (frame_width < m_size.width)
        XFillRectangle(d, m_id, m_gc, frame_width, 0, unsigned(m_size.width - frame_width),
                       unsigned(m_size.height));
    if (frame_height < m_size.height)
        XFillRectangle(d, m_id, m_gc, 0, frame_height, unsigned(frame_width),
                       unsigned(m_size.height - frame_height));
    XFlush(d);
}

void X11Window::set_title(std::string_view utf8)
{
    // Another program's window keeps its own name.
    if (m_kind == WindowKind::Foreign)
        return;
    set_window_title(m_host.display(), m_host.atoms(), m_id, utf8);
}

void X11Window::move(gfx::Rect rect)
{
    resize_frame(rect.width, rect.height);
    m_size = {std::max(rect.width, 0), std::max(rect.height, 0)};
    // Another program's window is never moved or sized; the ordinary window's
    // place is the window manager's to choose.
    if (m_kind == WindowKind::Foreign || rect.width <= 0 || rect.height <= 0)
        return;
    if (m_kind == WindowKind::Ordinary)
        XResizeWindow(m_host.display(), m_id, unsigned(rect.width), unsigned(rect.height));
    else
        XMoveResizeWindow(m_host.display(), m_id, rect.x, rect.y, unsigned(rect.width),
                          unsigned(rect.height));
    XFlush(m_host.display());
}

void X11Window::show(bool visible)
{
    if (m_kind == WindowKind::Foreign)
        return;
    ::Display* d = m_host.display();
    if (visible) {
        if (m_topmost || m_kind == WindowKind::Desktop)
            XMapRaised(d, m_id);
        else
            XMapWindow(d, m_id);
    } else {
        XUnmapWindow(d, m_id);
    }
    XFlush(d);
}

void X11Window::set_topmost(bool on)
{
    m_topmost = on;
    if (m_kind != WindowKind::Desktop)
        return;
    ::Display* d = m_host.display();
    const Atoms& atoms = m_host.atoms();
    // Before the window is mapped the state is a property the window manager
    // reads when it maps it; afterwards it must be asked by a client message.
    XWindowAttributes attributes{};
    XGetWindowAttributes(d, m_id, &attributes);
    if (attributes.map_state == IsUnmapped) {
        std::vector<Atom> states;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, m_id, atoms.net_wm_state, 0, 32, False, XA_ATOM, &type,
                               &format, &count, &after, &data) == Success && data) {
            const auto* existing = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i)
                if (existing[i] != atoms.net_wm_state_above)
                    states.push_back(existing[i]);
            XFree(data);
        }
        if (on)
            states.push_back(atoms.net_wm_state_above);
        XChangeProperty(d, m_id, atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
    } else {
        send_state(m_host, m_id, on, atoms.net_wm_state_above);
    }
    // Without a window manager nothing keeps a window above; raising it now
    // puts it above everything there is.
    if (on)
        XRaiseWindow(d, m_id);
    XFlush(d);
}

} // namespace host::x11
