// The settings file against other writers, planted links, read-only files
// and paths that name no regular file.
#include "settings/settings_file.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Runs `call` on a thread and waits up to ten seconds for it. A call that
// hangs on `fifo` is released by opening the FIFO's other end, so a fault
// fails the test instead of hanging the suite.
template <class Call>
void ExpectReturnsPromptly(const std::string& what, const std::string& fifo, Call call)
{
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        done.get();
        return;
    }
    ADD_FAILURE() << what << " blocked on the FIFO " << fifo;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        if (reader >= 0)
            ::close(reader);
    }
}

TEST(SettingsFileSafety, ConcurrentSavesLeaveOneWholeFile)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    ASSERT_TRUE(restore_default_settings_file(path).ok);

    // Every save rewrites all 38 keys in place, so whichever wins, the file
    // is exactly what one saver alone would have written.
    constexpr int kSavers = 4;
    std::set<std::string> whole_files = {ReadBytes(path)};
    for (int saver = 0; saver < kSavers; ++saver) {
        TempFolder alone;
        ASSERT_TRUE(save_settings_file(alone.file("a.ini"), WithSpeed(10 + saver)).ok);
        whole_files.insert(ReadBytes(alone.file("a.ini")));
    }

    for (int round = 0; round < 25; ++round) {
        std::vector<std::thread> savers;
        std::atomic<int> failures{0};
        for (int saver = 0; saver < kSavers; ++saver)
            savers.emplace_back([&, saver] {
                Settings s = WithSpeed(10 + saver);
                for (int n = 0; n < 4; ++n)
                    if (!save_settings_file(path, s).ok)
                        ++failures;
            });
        // A reader meanwhile sees the old file or a new one, never a mixture.
        for (int look = 0; look < 20; ++look) {
            std::string seen = ReadBytes(path);
            EXPECT_TRUE(whole_files.count(seen)) << "round " << round << ": a torn file of " << seen.size() << " bytes";
        }
        for (auto& t : savers)
            t.join();
        EXPECT_EQ(failures.load(), 0) << "round " << round;
        EXPECT_TRUE(whole_files.count(ReadBytes(path))) << "round " << round;
    }
    EXPECT_EQ(Names(folder.path()), std::set<std::string>{"Orvelune.ini"}) << "no temporary file is left behind";
}

// The names an earlier version wrote its new file under: beside the file,
// and beside the file a link names. Links planted there must not lead a save
// into overwriting what they point at.
TEST(SettingsFileSafety, LinksPlantedAtTemporaryNamesAreLeftAlone)
{
    TempFolder folder;
    const std::string real = folder.file("real.ini");
    const std::string link = folder.file("Orvelune.ini");
    const std::string victim = folder.file("victim");
    WriteBytes(victim, "precious");
    ASSERT_TRUE(restore_default_settings_file(real).ok);
    fs::create_symlink(real, link);
    for (const std::string& planted : {link + ".tmp", real + ".tmp"})
        fs::create_symlink(victim, planted);

    ASSERT_TRUE(save_settings_file(link, WithSpeed(21)).ok);
    EXPECT_EQ(ReadBytes(victim), "precious");
    EXPECT_EQ(Loaded(link).g_Speed, 21) << "the save went through the link to the real file";
    EXPECT_TRUE(fs::is_symlink(link)) << "the link itself stays a link";
    for (const std::string& planted : {link + ".tmp", real + ".tmp"}) {
        EXPECT_TRUE(fs::is_symlink(planted)) << planted;
        EXPECT_EQ(fs::read_symlink(planted), victim) << planted;
    }
    EXPECT_EQ(Names(folder.path()).size(), 5u) << "nothing else appeared beside them";
}

TEST(SettingsFileSafety, TheNewFileKeepsTheOldPermissions)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    for (mode_t mode : {0600, 0640, 0664}) {
        ASSERT_TRUE(restore_default_settings_file(path).ok);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(save_settings_file(path, WithSpeed(12)).ok);
        EXPECT_EQ(ModeOf(path), mode) << "expected " << std::oct << mode << " got " << ModeOf(path);
    }
}

TEST(SettingsFileSafety, AReadOnlyFileIsNotReplaced)
{
    TempFolder folder;
    std::string path = folder.file("Orvelune.ini");
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    const std::string before = ReadBytes(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    for (SaveResult result : {save_settings_file(path, WithSpeed(25)), restore_default_settings_file(path)}) {
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error.rfind("設定ファイルを保存できませんでした: " + path, 0), 0u) << result.error;
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(ModeOf(path), mode_t(0444));
    EXPECT_EQ(Names(folder.path()), std::set<std::string>{"Orvelune.ini"});
}

// Opening a FIFO for reading waits for a writer: nothing may open one. The
// settings file, a picture that pattern 4 names, and a save over a FIFO.
TEST(SettingsFileSafety, AFifoIsNeverOpenedForReading)
{
    TempFolder folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    ExpectReturnsPromptly("LoadSettings", fifo, [&] { EXPECT_EQ(Loaded(fifo).g_Speed, 15); });
    ExpectReturnsPromptly("FileExists", fifo, [&] { EXPECT_FALSE(FileExists(fifo)); });
    ExpectReturnsPromptly("save_settings_file", fifo, [&] { EXPECT_FALSE(save_settings_file(fifo, WithSpeed(12)).ok); });
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the FIFO is still there";

    const std::string ini = folder.file("Orvelune.ini");
    Settings picture = WithSpeed(15);
    picture.g_BackgroundMode = 4;
    picture.g_BackgroundPicturePath = fifo;
    ASSERT_TRUE(save_settings_file(ini, picture).ok);
    ExpectReturnsPromptly("LoadSettings with a FIFO picture", fifo, [&] {
        Settings s = Loaded(ini);
        EXPECT_EQ(s.g_BackgroundMode, 4) << "the loader leaves the picture to the decoder";
        EXPECT_EQ(s.g_BackgroundPicturePath, fifo);
    });
}

} // namespace
