#pragma once

#include "render_options.h"

#include <string>

// orvelune-render --version-card: the settings dialog opens on a screen of
// the given size (over the desktop picture, or black), its version button is
// pressed and released, and every frame the card's window puts on the screen
// is written to DIR/frame-NNNNNN.png, from the snapshot it opens with to the
// last exact copy before it closes. The turns follow --seed. Exit status as
// for the saver's runs.
int render_version_card(const RenderOptions& options);
