#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Files no one should write but someone will: none of them may crash the
// loader, and each gives the values the reading rules promise.

std::string Section() { return "[Section]\r\n"; }

TEST(HostileSettingsFile, InvalidCodePageBytesReadAsTextThatIsNoNumber)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    WriteBytes(path, Section() + "\x83=\x83\r\n" + Sjis("速さ") + "=\x85\x40\r\n" + Sjis("PCｽﾍﾟｯｸ") + "=20\x83\r\n"
                         + Sjis("背景ﾊﾟﾀｰﾝ") + "=\xFF\xFE\r\n" + Sjis("背景画像ﾌｧｲﾙ") + "=C:\\\x81\r\n"
                         + Sjis("処理ﾊﾟﾀｰﾝ") + "=1\r\n");
    Settings s = Loaded(path);
    EXPECT_EQ(s.g_Speed, 0) << "present but not a number";
    EXPECT_EQ(s.g_SpeedFactor, speed_factor_for(0));
    EXPECT_EQ(s.g_PcSpec, 0);
    EXPECT_EQ(s.g_BackgroundMode, 0);
    EXPECT_EQ(s.g_BackgroundPicturePath, "C:\\\xEF\xBF\xBD") << "a lone lead byte reads as U+FFFD";
    EXPECT_EQ(s.g_OrderMode, 1) << "keys after the broken ones still read";
}

TEST(HostileSettingsFile, NulBytesEndAValueAndSpoilANameWithoutEndingTheFile)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    WriteBytes(path, Section() + Sjis("速さ") + std::string("=2\0" "5\r\n", 5) + std::string("\0\0\0\r\n", 5)
                         + Sjis("PCｽﾍﾟｯｸ") + std::string("\0=9\r\n", 5) + Sjis("背景配列ﾊﾟﾀｰﾝ") + "=2\r\n"
                         + std::string("[Sec\0tion]\r\n", 12) + Sjis("処理ﾊﾟﾀｰﾝ") + "=1\r\n");
    Settings s = Loaded(path);
    EXPECT_EQ(s.g_Speed, 2);
    EXPECT_EQ(s.g_PcSpec, 50) << "a key name with a NUL in it is another key";
    EXPECT_EQ(s.g_BackgroundArrangement, 2);
    EXPECT_EQ(s.g_OrderMode, 2) << "the key after [Sec\\0tion] is in another section";
}

TEST(HostileSettingsFile, AMegabyteLineIsReadAndCut)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    const std::string megabyte(1 << 20, '9');
    WriteBytes(path, "; " + megabyte + "\r\n" + Section() + Sjis("速さ") + "=" + megabyte + "\r\n"
                         + Sjis("背景画像ﾌｧｲﾙ") + "=" + std::string(1 << 20, 'p') + "\r\n" + Sjis("PCｽﾍﾟｯｸ") + "=20");
    Settings s = Loaded(path);
    EXPECT_EQ(s.g_Speed, 0) << "255 nines do not fit 16 bits";
    EXPECT_EQ(s.g_BackgroundPicturePath, std::string(255, 'p'));
    EXPECT_EQ(s.g_PcSpec, 20) << "a last line without a line end";

    Settings saved = s;
    saved.g_Speed = 12;
    ASSERT_TRUE(save_settings_file(path, saved).ok);
    std::string after = ReadBytes(path);
    EXPECT_EQ(after.substr(0, megabyte.size() + 4), "; " + megabyte + "\r\n") << "the long comment is kept";
    EXPECT_EQ(Loaded(path).g_Speed, 12);
}

TEST(HostileSettingsFile, EmptyAndOddlyEndedFilesRead)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    WriteBytes(path, "");
    EXPECT_EQ(Loaded(path).g_PcSpec, 50);

    WriteBytes(path, "\r\r\r[Section]\r" + Sjis("速さ") + "=12\r" + Sjis("PCｽﾍﾟｯｸ") + "=3");
    Settings cr_only = Loaded(path);
    EXPECT_EQ(cr_only.g_Speed, 12) << "lone CR line ends";
    EXPECT_EQ(cr_only.g_PcSpec, 3);

    WriteBytes(path, "[Section]");
    EXPECT_EQ(Loaded(path).g_Speed, 15);
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    const std::string first_lines = "[Section]\r\n" + Sjis("球色_01") + "=000-000-088\r\n";
    EXPECT_EQ(ReadBytes(path).substr(0, first_lines.size()), first_lines) << "the header gets its line end";
}

TEST(HostileSettingsFile, UnreadableFilesGiveDefaultsAndAreNotOverwritten)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    std::filesystem::create_directory(path);
    EXPECT_EQ(Loaded(path).g_Speed, 15) << "a folder where the file should be";
    EXPECT_FALSE(save_settings_file(path, Loaded(path)).ok);
}

// Random bytes, salted with the characters the reader cares about: the
// loader must survive every one, and a save over any of them must give back
// exactly what was saved.
TEST(HostileSettingsFile, RandomBytesNeverCrashAndSaveOverThemCleanly)
{
    std::mt19937 random(20240611);
    const std::string salt[] = {"[", "]", "=", "\r", "\n", "\r\n", " ", "\t", ";", "\"", std::string(1, '\0'),
                                "\x83", "\x83\x5D", "[Section]", Sjis("速さ"), Sjis("球色_01"), "4", "-"};
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        int pieces = int(random() % 200);
        for (int p = 0; p < pieces; ++p) {
            if (random() % 2)
                bytes += salt[random() % std::size(salt)];
            else
                bytes += char(random() % 256);
        }
        WriteBytes(path, bytes);
        Settings s = Loaded(path);
        s.g_Speed = std::int16_t(round);
        s.g_BackgroundPicturePath.clear();
        s.g_BackgroundMode = 2;
        ASSERT_TRUE(save_settings_file(path, s).ok) << "round " << round;
        Settings back = Loaded(path);
        // A random file can hold a "[Section]" header earlier than the one
        // the save wrote into, but never two first sections: what was saved
        // is what is read.
        EXPECT_EQ(back.g_Speed, round) << "round " << round;
        EXPECT_EQ(back.g_BallRed, s.g_BallRed) << "round " << round;
        EXPECT_EQ(back.g_ActionEnabled, s.g_ActionEnabled) << "round " << round;
    }
}

} // namespace
