#include "startup/hack_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Outcome = HackCommand::Outcome;

HackCommand Parse(std::vector<std::string> args,
                  std::optional<std::string_view> env = std::nullopt)
{
    return parse_hack_command_line(args, env);
}

TEST(HackOptions, ScreenSaverSwitchesAreNotHackCommandLines)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{}, {"/s"}, {"-s"}, {"/p", "1234"}, {"/c"},
                                               {"s"}, {"-x"}, {"-rootx"}, {"root"}, {"/root"}}) {
        const HackCommand command = Parse(args);
        EXPECT_EQ(command.outcome, Outcome::NotHack)
            << "expected the screen-saver rules for \"" << (args.empty() ? "" : args[0])
            << "\", got a hack command line";
    }
}

TEST(HackOptions, TargetsAndTheirWindows)
{
    HackCommand root = Parse({"-root"});
    EXPECT_EQ(root.outcome, Outcome::Run);
    EXPECT_EQ(root.target, HackTarget::Root);
    EXPECT_EQ(root.window_id, 0u) << "expected the root itself without XSCREENSAVER_WINDOW";

    HackCommand daemon_hex = Parse({"-root"}, "0x2a0000b");
    EXPECT_EQ(daemon_hex.window_id, 0x2a0000bu);
    HackCommand daemon_decimal = Parse({"--root"}, "44040203");
    EXPECT_EQ(daemon_decimal.window_id, 44040203u);

    HackCommand by_id = Parse({"-window-id", "0x400007"});
    EXPECT_EQ(by_id.outcome, Outcome::Run);
    EXPECT_EQ(by_id.target, HackTarget::WindowId);
    EXPECT_EQ(by_id.window_id, 0x400007u);
    EXPECT_EQ(Parse({"--window-id", "4194311"}).window_id, 4194311u);

    // XSCREENSAVER_WINDOW concerns -root only.
    HackCommand own = Parse({"-window"}, "0x2a0000b");
    EXPECT_EQ(own.target, HackTarget::Window);
    EXPECT_EQ(own.window_id, 0u);

    // The last target named wins, as with any X program's options.
    HackCommand last = Parse({"-window-id", "12", "-root"});
    EXPECT_EQ(last.target, HackTarget::Root);
    EXPECT_EQ(last.window_id, 0u) << "expected the id of -window-id dropped for -root";
}

TEST(HackOptions, IgnoredOptionsAreAcceptedAnywhere)
{
    HackCommand command =
        Parse({"-install", "-root", "-visual", "default", "-mono", "-fps", "-no-fps", "-noinstall"});
    EXPECT_EQ(command.outcome, Outcome::Run);
    EXPECT_EQ(command.target, HackTarget::Root);

    // Without a target the hack opens its own window.
    HackCommand alone = Parse({"-fps"});
    EXPECT_EQ(alone.outcome, Outcome::Run);
    EXPECT_EQ(alone.target, HackTarget::Window);
}

TEST(HackOptions, HelpAndMistakes)
{
    EXPECT_EQ(Parse({"-help"}).outcome, Outcome::Help);
    EXPECT_EQ(Parse({"-root", "--help"}).outcome, Outcome::Help);
    EXPECT_EQ(Parse({"--version"}).outcome, Outcome::Version);
    EXPECT_EQ(Parse({"-window", "-version", "-bogus"}).outcome, Outcome::Version)
        << "expected -version answered before a later mistake, as -help is";

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-root", "-speed", "3"},  // not an option of ours
             {"-root", "/s"},           // switches do not mix with hack options
             {"-window-id"},            // id missing
             {"-window-id", "0"},       // no window has id 0
             {"-window-id", "0x"},
             {"-window-id", "12ab"},
             {"-window-id", "-5"},
             {"-window-id", "0x1ffffffff"}, // beyond 32 bits
             {"-visual"}}) {
        const HackCommand command = Parse(args);
        EXPECT_EQ(command.outcome, Outcome::Error)
            << "expected a mistake for " << args.back() << ", got outcome " << int(command.outcome);
        EXPECT_FALSE(command.message.empty());
    }

    const std::string usage = hack_usage("orvelune");
    for (const char* option : {"-root", "-window-id", "-window", "-install", "-noinstall",
                               "-visual", "-mono", "-fps", "-no-fps", "-help", "-version", "--backend",
                               "--output"})
        EXPECT_NE(usage.find(option), std::string::npos) << "expected " << option << " in the usage";
}

// The usage once called -window the default beside "none: full screen". An
// empty command line goes to the switches (above), so the usage says what
// it does once, and no hack target claims to be the default.
TEST(HackOptions, UsageNamesOneDefault)
{
    const std::string usage = hack_usage("orvelune");
    const std::string nothing = "With nothing after the name: full screen";
    EXPECT_EQ(usage.find(nothing), usage.rfind(nothing)) << usage;
    EXPECT_NE(usage.find(nothing), std::string::npos) << usage;
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("  -root") || line.starts_with("  -window")) {
            EXPECT_EQ(line.find("default"), std::string::npos) << line;
        }
    }
}

TEST(HackOptions, BadDaemonWindowFallsBackToTheRootWithAWarning)
{
    HackCommand command = Parse({"-root"}, "not-a-window");
    EXPECT_EQ(command.outcome, Outcome::Run);
    EXPECT_EQ(command.window_id, 0u);
    EXPECT_NE(command.message.find("XSCREENSAVER_WINDOW"), std::string::npos);

    EXPECT_EQ(Parse({"-root"}, "").message, "") << "expected an empty variable taken as unset";
}

TEST(HackOptions, WindowIds)
{
    EXPECT_EQ(parse_window_id("0x1"), 1u);
    EXPECT_EQ(parse_window_id("0XFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(parse_window_id("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(parse_window_id("4294967296"), std::nullopt);
    EXPECT_EQ(parse_window_id(" 12"), std::nullopt);
    EXPECT_EQ(parse_window_id("12 "), std::nullopt);
    EXPECT_EQ(parse_window_id("+12"), std::nullopt);
}

} // namespace
