#pragma once

#include "render_options.h"

#include <string>

// --contact-sheet: one tile per enabled action, each the screen as the
// action's figure stands complete (its trails drawn), just before its
// closing figure begins; scaled by --scale, labelled with the action's
// caption, on a grid, into one PNG. Every action plays alone from the same
// seed, so the sheet is the same for a seed. Returns the exit status.
int render_contact_sheet(const RenderOptions& options);
