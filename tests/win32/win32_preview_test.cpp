// The preview inside another program's pane, as the display settings show
// it: a child of the pane's size, shown, ending when the pane goes. Wine
// draws a child of another process's window neither on the X screen nor
// into a capture the pane's program asks for (PrintWindow hands over a
// device context of that program's own), so the pane's program checks the
// child in the window tree; the still picture it paints is the one the
// preview tests check on the headless host.
#include "wine_rig.h"

#include <gtest/gtest.h>

namespace winetest {
namespace {

TEST(PreviewUnderWine, AShownChildOfThePanesSizeEndsWithThePane)
{
    WineSuite& wine = WineSuite::get();
    if (!wine.ready())
        GTEST_SKIP() << wine.why();
    SaverFolder folder;

    // The picture's own size and a larger pane: the child follows the pane.
    // A pane of 12000 x 12000 costs the preview no more than its picture (a
    // frame of the pane's size would take over half a GiB, twice).
    for (const auto& [width, height] :
         {std::pair{152, 112}, std::pair{200, 150}, std::pair{12000, 12000}}) {
        SCOPED_TRACE("pane " + std::to_string(width) + " x " + std::to_string(height));
        WineProcess pane = wine.start(win32_program("orvelune-probe.exe"),
                                      {"pane", std::to_string(width), std::to_string(height)});
        const std::optional<std::string> handle = pane.read_line(60s);
        ASSERT_TRUE(handle && !handle->empty()) << "expected the pane's handle";
        WineProcess preview = wine.start(folder.scr(), {"/p", *handle});

        const std::optional<std::string> child = pane.read_line(60s);
        ASSERT_TRUE(child.has_value());
        EXPECT_EQ(*child, "child " + std::to_string(width) + " " + std::to_string(height)
                              + " visible 1 other-process 1");

        EXPECT_EQ(pane.read_line(30s).value_or(""), "closed");
        const std::optional<int> code = preview.exit_code(20s);
        ASSERT_TRUE(code.has_value()) << "expected the preview to end with its pane";
        EXPECT_EQ(*code, 0);
        pane.exit_code(10s);
    }
}

} // namespace
} // namespace winetest
