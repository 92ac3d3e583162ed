#pragma once

#include "dialog/ball_p.h"
#include "host/host.h"
#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The dialog on a headless host, fed a sequence of presses, moves, releases
// and keys, with its invariants checked after every event: the entry point
// of tests that script the dialog and of a fuzzer that scripts it at random.
namespace dialog {

struct ScriptEvent {
    enum class Kind { Press, Release, Move, Key };
    Kind kind = Kind::Move;
    int button = host::kLeftButton; // Press and Release
    int x = 0, y = 0;               // window pixels (where the window stands when the event comes)
    host::Key key = host::Key::Escape;
    int after_ms = 0;               // virtual time since the previous event
};

struct ScriptSetup {
    // The settings as loaded at start; g_IniPath is the file saves go to.
    Settings settings;
    // What the choosers answer (nothing: cancelled).
    std::optional<gfx::ColorRef> chosen_color;
    std::optional<std::string> chosen_picture_file;
    // Compare the window's picture with a whole repaint after every n-th
    // event (and always after the last); 0 only after the last.
    int picture_check_every = 1;
};

struct ScriptResult {
    // The first invariant that did not hold, saying after which event; empty
    // when all held.
    std::string broken;
    DialogOutcome outcome = DialogOutcome::Open;
    int events_run = 0;
};

// Runs the events; never throws for any sequence of events.
ScriptResult run_dialog_script(const ScriptSetup& setup, std::span<const ScriptEvent> events);

// Events from arbitrary bytes, six per event, for a fuzzer: kind, button
// and key, x (two bytes), y (two bytes) and a pause; positions reach a little past
// the window on every side, pauses up to 1.3 seconds.
std::vector<ScriptEvent> script_from_bytes(std::span<const std::uint8_t> bytes);

} // namespace dialog
