#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <map>

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
        EXPECT_EQ(s.g_DefaultColorText[std::size_t(slot)], default_color_text(slot));
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

// A whole settings file in code page 932: every key with its default text,
// except those given; a key given as "<none>" is left out.
std::string FileWith(const std::map<std::string, std::string>& values, std::string_view section = "Section")
{
    std::string text = "[" + std::string(section) + "]\r\n";
    for (const SettingKey& k : kSettingKeys) {
        auto given = values.find(std::string(k.key));
        if (given == values.end())
            text += std::string(k.key) + "=" + std::string(k.default_text) + "\r\n";
        else if (given->second != "<none>")
            text += std::string(k.key) + "=" + given->second + "\r\n";
    }
    return Sjis(text);
}

Settings LoadedFrom(const TempFolder& folder, std::string_view bytes)
{
    std::string path = folder.file("Orvelune.ini");
    WriteBytes(path, bytes);
    return Loaded(path);
}

TEST(LoadSettings, NoFileGivesEveryDefault)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    Settings s = Loaded(path);
    EXPECT_EQ(s.g_IniPath, path);
    ExpectAllDefaults(s);
}

TEST(LoadSettings, AFileOfDefaultsAndAnEmptySectionBothGiveTheDefaults)
{
    TempFolder folder;
    ExpectAllDefaults(LoadedFrom(folder, FileWith({})));
    ExpectAllDefaults(LoadedFrom(folder, "[Section]\r\n"));
    ExpectAllDefaults(LoadedFrom(folder, ""));
}

TEST(LoadSettings, ColoursComeFromTheFileOnlyWhenAllElevenAreThere)
{
    TempFolder folder;
    std::map<std::string, std::string> colors;
    for (int slot = 1; slot <= 11; ++slot) {
        char key[16];
        std::snprintf(key, sizeof key, "球色_%02d", slot);
        colors[key] = "010-020-0" + std::to_string(10 + slot);
    }
    Settings all = LoadedFrom(folder, FileWith(colors));
    for (int slot = 1; slot <= 11; ++slot)
        ExpectColor(all, slot, {10, 20, 10 + slot});

    colors["球色_07"] = "<none>";
    Settings one_missing = LoadedFrom(folder, FileWith(colors));
    for (int slot = 1; slot <= 11; ++slot)
        ExpectColor(one_missing, slot, kDefaultColors[slot]);

    colors["球色_07"] = "   ";
    Settings one_blank = LoadedFrom(folder, FileWith(colors));
    ExpectColor(one_blank, 1, kDefaultColors[1]);
}

TEST(LoadSettings, ColourFieldsAreReadByPositionAndSeparatorsIgnored)
{
    TempFolder folder;
    Settings dashes = LoadedFrom(folder, FileWith({{"球色_03", "255-128-000"}}));
    ExpectColor(dashes, 3, {255, 128, 0});
    Settings other = LoadedFrom(folder, FileWith({{"球色_03", "255x128x000"}}));
    ExpectColor(other, 3, {255, 128, 0});
    // Fields that are not numbers keep the value from before the load: 0.
    Settings junk = LoadedFrom(folder, FileWith({{"球色_03", "abc-12"}}));
    ExpectColor(junk, 3, {0, 12, 0});
    // Positions count characters, not bytes (of the file's or of UTF-8).
    Settings wide = LoadedFrom(folder, FileWith({{"球色_03", "色12-034-056"}}));
    ExpectColor(wide, 3, {0, 34, 56});
}

TEST(LoadSettings, SpeedGivesItsFactor)
{
    TempFolder folder;
    struct Case {
        const char* text;
        int speed;
        double factor;
    } cases[] = {{"30", 30, 0.25}, {"5", 5, 3}, {" 15", 15, 1}, {"16", 16, 0.95}, {"20", 20, 0.75}, {"10", 10, 2}};
    for (const Case& c : cases) {
        Settings s = LoadedFrom(folder, FileWith({{"速さ", c.text}}));
        EXPECT_EQ(s.g_Speed, c.speed) << c.text;
        EXPECT_DOUBLE_EQ(s.g_SpeedFactor, c.factor) << "speed " << c.text << ": expected " << c.factor << " got " << s.g_SpeedFactor;
    }
}

