// A save killed at any moment leaves the old file or the new one, whole:
// a helper saves in a loop and is killed with SIGKILL at random points.
#include "settings/settings_file.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <thread>

extern char** environ;

namespace {

// Starts settings_save_loop on `path`; its standard output is `*from`.
pid_t StartSaver(const std::string& path, int* from)
{
    int out[2];
    if (::pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const std::string program = std::string(ORVELUNE_BIN_DIR) + "/settings_save_loop";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    *from = out[0];
    return pid;
}

// Reads what is there, waiting up to `wait_ms` for the first byte; the count.
long Drain(int fd, int wait_ms)
{
    long count = 0;
    char buffer[256];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, count == 0 ? wait_ms : 0) > 0) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        count += got;
    }
    return count;
}

TEST(SettingsFileCrash, AKilledSaveLeavesTheOldOrTheNewFile)
{
    TempFolder folder;
    const std::string path = folder.file("Orvelune.ini");
    ASSERT_TRUE(restore_default_settings_file(path).ok);

    // The three whole files there can ever be: the first, and the helper's two.
    std::set<std::string> whole = {ReadBytes(path)};
    for (int speed : {10, 20}) {
        Settings s{};
        LoadSettings(s, "");
        s.g_Speed = std::int16_t(speed);
        const std::string alone = folder.file("alone.ini");
        ASSERT_TRUE(save_settings_file(alone, s).ok);
        whole.insert(ReadBytes(alone));
        std::filesystem::remove(alone);
    }

    std::mt19937 random(20240612);
    long saves = 0;
    int kills = 0;
    while (saves < 1000 && kills < 5000) {
        int from = -1;
        const pid_t saver = StartSaver(path, &from);
        ASSERT_GT(saver, 0) << "cannot start settings_save_loop";
        // Let a few saves complete, then kill at a random point of the next.
        const long before_kill = long(random() % 4);
        long seen = 0;
        while (seen < before_kill) {
            long got = Drain(from, 5000);
            if (got == 0)
                break;
            seen += got;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ::kill(saver, SIGKILL);
        int status = 0;
        ::waitpid(saver, &status, 0);
        seen += Drain(from, 0);
        ::close(from);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the helper ended by itself with " << WEXITSTATUS(status);
        saves += seen;
        ++kills;

        const std::string now = ReadBytes(path);
        ASSERT_TRUE(whole.count(now)) << "after " << saves << " saves and " << kills << " kills: a file of "
                                      << now.size() << " bytes that is neither the old nor the new";
    }
    EXPECT_GE(saves, 1000);

    // The new files of the killed saves are removed by the next save.
    auto leftovers = [&] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            count += entry.path().filename() != "Orvelune.ini";
        return count;
    };
    const int left = leftovers();
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    EXPECT_EQ(leftovers(), 0) << "of " << left << " files that killed saves left";
    std::printf("%ld saves completed around %d kills, which left %d files\n", saves, kills, left);
}

} // namespace
