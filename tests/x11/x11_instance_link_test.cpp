// The single-instance guard when its lock file has been replaced by
// something else: a link (to nothing, to another file, to a folder), a FIFO,
// a socket. The guard never follows or opens it, puts a file of its own in
// its place, and keeps working.
#include "x11_program.h"
#include "x11_rig.h"

#include "host/x11/x11_host.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace x11test {
namespace {

using namespace std::chrono_literals;

// Puts a socket at `path`, as a program listening there would.
bool MakeSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return made;
}

struct Planted {
    const char* what;
    // Puts the thing at `lock` (the lock file's path) in the folder `folder`.
    std::function<bool(const std::string& lock, const std::string& folder)> plant;
};

const Planted kPlanted[] = {
    {"a link to nothing",
     [](const std::string& lock, const std::string& folder) {
         return symlink((folder + "/missing/none").c_str(), lock.c_str()) == 0;
     }},
    {"a link to a file",
     [](const std::string& lock, const std::string& folder) {
         const std::string victim = folder + "/victim";
         const int fd = open(victim.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
         const bool written = fd >= 0 && write(fd, "precious", 8) == 8;
         if (fd >= 0)
             close(fd);
         return written && symlink(victim.c_str(), lock.c_str()) == 0;
     }},
    {"a link to a folder",
     [](const std::string& lock, const std::string& folder) {
         return mkdir((folder + "/sub").c_str(), 0700) == 0 && symlink("sub", lock.c_str()) == 0;
     }},
    {"a link to itself", [](const std::string& lock, const std::string&) { return symlink(lock.c_str(), lock.c_str()) == 0; }},
    {"a FIFO", [](const std::string& lock, const std::string&) { return mkfifo(lock.c_str(), 0600) == 0; }},
    {"a socket", [](const std::string& lock, const std::string&) { return MakeSocket(lock); }},
};

class InstanceLinkOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(320, 240);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        ASSERT_FALSE(runtime.path().empty());
        lock = runtime.path() + "/orvelune-" + rig->display_name() + ".lock";
    }

    std::unique_ptr<host::Host> Open()
    {
        setenv("DISPLAY", rig->display_name().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        std::string error;
        std::unique_ptr<host::Host> x11 = host::open_x11_host({}, error);
        EXPECT_TRUE(x11) << error;
        return x11;
    }

    std::unique_ptr<XvfbRig> rig;
    // Stands for the session's runtime folder.
    testrig::TempFolder runtime{"orvelune-instance-link"};
    std::string lock;
};

TEST_F(InstanceLinkOnX, WhateverTakesTheLockFilesPlaceIsReplacedAndTheClaimStillGoesToOneHost)
{
    for (const Planted& planted : kPlanted) {
        SCOPED_TRACE(planted.what);
        fs::remove_all(runtime.path());
        fs::create_directory(runtime.path());
        fs::permissions(runtime.path(), fs::perms::owner_all);
        ASSERT_TRUE(planted.plant(lock, runtime.path())) << std::strerror(errno);

        std::unique_ptr<host::Host> first = Open();
        std::unique_ptr<host::Host> second = Open();
        ASSERT_TRUE(first && second);
        // Only a look: it neither waits on a FIFO nor changes what is there.
        auto look = std::async(std::launch::async, [&] { return second->instance_claimed_elsewhere(); });
        if (look.wait_for(10s) != std::future_status::ready) {
            ADD_FAILURE() << "looking for a claim hung";
            // Let it go by opening the FIFO's other end, so that the suite goes on.
            while (look.wait_for(50ms) != std::future_status::ready)
                if (const int writer = open(lock.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); writer >= 0)
                    close(writer);
        }
        EXPECT_FALSE(look.get());

        EXPECT_EQ(first->claim_instance(), host::InstanceClaim::Claimed);
        struct stat info {};
        ASSERT_EQ(lstat(lock.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode)) << "expected a regular lock file in its place";
        EXPECT_TRUE(second->instance_claimed_elsewhere());
        EXPECT_EQ(second->claim_instance(), host::InstanceClaim::HeldElsewhere);

        first.reset();
        EXPECT_EQ(second->claim_instance(), host::InstanceClaim::Claimed) << "the claim leaves with its holder";
        second.reset();

        // What a link pointed at is untouched, and nothing else was left.
        if (fs::exists(runtime.path() + "/victim")) {
            EXPECT_EQ(ReadFile(runtime.path() + "/victim"), "precious");
        }
        if (fs::exists(runtime.path() + "/sub")) {
            EXPECT_TRUE(fs::is_empty(runtime.path() + "/sub"));
        }
        for (const auto& entry : fs::directory_iterator(runtime.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
}

// Hosts in processes of their own all claim at the same moment, held at a
// pipe until it closes, with the lock file a link each time: of every round,
// exactly one claims, and none finds the guard unavailable.
TEST_F(InstanceLinkOnX, OfManyClaimsAtOnceWithTheLockFileALinkExactlyOneWins)
{
    constexpr int kRounds = 20;
    constexpr int kClaims = 10;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove(lock);
        ASSERT_EQ(symlink((runtime.path() + "/elsewhere").c_str(), lock.c_str()), 0);
        int gate[2], answers[2], release[2];
        ASSERT_EQ(pipe(gate), 0);
        ASSERT_EQ(pipe(answers), 0);
        ASSERT_EQ(pipe(release), 0);
        std::vector<Child> claimers;
        for (int i = 0; i < kClaims; ++i) {
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                close(gate[1]);
                close(answers[0]);
                close(release[1]);
                std::unique_ptr<host::Host> x11 = Open();
                char byte = 0;
                const bool released = read(gate[0], &byte, 1) == 0;
                const host::InstanceClaim claim = x11->claim_instance();
                const char answer = !released ? '?'
                                    : claim == host::InstanceClaim::Claimed       ? 'C'
                                    : claim == host::InstanceClaim::HeldElsewhere ? 'H'
                                                                                  : 'U';
                const bool told = write(answers[1], &answer, 1) == 1;
                // Hold the claim until every answer is in.
                while (told && read(release[0], &byte, 1) > 0) {
                }
                std::_Exit(0);
            }
            claimers.emplace_back(pid);
        }
        close(gate[0]);
        close(answers[1]);
        close(release[0]);
        close(gate[1]); // all go
        std::string got;
        char answer = 0;
        while (got.size() < std::size_t(kClaims) && read(answers[0], &answer, 1) == 1)
            got += answer;
        close(answers[0]);
        close(release[1]);
        for (Child& claimer : claimers)
            claimer.wait(10s);
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, "C" + std::string(kClaims - 1, 'H')) << "round " << round << ": C claimed, H held elsewhere, U unavailable";
    }
}

TEST_F(InstanceLinkOnX, OfTenStartsAtOnceWithTheLockFileALinkExactlyOneRuns)
{
    // All ten find the link at the same moment: each would replace it with a
    // file of its own and lock that, unless the replacing is arbitrated.
    constexpr int kStarts = 10;
    ASSERT_EQ(symlink((runtime.path() + "/elsewhere").c_str(), lock.c_str()), 0);
    X11Program program(*rig, {"XDG_RUNTIME_DIR=" + runtime.path()});
    testrig::ExpectOneOfManyStartsAtOnceRuns(program, kStarts);
    struct stat info {};
    ASSERT_EQ(lstat(lock.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_FALSE(fs::exists(runtime.path() + "/elsewhere")) << "the link was not followed";
}

} // namespace
} // namespace x11test
