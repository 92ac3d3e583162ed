#pragma once

// A private X server per test and the orvelune program on it: starting and
// stopping Xvfb, running the program and xdotool, reading the screen.
#include "pictures.h"
#include "process.h"
#include "sanitizers.h"

#include "gfx/surface.h"
#include "settings/settings.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Xlib's types without its macros.
typedef struct _XDisplay Display;
typedef unsigned long XID;

namespace x11test {

using testrig::Child;
using testrig::Clock;
using testrig::ExpectedRingFrame;
using testrig::find_program;
using testrig::FirstDifference;
using testrig::Hex;
using testrig::PartOf;
using testrig::ReadFile;
using testrig::SlowSettings;

// How the program is started beside its arguments and environment.
struct Launch {
    // Non-zero: the highest number of open files, set just before the
    // program starts, with only descriptors 0 to 2 open.
    int open_file_limit = 0;
    // Non-empty: standard error goes to this file.
    std::string stderr_path;
    // Non-empty: a named pipe the start waits on before the program runs, so
    // that starts held there all go at once when a writer opens and closes it.
    std::string gate_path;
    // Non-zero: the most address space the program may take, in KiB (ulimit -v).
    // A sanitized program reserves far more than any such limit: see
    // kMemoryLimitsWork.
    long memory_limit_kib = 0;
    // The program starts with SIGTERM, SIGINT and SIGHUP blocked (a signal
    // mask passes through exec), so that one sent at once waits for it.
    bool end_signals_blocked = false;
};

// Whether a program under Launch::memory_limit_kib can run at all: not
// under AddressSanitizer, whose shadow memory alone is terabytes of address space.
inline constexpr bool kMemoryLimitsWork = !testrig::kSanitized;

class XvfbRig {
public:
    // Starts Xvfb with one screen of this size; available() is false (and
    // why() says why) when it cannot.
    XvfbRig(int width, int height);
    ~XvfbRig();

    bool available() const { return m_display != nullptr; }
    const std::string& why() const { return m_why; }
    Display* display() const { return m_display; }
    XID root() const;
    const std::string& display_name() const { return m_name; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // A fresh settings folder; the program reads $XDG_CONFIG_HOME/orvelune/Orvelune.ini.
    void write_settings(const Settings& settings);
    // The settings as the program will read them.
    Settings settings() const;
    // Where the program reads them.
    std::string settings_path() const;

    // Runs build/bin/orvelune with these arguments on this server.
    Child start_orvelune(const std::vector<std::string>& args,
                         const std::vector<std::string>& extra_env = {},
                         const Launch& launch = {});
    // Runs xdotool with these arguments and waits for it; false when it failed.
    bool xdotool(const std::vector<std::string>& args);
    static bool have_xdotool();

    // The first top-level window (or child of one) with this exact title.
    std::optional<XID> find_window(const std::string& title);
    // How many children of the root carry this exact title.
    int count_windows(const std::string& title);
    // Waits until a window of that title is mapped.
    std::optional<XID> wait_for_window(const std::string& title, std::chrono::milliseconds timeout);
    bool is_viewable(XID window);

    // Splits the screen into these monitors through RandR, the first one the
    // primary; false when the server cannot (no RandR 1.5). The server keeps
    // them until it resets (when its last client goes) or they are cleared.
    bool set_monitors(const std::vector<gfx::Rect>& monitors);
    // Takes away the monitors set_monitors() made, so that the screen is one
    // monitor again; false when the server still reports others.
    bool clear_monitors();

    // Paints the root (the screen where no window covers it) black.
    void clear_root();

    // The pixels of a window (the root: the whole screen), with its children.
    gfx::Surface grab(XID window, int width, int height);
    gfx::Surface grab_screen() { return grab(root(), m_width, m_height); }

    // Polls `window` until `accept` takes a grab, or the timeout passes.
    bool poll_grab(XID window, int width, int height, std::chrono::milliseconds timeout,
                   const std::function<bool(const gfx::Surface&)>& accept);

    // Waits until `window` has shown `frames` new pictures (each grab unlike
    // the one before): proof that the program drawing there has gone round
    // its loop, and so has handled what was sent to it before.
    bool wait_for_frames(XID window, int width, int height, int frames,
                         std::chrono::milliseconds timeout);

    // An ordinary window of another program, mapped, filled with `picture`.
    XID create_foreign_window(XID parent, const gfx::Surface& picture, int x = 0, int y = 0);

    // Whether the pointer shows (any pixel of the cursor's image not fully
    // transparent); nothing when the server does not report the image.
    std::optional<bool> cursor_visible();

private:
    std::vector<std::string> environment(const std::vector<std::string>& extra) const;

    Child m_server;
    Display* m_display = nullptr;
    std::string m_name;
    std::string m_why;
    testrig::TempFolder m_config_home{"orvelune-x11-test"};
    int m_width;
    int m_height;
};

} // namespace x11test
