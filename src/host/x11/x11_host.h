#pragma once

#include "host/host.h"

#include <memory>
#include <optional>
#include <string>

// The Linux desktop host: Xlib for windows, input and the frame (MIT-SHM when
// the server offers it, XPutImage otherwise), Pango/Cairo for text, GTK 3 for
// the dialogs. This header is free of X11 names so that start-up code can
// include it without the Xlib macros.
namespace host {

// Where the saver's own window goes.
enum class X11Placement {
    // A borderless window covering the screen, kept above others: the saver
    // proper and the settings dialog's windows.
    Desktop,
    // Another program's window (-root, -window-id): the saver draws into it
    // and takes its size at start as the screen's. Nothing of it is changed
    // (title, geometry, cursor), no input reaches the saver, nothing is grabbed.
    ForeignWindow,
    // An ordinary framed top-level window of the given size (-window); a
    // click on it or closing it ends the process.
    OrdinaryWindow,
};

struct X11HostOptions {
    X11Placement placement = X11Placement::Desktop;
    // ForeignWindow: the window to draw into; 0 with draw_on_root means the
    // root window, or the virtual root where a window manager keeps one.
    NativeHandle foreign_window = 0;
    bool draw_on_root = false;
    // OrdinaryWindow: its client size.
    Size ordinary_size{1280, 720};
    // SIGTERM, SIGINT and SIGHUP end the process with status 0 (checked by the loop,
    // the pump, every sleep and the system's dialogs) instead of killing it.
    // The program sets this; a test that opens a host in its own process
    // keeps its default signals.
    bool end_on_signals = false;
    // Present frames through MIT-SHM when the server offers it.
    bool use_shm = true;
    // ForeignWindow: capture_desktop() asks xscreensaver-getimage for the
    // picture, which honours the user's grab settings.
    bool capture_through_getimage = false;
    // Each pause while nothing can be seen, and each resume, is said on
    // standard error with its cause (orvelune --verbose).
    bool verbose = false;
};

// Opens the display named by $DISPLAY. On failure (no display, or no way to
// catch the end signals) returns null and says why in `error` (one line, for
// a person to read).
std::unique_ptr<Host> open_x11_host(const X11HostOptions& options, std::string& error);

// True when frames go through MIT-SHM on this host (for the benchmark and the
// tests). False for hosts that are not X11 hosts.
bool x11_host_uses_shm(const Host& host);

} // namespace host
