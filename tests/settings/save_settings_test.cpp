#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The key prefixes as code page 932 bytes, spelled out so that the expected
// files do not depend on the converter under test.
const std::string kColorKey = "\x8B\x85\x90\x46\x5F";          // 球色_
const std::string kActionKey = "\xB1\xB8\xBC\xAE\xDD\x5F";     // ｱｸｼｮﾝ_
const std::string kOrderKey = "\x8F\x88\x97\x9D\xCA\xDF\xC0\xB0\xDD"; // 処理ﾊﾟﾀｰﾝ
const std::string kBackColorKey = "\x94\x77\x8C\x69\x90\x46";  // 背景色
const std::string kSpeedKey = "\x91\xAC\x82\xB3";              // 速さ
const std::string kBackModeKey = "\x94\x77\x8C\x69\xCA\xDF\xC0\xB0\xDD"; // 背景ﾊﾟﾀｰﾝ
const std::string kArrangementKey = "\x94\x77\x8C\x69\x94\x7A\x97\xF1\xCA\xDF\xC0\xB0\xDD"; // 背景配列ﾊﾟﾀｰﾝ
const std::string kPictureKey = "\x94\x77\x8C\x69\x89\xE6\x91\x9C\xCC\xA7\xB2\xD9"; // 背景画像ﾌｧｲﾙ
const std::string kPcSpecKey = "\x50\x43\xBD\xCD\xDF\xAF\xB8"; // PCｽﾍﾟｯｸ

std::string TwoDigits(int n) { return std::string(1, char('0' + n / 10)) + char('0' + n % 10); }

// The 38 key lines a save writes, with the given value texts.
std::string KeyLines(const std::string (&colors)[12], const std::string (&actions)[21], const std::string& order,
                     const std::string& back_color, const std::string& speed, const std::string& mode,
                     const std::string& arrangement, const std::string& picture, const std::string& pc_spec)
{
    std::string lines;
    for (int n = 1; n <= 11; ++n)
        lines += kColorKey + TwoDigits(n) + "=" + colors[n] + "\r\n";
    for (int n = 1; n <= 20; ++n)
        lines += kActionKey + TwoDigits(n) + "=" + actions[n] + "\r\n";
    return lines + kOrderKey + "=" + order + "\r\n" + kBackColorKey + "=" + back_color + "\r\n" + kSpeedKey + "="
           + speed + "\r\n" + kBackModeKey + "=" + mode + "\r\n" + kArrangementKey + "=" + arrangement + "\r\n"
           + kPictureKey + "=" + picture + "\r\n" + kPcSpecKey + "=" + pc_spec + "\r\n";
}

const std::string kDefaultColorTexts[12] = {"",           "000-000-088", "000-048-000", "076-000-000",
                                            "082-026-000", "080-000-070", "000-048-062", "068-042-004",
                                            "070-048-048", "080-030-030", "072-032-056", "000-000-088"};

std::string DefaultKeyLines()
{
    std::string actions[21];
    for (auto& a : actions)
        a = "1";
    return KeyLines(kDefaultColorTexts, actions, "2", " 0", "15", "2", "1", "", "50");
}

Settings SampleSettings()
{
    TempFolder none;
    Settings s = Loaded(none.file("missing.ini"));
    s.g_BallRed[3] = 255;
    s.g_BallGreen[3] = 128;
    s.g_BallBlue[3] = 0;
    s.g_BallBlue[11] = 127;
    s.g_ActionEnabled[5] = 0;
    s.g_ActionEnabled[20] = -3;
    s.g_OrderMode = 1;
    s.g_BackgroundColor = 0x00408020;
    s.g_Speed = 30;
    s.g_BackgroundMode = 3;
    s.g_BackgroundArrangement = 2;
    s.g_BackgroundPicturePath = "  C:\\写真\\ｶﾒﾗ 1.jpg ";
    s.g_PcSpec = 0;
    return s;
}

