#pragma once

#include "host/host.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

// The Linux desktop host on a Wayland compositor: shared-memory frames on
// surfaces of the wlr layer shell where the compositor offers it (one per
// output, above everything for the saver, below everything for the
// wallpaper), full-screen xdg-shell windows elsewhere, xdg-shell windows for
// the settings dialog; Pango text and GTK dialogs as on X11. This header is
// free of Wayland names so that start-up code can include it.
namespace host {

// Where the saver's own window goes.
enum class WaylandPlacement {
    // Above every window on each output: the saver proper and the dialogs.
    Desktop,
    // Below every window on each output, taking no input (-root): a live
    // wallpaper, and the background a screen locker may run.
    Wallpaper,
    // An ordinary window of the given size (-window); a click on it or
    // closing it ends the process.
    OrdinaryWindow,
};

struct WaylandHostOptions {
    WaylandPlacement placement = WaylandPlacement::Desktop;
    // The output the figure plays on, by its name (HEADLESS-1, DP-2, ...);
    // empty: the first output the compositor announces.
    std::string output_name;
    // OrdinaryWindow: its client size.
    Size ordinary_size{1280, 720};
    // SIGTERM and SIGINT end the process with status 0, as on X11.
    bool end_on_signals = false;
    // Use the layer shell when the compositor offers it; false takes the
    // full-screen window every compositor knows (ORVELUNE_WAYLAND_LAYER_SHELL=0).
    bool use_layer_shell = true;
    // Each pause while nothing can be seen, and each resume, is said on
    // standard error with its cause (orvelune --verbose).
    bool verbose = false;
};

// Connects to the compositor named by $WAYLAND_DISPLAY. On failure (no
// compositor, no shared memory, no shell to show a window with) returns null
// and says why in `error` (one line, for a person to read).
std::unique_ptr<Host> open_wayland_host(const WaylandHostOptions& options, std::string& error);

// What one present of a window sent the compositor: the window and the
// blocks (buffer pixels) it marked as damaged with that commit.
using WaylandDamageRecorder = std::function<void(const Window& window, std::span<const gfx::Rect> damage)>;
// Calls `recorder` on every commit of a window's frame (for the tests); false
// for hosts that are not Wayland hosts.
bool record_wayland_damage(Host& host, WaylandDamageRecorder recorder);

// The scale a window's buffers are given (the output's), 0 for windows of
// other hosts.
int wayland_buffer_scale(const Window& window);

} // namespace host