TEST(LoadSettings, NumbersAreRoundedDownAndBadOnesKeepThePreviousValue)
{
    TempFolder folder;
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"0", 0},     {" 1 ", 1},      {"-3", -3},       {"+7", 7},          {"15.7", 15},      {"-3.5", -4},
        {"1e2", 100}, {"32767", 32767}, {"-32768", -32768}, {"32768", 0},       {"-32768.5", 0},   {"abc", 0},
        {"12abc", 0}, {"0x10", 0},      {"&H10", 0},      {"1,000", 0},       {"-", 0},          {".", 0},
        {"nan", 0},   {"inf", 0},       {"1e999", 0},     {".5", 0},          {"2.", 2},         {"\"3\"", 3},
    };
    for (const Case& c : cases) {
        Settings s = LoadedFrom(folder, FileWith({{"ｱｸｼｮﾝ_05", c.text}}));
        EXPECT_EQ(s.g_ActionEnabled[5], c.expected) << "\"" << c.text << "\": expected " << c.expected << " got " << s.g_ActionEnabled[5];
        EXPECT_EQ(s.g_ActionEnabled[4], 1);
    }

    // A field that already holds a value keeps it.
    Settings kept;
    kept.g_PcSpec = 17;
    WriteBytes(folder.file("Orvelune.ini"), FileWith({{"PCｽﾍﾟｯｸ", "fast"}}));
    LoadSettings(kept, folder.file("Orvelune.ini"));
    EXPECT_EQ(kept.g_PcSpec, 17);
}

TEST(LoadSettings, BackgroundColourRoundsHalvesToEvenOver32Bits)
{
    TempFolder folder;
    struct Case {
        const char* text;
        std::int32_t expected;
    } cases[] = {{" 16777215", 16777215}, {"12.5", 12}, {"13.5", 14}, {"-2.5", -2}, {"2147483647", 2147483647},
                 {"-2147483648", -2147483647 - 1}, {"2147483648", 0}, {"blue", 0}};
    for (const Case& c : cases) {
        Settings s = LoadedFrom(folder, FileWith({{"背景色", c.text}}));
        EXPECT_EQ(s.g_BackgroundColor, c.expected) << "\"" << c.text << "\": expected " << c.expected << " got " << s.g_BackgroundColor;
    }
}

// The loader never opens the picture: a path on a mount that stopped
// answering would hold it for good. Whether a file is there is for the
// saver's decoder to find (the engine's background tests cover what it shows).
TEST(LoadSettings, PicturePathIsKeptAsWrittenWithoutOpeningIt)
{
    TempFolder folder;
    std::string picture = folder.file("写真.jpg");
    WriteBytes(picture, "not really a picture, but a file");
    for (std::string path : {picture, picture + "\\", folder.file("missing.jpg"), std::string(),
                             folder.path().string() + "/"}) {
        Settings s = LoadedFrom(folder, FileWith({{"背景ﾊﾟﾀｰﾝ", "4"}, {"背景画像ﾌｧｲﾙ", path}}));
        EXPECT_EQ(s.g_BackgroundMode, 4) << "\"" << path << "\"";
        EXPECT_EQ(s.g_BackgroundPicturePath, path) << "\"" << path << "\"";
    }
}

TEST(FileExists, NeedsAFileThatOpens)
{
    TempFolder folder;
    std::string file = folder.file("a.bmp");
    WriteBytes(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(file + "\\"));
    EXPECT_TRUE(FileExists(file + "/"));
    EXPECT_FALSE(FileExists(file + "//"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("\\"));
    EXPECT_FALSE(FileExists(folder.path().string()));
    EXPECT_FALSE(FileExists(folder.file("b.bmp")));
}

TEST(DefaultSettingsPath, FollowsTheConfigurationFolderRules)
{
#ifndef _WIN32
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    std::string xdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    bool had_xdg = std::getenv("XDG_CONFIG_HOME") != nullptr;
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(default_ini_path("/opt/orvelune"), "/cfg/orvelune/Orvelune.ini");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(default_ini_path("/opt/orvelune"), "/home/someone/.config/orvelune/Orvelune.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(default_ini_path("/opt/orvelune"), "/home/someone/.config/orvelune/Orvelune.ini");
    setenv("HOME", home.c_str(), 1);
    if (had_xdg)
        setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
#else
    EXPECT_EQ(default_ini_path("C:\\Saver"), "C:\\Saver\\Orvelune.ini");
#endif
}

} // namespace
