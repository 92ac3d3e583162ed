// Every command line through the headless host, which records what start-up
// opened, showed, hid and ended.
#include "startup/startup.h"

#include "host/headless/headless_host.h"
#include "settings/settings_file.h"
#include "startup/hack_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct Outcome {
    std::optional<int> ended;   // status, when the process was ended
    std::optional<int> returned; // what run_startup returned otherwise
};

struct StartupRun : ::testing::Test {
    host::HeadlessOptions host_options;
    std::optional<host::HeadlessHost> host;
    int settings_loads = 0;
    std::vector<std::pair<host::NativeHandle, host::Size>> previews;
    int dialogs = 0;
    bool with_seams = true;

    void SetUp() override
    {
        // A small screen keeps the saver's load quick.
        host_options.screen = {320, 240};
        host.emplace(host_options);
    }

    Outcome start(const std::string& command_line)
    {
        StartupOptions options;
        options.command_line = command_line;
        options.ini_path = "/nonexistent/orvelune-test/Orvelune.ini"; // all defaults
        options.seed = 1;
        options.settings_loader = [this](Settings& s, const std::string& path) {
            ++settings_loads;
            LoadSettings(s, path);
        };
        if (with_seams) {
            options.seams.run_preview = [this](host::Host&, Settings&, host::NativeHandle parent,
                                               host::Size pane) { previews.push_back({parent, pane}); };
            options.seams.show_settings_dialog = [this](host::Host&, Settings&) { ++dialogs; };
        }
        // The saver is loaded but not run: run() returns at once.
        host->quit();
        Outcome outcome;
        try {
            outcome.returned = run_startup(*host, options);
        } catch (const host::ProcessEnd& end) {
            outcome.ended = end.status;
        }
        return outcome;
    }

    const host::WindowRecord* saver_window() const
    {
        for (const host::WindowRecord& w : host->windows())
            if (w.title == "Orvelune(Main)")
                return &w;
        return nullptr;
    }
};

TEST_F(StartupRun, SaverSwitchesHideTheCursorAndLoadTheSaver)
{
    for (const char* line : {"/s", "/S", "-s"}) {
        SetUp();
        Outcome outcome = start(line);
        EXPECT_EQ(outcome.returned, 0) << line;
        EXPECT_EQ(settings_loads, 1);
        const host::WindowRecord* saver = saver_window();
        ASSERT_NE(saver, nullptr) << "no saver window for " << line;
        EXPECT_TRUE(saver->ever_shown) << line;
        EXPECT_TRUE(saver->topmost) << line;
        EXPECT_GE(saver->rect.width, 320);
        EXPECT_GE(saver->rect.height, 240);
        EXPECT_EQ(saver->timer_interval_ms, 10);
        // Hidden once by start-up and once more by the saver's load.
        EXPECT_EQ(host->cursor_calls(), (std::vector<bool>{false, false})) << line;
        EXPECT_EQ(host->cursor_count(), -2);
        settings_loads = 0;
    }
}

TEST_F(StartupRun, EmptyCommandLineLoadsTheSaverWithTheCursorVisible)
{
    Outcome outcome = start("");
    EXPECT_EQ(outcome.returned, 0);
    ASSERT_NE(saver_window(), nullptr);
    EXPECT_TRUE(saver_window()->ever_shown);
    EXPECT_TRUE(host->cursor_calls().empty()) << "the cursor must never be hidden";
}

TEST_F(StartupRun, UnknownOrIncompleteSwitchesEndAtOnce)
{
    for (const char* line : {"/x", "s", "/", "-q 12"}) {
        SetUp();
        Outcome outcome = start(line);
        EXPECT_EQ(outcome.ended, 0) << line;
        EXPECT_TRUE(host->windows().empty()) << line;
        EXPECT_TRUE(host->cursor_calls().empty()) << line;
    }
}

TEST_F(StartupRun, PreviewEmbedsIntoTheNamedPane)
{
    for (const char* line : {"/p 1234", "/p:1234", "/P 1234junk"}) {
        SetUp();
        host->foreign_windows[1234] = {400, 300, 152, 112};
        previews.clear();
        Outcome outcome = start(line);
        EXPECT_EQ(outcome.returned, 0) << line;
        ASSERT_EQ(previews.size(), 1u) << line;
        EXPECT_EQ(previews[0].first, 1234u) << line;
        EXPECT_EQ(previews[0].second, (host::Size{152, 112})) << line;
        EXPECT_EQ(settings_loads, 1);
        EXPECT_TRUE(host->cursor_calls().empty());
        settings_loads = 0;
    }
}

TEST_F(StartupRun, PreviewWithoutAHandleGetsParentZeroAndAnEmptyPane)
{
    Outcome outcome = start("/p");
    EXPECT_EQ(outcome.returned, 0);
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].first, 0u);
    EXPECT_EQ(previews[0].second, (host::Size{0, 0}));
}

TEST_F(StartupRun, SettingsOpenTheDialogThenEnd)
{
    for (const char* line : {"/c", "/c:5678", "/C"}) {
        SetUp();
        dialogs = 0;
        Outcome outcome = start(line);
        EXPECT_EQ(dialogs, 1) << line;
        EXPECT_EQ(outcome.ended, 0) << line << ": the process ends when the dialog closes";
        EXPECT_EQ(saver_window(), nullptr);
    }
}

