#pragma once

#include "engine/stage.h"
#include "settings/settings.h"

// The shaded ball sprites (sprites.cpp).

// The highlight styles 1 to 5: upper left, centre, lower right, bottom, upper right.
inline constexpr int kFirstHighlightStyle = 1;
inline constexpr int kLastHighlightStyle = 5;

// Paints `sprite`, at the size it has, as a stack of discs from (red, green,
// blue) lightening by `step` per disc, their centres drifting towards the
// highlight of `style`. A style outside 1..5 leaves the sprite as it is.
void DrawHalftoneBall(gfx::Surface& sprite, int style, int step, int red, int green, int blue);

// Balls 1 to 11 of `stage` in the colours of `settings`, in highlight `style`.
void paint_ball_sprites(Stage& stage, const Settings& settings, int style);
