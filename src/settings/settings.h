#pragma once

#include <array>
#include <cstdint>
#include <string>

// The setting values, read once at start from the settings file and, while the
// settings dialog is open, edited by it. Engine, start-up and dialog code all
// read this one value; nothing else holds a copy of a setting.
//
// Field names keep the program's own names (the g_ prefix marks a setting
// that every part of the program shares), so one search finds every use.
struct Settings {
    std::string g_IniPath; // where the settings file lives (UTF-8 on Linux)

    // Slots 1 to 11 are used: 1..10 the small balls, 11 the centre ball.
    std::array<std::string, 12> g_DefaultColorText{};
    std::array<std::int16_t, 12> g_BallRed{};
    std::array<std::int16_t, 12> g_BallGreen{};
    std::array<std::int16_t, 12> g_BallBlue{};

    // Slots 1 to 20: 1 means the action of that kind takes part.
    std::array<std::int16_t, 21> g_ActionEnabled{};

    std::int16_t g_OrderMode = 0;         // 1 in sequence, anything else random
    std::int32_t g_BackgroundColor = 0;   // red in the low byte
    std::int16_t g_Speed = 0;             // frames of every glide; larger is slower
    double g_SpeedFactor = 0;             // scales the curve actions' steps; 1 at speed 15
    std::int16_t g_BackgroundMode = 0;    // 1 grid, 2 colour, 3 screen at start, 4 picture
    std::int16_t g_BackgroundArrangement = 0; // 1 centred, anything else tiled
    std::string g_BackgroundPicturePath;  // UTF-8
    std::int16_t g_PcSpec = 0;            // pause after each frame, milliseconds
};

// The speed factor for a speed value: 1 at 15, 0.05 less per step above,
// 0.2 more per step below (30 gives 0.25, 10 gives 2).
double speed_factor_for(std::int16_t speed);
