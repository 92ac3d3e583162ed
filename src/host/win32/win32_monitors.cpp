// The monitors of the desktop, as the system lists them. Their rectangles
// are in the coordinates every window takes (the primary's top-left corner
// is 0, 0; a monitor to its left or above it has negative ones), and in real
// pixels, since the program's manifest says it knows each monitor's scale.
#include "gfx/rect_set.h"
#include "host/monitors.h"
#include "host/win32/win32_host_impl.h"

namespace host::win32 {

namespace {

struct MonitorList {
    std::vector<gfx::Rect> found;
    std::optional<std::size_t> primary;
};

BOOL CALLBACK note_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto* list = reinterpret_cast<MonitorList*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        return TRUE; // gone between the listing and the look: passed over
    const RECT& r = info.rcMonitor;
    if ((info.dwFlags & MONITORINFOF_PRIMARY) && !list->primary)
        list->primary = list->found.size();
    list->found.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    return TRUE;
}

} // namespace

std::vector<gfx::Rect> Win32Host::monitors()
{
    MonitorList list;
    EnumDisplayMonitors(nullptr, nullptr, note_monitor, reinterpret_cast<LPARAM>(&list));
    // A monitor reaches no further than the virtual screen, which holds them all.
    const gfx::Rect desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return order_monitors(list.found, list.primary, screen_size(),
                          desktop.empty() ? std::nullopt : std::optional(desktop));
}

} // namespace host::win32
