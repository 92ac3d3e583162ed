// The saver's picture is decoded in a child process while the saver goes on
// answering: a decoder held still for good must not keep SIGTERM or a click
// from ending the saver, and goes with it.
#include "x11_rig.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;

// A large screen, so that the largest picture it decodes takes a while.
constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr const char* kSaverTitle = "Orvelune(Main)";

// The first child of `parent`, as soon as there is one; 0 once `parent` no
// longer lives or `give_up` has passed.
pid_t FirstChildOf(pid_t parent, Clock::time_point give_up)
{
    const std::string path = "/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children";
    while (Clock::now() < give_up) {
        std::ifstream children(path);
        if (!children)
            return 0;
        pid_t child = 0;
        if (children >> child && child > 0)
            return child;
    }
    return 0;
}

bool Gone(pid_t pid, std::chrono::milliseconds within)
{
    const auto until = Clock::now() + within;
    while (Clock::now() < until) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        // Gone, or a zombie waiting for whoever inherited it.
        if (!stat || !std::getline(stat, text) || text.find(") Z") != std::string::npos)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

class PictureOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(kWidth, kHeight);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        if (!std::ifstream("/proc/self/task/" + std::to_string(getpid()) + "/children"))
            GTEST_SKIP() << "this kernel does not list a process's children";
        picture = std::filesystem::temp_directory_path() / ("orvelune-picture-" + std::to_string(getpid()) + ".bmp");
        // Four screens' pixels: the largest picture the saver decodes here.
        std::ofstream(picture, std::ios::binary) << testrig::SolidBmp(2 * kWidth, 2 * kHeight, gfx::rgb(0x40, 0x40, 0x40));
        Settings settings = SlowSettings(0);
        settings.g_BackgroundMode = 4;
        settings.g_BackgroundArrangement = 1;
        settings.g_BackgroundPicturePath = picture.string();
        rig->write_settings(settings);
    }
    void TearDown() override
    {
        rig.reset();
        if (!picture.empty())
            std::filesystem::remove(picture);
    }

    // The saver started with its decoder caught and stopped; false when the
    // decode ended before it could be caught, every time of a few. The
    // decoder is held only once it has set its limits, and so has also
    // asked to go when the saver goes.
    bool StartWithTheDecoderHeld(Child& saver, pid_t& decoder)
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            saver = rig->start_orvelune({"/s"});
            decoder = FirstChildOf(saver.pid(), Clock::now() + 10s);
            while (decoder > 0 && kill(decoder, SIGSTOP) == 0) {
                if (ParentOf(decoder) != saver.pid())
                    break; // gone, its number taken by another
                if (HasItsLimits(decoder))
                    return true;
                kill(decoder, SIGCONT);
                std::this_thread::yield();
            }
            saver.signal(SIGKILL);
            saver.wait(10s);
        }
        return false;
    }

    static pid_t ParentOf(pid_t pid)
    {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        if (!std::getline(stat, text) || text.rfind(')') == std::string::npos)
            return 0;
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string state;
        pid_t parent = 0;
        fields >> state >> parent;
        return parent;
    }

    static bool HasItsLimits(pid_t pid)
    {
        std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
        for (std::string line; std::getline(limits, line);)
            if (line.starts_with("Max cpu time"))
                return line.find("unlimited") == std::string::npos;
        return false;
    }

    std::unique_ptr<XvfbRig> rig;
    std::filesystem::path picture;
};

TEST_F(PictureOnX, SigtermOrAClickEndsTheSaverWhileItsPictureDecodes)
{
    for (const bool click : {false, true}) {
        if (click && !XvfbRig::have_xdotool())
            GTEST_SKIP() << "xdotool is not installed";
        Child saver;
        pid_t decoder = 0;
        ASSERT_TRUE(StartWithTheDecoderHeld(saver, decoder)) << "never caught the decoder at work";
        // The decoder would be given up only after its deadline of 15 s; the
        // saver ends long before that, from its loop.
        if (click) {
            ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 5s)) << "the window is up while the picture decodes";
            ASSERT_TRUE(rig->xdotool({"mousemove", "100", "100", "click", "1"}));
        } else {
            saver.signal(SIGTERM);
        }
        const std::optional<int> status = saver.wait(8s);
        ASSERT_TRUE(status.has_value()) << (click ? "a click" : "SIGTERM") << " did not end the saver while it decoded";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
        EXPECT_TRUE(Gone(decoder, 5s)) << "the decoder outlived the saver";
    }
}

} // namespace
} // namespace x11test

