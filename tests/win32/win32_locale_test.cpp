// The same saver under a Japanese system (code page 932) and an English one
// (code page 1252): the settings file, which stays in code page 932, reads
// the same from a folder with a Japanese name, and the window's title, which
// goes through the wide-character calls, is the same text. (The settings
// dialog's Japanese title and the file it writes are checked under both in
// the dialog's tests.)
#include "wine_rig.h"

#include "gfx/color.h"
#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>


namespace winetest {
namespace {

constexpr const char* kSaverTitle = "Orvelune(Main)";

TEST(LocalesUnderWine, SettingsAndTitlesAreTheSameUnderCodePages932And1252)
{
    WineSuite& wine = WineSuite::get();
    if (!wine.ready())
        return wine.fail_or_skip();
    x11test::XvfbRig& screen = wine.screen();

    for (const auto& [locale, code_page] : {std::pair{"ja_JP.UTF-8", "932"}, std::pair{"en_US.UTF-8", "1252"}}) {
        SCOPED_TRACE(locale);
        ASSERT_EQ(wine.probe({"acp"}, locale), code_page) << "expected Wine to take the locale's code page";

        // A background colour and pause from the file: its keys are Japanese,
        // its folder's name too.
        SaverFolder folder("スクリーンセーバー");
        Settings settings = x11test::SlowSettings(250);
        settings.g_BackgroundColor = gfx::colorref(0, 96, 160);
        folder.write_settings(settings);
        const std::string file_before = testrig::ReadFile(folder.ini());

        {
            WineProcess saver = wine.start(folder.scr(), {"/s"}, locale);
            ASSERT_TRUE(screen.wait_for_window(kSaverTitle, 30s));
            EXPECT_TRUE(screen.poll_grab(screen.root(), 4, 4, 10s, [](const gfx::Surface& shot) {
                return shot.at(0, 0) == gfx::rgb(0, 96, 160);
            })) << "expected the background colour of the settings file beside the program";
            EXPECT_EQ(wine.probe({"find", hex(kSaverTitle)}, locale), "found " + hex(kSaverTitle));
        }
        EXPECT_EQ(testrig::ReadFile(folder.ini()), file_before) << "expected the saver to leave its file as it was";
        ASSERT_TRUE(wine.wait_until_gone(kSaverTitle));
    }
}

} // namespace
} // namespace winetest
