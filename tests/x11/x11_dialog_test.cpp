// The settings dialog on a real X server: "orvelune /c" shows exactly the
// dialog's picture, takes clicks by the pointer, saves, plays the version
// card, and is seen by the single-instance guard of a second start.
#include "x11_rig.h"

#include "dialog/ball_p.h"
#include "host/headless/headless_host.h"
#include "host/pango/pango_text.h"
#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/wait.h>

#include <memory>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr const char* kDialogTitle = "Orveluneの設定";
// Where the dialog stands: centred on the screen.
constexpr int kLeft = (kWidth - 701) / 2;
constexpr int kTop = (kHeight - 509) / 2;

// The dialog's picture after load, composed by the same code on the
// headless host with the same text service as the desktop's.
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

class DialogOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(kWidth, kHeight);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        if (!XvfbRig::have_xdotool())
            GTEST_SKIP() << "xdotool is not installed";
    }
    void TearDown() override { rig.reset(); }

    // A click by the pointer at a point of the dialog.
    void Click(int x, int y)
    {
        ASSERT_TRUE(rig->xdotool({"mousemove", std::to_string(kLeft + x), std::to_string(kTop + y)}));
        std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(rig->xdotool({"click", "1"}));
        std::this_thread::sleep_for(200ms);
    }

    std::unique_ptr<XvfbRig> rig;
};

TEST_F(DialogOnX, ShowsTheDialogTakesClicksAndSaves)
{
    Settings start{};
    LoadSettings(start, "/nonexistent/Orvelune.ini");
    start.g_Speed = 20;
    rig->write_settings(start);
    const gfx::Surface expected = expected_dialog(rig->settings());

    Child dialog = rig->start_orvelune({"/c"});
    const std::optional<XID> window = rig->wait_for_window(kDialogTitle, 10s);
    ASSERT_TRUE(window) << "expected the dialog's window";
    std::string difference;
    const bool shown = rig->poll_grab(*window, 701, 509, 10s, [&](const gfx::Surface& shot) {
        difference = FirstDifference(expected, shot);
        return difference.empty();
    });
    EXPECT_TRUE(shown) << "expected the dialog's own picture; last difference: " << difference;

    // While it is open, a second start of any kind ends at once.
    Child second = rig->start_orvelune({"/s"});
    const std::optional<int> second_status = second.wait(5s);
    ASSERT_TRUE(second_status.has_value()) << "expected the second start to end at once";
    EXPECT_TRUE(dialog.running());

    // Item 1's check mark (at 340, 68 in the window): the part of the
    // window that changed reaches the screen.
    Click(340 + 6, 68 + 6);
    Settings unchecked = rig->settings();
    unchecked.g_ActionEnabled[1] = 0;
    const gfx::Surface after_click = expected_dialog(unchecked);
    const bool updated = rig->poll_grab(*window, 701, 509, 5s, [&](const gfx::Surface& shot) {
        difference = FirstDifference(after_click, shot);
        return difference.empty();
    });
    EXPECT_TRUE(updated) << "expected item 1 unchecked on the screen; last difference: " << difference;
    // Then "設 定".
    Click(556 + 62, 468 + 10);
    const std::optional<int> status = dialog.wait(10s);
    ASSERT_TRUE(status.has_value()) << "expected the save to close the dialog";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;

    const Settings saved = rig->settings();
    EXPECT_EQ(saved.g_ActionEnabled[1], 0);
    for (std::size_t n = 2; n <= 20; ++n)
        EXPECT_EQ(saved.g_ActionEnabled[n], 1) << "action " << n;
    EXPECT_EQ(saved.g_Speed, 20);
}

TEST_F(DialogOnX, EscapeCancelsAndLeavesTheFile)
{
    Settings start{};
    LoadSettings(start, "/nonexistent/Orvelune.ini");
    rig->write_settings(start);
    Child dialog = rig->start_orvelune({"/c"});
    const std::optional<XID> window = rig->wait_for_window(kDialogTitle, 10s);
    ASSERT_TRUE(window);
    Click(340 + 6, 68 + 6);
    // The dialog closes at the key's press, so xdotool may find the window
    // gone when it sends the release: its status says nothing here.
    (void)rig->xdotool({"key", "--window", Hex(*window), "Escape"});
    const std::optional<int> status = dialog.wait(10s);
    ASSERT_TRUE(status.has_value()) << "expected Escape to close the dialog";
    EXPECT_EQ(rig->settings().g_ActionEnabled[1], 1) << "nothing was saved";
}

