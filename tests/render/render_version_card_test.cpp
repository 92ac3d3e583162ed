// orvelune-render --version-card: the card played over the dialog, frame by frame.
#include "render_test_support.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

TEST(RenderVersionCard, WritesEveryFrameOfTheCardFromTheSnapshotBackToItAndNeedsAFolder)
{
    ScratchDir dir;
    std::ofstream(dir.path / "empty.ini").put('\n');
    const fs::path out = dir.path / "frames";
    ToolRun run = RunRenderTool({"--version-card", "--png", out.string(), "--size", "800x600", "--seed", "4",
                                 "--ini", (dir.path / "empty.ini").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(out / "frame-000051.png") && !fs::exists(out / "frame-000052.png"))
        << "the snapshot, two turns of 24 frames and their exact copies";
    // The dialog stands at (49, 45), the card at (67, 81), 290 pixels a side.
    const gfx::Surface first = ReadPng(out / "frame-000001.png");
    const gfx::Surface hold = ReadPng(out / "frame-000026.png");
    const gfx::Surface last = ReadPng(out / "frame-000051.png");
    EXPECT_NE(first.at(49, 45), gfx::kBlack) << "the dialog is on the snapshot";
    int yellow = 0, differ = 0;
    for (int y = 81; y < 81 + 290; ++y)
        for (int x = 67; x < 67 + 290; ++x) {
            yellow += hold.at(x, y) == gfx::rgb(255, 255, 0) ? 1 : 0;
            differ += last.at(x, y) != first.at(x, y) ? 1 : 0;
        }
    EXPECT_GT(yellow, 200) << "expected the version line on the credit face";
    EXPECT_EQ(differ, 0) << "expected the dialog's face back on the card";

    ToolRun without_folder = RunRenderTool({"--version-card"});
    EXPECT_EQ(without_folder.status, 2);
    EXPECT_NE(without_folder.err.find("--png"), std::string::npos) << without_folder.err;
}

// A clip of the card once showed the dialog for one pause only, between
// the card coming back and turning again: it now rests a second there.
TEST(RenderVersionCard, AClipRestsASecondOnTheDialog)
{
    ScratchDir dir;
    std::ofstream(dir.path / "empty.ini").put('\n');
    const fs::path clip = dir.path / "card.webp";
    ToolRun run = RunRenderTool({"--version-card", "--output", clip.string(), "--size", "400x300", "--seed", "4",
                                 "--ini", (dir.path / "empty.ini").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream in(clip, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPDemuxer* demux = WebPDemux(&data);
    ASSERT_NE(demux, nullptr);
    WebPIterator frame;
    ASSERT_TRUE(WebPDemuxGetFrame(demux, 1, &frame));
    EXPECT_GE(frame.duration, 1000) << "the first frame, the dialog before the button is pressed";
    WebPDemuxReleaseIterator(&frame);
    WebPDemuxDelete(demux);
}

} // namespace
