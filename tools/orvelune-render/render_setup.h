#pragma once

#include "render_options.h"

#include "host/headless/headless_host.h"
#include "settings/settings.h"

#include <optional>
#include <string>

// What every kind of run (the saver, the dialog, the version card) checks and
// prepares before it starts: the settings file, the headless host's screen,
// pictures, text and desktop, and the folder for PNG frames.
namespace render_setup {

// Exit statuses of the tool.
constexpr int kBadCommandLine = 2;

// Says "orvelune-render: <message>" on standard error and gives `status` back.
int fail(int status, const std::string& message);

struct Prepared {
    std::string ini_path;
    host::HeadlessOptions host_options;
};

// The settings path (the one given, or the default beside the program) and
// the headless host's options for a screen of the run's size, pictures decoded
// within that screen's limit, the system's text, and the desktop picture when
// one is given. Nothing, after saying why through fail(), when the settings
// file or the desktop picture cannot be read, a file to be written is one of
// those read or written already (status 2), or the PNG folder cannot be made;
// `status` then holds the exit status.
std::optional<Prepared> prepare(const RenderOptions& options, int& status);

// The saver's time between frames: its pause, taken at the nearer bound of
// the setting's range as the saver and the version card take it.
int frame_ms(const Settings& settings);

} // namespace render_setup
