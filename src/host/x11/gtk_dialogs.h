// The system's dialogs of the Linux desktop hosts (X11 and Wayland), built
// with GTK 3: a message box, a colour chooser and a picture-file chooser.
// The host starts GTK before it calls them. Each dialog runs modally in
// GTK's own loop, over the host's windows, to its answer; meanwhile the
// host's connection is still served and its end signals still end the
// process, through what the host lends in a GtkDialogLoop.
#pragma once

#include "gfx/color.h"
#include "host/host.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct _GtkWidget;

namespace host::x11 {

struct GtkDialogLoop {
    // Done every 50 ms while a dialog runs: the X11 host repaints its
    // windows from their frames, the Wayland host serves its connection.
    std::function<void()> serve;
    // Ends the process, where the host ends on the end signals (SIGTERM,
    // SIGINT, SIGHUP): the signal handlers' pipe wakes GTK's loop, and the
    // process ends as it would in the host's. Null: the signals wait.
    std::function<void()> end;
    // Done to the dialog before it runs (may be null): the X11 host makes
    // it a transient of its owner.
    std::function<void(_GtkWidget* dialog)> before_run;
    // Done once the dialog has gone: the X11 host repaints what it
    // uncovered, the Wayland host drops the input that came meanwhile.
    std::function<void()> after_close;
};

// A long path, which has no blanks to break at, is broken (or loses its
// middle) so that the box stays within the screen.
void gtk_message_box(const GtkDialogLoop& loop, std::string_view text_utf8, std::string_view title_utf8,
                     MessageStyle style);

// The colour chosen, or nothing when the chooser was cancelled.
std::optional<gfx::ColorRef> gtk_choose_color(const GtkDialogLoop& loop, gfx::ColorRef initial);

// The file chosen, or nothing when the chooser was cancelled.
std::optional<std::string> gtk_choose_picture_file(const GtkDialogLoop& loop, const PictureFileRequest& request);

} // namespace host::x11