// Keys alone: Tab walks to item 1 and Space unchecks it, Shift+Tab and the
// arrows reach the speed bar and move it, Enter saves.
TEST_F(DialogOnX, KeysAloneChangeTheSettingsAndEnterSaves)
{
    Settings start{};
    LoadSettings(start, "/nonexistent/Orvelune.ini");
    rig->write_settings(start);
    Child dialog = rig->start_orvelune({"/c"});
    const std::optional<XID> window = rig->wait_for_window(kDialogTitle, 10s);
    ASSERT_TRUE(window);
    const gfx::Surface expected = expected_dialog(rig->settings());
    std::string difference;
    ASSERT_TRUE(rig->poll_grab(*window, 701, 509, 10s, [&](const gfx::Surface& shot) {
        return (difference = FirstDifference(expected, shot)).empty();
    })) << difference;
    auto key = [&](const char* name) {
        ASSERT_TRUE(rig->xdotool({"key", "--window", Hex(*window), name}));
        std::this_thread::sleep_for(50ms);
    };
    // The dial, "全て選択", item 1.
    key("Tab");
    key("Tab");
    key("space");
    // Back round the end of the order to the speed bar: two stops to the
    // dial, thirteen over the command buttons and the background panel
    // (four options, two arrangement marks, three buttons, the link), one more.
    for (int n = 0; n < 2 + 13 + 1; ++n)
        key("shift+Tab");
    key("Right");
    key("KP_Right");
    // Enter closes the dialog on its press: the window may be gone before
    // xdotool sends the release, which it then reports as a failure.
    (void)rig->xdotool({"key", "--window", Hex(*window), "Return"});
    const std::optional<int> status = dialog.wait(10s);
    ASSERT_TRUE(status.has_value()) << "expected Enter to save and close the dialog";
    const Settings saved = rig->settings();
    EXPECT_EQ(saved.g_ActionEnabled[1], 0);
    EXPECT_EQ(saved.g_Speed, start.g_Speed + 2);
}

// On a screen smaller than the dialog, the top bar and the close button stay
// on it, and the close button closes.
TEST(DialogOnSmallX, At640x480TheBarAndCloseButtonAreOnTheScreen)
{
    XvfbRig small(640, 480);
    if (!small.available())
        GTEST_SKIP() << small.why();
    if (!XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    Settings start{};
    LoadSettings(start, "/nonexistent/Orvelune.ini");
    small.write_settings(start);
    Child dialog = small.start_orvelune({"/c"});
    const std::optional<XID> window = small.wait_for_window(kDialogTitle, 10s);
    ASSERT_TRUE(window);
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(small.display(), *window, small.root(), 0, 0, &x, &y, &child);
    EXPECT_EQ(y, 0) << "the top bar's top on the screen";
    EXPECT_EQ(x, 640 - 696) << "the close button's right edge (pressed) at the screen's";
    ASSERT_TRUE(small.xdotool({"mousemove", std::to_string(x + 680 + 7), std::to_string(y + 4 + 7)}));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(small.xdotool({"click", "1"}));
    EXPECT_TRUE(dialog.wait(10s).has_value()) << "expected the close button to close the dialog";
}

// The card turns the dial over in a window above everything; Escape sent to
// the dialog meanwhile is ignored; then the dialog shows and answers as
// before, and the clipboard another program holds is still its own.
TEST_F(DialogOnX, TheVersionCardTurnsOverTheDialAndGivesTheDialogBack)
{
    rig->write_settings(SlowSettings(30));
    Child dialog = rig->start_orvelune({"/c"});
    const std::optional<XID> window = rig->wait_for_window(kDialogTitle, 10s);
    ASSERT_TRUE(window);
    const gfx::Surface expected = expected_dialog(rig->settings());
    std::string difference;
    auto shows_dialog = [&](const gfx::Surface& shot) { return (difference = FirstDifference(expected, shot)).empty(); };
    ASSERT_TRUE(rig->poll_grab(*window, 701, 509, 10s, shows_dialog)) << difference;
    ::Display* d = rig->display();
    const ::Window holder = XCreateSimpleWindow(d, rig->root(), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    XSetSelectionOwner(d, clipboard, holder, CurrentTime);
    XSync(d, False);

    Click(556 + 62, 396 + 10); // "ﾊﾟｰｼﾞｮﾝ情報"
    const std::optional<XID> card = rig->wait_for_window("Orvelune", 5s);
    ASSERT_TRUE(card) << "expected the card's window";
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(d, *card, &attributes));
    EXPECT_TRUE(attributes.override_redirect && attributes.width == kWidth && attributes.height == kHeight);
    (void)rig->xdotool({"key", "--window", Hex(*window), "Escape"});
    int yellow = 0;
    EXPECT_TRUE(rig->poll_grab(rig->root(), kWidth, kHeight, 10s, [&](const gfx::Surface& shot) {
        yellow = 0;
        for (int y = kTop + 36; y < kTop + 36 + 290; ++y)
            for (int x = kLeft + 18; x < kLeft + 18 + 290; ++x)
                yellow += shot.at(x, y) == gfx::rgb(255, 255, 0) ? 1 : 0;
        return yellow > 200;
    })) << "expected the version line on the dial; most yellow pixels seen " << yellow;

    for (const auto until = Clock::now() + 10s; rig->find_window("Orvelune") && Clock::now() < until;)
        std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(rig->find_window("Orvelune")) << "expected the card to close itself";
    EXPECT_TRUE(rig->poll_grab(*window, 701, 509, 5s, shows_dialog)) << difference;
    EXPECT_TRUE(dialog.running()) << "Escape during the card was ignored";
    EXPECT_EQ(XGetSelectionOwner(d, clipboard), holder) << "the clipboard is left alone";
    (void)rig->xdotool({"key", "--window", Hex(*window), "Escape"});
    EXPECT_TRUE(dialog.wait(10s).has_value()) << "expected Escape to close the dialog after the card";
    XDestroyWindow(d, holder);
}

} // namespace
} // namespace x11test
