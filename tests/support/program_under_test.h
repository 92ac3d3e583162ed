#pragma once

// A program under test on a real window system, as the scenarios in
// window_scenarios.cpp drive it: the Linux program on a private X server,
// the Windows program under Wine, the Linux program under a headless
// Wayland compositor. Each platform's suite implements this once over its
// rig and runs the scenarios against it.
#include "pictures.h"
#include "process.h"

#include "gfx/surface.h"
#include "settings/settings.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace testrig {

using namespace std::chrono_literals;

inline constexpr const char* kSaverTitle = "Orvelune(Main)";
inline constexpr const char* kDialogTitle = "Orveluneの設定";
inline constexpr const char* kCardTitle = "Orvelune";
// The settings dialog's window, centred on the screen.
inline constexpr int kDialogWidth = 701;
inline constexpr int kDialogHeight = 509;

// What a scenario may ask of a program under test beyond the common calls:
// what differs between the platforms is said here, not tested for by name.
struct Traits {
    // Shown in the scenarios' names: "X11", "Wine", "Wayland".
    std::string name;
    // Command lines that, besides "/s", none and "/c", end at once while a
    // saver runs.
    std::vector<std::vector<std::string>> more_second_starts;
    // How many starts at once the single-instance scenario makes; 0 where
    // the rig cannot hold starts back to let them go together.
    int starts_at_once = 0;
    // The dialog's text is drawn as the headless host draws it with Pango,
    // so its picture can be compared pixel for pixel.
    bool exact_dialog = false;
    // The system locales the dialog's save is tried under ("" the rig's own).
    std::vector<std::string> locales{""};
    // SIGTERM, SIGINT and SIGHUP end the program in order (the Linux
    // programs; under Wine a signal ends the process from outside).
    bool end_signals = false;
    // The picture is decoded in a process of its own, so that a decoder held
    // in the kernel for good (by a network mount that stopped answering)
    // does not keep the program from ending (the Linux programs; Windows
    // decodes on a thread, and a thread held in the kernel holds its process).
    bool decoder_apart = false;
    // The pointer reports the cursor's image (hidden or shown).
    bool reads_cursor = false;
    // Keys while the version card plays reach the program (so that it can
    // be seen to drop them).
    bool keys_during_card = true;
};

// The one window the preview puts in a pane: its size and whether it shows.
struct PaneChild {
    int width = 0;
    int height = 0;
    bool visible = false;
    bool operator==(const PaneChild&) const = default;
};

// A pane of another program, as the display settings offer one, that the
// preview is asked to draw in; it goes with its handle.
class Pane {
public:
    virtual ~Pane() = default;
    // The pane as the program takes it after "/p".
    virtual std::string handle() const = 0;
    // The window the preview put in the pane once it has settled at the
    // pane's size; nothing when none comes within `timeout`.
    virtual std::optional<PaneChild> child(std::chrono::milliseconds timeout) = 0;
    // Closes the pane (and with it, the preview must end).
    virtual bool close() = 0;
};

class ProgramUnderTest {
public:
    virtual ~ProgramUnderTest() = default;

    virtual const Traits& traits() const = 0;
    // Empty when the program and its rig can run here; else why not (the
    // scenario then skips).
    virtual std::string why_not() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;

    // The settings file the program reads and writes.
    virtual std::string settings_path() const = 0;
    virtual void write_settings(const Settings& settings) = 0;
    Settings settings() const;

    // A path of the test's as the program names it in its settings.
    virtual std::string path_for_program(const std::string& path) const { return path; }

    // Starts the program with these arguments (`locale` "" the rig's own).
    virtual Child start(const std::vector<std::string>& args, const std::string& locale = {}) = 0;
    // Starts `count` copies of the program together, held back until all
    // are ready and then let go at the same moment where the rig can.
    virtual std::vector<Child> start_together(int count, const std::vector<std::string>& args);

    // The whole screen as it shows now; empty when it cannot be read.
    virtual gfx::Surface screenshot() = 0;
    // Waits until a window of the program with this title shows.
    virtual bool wait_for_window(const std::string& title, std::chrono::milliseconds timeout) = 0;
    // Waits until no window of this title is left: a program that ended
    // loses its windows a moment later, and a start meanwhile would take
    // them for a running one.
    virtual bool wait_until_gone(const std::string& title, std::chrono::milliseconds timeout) = 0;
    // How many windows carry this title; nothing where the rig cannot tell.
    virtual std::optional<int> count_windows(const std::string& title) = 0;

    // The pointer to a point of the screen; a click of the left button
    // where it is; a key by its X keysym name ("Escape", "shift+Tab").
    virtual bool move_pointer(int x, int y) = 0;
    virtual bool click() = 0;
    virtual bool key(const std::string& name) = 0;
    // Whether the cursor shows; nothing where the rig cannot tell.
    virtual std::optional<bool> cursor_visible() { return std::nullopt; }

    // Puts `picture` on the screen as the desktop beneath the program's
    // windows; the desktop as it then shows, or nothing when the rig cannot.
    virtual std::optional<gfx::Surface> show_desktop(const gfx::Surface& picture) = 0;
    // Splits the screen into two monitors, primary first; "" when it is
    // done, else why it cannot be (the scenario skips). join_monitors()
    // makes one monitor of the screen again.
    virtual std::string split_monitors(gfx::Rect primary, gfx::Rect other) = 0;
    virtual void join_monitors() {}

    // A pane of this size; nothing where the program offers no preview.
    virtual std::unique_ptr<Pane> open_pane(int /*width*/, int /*height*/) { return nullptr; }

    // What the version card adds where the platform has it: "" when its
    // window is as it must be (asked while the card shows); a selection held
    // by another program before the card, and "" when it still holds it.
    virtual std::string card_window_check() { return {}; }
    virtual void hold_clipboard() {}
    virtual std::string clipboard_check() { return {}; }

    // ---- built on the calls above

    // Screenshots until `accept` takes one or the time is up.
    bool poll_screen(std::chrono::milliseconds timeout, const std::function<bool(const gfx::Surface&)>& accept);
    // Waits until the screen has shown `frames` new pictures: proof that
    // the program drawing there has gone round its loop, and so has handled
    // what was sent to it before.
    bool wait_for_frames(int frames = 2, std::chrono::milliseconds timeout = 20s);
    // Where the dialog stands: centred on the screen.
    gfx::Rect dialog_area() const;
};

// Makes the program under test for one scenario; each scenario gets its own.
using ProgramFactory = std::function<std::unique_ptr<ProgramUnderTest>()>;

struct ProgramParam {
    std::string name;
    ProgramFactory make;
};

// How GoogleTest names the parameter in its output.
inline void PrintTo(const ProgramParam& param, std::ostream* out)
{
    *out << param.name;
}

// Scenarios that a platform's own tests run too, with what they add.
// Starts `count` savers together and expects exactly one to show and go on
// drawing, every other start to end with 0.
void ExpectOneOfManyStartsAtOnceRuns(ProgramUnderTest& program, int count);

} // namespace testrig
