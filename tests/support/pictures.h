#pragma once

// Pictures for the tests that read real screens back: comparing them, their
// parts, counting a colour, and the pictures the program must show, made by
// the same engine and dialog code on the headless host.
#include "gfx/surface.h"
#include "settings/settings.h"

#include <string>

namespace testrig {

// "expected 0x.. got 0x.. at (x, y)" for the first difference, or "" when equal.
std::string FirstDifference(const gfx::Surface& expected, const gfx::Surface& got);

// The block `area` of `picture` (what lies outside the picture is black).
gfx::Surface PartOf(const gfx::Surface& picture, gfx::Rect area);

// How many pixels of `area` (clipped to the picture) are exactly `colour`.
int CountPixels(const gfx::Surface& picture, gfx::Rect area, gfx::Pixel colour);

std::string Hex(unsigned long value);

// A picture of this size whose every pixel tells where it stands, so that
// a part of it shows which part of the screen it came from.
gfx::Surface Gradient(int width, int height);

// The bytes of a 24-bit BMP file of one colour, bottom-up as the format
// stores it.
std::string SolidBmp(int width, int height, gfx::Pixel colour);

// The default settings with a longer pause after each frame, so that every
// frame stays on the screen long enough to be read back.
Settings SlowSettings(int pause_ms);

// The saver's starting ring as its first frames show it (the last frame of
// the opening) on a screen of this size over `desktop`.
gfx::Surface ExpectedRingFrame(const Settings& settings, int width, int height,
                               const gfx::Surface& desktop = {});

// The settings dialog's picture after it has loaded these settings, its
// text drawn with Pango as on the Linux desktops; at `scale` as drawn for
// an output of that scale.
gfx::Surface ExpectedDialog(const Settings& settings, int scale = 1);

} // namespace testrig
