// orvelune-render as a program: its options, its refusals and its trace.
#include "render_test_support.h"

#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;

namespace {

int CountEvents(const std::vector<std::string>& lines, const std::string& ev)
{
    return int(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find("{\"ev\":\"" + ev + "\"") == 0;
    }));
}

TEST(RenderTool, TicksRunIntoAValidTraceThatStartsWithTheRun)
{
    ToolRun run = RunRenderTool({"--ticks", "3", "--trace", "-", "--seed", "7", "--size", "320x240"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    for (std::size_t i = 0; i < lines.size(); ++i)
        ASSERT_TRUE(IsJson(lines[i]) && lines[i].front() == '{') << "line " << i + 1 << ": " << lines[i];
    EXPECT_EQ(lines[0].rfind("{\"ev\":\"start\",\"width\":320,\"height\":240,\"seed\":7,", 0), 0u)
        << lines[0];
    EXPECT_EQ(CountEvents(lines, "start"), 1);
    EXPECT_EQ(CountEvents(lines, "tick"), 3) << "three ticks completed, no fourth begun";
    // Frames are numbered 1, 2, 3, ... without a gap.
    long long expected = 1;
    for (const std::string& l : lines) {
        if (l.rfind("{\"ev\":\"frame\"", 0) == 0) {
            EXPECT_EQ(Field(l, "n"), expected) << l;
            ++expected;
        }
    }
    EXPECT_GT(expected, 1) << "no frame was presented";
}

TEST(RenderTool, TheSameSeedPlaysTheSameRun)
{
    std::vector<std::string> args = {"--ticks", "2", "--trace", "-", "--seed", "99", "--size", "200x150"};
    ToolRun a = RunRenderTool(args);
    ToolRun b = RunRenderTool(args);
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
}

TEST(RenderTool, ZeroTicksStopsRightAfterTheLoad)
{
    ToolRun run = RunRenderTool({"--ticks", "0", "--trace", "-", "--seed", "1", "--size", "160x120"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("{\"ev\":\"start\"", 0), 0u);
    EXPECT_EQ(CountEvents(lines, "tick"), 0);
    EXPECT_EQ(CountEvents(lines, "frame"), 0);
}

TEST(RenderTool, FramesStopRightAfterTheLastAndEveryKthIsWritten)
{
    ScratchDir dir;
    fs::path trace = dir.path / "run.jsonl";
    fs::path pngs = dir.path / "frames"; // created by the tool
    ToolRun run = RunRenderTool({"--frames", "5", "--trace", trace.string(), "--png", pngs.string(),
                                 "--every", "2", "--seed", "3", "--size", "120x90"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "") << "the trace went to its file";
    std::ifstream in(trace);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines = Lines(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(CountEvents(lines, "frame"), 5);
    EXPECT_EQ(Field(lines.back(), "n"), 5) << "the last line is frame 5, got " << lines.back();

    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(pngs))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"frame-000002.png", "frame-000004.png"}));
    gfx::Surface frame = ReadPng(pngs / "frame-000004.png");
    EXPECT_EQ(frame.width(), 120);
    EXPECT_EQ(frame.height(), 90);
}

TEST(RenderTool, BadCommandLinesSaySoAndExitTwo)
{
    ScratchDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {},                                     // no limit: the saver would run for ever
        {"--ticks", "1", "--bogus"},
        {"--ticks"},
        {"--ticks", "x"},
        {"--ticks", "-1"},
        {"--frames", "0"},
        {"--ticks", "1", "--size", "0x600"},
        {"--ticks", "1", "--size", "800"},
        {"--ticks", "1", "--size", "100000x100000"},
        {"--ticks", "1", "--png", dir.path.string(), "--every", "0"},
        {"--ticks", "1", "--seed", "12abc"},
        {"--ticks", "1", "--ini", (dir.path / "missing.ini").string()},
        {"--ticks", "1", "--desktop", (dir.path / "missing.png").string()},
    };
    for (const auto& args : bad) {
        ToolRun run = RunRenderTool(args);
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(run.status, 2) << "[" << shown << "] expected exit 2, got " << run.status;
        EXPECT_NE(run.err.find("orvelune-render: "), std::string::npos) << "[" << shown << "] " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line: " << run.err;
        EXPECT_EQ(run.out, "") << shown;
    }
}

