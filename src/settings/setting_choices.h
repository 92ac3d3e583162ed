#pragma once

#include <cstdint>

struct Settings;

// The settings that choose one of a few ways, as types. The settings file
// and Settings keep the numbers the file has always stored (so files written
// by any version read alike); the table in setting_choices.cpp is the one
// place that turns a number into a choice and back.

// 背景ﾊﾟﾀｰﾝ: what the balls play over. 1 the ball grid, 2 the single colour,
// 3 the screen as it was at start, 4 a picture. Any other number (a garbled
// file) is `Other`: the background colour the frame got when it opened,
// never filled again.
enum class BackgroundPattern { BallGrid, SingleColour, ScreenAtStart, Picture, Other };

// 処理ﾊﾟﾀｰﾝ: 1 the kinds in sequence; any other number a fresh random order
// every cycle.
enum class OrderMode { InSequence, Random };

// 背景配列ﾊﾟﾀｰﾝ: 1 the picture centred; any other number tiled.
enum class Arrangement { Centred, Tiled };

BackgroundPattern background_pattern_of(std::int16_t number);
OrderMode order_mode_of(std::int16_t number);
Arrangement arrangement_of(std::int16_t number);

// The number the settings file stores for a choice (0 for BackgroundPattern::Other).
std::int16_t setting_number(BackgroundPattern pattern);
std::int16_t setting_number(OrderMode mode);
std::int16_t setting_number(Arrangement arrangement);

// The choices of a Settings value.
BackgroundPattern background_pattern(const Settings& settings);
OrderMode order_mode(const Settings& settings);
Arrangement arrangement(const Settings& settings);
