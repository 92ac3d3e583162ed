#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The options every xscreensaver hack accepts, a Linux extension beside the
// screen-saver switches. A command line is read this way only when its first
// argument is one of these options; every other command line keeps the
// screen-saver rules exactly (none of these options has S, P, C or A as its
// second character, so none of them meant anything there but "end at once").
//
//   -root            draw on the root window (the virtual root where a window
//                    manager keeps one), or into the window that
//                    XSCREENSAVER_WINDOW names when the daemon sets it
//   -window-id <id>  draw into that window (hex 0x... or decimal)
//   -window          an ordinary window of its own (the default)
//   -install, -noinstall, -visual <v>, -mono, -fps, -no-fps: accepted, ignored
//   -help            prints the version and the options
//   -version         prints the version
//
// Each option may also be written with two dashes.

enum class HackTarget {
    Window,   // an ordinary top-level window
    Root,     // the root window, or XSCREENSAVER_WINDOW's
    WindowId, // another program's window
};

struct HackCommand {
    enum class Outcome {
        NotHack, // the screen-saver switches apply
        Run,
        Help,    // print the usage, end with 0
        Version, // print the version line, end with 0
        Error,   // print `message` and the usage, end with 1
    };
    Outcome outcome = Outcome::NotHack;
    HackTarget target = HackTarget::Window;
    // WindowId: the window. Root: the window XSCREENSAVER_WINDOW names, 0 for
    // the root itself.
    std::uint64_t window_id = 0;
    std::string message;
};

// Reads the program's arguments (without the program's name).
// `xscreensaver_window` is the value of XSCREENSAVER_WINDOW, when set; a
// value that names no window is reported in `message` as a warning and the
// root is used.
HackCommand parse_hack_command_line(const std::vector<std::string>& args,
                                 std::optional<std::string_view> xscreensaver_window);

// A window id as X programs write them: 0x followed by hex digits, or decimal
// digits; the whole text, non-zero and within 32 bits (X ids have 29).
std::optional<std::uint64_t> parse_window_id(std::string_view text);

// The accepted options, one line each, for -help and for mistakes, after a
// line with the program's version.
std::string hack_usage(std::string_view program);

// "orvelune 3.1.0" and a line end: what -version prints.
std::string version_line(std::string_view program);

namespace host {
class Host;
}

// Runs the saver as a hack on a host already set up for the target (its
// screen size is the target's): the settings from `ini_path`, the saver
// window as with an empty command line (the cursor left alone; the host
// decides whether input reaches it), the loop until the process is ended.
// The single-instance guard does not apply: the daemon runs one hack per
// screen and ends them itself. A window that cannot be opened is said on
// standard error and returns 1.
int run_hack_saver(host::Host& host, const std::string& ini_path, std::uint64_t seed);