TEST(RenderTool, HelpNamesEveryOption)
{
    ToolRun run = RunRenderTool({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--ini", "--size", "--seed", "--ticks", "--frames", "--trace", "--png",
                               "--every", "--desktop", "--full-redraw", "--output", "--fps", "--scale",
                               "--quality", "--contact-sheet"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

// A settings file written by the settings code itself, with a change.
fs::path WriteIni(const fs::path& dir, const std::function<void(Settings&)>& change)
{
    Settings s{};
    LoadSettings(s, (dir / "none.ini").string()); // every default
    change(s);
    fs::path ini = dir / "Orvelune.ini";
    SaveResult saved = save_settings_file(ini.string(), s);
    EXPECT_TRUE(saved.ok) << saved.error;
    return ini;
}

TEST(RenderTool, StartLineShowsTheValuesInEffect)
{
    ScratchDir dir;
    fs::path ini = WriteIni(dir.path, [](Settings& s) {
        s.g_Speed = 0;     // would divide by zero
        s.g_PcSpec = -20;  // a negative pause
        s.g_OrderMode = 1;
        s.g_BackgroundMode = 1;
    });
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--ticks", "0", "--trace", "-", "--seed", "4",
                                 "--size", "160x120"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_GE(Field(lines[0], "speed"), 1) << lines[0];
    EXPECT_GE(Field(lines[0], "pcspec"), 0) << lines[0];
    EXPECT_EQ(Field(lines[0], "order"), 1) << lines[0];
    EXPECT_EQ(Field(lines[0], "background"), 1) << lines[0];
}

// The frames written are what the screen shows after each refresh: with
// whole redraws and with partial ones they are the same files, and so is
// the trace, through the opening and into the first action on the ball grid.
TEST(RenderTool, FullRedrawWritesTheSameTraceAndFrames)
{
    ScratchDir dir;
    fs::path ini = WriteIni(dir.path, [](Settings& s) {
        s.g_BackgroundMode = 1;
        s.g_OrderMode = 1;
        s.g_Speed = 4;
    });
    const auto read = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    for (const char* way : {"partial", "full"}) {
        std::vector<std::string> args = {"--ini", ini.string(), "--frames", "90", "--seed", "5",
                                         "--size", "96x64", "--trace", (dir.path / way).string() + ".jsonl",
                                         "--png", (dir.path / way).string()};
        if (way == std::string("full"))
            args.push_back("--full-redraw");
        ToolRun run = RunRenderTool(args);
        ASSERT_EQ(run.status, 0) << way << ": " << run.err;
    }
    EXPECT_EQ(read(dir.path / "partial.jsonl"), read(dir.path / "full.jsonl"));
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(dir.path / "full")) {
        const fs::path partial = dir.path / "partial" / entry.path().filename();
        ASSERT_TRUE(fs::exists(partial)) << partial;
        EXPECT_EQ(read(partial), read(entry.path())) << entry.path().filename();
        ++frames;
    }
    EXPECT_EQ(frames, 90);
}

TEST(RenderTool, DesktopPictureStandsForTheScreenAtStart)
{
    ScratchDir dir;
    fs::path ini = WriteIni(dir.path, [](Settings& s) { s.g_BackgroundMode = 3; });
    constexpr gfx::Pixel kDesk = 0x336699;
    WritePng(dir.path / "desk.png", gfx::Surface(200, 150, kDesk));
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--desktop", (dir.path / "desk.png").string(),
                                 "--frames", "1", "--png", (dir.path / "f").string(), "--seed", "2",
                                 "--size", "200x150"});
    ASSERT_EQ(run.status, 0) << run.err;
    gfx::Surface frame = ReadPng(dir.path / "f" / "frame-000001.png");
    // The corners lie outside every ball of the first frame.
    EXPECT_EQ(frame.at(0, 0), kDesk) << "expected 0x336699 got " << std::hex << frame.at(0, 0);
    EXPECT_EQ(frame.at(199, 149), kDesk) << "expected 0x336699 got " << std::hex << frame.at(199, 149);
}

} // namespace

