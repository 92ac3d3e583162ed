#pragma once

#include "render_options.h"

#include <string>

// --contact-sheet: one tile per enabled action, each the screen where the
// action's figure has spread furthest from the ring it began on (the last
// such frame, trails drawn; figure_spread.h), with faint ghosts of where
// its balls were a few frames before; scaled by --scale, labelled with the action's
// caption, on a grid, into one PNG. Every action plays alone from the same
// seed, so the sheet is the same for a seed. Returns the exit status.
int render_contact_sheet(const RenderOptions& options);
