// Which desktop host the Linux program picks, and the host's options taken
// out of the command line before the saver reads it.
#include "startup/backend_choice.h"

#include <gtest/gtest.h>

namespace {

struct ChoiceCase {
    const char* what;
    std::vector<std::string> args;
    std::optional<std::string_view> variable, wayland, x;
    DesktopBackend backend;
    std::vector<std::string> rest;
    std::string output;
    std::optional<std::string_view> daemon = std::nullopt; // XSCREENSAVER_WINDOW
    bool verbose = false;
};

TEST(BackendChoice, PicksTheHostAndTakesItsOptionsOut)
{
    using std::nullopt;
    const DesktopBackend W = DesktopBackend::Wayland, X = DesktopBackend::X11;
    const ChoiceCase cases[] = {
        {"a Wayland session", {"/s"}, nullopt, "wayland-0", ":0", W, {"/s"}, ""},
        {"an X session", {"/s"}, nullopt, nullopt, ":0", X, {"/s"}, ""},
        {"an empty WAYLAND_DISPLAY", {"/s"}, nullopt, "", ":0", X, {"/s"}, ""},
        {"no display at all: X11 says so", {}, nullopt, nullopt, nullopt, X, {}, ""},
        {"the variable over the session", {"/s"}, "x11", "wayland-0", ":0", X, {"/s"}, ""},
        {"an empty variable counts as unset", {"/s"}, "", "wayland-0", nullopt, W, {"/s"}, ""},
        {"the option over the variable", {"--backend", "wayland", "/s"}, "x11", nullopt, ":0", W, {"/s"}, ""},
        {"the option with =", {"/s", "--backend=x11"}, nullopt, "wayland-1", nullopt, X, {"/s"}, ""},
        {"the output", {"/s", "--output", "DP-2"}, nullopt, "wayland-1", nullopt, W, {"/s"}, "DP-2"},
        {"the output with =", {"--output=HDMI-A-1", "-root"}, nullopt, "w", nullopt, W, {"-root"}, "HDMI-A-1"},
        {"a hack of the X daemon", {"-root"}, nullopt, "wayland-0", ":0", X, {"-root"}, "", "0x400001"},
        {"a hack of the X daemon told otherwise", {"-root", "--backend", "wayland"}, nullopt, "wayland-0",
         ":0", W, {"-root"}, "", "0x400001"},
        {"an option that only starts alike stays", {"--backends", "/s"}, nullopt, "w", nullopt, W,
         {"--backends", "/s"}, ""},
        {"--verbose anywhere", {"/s", "--verbose", "--backend", "x11"}, nullopt, nullopt, ":0", X, {"/s"},
         "", nullopt, true},
        {"-verbose is not the host's", {"-verbose"}, nullopt, nullopt, ":0", X, {"-verbose"}, ""},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const BackendChoice choice = choose_backend(c.args, c.variable, c.wayland, c.x, c.daemon);
        EXPECT_EQ(choice.error, "");
        EXPECT_EQ(choice.backend, c.backend);
        EXPECT_EQ(choice.args, c.rest);
        EXPECT_EQ(choice.output, c.output);
        EXPECT_EQ(choice.verbose, c.verbose);
    }
}

TEST(BackendChoice, MistakesAreReportedNotGuessed)
{
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string_view> variable;
        const char* error_part;
    };
    const Case cases[] = {
        {{"--backend", "quartz"}, std::nullopt, "unknown backend \"quartz\""},
        {{"/s", "--backend"}, std::nullopt, "--backend needs a value"},
        {{"--backend="}, std::nullopt, "unknown backend \"\""},
        {{"/s", "--output"}, std::nullopt, "--output needs a value"},
        {{"--output="}, std::nullopt, "--output needs the name"},
        {{"/s"}, "mir", "ORVELUNE_BACKEND names an unknown backend \"mir\""},
    };
    for (const Case& c : cases) {
        const BackendChoice choice = choose_backend(c.args, c.variable, "wayland-0", ":0");
        EXPECT_NE(choice.error.find(c.error_part), std::string::npos)
            << "expected an error with \"" << c.error_part << "\", got \"" << choice.error << "\"";
    }
}

} // namespace