namespace {

// A FIFO where a file is expected once hung the tool before its first frame:
// opening one for reading waits for a writer that never comes.
TEST(RenderTool, AFifoInPlaceOfAFileNeverHangsIt)
{
    ScratchDir dir;
    const fs::path fifo = dir.path / "f.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Pattern 4 naming the FIFO: as with any picture that is no file, the
    // saver falls back to the ball grid.
    fs::path ini = WriteIni(dir.path, [&](Settings& s) {
        s.g_BackgroundMode = 4;
        s.g_BackgroundPicturePath = fifo.string();
    });
    ToolRun picture = RunRenderTool({"--ini", ini.string(), "--ticks", "3", "--trace", "-", "--seed", "1",
                                     "--size", "160x120"}, 60);
    EXPECT_EQ(picture.status, 0) << picture.err;
    ASSERT_FALSE(picture.out.empty());
    EXPECT_EQ(Field(Lines(picture.out)[0], "background"), 1) << Lines(picture.out)[0];

    for (const char* option : {"--ini", "--desktop"}) {
        ToolRun run = RunRenderTool({option, fifo.string(), "--ticks", "3", "--size", "160x120"}, 60);
        EXPECT_EQ(run.status, 2) << option << ": " << run.err;
        EXPECT_NE(run.err.find(fifo.string()), std::string::npos) << run.err;
    }
}

// /dev/null once met "cannot read the settings file", although it reads
// as empty and an empty file is taken: the message says which rule a path
// broke, and an empty file gives the defaults.
TEST(RenderTool, ARefusedSettingsFileSaysWhy)
{
    ScratchDir dir;
    const fs::path empty = dir.path / "empty.ini";
    std::ofstream{empty};
    ToolRun taken = RunRenderTool({"--ini", empty.string(), "--ticks", "1", "--size", "64x48"}, 60);
    EXPECT_EQ(taken.status, 0) << taken.err;

    const std::vector<std::pair<std::string, std::string>> refused = {
        {"/dev/null", "not a regular file (an empty file gives every default)"},
        {dir.path.string(), "is a folder"},
        {(dir.path / "none.ini").string(), "there is no settings file"},
    };
    for (const auto& [path, reason] : refused) {
        ToolRun run = RunRenderTool({"--ini", path, "--ticks", "1", "--size", "64x48"}, 60);
        EXPECT_EQ(run.status, 2) << path;
        EXPECT_NE(run.err.find(reason), std::string::npos) << path << ": expected \"" << reason << "\", got " << run.err;
    }
}

// A picture the decoder refuses leaves the background colour alone.
TEST(RenderTool, ARefusedPictureShowsTheBackgroundColour)
{
    ScratchDir dir;
    const fs::path svg = dir.path / "drawing.png";
    std::ofstream(svg) << "<svg xmlns='http://www.w3.org/2000/svg' width='8000' height='8000'/>";
    fs::path ini = WriteIni(dir.path, [&](Settings& s) {
        s.g_BackgroundMode = 4;
        s.g_BackgroundPicturePath = svg.string();
        s.g_BackgroundColor = 0x00563412; // red in the low byte
    });
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--frames", "1", "--png", (dir.path / "f").string(),
                                 "--seed", "2", "--size", "200x150"}, 60);
    ASSERT_EQ(run.status, 0) << run.err;
    gfx::Surface frame = ReadPng(dir.path / "f" / "frame-000001.png");
    EXPECT_EQ(frame.at(0, 0), 0x123456u) << "got " << std::hex << frame.at(0, 0);
    EXPECT_EQ(frame.at(199, 149), 0x123456u) << "got " << std::hex << frame.at(199, 149);
}

} // namespace
