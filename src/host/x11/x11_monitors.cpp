// The monitors of the display: RandR 1.5 names them and marks the primary;
// a server without it may still split its screen through Xinerama; a server
// with neither is one monitor, the whole root.
#include "host/monitors.h"
#include "host/x11/x11_errors.h"
#include "host/x11/x11_host_impl.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

namespace host::x11 {

namespace {

// RandR's monitors, lit ones only; false when the server has no RandR 1.5.
bool randr_monitors(::Display* display, ::Window root, std::vector<gfx::Rect>& found,
                    std::optional<std::size_t>& primary)
{
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base)
        || !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 5))
        return false;
    int count = 0;
    XRRMonitorInfo* monitors = nullptr;
    {
        ErrorTrap trap(display);
        monitors = XRRGetMonitors(display, root, True, &count);
        if (trap.failed() && monitors) {
            XRRFreeMonitors(monitors);
            monitors = nullptr;
        }
    }
    if (!monitors)
        return false;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& monitor = monitors[i];
        if (monitor.primary && !primary)
            primary = found.size();
        found.push_back({monitor.x, monitor.y, monitor.width, monitor.height});
    }
    XRRFreeMonitors(monitors);
    return count > 0;
}

// Xinerama's screens, which name no primary: the first is taken.
bool xinerama_monitors(::Display* display, std::vector<gfx::Rect>& found)
{
    int event_base = 0, error_base = 0;
    if (!XineramaQueryExtension(display, &event_base, &error_base) || !XineramaIsActive(display))
        return false;
    int count = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
    if (!screens)
        return false;
    for (int i = 0; i < count; ++i)
        found.push_back({screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height});
    XFree(screens);
    return count > 0;
}

} // namespace

std::vector<gfx::Rect> X11Host::monitors()
{
    const Size screen = screen_size();
    // Given one window (-root, -window-id, -window), the saver draws in it
    // whole, as a hack does: xscreensaver runs one per monitor.
    if (m_options.placement != X11Placement::Desktop)
        return {gfx::Rect{0, 0, screen.width, screen.height}};
    std::vector<gfx::Rect> found;
    std::optional<std::size_t> primary;
    if (!randr_monitors(m_display, m_root, found, primary)) {
        found.clear();
        primary.reset();
        xinerama_monitors(m_display, found);
    }
    // A monitor reaches no further than the root, whatever RandR declares.
    return order_monitors(found, primary, screen, gfx::Rect{0, 0, screen.width, screen.height});
}

} // namespace host::x11
