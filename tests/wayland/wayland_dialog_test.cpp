// The settings dialog on Wayland: "orvelune /c" is a window of its own size
// (sway floats it, centred) showing exactly the dialog's picture; a click on
// a check item and on save writes the file, Escape cancels.
#include "wayland_rig.h"

#include "dialog/ball_p.h"
#include "host/headless/headless_host.h"
#include "host/pango/pango_text.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <memory>
#include <thread>

namespace wltest {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kDialogWidth = 701;
constexpr int kDialogHeight = 509;
// Where sway puts a floating window: centred on the output.
constexpr int kLeft = (kWidth - kDialogWidth) / 2;
constexpr int kTop = (kHeight - kDialogHeight) / 2;

// The dialog's picture after load, composed by the same code on the
// headless host with the desktop's text service.
gfx::Surface expected_dialog(const Settings& settings)
{
    host::HeadlessOptions options;
    options.screen = {kWidth, kHeight};
    options.text = std::make_shared<host::PangoText>();
    host::HeadlessHost host(std::move(options));
    Settings copy = settings;
    Ball_P dialog(host, copy);
    dialog.Form_Load();
    return dialog.picture();
}

class DialogOnWayland : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<SwayRig>(std::vector<OutputSpec>{{kWidth, kHeight, 1}});
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        Settings start{};
        LoadSettings(start, "/nonexistent/Orvelune.ini");
        start.g_Speed = 20;
        rig->write_settings(start);
    }

    // Waits until the output shows `expected` where the dialog stands.
    bool Shows(const gfx::Surface& expected, std::string& difference)
    {
        return rig->poll_screenshot("HEADLESS-1", 10s, [&](const gfx::Surface& shot) {
            difference = FirstDifference(expected, x11test::PartOf(shot, {kLeft, kTop, kDialogWidth, kDialogHeight}));
            return difference.empty();
        });
    }

    void Click(int x, int y)
    {
        ASSERT_TRUE(rig->move_pointer(kLeft + x, kTop + y));
        std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(rig->click());
        // The compositor draws the cursor into its screenshots: it goes
        // aside, off the dialog.
        ASSERT_TRUE(rig->move_pointer(2, 2));
        std::this_thread::sleep_for(200ms);
    }

    std::unique_ptr<SwayRig> rig;
};

TEST_F(DialogOnWayland, ShowsTheDialogTakesClicksAndSavesTheFile)
{
    const gfx::Surface expected = expected_dialog(rig->settings());
    Child dialog = rig->start_orvelune({"/c"});
    std::string difference;
    EXPECT_TRUE(Shows(expected, difference)) << "expected the dialog's own picture; " << difference;

    // Item 1's check mark (at 340, 68 in the window), then "設 定".
    Click(340 + 6, 68 + 6);
    Settings unchecked = rig->settings();
    unchecked.g_ActionEnabled[1] = 0;
    EXPECT_TRUE(Shows(expected_dialog(unchecked), difference))
        << "expected item 1 unchecked on the screen; " << difference;
    Click(556 + 62, 468 + 10);
    const std::optional<int> status = dialog.wait(10s);
    ASSERT_TRUE(status.has_value()) << "expected the save to close the dialog";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;

    // The file, byte for byte, as the settings writer makes it.
    const std::string reference = rig->path("reference.ini");
    unchecked.g_IniPath = reference;
    ASSERT_TRUE(save_settings_file(reference, unchecked).ok);
    EXPECT_EQ(x11test::ReadFile(rig->settings_path()), x11test::ReadFile(reference));
}

TEST_F(DialogOnWayland, EscapeCancelsAndLeavesTheFile)
{
    const std::string before = x11test::ReadFile(rig->settings_path());
    Child dialog = rig->start_orvelune({"/c"});
    std::string difference;
    ASSERT_TRUE(Shows(expected_dialog(rig->settings()), difference)) << difference;
    Click(340 + 6, 68 + 6);
    ASSERT_TRUE(rig->type_key("Escape"));
    const std::optional<int> status = dialog.wait(10s);
    ASSERT_TRUE(status.has_value()) << "expected Escape to close the dialog";
    EXPECT_EQ(x11test::ReadFile(rig->settings_path()), before) << "nothing was saved";
}

// The card turns the dial over in a picture over the dialog; then the dialog
// shows and answers as before.
TEST_F(DialogOnWayland, TheVersionCardTurnsOverTheDialAndGivesTheDialogBack)
{
    rig->write_settings(SlowSettings(30));
    const gfx::Surface expected = expected_dialog(rig->settings());
    Child dialog = rig->start_orvelune({"/c"});
    std::string difference;
    ASSERT_TRUE(Shows(expected, difference)) << difference;

    Click(556 + 62, 396 + 10); // "ﾊﾟｰｼﾞｮﾝ情報"
    int yellow = 0;
    EXPECT_TRUE(rig->poll_screenshot("HEADLESS-1", 10s, [&](const gfx::Surface& shot) {
        yellow = 0;
        for (int y = kTop + 36; y < kTop + 36 + 290; ++y)
            for (int x = kLeft + 18; x < kLeft + 18 + 290; ++x)
                yellow += shot.at(x, y) == gfx::rgb(255, 255, 0) ? 1 : 0;
        return yellow > 200;
    })) << "expected the version line on the dial; most yellow pixels seen " << yellow;
    EXPECT_TRUE(Shows(expected, difference)) << "expected the dialog back; " << difference;
    ASSERT_TRUE(rig->type_key("Escape"));
    EXPECT_TRUE(dialog.wait(10s).has_value()) << "expected Escape to close the dialog after the card";
}

} // namespace
} // namespace wltest
