#pragma once

// Whether anything the saver draws on an X display can be seen: the X
// server's own screen saver (MIT-SCREEN-SAVER, which sends events), the
// display's power (DPMS, which sends none and is asked about once a second)
// and the window being drawn into (fully covered or not shown, from its
// VisibilityNotify, MapNotify and UnmapNotify events).
#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace host::x11 {

class X11Sight {
public:
    // Whether the display is powered down (DPMS standby, suspend or off);
    // nothing when the server cannot say (no DPMS, or DPMS disabled counts
    // as awake). A test replaces it to answer "off" on a server without DPMS.
    using PowerProbe = std::function<std::optional<bool>()>;

    // Asks `root`'s screen for screen-saver events and learns whether its
    // saver is on already. The probe defaults to asking DPMS.
    X11Sight(::Display* display, ::Window root, PowerProbe probe = {});

    // Follows an event of the display (any event: the ones that are not
    // about sight are passed over).
    void note(const XEvent& event);
    // The window the program drew into last: the one whose sight counts.
    void presented(::Window window) { m_drawn = window; }
    ::Window drawn() const { return m_drawn; }
    void forget(::Window window);

    // Why nothing drawn can be seen, or nothing. Asks DPMS when the last
    // answer is a second old (`now` in milliseconds on a monotonic clock).
    std::optional<std::string_view> hidden_cause(std::uint64_t now);
    // While DPMS is the cause: when to ask again. No other cause needs a
    // wake-up, as each of them ends with an event.
    std::optional<std::uint64_t> recheck() const;

    // How often DPMS is asked, having no events.
    static constexpr std::uint64_t kPowerPollMs = 1000;

private:
    struct WindowSight {
        bool covered = false;
        bool unmapped = false;
    };

    ::Display* m_display;
    PowerProbe m_probe;
    int m_saver_event_base = -1; // -1: no MIT-SCREEN-SAVER
    bool m_server_saver_on = false;
    bool m_asleep = false;
    bool m_asleep_is_cause = false;
    std::optional<std::uint64_t> m_power_asked; // when last
    ::Window m_drawn = 0;
    std::unordered_map<::Window, WindowSight> m_windows;
};

// The display's power through DPMS (see X11Sight::PowerProbe).
std::optional<bool> dpms_asleep(::Display* display);

} // namespace host::x11
