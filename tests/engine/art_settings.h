#pragma once

// The settings the tests of the sprites, the background composer and the
// opening figure start from: every ball in one colour, on a background
// colour of their own.

#include "support/saver_rig.h"

#include <cstdint>

namespace art_testing {

constexpr gfx::ColorRef kBackground = gfx::colorref(10, 20, 30);

// Every ball in the first ball's default colour, speed 15, no pause.
inline Settings plain_settings(int background_mode)
{
    Settings s = test_support::default_settings();
    test_support::set_ball_colours(s, 0, 0, 88);
    s.g_ActionEnabled.fill(1);
    s.g_BackgroundColor = kBackground;
    s.g_BackgroundMode = std::int16_t(background_mode);
    return s;
}

} // namespace art_testing