TEST(SaveSettings, WritesEveryKeyInOrderByteForByte)
{
    TempFolder folder;
    std::string path = folder.file("new folder/Orvelune.ini");
    SaveResult result = save_settings_file(path, SampleSettings());
    ASSERT_TRUE(result.ok) << result.error;

    std::string colors[12];
    std::copy(std::begin(kDefaultColorTexts), std::end(kDefaultColorTexts), colors);
    colors[3] = "255-128-000";
    colors[11] = "000-000-127";
    std::string actions[21];
    for (auto& a : actions)
        a = " 1";
    actions[5] = " 0";
    actions[20] = "-3";
    std::string expected = "[Section]\r\n"
                           + KeyLines(colors, actions, " 1", " 4227104", " 30", " 3", " 2",
                                      "C:\\\x8E\xCA\x90\x5E\\\xB6\xD2\xD7 1.jpg", " 0");
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp")) << "the file written beside was renamed";
}

TEST(SaveSettings, LoadGivesBackWhatWasSaved)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    Settings saved = SampleSettings();
    saved.g_BackgroundColor = -2147483647 - 1;
    saved.g_PcSpec = -32768;
    saved.g_Speed = 32767;
    ASSERT_TRUE(save_settings_file(path, saved).ok);
    Settings loaded = Loaded(path);
    EXPECT_EQ(loaded.g_BallRed, saved.g_BallRed);
    EXPECT_EQ(loaded.g_BallGreen, saved.g_BallGreen);
    EXPECT_EQ(loaded.g_BallBlue, saved.g_BallBlue);
    EXPECT_EQ(loaded.g_ActionEnabled, saved.g_ActionEnabled);
    EXPECT_EQ(loaded.g_OrderMode, saved.g_OrderMode);
    EXPECT_EQ(loaded.g_BackgroundColor, saved.g_BackgroundColor);
    EXPECT_EQ(loaded.g_Speed, saved.g_Speed);
    EXPECT_EQ(loaded.g_SpeedFactor, speed_factor_for(saved.g_Speed));
    EXPECT_EQ(loaded.g_BackgroundMode, saved.g_BackgroundMode);
    EXPECT_EQ(loaded.g_BackgroundArrangement, saved.g_BackgroundArrangement);
    EXPECT_EQ(loaded.g_BackgroundPicturePath, "C:\\写真\\ｶﾒﾗ 1.jpg") << "saved without its outer blanks";
    EXPECT_EQ(loaded.g_PcSpec, saved.g_PcSpec);
}

TEST(RestoreDefaults, WritesItsTableOverAnyOtherValues)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    EXPECT_EQ(ReadBytes(path), "[Section]\r\n" + DefaultKeyLines());

    ASSERT_TRUE(save_settings_file(path, SampleSettings()).ok);
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    EXPECT_EQ(ReadBytes(path), "[Section]\r\n" + DefaultKeyLines()) << "every one of the 38 keys is rewritten in place";
    Settings loaded = Loaded(path);
    EXPECT_EQ(loaded.g_BallRed[3], 76);
    EXPECT_EQ(loaded.g_ActionEnabled[5], 1);
    EXPECT_EQ(loaded.g_BackgroundPicturePath, "");
    EXPECT_EQ(loaded.g_PcSpec, 50);
}

