#include "host/x11/x11_sight.h"

#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace host::x11 {

std::optional<bool> dpms_asleep(::Display* display)
{
    int event_base = 0, error_base = 0;
    if (!DPMSQueryExtension(display, &event_base, &error_base) || !DPMSCapable(display))
        return std::nullopt;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display, &level, &enabled))
        return std::nullopt;
    return enabled && level != DPMSModeOn;
}

X11Sight::X11Sight(::Display* display, ::Window root, PowerProbe probe)
    : m_display(display), m_probe(std::move(probe))
{
    if (!m_probe) {
        // Without DPMS there is nothing to ask again, ever.
        bool has_dpms = true;
        m_probe = [display, has_dpms]() mutable -> std::optional<bool> {
            if (!has_dpms)
                return std::nullopt;
            const std::optional<bool> asleep = dpms_asleep(display);
            has_dpms = asleep.has_value();
            return asleep;
        };
    }
    int event_base = 0, error_base = 0;
    if (XScreenSaverQueryExtension(display, &event_base, &error_base)) {
        m_saver_event_base = event_base;
        XScreenSaverSelectInput(display, root, ScreenSaverNotifyMask);
        if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
            if (XScreenSaverQueryInfo(display, root, info))
                m_server_saver_on = info->state == ScreenSaverOn;
            XFree(info);
        }
    }
}

void X11Sight::note(const XEvent& event)
{
    if (m_saver_event_base >= 0 && event.type == m_saver_event_base + ScreenSaverNotify) {
        const auto& notify = reinterpret_cast<const XScreenSaverNotifyEvent&>(event);
        // Cycle is the server asking a saver to change its picture: still on.
        m_server_saver_on = notify.state != ScreenSaverOff;
        return;
    }
    switch (event.type) {
    case VisibilityNotify:
        m_windows[event.xvisibility.window].covered =
            event.xvisibility.state == VisibilityFullyObscured;
        break;
    case MapNotify:
        m_windows[event.xmap.window].unmapped = false;
        break;
    case UnmapNotify:
        m_windows[event.xunmap.window].unmapped = true;
        break;
    default:
        break;
    }
}

void X11Sight::forget(::Window window)
{
    m_windows.erase(window);
    if (m_drawn == window)
        m_drawn = 0;
}

std::optional<std::string_view> X11Sight::hidden_cause(std::uint64_t now)
{
    m_asleep_is_cause = false;
    if (m_server_saver_on)
        return "the X server's screen saver is on";
    if (!m_power_asked || now - *m_power_asked >= kPowerPollMs) {
        m_power_asked = now;
        m_asleep = m_probe().value_or(false);
    }
    if (m_asleep) {
        m_asleep_is_cause = true;
        return "the display is powered down (DPMS)";
    }
    if (const auto found = m_windows.find(m_drawn); m_drawn != 0 && found != m_windows.end()) {
        if (found->second.unmapped)
            return "the saver's window is not shown";
        if (found->second.covered)
            return "the saver's window is covered";
    }
    return std::nullopt;
}

std::optional<std::uint64_t> X11Sight::recheck() const
{
    if (!m_asleep_is_cause || !m_power_asked)
        return std::nullopt;
    return *m_power_asked + kPowerPollMs;
}

} // namespace host::x11