TEST_F(StartupRun, ModesWithoutTheirWindowSaySoAndEnd)
{
    with_seams = false;
    for (const char* line : {"/c", "/p 1"}) {
        SetUp();
        ::testing::internal::CaptureStderr();
        Outcome outcome = start(line);
        std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(outcome.ended, 1) << line;
        EXPECT_NE(said.find("is not available in this build"), std::string::npos)
            << line << ": got \"" << said << "\"";
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line expected, got \"" << said << "\"";
    }
}

TEST_F(StartupRun, PasswordChangeOnlyOnSystemsOutsideTheNtFamily)
{
    Outcome outcome = start("/a 1234");
    EXPECT_EQ(outcome.ended, 0);
    EXPECT_TRUE(host->password_change_calls().empty()) << "NT changes passwords elsewhere";

    host_options.is_nt = false;
    host.emplace(host_options);
    outcome = start("/a 1234");
    EXPECT_EQ(outcome.ended, 0);
    EXPECT_EQ(host->password_change_calls(), (std::vector<host::NativeHandle>{1234}));

    host.emplace(host_options);
    outcome = start("/a:12ab");
    EXPECT_EQ(outcome.ended, 0);
    EXPECT_TRUE(host->password_change_calls().empty()) << "a handle that is no number skips the call";
    EXPECT_TRUE(host->windows().empty());
}

TEST_F(StartupRun, SecondStartEndsBeforeReadingTheSettings)
{
    // A running instance shows by its saver window, its settings dialog, or
    // the claim it holds (which a start at the same moment as ours took).
    enum class Running { SaverWindow, Dialog, Claim };
    for (Running running : {Running::SaverWindow, Running::Dialog, Running::Claim}) {
        for (const char* line : {"/s", "", "/c", "/p 1234", "/a 1"}) {
            SetUp();
            if (running == Running::SaverWindow)
                host->foreign_titles.push_back("Orvelune(Main)");
            else if (running == Running::Dialog)
                host->foreign_titles.push_back("Orveluneの設定");
            else
                host->claim_answer = host::InstanceClaim::HeldElsewhere;
            host->foreign_windows[1234] = {0, 0, 152, 112};
            settings_loads = 0;
            dialogs = 0;
            previews.clear();
            const std::string what = std::to_string(int(running)) + " / \"" + line + "\"";
            Outcome outcome = start(line);
            EXPECT_EQ(outcome.ended, 0) << what;
            EXPECT_EQ(settings_loads, 0) << what;
            EXPECT_TRUE(host->windows().empty()) << what;
            EXPECT_TRUE(host->cursor_calls().empty()) << what;
            EXPECT_EQ(dialogs, 0) << what;
            EXPECT_TRUE(previews.empty()) << what;
        }
    }
}

TEST_F(StartupRun, TheSaverAndTheDialogHoldTheClaimTheOtherModesOnlyLook)
{
    struct Case {
        const char* line;
        bool claims;
    };
    for (const Case& c : {Case{"/s", true}, Case{"", true}, Case{"/c", true},
                          Case{"/p 1234", false}, Case{"/a 1", false}, Case{"/x", false}}) {
        SetUp();
        host->foreign_windows[1234] = {0, 0, 152, 112};
        start(c.line);
        EXPECT_EQ(host->instance_claims(), c.claims ? 1 : 0) << "\"" << c.line << "\"";
        EXPECT_EQ(host->instance_claimed(), c.claims) << "\"" << c.line << "\"";
    }

    // Where the system cannot arbitrate, the title lookup alone guards.
    SetUp();
    host->claim_answer = host::InstanceClaim::Unavailable;
    EXPECT_EQ(start("/s").returned, 0);
    EXPECT_NE(saver_window(), nullptr);
}

TEST_F(StartupRun, ASaverWindowThatCannotBeOpenedEndsWithStatusOneAndSaysSo)
{
    host_options.refuse_windows = true;
    for (const char* line : {"/s", ""}) {
        host.emplace(host_options);
        ::testing::internal::CaptureStderr();
        Outcome outcome = start(line);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(outcome.returned, 1) << "\"" << line << "\"";
        EXPECT_EQ(said, "orvelune: the saver's window could not be opened\n");
    }
    // The xscreensaver hack's window likewise.
    host.emplace(host_options);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run_hack_saver(*host, "/nonexistent/orvelune-test/Orvelune.ini", 1), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "orvelune: the saver's window could not be opened\n");
}

TEST_F(StartupRun, OurOwnSaverWindowCountsAsARunningInstance)
{
    start("/s");
    // The saver window of the first start is gone once start() returned; a
    // live one is simulated by a window of the same title.
    struct Nothing : host::WindowHandler {} handler;
    host::WindowOptions o;
    o.title = "Orvelune(Main)";
    auto live = host->create_window(o, handler);
    settings_loads = 0;
    Outcome outcome = start("/s");
    EXPECT_EQ(outcome.ended, 0);
    EXPECT_EQ(settings_loads, 0);
}

} // namespace
