#pragma once

#include "render_options.h"

#include <string>

// orvelune-render --dialog: the settings dialog as it opens on a screen of
// the given size, over the desktop picture (or black), with its text set by
// Pango as on the Linux desktop, written to DIR/dialog.png. Exit status as
// for the saver's runs.
int render_dialog(const RenderOptions& options);
