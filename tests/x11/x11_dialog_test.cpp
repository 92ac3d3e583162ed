// The settings dialog on a screen smaller than itself, and under its
// message box and colour chooser (its save, cancel, keys and version card
// are real-window scenarios).
#include "x11_rig.h"

#include "dialog/controls.h"
#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <signal.h>

#include <string>
#include <thread>
#include <vector>

namespace x11test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDialogTitle = "Orveluneの設定";

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

// A mapped top-level window other than `dialog`: the box it opened.
std::optional<XID> wait_for_box(XvfbRig& rig, XID dialog, std::chrono::milliseconds timeout)
{
    for (const auto until = Clock::now() + timeout; Clock::now() < until; std::this_thread::sleep_for(50ms)) {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(rig.display(), rig.root(), &root, &parent, &children, &count))
            continue;
        std::optional<XID> box;
        for (unsigned i = 0; i < count && !box; ++i)
            if (children[i] != dialog && rig.is_viewable(children[i]))
                box = children[i];
        XFree(children);
        if (box)
            return box;
    }
    return std::nullopt;
}

// While the message box ("ｱｸｼｮﾝの種類は最低一つ必要です。") or the colour
// chooser is open, the dialog under it takes no input: a click on a check
// item, Escape and Enter sent to it then are dropped, not acted on when the
// box closes. Without a session bus the chooser says nothing on the
// terminal either.
TEST(DialogUnderItsBoxesX, InputWhileTheBoxIsOpenIsDroppedAndTheTerminalStaysQuiet)
{
    if (!XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    const dialog::ControlTable controls;
    auto centre_of = [&](const char* name) {
        const gfx::Rect r = controls.find(name)->rect;
        return gfx::Point{r.x + r.width / 2, r.y + r.height / 2};
    };
    struct Case {
        const char* box;
        const char* opener; // a button to click, or null: Enter
    };
    for (const Case& c : {Case{"the message box", nullptr}, Case{"the colour chooser", "lbl_C"}}) {
        SCOPED_TRACE(c.box);
        XvfbRig rig(1024, 768);
        if (!rig.available())
            GTEST_SKIP() << rig.why();
        Settings start{};
        LoadSettings(start, "/nonexistent/Orvelune.ini");
        start.g_ActionEnabled.fill(0); // so that Enter opens the message box
        rig.write_settings(start);
        const std::string before = ReadFile(rig.settings_path());
        const testrig::TempFolder scratch("orvelune-dialog-box");
        const std::string errors = scratch.path() + "/stderr";
        Launch launch;
        launch.stderr_path = errors;
        // No session bus, as on a desktop without one.
        Child program = rig.start_orvelune({"/c"}, {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + scratch.path() + "/no-bus"},
                                           launch);
        const std::optional<XID> dialog = rig.wait_for_window(kDialogTitle, 10s);
        ASSERT_TRUE(dialog);
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(rig.display(), *dialog, rig.root(), 0, 0, &x, &y, &child);
        auto click = [&](gfx::Point p) {
            return rig.xdotool({"mousemove", std::to_string(x + p.x), std::to_string(y + p.y)})
                   && rig.xdotool({"click", "1"});
        };
        auto keys = [&](XID to, std::vector<std::string> names) {
            names.insert(names.begin(), "key");
            return rig.xdotool({"windowfocus", "--sync", std::to_string(to)}) && rig.xdotool(names);
        };
        std::this_thread::sleep_for(300ms); // the opening zoom
        ASSERT_TRUE(c.opener ? click(centre_of(c.opener)) : rig.xdotool({"key", "Return"}));
        const std::optional<XID> box = wait_for_box(rig, *dialog, 10s);
        ASSERT_TRUE(box) << "expected " << c.box;

        ASSERT_TRUE(click(centre_of("lbl_Action_Kind(3)")));
        ASSERT_TRUE(keys(*dialog, {"Escape", "Return"}));
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(keys(*box, {"Escape"})); // closes the box (the chooser: cancelled)
        std::this_thread::sleep_for(1s);
        EXPECT_TRUE(program.running()) << "expected Escape sent while the box was open to be dropped";
        // Had the click been kept, item 3 would be checked and Enter would save.
        ASSERT_TRUE(keys(*dialog, {"Return"}));
        EXPECT_TRUE(wait_for_box(rig, *dialog, 10s)) << "expected the message box again: no item checked";
        EXPECT_TRUE(ReadFile(rig.settings_path()) == before) << "expected nothing saved";
        program.signal(SIGTERM);
        EXPECT_TRUE(program.wait(10s).has_value());
        EXPECT_EQ(ReadFile(errors), "") << "expected nothing on the terminal";
    }
}

} // namespace
} // namespace x11test
