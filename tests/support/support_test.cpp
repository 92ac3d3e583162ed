// The helpers under the real-window tests: a fault here would show as a
// program that seems to hang, end wrongly or draw wrongly.
#include "pictures.h"
#include "process.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

namespace testrig {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Path()
{
    return {"PATH=/usr/bin:/bin"};
}

TEST(ChildProcess, ExitCodesSayHowTheProgramEnded)
{
    struct Case {
        const char* script;
        std::optional<int> code;
    };
    const Case cases[] = {
        {"exit 0", 0},
        {"exit 3", 3},
        {"kill -TERM $$", 128 + SIGTERM},
        {"kill -KILL $$", 128 + SIGKILL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Child child = spawn({"sh", "-c", c.script}, Path());
        ASSERT_GT(child.pid(), 0);
        EXPECT_EQ(child.exit_code(10s), c.code);
        EXPECT_EQ(child.exit_code(0ms), c.code) << "asked again, the same answer";
        EXPECT_FALSE(child.running());
    }
}

TEST(ChildProcess, ARunningProgramHasNoCodeYetAndGoesWithItsHandle)
{
    pid_t pid = -1;
    {
        Child child = spawn({"sleep", "30"}, Path());
        pid = child.pid();
        ASSERT_GT(pid, 0);
        EXPECT_EQ(child.exit_code(50ms), std::nullopt);
        EXPECT_TRUE(child.running());
        Child moved = std::move(child);
        EXPECT_FALSE(child.running()) << "the moved-from handle holds nothing";
        EXPECT_TRUE(moved.running());
    }
    EXPECT_NE(kill(pid, 0), 0) << "expected the process killed and reaped with its handle";
}

TEST(ChildProcess, AProgramThatIsNotThereIsNoProcess)
{
    Child child = spawn({"/nonexistent/orvelune-no-such-program"}, Path());
    EXPECT_EQ(child.pid(), -1);
    EXPECT_FALSE(child.running());
    EXPECT_EQ(child.exit_code(0ms), std::nullopt);
    EXPECT_EQ(child.read_line(0ms), std::nullopt);
}

TEST(ChildProcess, LinesAreReadWholeWhateverTheChunksAndLineEnds)
{
    struct Case {
        const char* script;
        std::vector<std::optional<std::string>> lines;
    };
    const Case cases[] = {
        {"printf 'one\\r\\ntwo\\n'", {"one", "two", std::nullopt}},
        {"printf 'ha'; sleep 0.2; printf 'lf\\n\\n'", {"half", "", std::nullopt}},
        // A last line without its end is never a whole line.
        {"printf 'whole\\npart'", {"whole", std::nullopt}},
    };
    SpawnOptions capture;
    capture.output = SpawnOptions::Output::Capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Child child = spawn({"sh", "-c", c.script}, Path(), capture);
        for (const std::optional<std::string>& line : c.lines)
            EXPECT_EQ(child.read_line(5s), line);
        EXPECT_EQ(child.exit_code(5s), 0);
    }
}

TEST(ChildProcess, StandardErrorGoesToItsFileAndEndSignalsWaitWhenBlocked)
{
    TempFolder folder;
    SpawnOptions options;
    options.stderr_path = folder / "err.txt";
    options.blocked_signals = {SIGTERM};
    Child child = spawn({"sh", "-c", "echo said >&2; exec sleep 30"}, Path(), options);
    ASSERT_GT(child.pid(), 0);
    child.signal(SIGTERM);
    EXPECT_EQ(child.exit_code(300ms), std::nullopt) << "expected SIGTERM held back by the mask";
    child.signal(SIGKILL);
    EXPECT_EQ(child.exit_code(10s), 128 + SIGKILL);
    EXPECT_EQ(ReadFile(folder / "err.txt"), "said\n");
}

TEST(Environment, ASetVariableReplacesOnlyItsOwnName)
{
    std::vector<std::string> env{"A=1", "AB=2", "B=3", "A=4"};
    set_variable(env, "A=5");
    EXPECT_EQ(env, (std::vector<std::string>{"AB=2", "B=3", "A=5"}));
    set_variable(env, "C=");
    EXPECT_EQ(env.back(), "C=");
}

TEST(TempFolders, AFolderGoesWithAllItHoldsAndAMovedOneOnlyOnce)
{
    std::string path;
    {
        TempFolder folder("orvelune-support-test");
        path = folder.path();
        ASSERT_FALSE(path.empty());
        std::filesystem::create_directories(folder / "a/b");
        std::ofstream(folder / "a/b/c.txt") << "text";
        TempFolder moved(std::move(folder));
        EXPECT_TRUE(folder.path().empty());
        EXPECT_EQ(moved.path(), path);
        EXPECT_EQ(ReadFile(moved / "a/b/c.txt"), "text");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Gates, StartsHeldAtOneGateAllGoOnceEveryOneIsThere)
{
    TempFolder folder;
    const std::string gate = folder / "gate", said = folder / "said";
    std::vector<Child> starts = StartAtOneGate(4, gate, [&](const std::string& at) {
        return spawn({"sh", "-c", "{ : < '" + at + "'; } && echo went >> '" + said + "'"}, Path());
    });
    ASSERT_EQ(starts.size(), 4u);
    for (Child& start : starts)
        EXPECT_EQ(start.exit_code(10s), 0);
    EXPECT_EQ(ReadFile(said), "went\nwent\nwent\nwent\n");
    EXPECT_TRUE(StartAtOneGate(1, gate, [](const std::string&) { return Child(); }).empty())
        << "a gate that cannot be made lets nothing start";
}

TEST(Pictures, DifferencesCountsAndPartsTakeOnlyWhatIsThere)
{
    gfx::Surface picture(4, 3, gfx::kBlack);
    picture.set(2, 1, gfx::rgb(255, 255, 0));
    picture.set(3, 2, gfx::rgb(255, 255, 0));
    struct Count {
        gfx::Rect area;
        int yellow;
    };
    for (const Count& c : {Count{{0, 0, 4, 3}, 2}, Count{{2, 1, 1, 1}, 1}, Count{{-5, -5, 8, 7}, 1},
                           Count{{3, 2, 10, 10}, 1}, Count{{4, 0, 3, 3}, 0}, Count{{0, 0, -2, 3}, 0}})
        EXPECT_EQ(CountPixels(picture, c.area, gfx::rgb(255, 255, 0)), c.yellow)
            << c.area.x << ", " << c.area.y << ", " << c.area.width << " x " << c.area.height;

    EXPECT_EQ(FirstDifference(picture, picture), "");
    gfx::Surface other = picture;
    other.set(1, 2, gfx::rgb(1, 2, 3));
    EXPECT_EQ(FirstDifference(picture, other), "expected 0x0 got 0x10203 at (1, 2)");
    EXPECT_EQ(FirstDifference(picture, gfx::Surface(4, 2)), "expected 4 x 3, got 4 x 2");

    const gfx::Surface part = PartOf(picture, {2, 1, 3, 3});
    ASSERT_EQ(part.width(), 3);
    ASSERT_EQ(part.height(), 3);
    EXPECT_EQ(part.at(0, 0), gfx::rgb(255, 255, 0));
    EXPECT_EQ(part.at(1, 1), gfx::rgb(255, 255, 0));
    EXPECT_EQ(part.at(2, 2), gfx::kBlack) << "beyond the picture: black";
}

TEST(Pictures, ABmpOfOneColourHasItsSizeRowsPaddedAndItsBytesBlueFirst)
{
    struct Case {
        int width;
        int height;
        std::size_t row; // bytes, padded to four
    };
    for (const Case& c : {Case{1, 1, 4}, Case{3, 2, 12}, Case{4, 3, 12}, Case{5, 1, 16}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::string bmp = SolidBmp(c.width, c.height, gfx::rgb(0x10, 0x20, 0x30));
        ASSERT_EQ(bmp.size(), 54 + c.row * std::size_t(c.height));
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        const auto u32 = [&](std::size_t at) {
            return std::uint32_t(std::uint8_t(bmp[at])) | std::uint32_t(std::uint8_t(bmp[at + 1])) << 8
                   | std::uint32_t(std::uint8_t(bmp[at + 2])) << 16 | std::uint32_t(std::uint8_t(bmp[at + 3])) << 24;
        };
        EXPECT_EQ(u32(2), bmp.size());
        EXPECT_EQ(u32(10), 54u);
        EXPECT_EQ(u32(18), std::uint32_t(c.width));
        EXPECT_EQ(u32(22), std::uint32_t(c.height));
        for (int y = 0; y < c.height; ++y) {
            const std::size_t row = 54 + c.row * std::size_t(y);
            EXPECT_EQ(bmp.substr(row, 3), "\x30\x20\x10");
            EXPECT_EQ(bmp.substr(row + 3 * std::size_t(c.width), c.row - 3 * std::size_t(c.width)),
                      std::string(c.row - 3 * std::size_t(c.width), '\0'));
        }
    }
}

} // namespace
} // namespace testrig
