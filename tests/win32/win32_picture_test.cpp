// The saver's background picture under Wine: decoded on a thread of its own
// while the saver's window is already up, then shown centred on the
// background colour; a click ends the saver.
#include "wine_rig.h"

#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <fstream>

namespace winetest {
namespace {

constexpr const char* kSaverTitle = "Orvelune(Main)";

TEST(PictureUnderWine, TheDecodedPictureShowsCentredAndAClickEndsTheSaver)
{
    if (!WineSuite::get().ready())
        GTEST_SKIP() << WineSuite::get().why();
    if (!x11test::XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    x11test::XvfbRig& screen = WineSuite::get().screen();
    SaverFolder folder("picture");
    const std::string picture = folder.path() + "/wall.bmp";
    std::ofstream(picture, std::ios::binary) << testrig::SolidBmp(400, 300, gfx::rgb(0x40, 0xC0, 0x20));
    Settings settings = x11test::SlowSettings(50);
    settings.g_BackgroundMode = 4;
    settings.g_BackgroundArrangement = 1;
    settings.g_BackgroundPicturePath = windows_path(picture);
    folder.write_settings(settings);
    const gfx::Pixel background = gfx::pixel_from_colorref(settings.g_BackgroundColor);

    WineProcess saver = WineSuite::get().start(folder.scr(), {"/s"});
    ASSERT_TRUE(screen.wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    // The picture's top-left corner, well away from the balls' ring.
    const int left = (kScreenWidth - 400) / 2, top = (kScreenHeight - 300) / 2;
    gfx::Pixel corner = 0, outside = 0;
    const bool shown = screen.poll_grab(screen.root(), kScreenWidth, kScreenHeight, 20s, [&](const gfx::Surface& shot) {
        corner = shot.at(left + 4, top + 4);
        outside = shot.at(left - 4, top - 4);
        return corner == gfx::rgb(0x40, 0xC0, 0x20) && outside == background;
    });
    EXPECT_TRUE(shown) << std::hex << "picture corner 0x" << corner << ", beside it 0x" << outside;

    ASSERT_TRUE(screen.xdotool({"mousemove", "30", "30", "click", "1"}));
    const std::optional<int> code = saver.exit_code(20s);
    ASSERT_TRUE(code.has_value()) << "expected a click to end the saver";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(WineSuite::get().wait_until_gone(kSaverTitle));
}

} // namespace
} // namespace winetest
