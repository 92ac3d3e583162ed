#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int red, green, blue;
};

// The default colour table, as numbers.
constexpr Rgb kDefaultColors[12] = {{0, 0, 0},   {0, 0, 88},  {0, 48, 0},  {76, 0, 0},  {82, 26, 0},   {80, 0, 70},
                                    {0, 48, 62}, {68, 42, 4}, {70, 48, 48}, {80, 30, 30}, {72, 32, 56}, {0, 0, 88}};

void ExpectColor(const Settings& s, int slot, Rgb expected)
{
    auto i = std::size_t(slot);
    EXPECT_EQ(s.g_BallRed[i], expected.red) << "slot " << slot << " red: expected " << expected.red << " got " << s.g_BallRed[i];
    EXPECT_EQ(s.g_BallGreen[i], expected.green) << "slot " << slot << " green: expected " << expected.green << " got " << s.g_BallGreen[i];
    EXPECT_EQ(s.g_BallBlue[i], expected.blue) << "slot " << slot << " blue: expected " << expected.blue << " got " << s.g_BallBlue[i];
}

void ExpectAllDefaults(const Settings& s)
{
    for (int slot = 1; slot <= 11; ++slot) {
        ExpectColor(s, slot, kDefaultColors[slot]);
        EXPECT_EQ(s.g_DefaultColorText[std::size_t(slot)], DefaultColorText(slot));
    }
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(s.g_ActionEnabled[std::size_t(n)], 1) << "action " << n;
    EXPECT_EQ(s.g_OrderMode, 2);
    EXPECT_EQ(s.g_BackgroundColor, 0);
    EXPECT_EQ(s.g_Speed, 15);
    EXPECT_EQ(s.g_SpeedFactor, 1.0);
    EXPECT_EQ(s.g_BackgroundMode, 2);
    EXPECT_EQ(s.g_BackgroundArrangement, 1);
    EXPECT_EQ(s.g_BackgroundPicturePath, "");
    EXPECT_EQ(s.g_PcSpec, 50);
}

TEST(LoadSettings, NoFileGivesEveryDefault)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    Settings s = Loaded(path);
    EXPECT_EQ(s.g_IniPath, path);
    ExpectAllDefaults(s);
}

} // namespace