// A file someone edited by hand: comments, another section before and after,
// a lower-case section name, blanks around keys and values, a key in another
// case ("pcｽﾍﾟｯｸ"), LF line ends in part, and only some of the keys.
TEST(SaveSettings, AHandEditedFileReadsRightAndKeepsEverythingElse)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    const std::string before = "; Orvelune settings, edited by hand\r\n"
                               "[Notes]\r\n"
                               "owner = me\n"
                               "\r\n"
                               "  [ section ]   ; ours\r\n"
                               "   " + kSpeedKey + "   =   20   \r\n"
                               "; " + kOrderKey + "=1 is in sequence\r\n"
                               "\t" + "pc\xBD\xCD\xDF\xAF\xB8" + "\t= 7\r\n"
                               + kActionKey + "05 = abc\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               + kSpeedKey + "=99\r\n"
                               "last line without an end";
    WriteBytes(path, before);

    Settings loaded = Loaded(path);
    EXPECT_EQ(loaded.g_Speed, 20);
    EXPECT_EQ(loaded.g_OrderMode, 2) << "a comment is no key";
    EXPECT_EQ(loaded.g_PcSpec, 7);
    EXPECT_EQ(loaded.g_ActionEnabled[5], 0) << "abc is not a number";
    EXPECT_EQ(loaded.g_ActionEnabled[6], 1);
    EXPECT_EQ(loaded.g_BallRed[1], 0);
    EXPECT_EQ(loaded.g_BallBlue[1], 88);

    loaded.g_Speed = 25;
    loaded.g_PcSpec = 0;
    ASSERT_TRUE(save_settings_file(path, loaded).ok);

    std::string actions[21];
    for (auto& a : actions)
        a = " 1";
    actions[5] = " 0";
    std::string new_lines;
    {
        std::string all = KeyLines(kDefaultColorTexts, actions, " 2", " 0", " 25", " 2", " 1", "", " 0");
        // The keys that were already there keep their lines; the others
        // follow the last key of the section, in the order of the table.
        for (std::size_t start = 0; start < all.size();) {
            std::size_t end = all.find("\r\n", start) + 2;
            std::string line = all.substr(start, end - start);
            if (line.rfind(kSpeedKey + "=", 0) != 0 && line.rfind(kPcSpecKey + "=", 0) != 0
                && line.rfind(kActionKey + "05=", 0) != 0)
                new_lines += line;
            start = end;
        }
    }
    const std::string after = "; Orvelune settings, edited by hand\r\n"
                              "[Notes]\r\n"
                              "owner = me\n"
                              "\r\n"
                              "  [ section ]   ; ours\r\n"
                              "   " + kSpeedKey + "   = 25\r\n"
                              "; " + kOrderKey + "=1 is in sequence\r\n"
                              "\t" + "pc\xBD\xCD\xDF\xAF\xB8" + "\t= 0\r\n"
                              + kActionKey + "05 = 0\r\n"
                              + new_lines +
                              "\r\n"
                              "[Other]\r\n"
                              + kSpeedKey + "=99\r\n"
                              "last line without an end";
    EXPECT_EQ(ReadBytes(path), after);
    EXPECT_EQ(Loaded(path).g_Speed, 25);
}

TEST(SaveSettings, RefusesAPathTheFileCannotCarryAndChangesNothing)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    const std::string before = ReadBytes(path);

    for (std::string picture : std::initializer_list<std::string>{"/home/me/\xF0\x9F\x8C\x8A.png", "/home/me/한국.png", "/home/me/〜.png",
                                "/home/me/bad\xFFutf8.png", "/home/me/a\nb.png",
                                std::string("/home/me/a\0b.png", 16)}) {
        Settings s = Loaded(path);
        s.g_BackgroundPicturePath = picture;
        SaveResult result = save_settings_file(path, s);
        EXPECT_FALSE(result.ok) << picture;
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(ReadBytes(path), before) << "the file is left as it was";
    }
}

TEST(SaveSettings, FailsSoundlyWhereNoFileCanBeWritten)
{
    TempFolder folder;
    std::string blocker = folder.file("plain file");
    WriteBytes(blocker, "x");
    SaveResult below_a_file = save_settings_file(blocker + "/Orvelune.ini", SampleSettings());
    EXPECT_FALSE(below_a_file.ok);
    EXPECT_FALSE(below_a_file.error.empty());

    SaveResult folder_in_the_way = restore_default_settings_file(folder.path().string());
    EXPECT_FALSE(folder_in_the_way.ok);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
}

} // namespace
