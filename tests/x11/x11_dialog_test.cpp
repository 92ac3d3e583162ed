// The settings dialog on a screen smaller than itself (its save, cancel,
// keys and version card are real-window scenarios).
#include "x11_rig.h"

#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <thread>

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

} // namespace
} // namespace x11test
