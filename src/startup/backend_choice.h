#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which desktop host the Linux program runs on. A session whose compositor
// names itself in WAYLAND_DISPLAY gets the Wayland host, else the X display
// in DISPLAY gets the X11 host; ORVELUNE_BACKEND, and above it the option
// --backend, choose either by name. --output NAME picks the Wayland output
// the figure plays on. Both options may stand anywhere among the arguments,
// as "--backend wayland" or "--backend=wayland", and are taken out before
// the rest is read as the saver's command line. So may --verbose, which has
// the host say on standard error when and why the saver pauses.

enum class DesktopBackend {
    X11,
    Wayland,
};

struct BackendChoice {
    DesktopBackend backend = DesktopBackend::X11;
    std::string output;             // empty: the first output
    bool verbose = false;           // --verbose: pauses and resumes said on standard error
    std::vector<std::string> args;  // the arguments without the two options
    std::string error;              // non-empty: what was wrong, for a person to read
};

// `backend_variable`, `wayland_display`, `x_display` and `daemon_window` are
// the values of ORVELUNE_BACKEND, WAYLAND_DISPLAY, DISPLAY and
// XSCREENSAVER_WINDOW (nothing when unset). A hack that the xscreensaver
// daemon started (it sets XSCREENSAVER_WINDOW) draws on X11, in the
// daemon's window, unless an option or the variable says otherwise.
BackendChoice choose_backend(const std::vector<std::string>& args,
                             std::optional<std::string_view> backend_variable,
                             std::optional<std::string_view> wayland_display,
                             std::optional<std::string_view> x_display,
                             std::optional<std::string_view> daemon_window = std::nullopt);
