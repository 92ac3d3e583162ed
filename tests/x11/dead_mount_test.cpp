// A background picture on a network mount that stopped answering (a dead
// sshfs, gvfs or rclone mount; a FUSE file system that never answers stands
// in for it): whatever touches the path is held in the kernel for good, not
// even SIGKILL frees it. Only the decoder's child may touch it; it is given up
// at its deadline and holds nothing of the saver's. What every platform's
// program must do with such a picture is the real-window scenario
// APictureOnAMountThatStoppedAnswering...; here, what is Linux's own.
#include "dead_mount.h"
#include "program_under_test.h"
#include "x11_rig.h"

#include "common/window_titles.h"
#include "dialog/controls.h"
#include "host/gdk/picture_process.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kPictureChooserTitle = "背景にする画像ファイルを選択 ";

// The children of this process (of any of its threads), as the kernel lists them.
std::vector<pid_t> OwnChildren()
{
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/self/task", error)) {
        std::ifstream list(task.path() / "children");
        for (pid_t pid = 0; list >> pid;)
            children.push_back(pid);
    }
    return children;
}

// Its state letter from /proc (R, S, D, Z, ...); '?' once it is gone.
char StateOf(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text) || text.rfind(')') == std::string::npos || text.rfind(')') + 2 >= text.size())
        return '?';
    return text[text.rfind(')') + 2];
}

// Where each of its descriptors leads, by number.
std::map<int, std::string> DescriptorsOf(pid_t pid)
{
    std::map<int, std::string> open;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
        open[std::stoi(entry.path().filename().string())] = fs::read_symlink(entry.path(), error).string();
    return open;
}

class DeadMountPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::ifstream("/proc/self/task/" + std::to_string(getpid()) + "/children"))
            GTEST_SKIP() << "this kernel does not list a process's children";
        mount = std::make_unique<testrig::DeadMount>(folder / "mount");
        if (!mount->mounted())
            GTEST_SKIP() << mount->why();
    }
    void TearDown() override
    {
        // First, so that every process held in it is free to end (and a
        // program that failed to keep clear of it can be killed and reaped).
        mount.reset();
        programs.clear();
    }

    Child& Start(XvfbRig& rig, const std::string& argument)
    {
        return programs.emplace_back(rig.start_orvelune({argument}));
    }

    testrig::TempFolder folder{"orvelune-dead-mount"};
    std::unique_ptr<testrig::DeadMount> mount;
    std::list<Child> programs;
};

// The decoder past its deadline: killed, it cannot end, and the caller goes
// on without waiting for it. Meanwhile it holds only its pipe and /dev/null.
TEST_F(DeadMountPicture, TheStuckDecoderIsGivenUpAtItsDeadlineAndHoldsNothingOfOurs)
{
    int unrelated[2];
    ASSERT_EQ(pipe(unrelated), 0); // stands for the display connection and the lock
    host::PictureDecodeLimits limits;
    limits.deadline_ms = 300;
    gfx::Surface out(2, 2, 0x123456);
    const std::vector<pid_t> before = OwnChildren();
    auto decoded = std::async(std::launch::async, [&] {
        return host::decode_picture_file_in_child(*mount / "picture.png", out, host::kMaxPicturePixels, nullptr,
                                                  limits);
    });
    if (decoded.wait_for(5s) != std::future_status::ready) {
        mount.reset(); // frees the child, and so the caller
        FAIL() << "the caller waited for a child that cannot end";
    }
    EXPECT_EQ(decoded.get(), host::PictureResult::TooLarge);
    EXPECT_EQ(out, gfx::Surface(2, 2, 0x123456));

    std::vector<pid_t> stuck;
    for (pid_t pid : OwnChildren())
        if (std::find(before.begin(), before.end(), pid) == before.end())
            stuck.push_back(pid);
    ASSERT_EQ(stuck.size(), 1u) << "the decoder killed at its deadline is still there, held by the mount";
    EXPECT_EQ(StateOf(stuck[0]), 'D') << "held in the kernel, out of SIGKILL's reach";
    std::map<int, std::string> open = DescriptorsOf(stuck[0]);
    ASSERT_EQ(open.size(), 4u);
    for (int fd : {0, 1, 2})
        EXPECT_EQ(open[fd], "/dev/null") << "descriptor " << fd;
    EXPECT_TRUE(open[3].starts_with("pipe:")) << open[3];
    close(unrelated[0]);
    close(unrelated[1]);
}

// The dialog's picture chooser opens where the picture was: on the dead
// mount, it opens in the user's pictures instead, and the dialog still ends.
TEST_F(DeadMountPicture, ThePictureChooserOpensElsewhere)
{
    if (!XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    XvfbRig rig(800, 600);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    Settings settings = SlowSettings(0);
    settings.g_BackgroundMode = 4;
    settings.g_BackgroundPicturePath = *mount / "sea/picture.png";
    rig.write_settings(settings);

    Child& dialog = Start(rig, "/c");
    ASSERT_TRUE(rig.wait_for_window(kSettingsDialogTitle, 10s));
    const dialog::ControlTable controls;
    const dialog::Control* button = controls.find("Img_Path");
    ASSERT_NE(button, nullptr);
    // The dialog is centred on the screen.
    const int x = (rig.width() - testrig::kDialogWidth) / 2 + button->rect.x + button->rect.width / 2;
    const int y = (rig.height() - testrig::kDialogHeight) / 2 + button->rect.y + button->rect.height / 2;
    ASSERT_TRUE(rig.xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}));
    EXPECT_TRUE(rig.wait_for_window(kPictureChooserTitle, 20s)) << "no chooser: the dialog was held by the dead folder";
    dialog.signal(SIGTERM);
    const std::optional<int> status = dialog.wait(5s);
    ASSERT_TRUE(status.has_value()) << "SIGTERM did not end the dialog";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << testrig::DescribeStatus(*status);
}

} // namespace
} // namespace x11test
