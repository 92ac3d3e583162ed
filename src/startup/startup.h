#pragma once

#include "common/window_titles.h"
#include "host/host.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <string>

// The modes that come with their own windows plug in here, so that start-up
// knows nothing of how they look. A mode whose plug-in is missing says so on
// standard error and ends the process.
struct StartupSeams {
    // The still preview inside another program's pane: `parent` is the pane's
    // handle (0 when the command line named none), `pane` its size in pixels
    // (0 x 0 when the handle names no window). Returns when the preview has
    // ended, that is when its window has been closed.
    std::function<void(host::Host&, Settings&, host::NativeHandle parent, host::Size pane)>
        run_preview;
    // The settings dialog, shown modally with no owner; returns once it has closed.
    std::function<void(host::Host&, Settings&)> show_settings_dialog;
};

struct StartupOptions {
    std::string command_line; // the program's arguments as one text
    std::string ini_path;     // the settings file (normally default_ini_path)
    std::uint64_t seed = 0;   // for the saver's one random generator
    StartupSeams seams;
    // Reads the settings file into zeroed settings; null means LoadSettings.
    std::function<void(Settings&, const std::string& ini_path)> settings_loader;
};

// The program's start: refuses to run beside a live instance, loads the
// settings, reads the switch and hands over to exactly one mode: the saver
// ("/s", or an empty command line with the cursor left visible), the preview
// ("/p"), the settings dialog ("/c") or the system's password change ("/a").
// Every other command line ends the process at once.
//
// A live instance is a saver window or settings dialog of ours, found by
// its title, or the host's instance claim held by another process. The
// saver and the dialog take the claim, so that of several starts at the
// same moment exactly one runs; the other modes only look at it.
//
// Modes that end the process do so through Host::end_process(). In saver
// mode the saver window runs in Host::run() until the saver ends itself; if
// the loop returns instead (the headless host after quit()), so does this,
// with 0. A saver window that cannot be opened is said on standard error
// and returns 1.
int run_startup(host::Host& host, const StartupOptions& options);
