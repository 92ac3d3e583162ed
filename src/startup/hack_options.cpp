// The xscreensaver hack options; see hack_options.h.
#include "startup/hack_options.h"

#include "common/full_redraw.h"
#include "common/version.h"

#include "engine/random.h"
#include "engine/saver_window.h"
#include "settings/number_text.h"
#include "settings/settings_file.h"
#include "startup/saver_ending.h"

#include <array>
#include <cstdio>

namespace {

enum class Option { Root, WindowId, Window, Install, NoInstall, Visual, Mono, Fps, NoFps, Help, Version };

struct OptionName {
    std::string_view name;
    Option option;
};

constexpr std::array<OptionName, 11> kOptions{{
    {"root", Option::Root},
    {"window-id", Option::WindowId},
    {"window", Option::Window},
    {"install", Option::Install},
    {"noinstall", Option::NoInstall},
    {"visual", Option::Visual},
    {"mono", Option::Mono},
    {"fps", Option::Fps},
    {"no-fps", Option::NoFps},
    {"help", Option::Help},
    {"version", Option::Version},
}};

std::optional<Option> option_of(std::string_view arg)
{
    if (arg.starts_with("--"))
        arg.remove_prefix(2);
    else if (arg.starts_with("-"))
        arg.remove_prefix(1);
    else
        return std::nullopt;
    for (const OptionName& entry : kOptions)
        if (entry.name == arg)
            return entry.option;
    return std::nullopt;
}

HackCommand mistake(std::string message)
{
    HackCommand command;
    command.outcome = HackCommand::Outcome::Error;
    command.message = std::move(message);
    return command;
}

} // namespace

std::optional<std::uint64_t> parse_window_id(std::string_view text)
{
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    const std::optional<std::uint64_t> value = number_text::whole_number(text, base);
    if (!value || *value == 0 || *value > 0xFFFFFFFFu)
        return std::nullopt;
    return value;
}

HackCommand parse_hack_command_line(const std::vector<std::string>& args,
                                 std::optional<std::string_view> xscreensaver_window)
{
    if (args.empty() || !option_of(args.front()))
        return {};

    HackCommand command;
    command.outcome = HackCommand::Outcome::Run;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::optional<Option> option = option_of(args[i]);
        if (!option)
            return mistake("unknown option \"" + args[i] + "\"");
        const bool has_value = i + 1 < args.size();
        switch (*option) {
        case Option::Root:
            command.target = HackTarget::Root;
            break;
        case Option::WindowId: {
            if (!has_value)
                return mistake("-window-id needs a window id");
            const std::optional<std::uint64_t> id = parse_window_id(args[++i]);
            if (!id)
                return mistake("\"" + args[i] + "\" is not a window id");
            command.target = HackTarget::WindowId;
            command.window_id = *id;
            break;
        }
        case Option::Window:
            command.target = HackTarget::Window;
            break;
        case Option::Visual:
            if (!has_value)
                return mistake("-visual needs a visual");
            ++i; // the saver draws in the window's own visual
            break;
        case Option::Help:
            command.outcome = HackCommand::Outcome::Help;
            return command;
        case Option::Version:
            command.outcome = HackCommand::Outcome::Version;
            return command;
        case Option::Install:
        case Option::NoInstall:
        case Option::Mono:
        case Option::Fps:
        case Option::NoFps:
            break;
        }
    }

    if (command.target == HackTarget::Root) {
        command.window_id = 0;
        if (xscreensaver_window && !xscreensaver_window->empty()) {
            if (const std::optional<std::uint64_t> id = parse_window_id(*xscreensaver_window))
                command.window_id = *id;
            else
                command.message = "XSCREENSAVER_WINDOW=\"" + std::string(*xscreensaver_window)
                                  + "\" names no window; drawing on the root window";
        }
    } else if (command.target != HackTarget::WindowId) {
        command.window_id = 0;
    }
    return command;
}

std::string hack_usage(std::string_view program)
{
    std::string usage = version_line(program);
    usage += "Usage: " + std::string(program) + " [switch | option ...]\n";
    usage += "With nothing after the name: full screen, the cursor shown; a click ends it.\n"
             "The screen-saver switches:\n"
             "  /s               full screen, the cursor hidden; a click or a diagonal move\n"
             "                   ends it\n"
             "  /c               the settings dialog\n"
             "  /p <id>          the still preview inside window <id> (X11 only)\n"
             "The xscreensaver options (not mixed with the switches):\n"
             "  -root            draw on the root window (or the window XSCREENSAVER_WINDOW names)\n"
             "  -window-id <id>  draw into the window with this id (0x... or decimal)\n"
             "  -window          draw in a window of its own, 1280 x 720, as the ignored\n"
             "                   options alone do too; a click or closing it ends the saver\n"
             "  -install, -noinstall, -visual <visual>, -mono, -fps, -no-fps\n"
             "                   accepted and ignored\n"
             "  -help            print these options\n"
             "  -version         print the version\n"
             "With either:\n"
             "  --backend x11|wayland\n"
             "                   the desktop to run on (also ORVELUNE_BACKEND); by default\n"
             "                   Wayland when WAYLAND_DISPLAY is set, else X11. On Wayland\n"
             "                   -root is a live wallpaper below every window\n"
             "  --output <name>  the Wayland output the figure plays on (default: the first)\n"
             "  --verbose        say on standard error when the figure pauses (nobody can\n"
             "                   see it: the display asleep, the window covered) and resumes\n"
             "                   (also ORVELUNE_VERBOSE=1)\n";
    return usage;
}

std::string version_line(std::string_view program)
{
    return std::string(program) + " " + kVersionText + "\n";
}

int run_hack_saver(host::Host& host, const std::string& ini_path, std::uint64_t seed)
{
    Settings settings{};
    LoadSettings(settings, ini_path);
    Random random(seed);
    SaverStart start; // as with an empty command line: only a click would end it
    start.full_redraw = full_redraw_requested();
    SaverEndingPolicy ending(host, start);
    if (!run_saver(host, settings, random, start, ending)) {
        std::fprintf(stderr, "orvelune: the saver's window could not be opened\n");
        return 1;
    }
    return 0;
}
