// Orvelune.scr full screen under Wine, beyond the real-window scenarios that
// every platform runs: the pixels it asks for, and the switches that end
// at once.
#include "wine_rig.h"

#include <gtest/gtest.h>

namespace winetest {
namespace {

constexpr const char* kSaverTitle = "Orvelune(Main)";

class SaverUnderWine : public WineTest {
protected:
    x11test::XvfbRig& Screen() { return WineSuite::get().screen(); }

    WineProcess StartSaver(const SaverFolder& folder, const std::vector<std::string>& args)
    {
        return WineSuite::get().start(folder.scr(), args);
    }
};

// Real pixels on every monitor, whatever its scale.
TEST_F(SaverUnderWine, TheSaversWindowIsAwareOfEachMonitorsScale)
{
    SaverFolder folder;
    WineProcess saver = StartSaver(folder, {"/s"});
    ASSERT_TRUE(Screen().wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    EXPECT_EQ(WineSuite::get().probe({"awareness", hex(kSaverTitle)}), "awareness 2");
    EXPECT_TRUE(saver.running());
}

// The desktop window is no pane: a preview in it would cover the desktop for good.
TEST_F(SaverUnderWine, PasswordChangeOnAnNtSystemPanelessPreviewsAndUnknownSwitchesEndAtOnce)
{
    SaverFolder folder;
    const std::string desktop = WineSuite::get().probe({"desktop"});
    ASSERT_FALSE(desktop.empty()) << "expected the desktop window's handle";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"/a", "1234"}, {"/a"}, {"/p"}, {"/p:99999"}, {"/p", desktop}, {"/x"}, {"s"}}) {
        WineProcess start = StartSaver(folder, args);
        const std::optional<int> code = start.exit_code(20s);
        ASSERT_TRUE(code.has_value()) << "expected " << args[0] << " to end at once";
        EXPECT_EQ(*code, 0);
    }
    EXPECT_FALSE(Screen().find_window(kSaverTitle)) << "expected no saver window";
}

} // namespace
} // namespace winetest
