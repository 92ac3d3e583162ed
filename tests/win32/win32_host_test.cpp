// Services of the Windows host that the saver and the dialogs lean on:
// Japanese text in the dialog's font, the one monitor of a plain screen, and
// the screen captured before the saver's own window covers it; and what the
// program file says of itself.
#include "wine_rig.h"

#include "common/version.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace winetest {
namespace {

using HostUnderWine = WineTest;

TEST_F(HostUnderWine, JapaneseTextFindsAFaceWithItsGlyphsUnderEitherCodePage)
{
    // Two different characters drawn alike would be a face without them
    // (boxes); the height is a 9-point line at the screen's resolution.
    for (const char* locale : {"ja_JP.UTF-8", "en_US.UTF-8"}) {
        SCOPED_TRACE(locale);
        std::istringstream answer(WineSuite::get().probe({"text"}, locale));
        std::string height_word, inked_word, distinct_word;
        int height = 0, inked = 0, distinct = 0;
        answer >> height_word >> height >> inked_word >> inked >> distinct_word >> distinct;
        EXPECT_GE(height, 10);
        EXPECT_LE(height, 16);
        EXPECT_EQ(inked, 3) << "expected every character to leave ink";
        EXPECT_EQ(distinct, 1) << "expected the two Japanese characters drawn as themselves";
    }
}

TEST_F(HostUnderWine, APlainScreenIsOneMonitorAtTheOrigin)
{
    EXPECT_EQ(WineSuite::get().probe({"monitors"}),
              "monitors 1 0,0," + std::to_string(kScreenWidth) + "," + std::to_string(kScreenHeight));
}

// The version the build declares, in both the numbers and the texts of the
// version resource; the name the screen-saver settings list; and a manifest
// the system reads as asking for real pixels per monitor, with the older
// systems' form beside it.
TEST_F(HostUnderWine, TheProgramFileCarriesItsVersionItsNameAndPerMonitorPixels)
{
    SaverFolder folder;
    const std::string numbers = std::string(kVersionText) + ".0";
    EXPECT_EQ(WineSuite::get().probe({"resources", windows_path(folder.scr())}),
              "fixed-file=" + numbers + "|fixed-product=" + numbers + "|FileVersion=" + kVersionText
                  + "|ProductVersion=" + kVersionText
                  + "|ProductName=Orvelune|FileDescription=Orvelune"
                    "|OriginalFilename=Orvelune.scr|string1=Orvelune|dpiAware=true/pm"
                    "|dpiAwareness=PerMonitorV2, PerMonitor");
}

TEST_F(HostUnderWine, TheScreenAtStartIsCapturedBeforeTheSaverShows)
{
    WineSuite& wine = WineSuite::get();
    x11test::XvfbRig& screen = wine.screen();
    SaverFolder folder;
    Settings settings = x11test::SlowSettings(250);
    settings.g_BackgroundMode = 3;
    folder.write_settings(settings);

    // A grey window of another program, then the saver over it; once that
    // window has gone, its grey can only come from the saver's picture of
    // the screen as it was.
    std::optional<WineProcess> other(wine.start(win32_program("orvelune-probe.exe"), {"window", hex("grey")}));
    ASSERT_EQ(other->read_line(30s).value_or(""), "ready");
    const std::optional<XID> grey_window = screen.find_window("grey");
    ASSERT_TRUE(grey_window);
    const gfx::Surface before = screen.grab(screen.root(), kScreenWidth, kScreenHeight);
    WineProcess saver = wine.start(folder.scr(), {"/s"});
    ASSERT_TRUE(screen.wait_for_window("Orvelune(Main)", 30s));
    other.reset();
    ASSERT_TRUE(wine.wait_until_gone("grey"));

    // A corner far from the balls' paths.
    EXPECT_TRUE(screen.poll_grab(screen.root(), kScreenWidth, kScreenHeight, 10s, [&](const gfx::Surface& shot) {
        return shot.at(20, 40) == gfx::rgb(128, 128, 128) && shot.at(20, 40) == before.at(20, 40)
               && shot.at(kScreenWidth - 5, kScreenHeight - 5) == before.at(kScreenWidth - 5, kScreenHeight - 5);
    })) << "expected the grey of the window that was there when the saver started";
    EXPECT_TRUE(saver.running());
}

} // namespace
} // namespace winetest
