// orvelune-render --dialog: the settings dialog as it opens on a screen.
#include "render_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(RenderDialog, DrawsTheDialogCentredOverTheDesktopWithItsText)
{
    ScratchDir dir;
    const gfx::Pixel desktop_colour = gfx::rgb(90, 140, 60);
    WritePng(dir.path / "desktop.png", gfx::Surface(800, 600, desktop_colour));
    std::ofstream(dir.path / "empty.ini").put('\n'); // every setting at its default
    const fs::path out = dir.path / "pictures";
    ToolRun run = RunRenderTool({"--dialog", "--png", out.string(), "--size", "800x600", "--desktop",
                                 (dir.path / "desktop.png").string(), "--ini", (dir.path / "empty.ini").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const gfx::Surface shot = ReadPng(out / "dialog.png");
    ASSERT_EQ(shot.width(), 800);
    ASSERT_EQ(shot.height(), 600);
    // The dialog (701 x 509) stands at ((800 - 701) / 2, (600 - 509) / 2) = (49, 45).
    EXPECT_EQ(shot.at(48, 44), desktop_colour);
    EXPECT_EQ(shot.at(799, 599), desktop_colour);
    EXPECT_NE(shot.at(49, 45), desktop_colour);
    EXPECT_NE(shot.at(49 + 700, 45 + 508), desktop_colour);
    // The dial, on the default black, with the selection mark above ball 10.
    EXPECT_EQ(shot.at(49 + 12 + 20, 45 + 32 + 20), gfx::kBlack);
    EXPECT_EQ(shot.at(49 + 12 + 153, 45 + 32 + 26 - 5), gfx::rgb(0, 128, 0));
    // The title is set in light text on the dark top bar.
    int light = 0;
    for (int y = 45 + 4; y < 45 + 17; ++y)
        for (int x = 49 + 12; x < 49 + 120; ++x)
            light += gfx::red_of(shot.at(x, y)) > 200 ? 1 : 0;
    EXPECT_GT(light, 40) << "expected the title's strokes";
}

TEST(RenderDialog, NeedsAFolderForThePicture)
{
    ToolRun run = RunRenderTool({"--dialog"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--png"), std::string::npos) << run.err;
}

} // namespace
