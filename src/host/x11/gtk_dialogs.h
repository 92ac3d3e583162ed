// The system's dialogs of the Linux desktop hosts (X11 and Wayland), built
// with GTK 3: a message box, a colour chooser and a picture-file chooser.
// The host starts GTK before it calls them, and lends its own modal loop:
// `run_modal` shows a dialog over the host's windows and runs it to its
// answer while the host's own connection is served, and `close` ends it.
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
    std::function<int(_GtkWidget* dialog)> run_modal; // the dialog's response
    std::function<void(_GtkWidget* dialog)> close;
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
