// Where a save puts the settings file and what it leaves around it: links
// into folders whose file does not exist yet, the owner of a file that root
// saves, the new files of saves that were killed, and a user without HOME.
#include "settings/settings_file.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace {

TEST(SettingsFilePlace, ASaveThroughALinkToNoFileYetCreatesThatFileAndKeepsTheLink)
{
    struct Case {
        const char* what;
        std::string link_text; // relative to the test's folder, or absolute
        std::string chain;     // non-empty: the link names this link, which names link_text
    };
    TempFolder folder;
    fs::create_directories(folder.path() / "dotfiles" / "orvelune");
    const std::string stored = (folder.path() / "dotfiles" / "orvelune" / "Orvelune.ini").string();
    const Case cases[] = {
        {"an absolute link", stored, ""},
        {"a relative link", "../dotfiles/orvelune/Orvelune.ini", ""},
        {"a link to a link", stored, "../second-link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(stored);
        const fs::path config = folder.path() / "config";
        fs::remove_all(config);
        fs::remove(folder.path() / "second-link");
        fs::create_directories(config);
        const std::string link = (config / "Orvelune.ini").string();
        if (c.chain.empty()) {
            fs::create_symlink(c.link_text, link);
        } else {
            fs::create_symlink(c.link_text, folder.path() / "second-link");
            fs::create_symlink(c.chain, link);
        }
        ASSERT_FALSE(fs::exists(link)) << "the link dangles before the first save";

        ASSERT_TRUE(save_settings_file(link, WithSpeed(22)).ok);
        EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(stored))) << "the file is made where the link points";
        EXPECT_EQ(Loaded(stored).g_Speed, 22);
        EXPECT_EQ(Loaded(link).g_Speed, 22);
        // And the next save goes the same way.
        ASSERT_TRUE(save_settings_file(link, WithSpeed(12)).ok);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(Loaded(stored).g_Speed, 12);
        EXPECT_EQ(Names(config), std::set<std::string>{"Orvelune.ini"});
    }
}

TEST(SettingsFilePlace, ALinkThatLeadsToItselfIsRefusedWithoutWritingAnything)
{
    TempFolder folder;
    const std::string link = folder.file("Orvelune.ini");
    fs::create_symlink("other", link);
    fs::create_symlink("Orvelune.ini", folder.path() / "other");
    SaveResult result = save_settings_file(link, WithSpeed(22));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(link), std::string::npos) << result.error;
    EXPECT_EQ(Names(folder.path()), (std::set<std::string>{"Orvelune.ini", "other"}));
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST(SettingsFilePlace, RootSavingAnotherUsersFileLeavesItTheirs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can save a file that another user owns";
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        GTEST_SKIP() << "no user nobody";
    TempFolder folder;
    const std::string path = folder.file("Orvelune.ini");
    struct Case {
        uid_t uid;
        gid_t gid;
        mode_t mode;
    };
    for (const Case& c : {Case{nobody->pw_uid, nobody->pw_gid, 0600}, Case{nobody->pw_uid, 0, 0640},
                          Case{0, nobody->pw_gid, 0660}, Case{nobody->pw_uid, nobody->pw_gid, 0604}}) {
        SCOPED_TRACE("uid " + std::to_string(c.uid) + " gid " + std::to_string(c.gid));
        ASSERT_TRUE(restore_default_settings_file(path).ok);
        ASSERT_EQ(::chown(path.c_str(), c.uid, c.gid), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        ASSERT_TRUE(save_settings_file(path, WithSpeed(28)).ok);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, c.uid);
        EXPECT_EQ(info.st_gid, c.gid);
        EXPECT_EQ(info.st_mode & 07777, c.mode) << std::oct << (info.st_mode & 07777);
        EXPECT_EQ(Loaded(path).g_Speed, 28);
    }
}

// A save that was killed leaves its new file, named like
// ".Orvelune.ini.0123456789abcdef.tmp", behind. The next save of the same
// file removes those that no running save holds (a running save holds its
// file locked), and nothing else.
TEST(SettingsFilePlace, ASaveRemovesTheNewFilesOfKilledSavesButNotThoseOfRunningOnes)
{
    TempFolder folder;
    const std::string path = folder.file("Orvelune.ini");
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    const std::set<std::string> abandoned = {".Orvelune.ini.0123456789abcdef.tmp",
                                             ".Orvelune.ini.fedcba9876543210.tmp"};
    for (const std::string& name : abandoned)
        WriteBytes(folder.file(name), "half a file");
    // Not a killed save's of this file: another file's, wrong digits, a link.
    const std::set<std::string> kept = {".Other.ini.0123456789abcdef.tmp", ".Orvelune.ini.0123456789ABCDEF.tmp",
                                        ".Orvelune.ini.0123456789abcde.tmp", ".Orvelune.ini.0123456789abcdef.tmp~",
                                        "Orvelune.ini.0123456789abcdef.tmp"};
    for (const std::string& name : kept)
        WriteBytes(folder.file(name), "not ours");
    const std::string victim = folder.file("victim");
    WriteBytes(victim, "precious");
    fs::create_symlink(victim, folder.path() / ".Orvelune.ini.00000000000000ff.tmp");
    // A save running meanwhile: its file is locked.
    const std::string running = folder.file(".Orvelune.ini.1111111111111111.tmp");
    WriteBytes(running, "being written");
    const int held = ::open(running.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_TRUE(save_settings_file(path, WithSpeed(17)).ok);
    std::set<std::string> expected = kept;
    expected.insert({"Orvelune.ini", "victim", ".Orvelune.ini.00000000000000ff.tmp",
                     ".Orvelune.ini.1111111111111111.tmp"});
    EXPECT_EQ(Names(folder.path()), expected);
    EXPECT_EQ(ReadBytes(running), "being written");
    EXPECT_EQ(ReadBytes(victim), "precious");

    // Once that save has gone without finishing, its file goes too.
    ::close(held);
    ASSERT_TRUE(restore_default_settings_file(path).ok);
    expected.erase(".Orvelune.ini.1111111111111111.tmp");
    EXPECT_EQ(Names(folder.path()), expected);
}

// Restores an environment variable at the end of a test.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : m_name(name)
    {
        if (const char* value = std::getenv(name))
            m_value = value;
    }
    ~SavedVariable()
    {
        if (m_value)
            ::setenv(m_name, m_value->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

TEST(SettingsFilePlace, WithoutAUsableHomeTheFileIsInTheHomeThePasswordDatabaseNames)
{
    SavedVariable home("HOME");
    SavedVariable xdg("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    const passwd* me = ::getpwuid(::getuid());
    ASSERT_TRUE(me && me->pw_dir);
    const std::string expected = std::string(me->pw_dir) + "/.config/orvelune/Orvelune.ini";
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home", "."}) {
        SCOPED_TRACE(value ? std::string("HOME=") + value : std::string("no HOME"));
        if (value)
            ::setenv("HOME", value, 1);
        else
            ::unsetenv("HOME");
        EXPECT_EQ(default_ini_path("/opt/orvelune"), expected) << "never beside the program or in the current folder";
    }
}

TEST(SettingsFilePlace, NoSettingsPathLoadsTheDefaultsAndASaveSaysWhyItCannot)
{
    EXPECT_EQ(Loaded("").g_Speed, 15);
    for (SaveResult result : {save_settings_file("", WithSpeed(20)), restore_default_settings_file("")}) {
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find("ホームフォルダー"), std::string::npos) << result.error;
    }
}

} // namespace
