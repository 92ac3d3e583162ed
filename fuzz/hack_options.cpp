// The hack options: arguments separated by NUL bytes; a first argument
// starting with "XSCREENSAVER_WINDOW=" is that variable instead. Every
// outcome is consistent: errors say why, targets carry their windows.
#include "startup/hack_options.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    std::optional<std::string> daemon_window;
    for (std::size_t start = 0; start <= input.size() && args.size() < 64;) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos)
            end = input.size();
        std::string arg(input.substr(start, end - start));
        constexpr std::string_view kVariable = "XSCREENSAVER_WINDOW=";
        if (start == 0 && arg.starts_with(kVariable))
            daemon_window = arg.substr(kVariable.size());
        else
            args.push_back(std::move(arg));
        start = end + 1;
    }
    if (!args.empty() && args.back().empty())
        args.pop_back();

    const HackCommand command = parse_hack_command_line(
        args, daemon_window ? std::optional<std::string_view>(*daemon_window) : std::nullopt);
    switch (command.outcome) {
    case HackCommand::Outcome::NotHack:
        check(command.message.empty());
        break;
    case HackCommand::Outcome::Error:
        check(!command.message.empty());
        break;
    case HackCommand::Outcome::Help:
    case HackCommand::Outcome::Version:
        break;
    case HackCommand::Outcome::Run:
        if (command.target == HackTarget::WindowId)
            check(command.window_id != 0 && command.window_id <= 0xFFFFFFFFu);
        if (command.target == HackTarget::Window)
            check(command.window_id == 0);
        break;
    }
    for (const std::string& arg : args)
        if (const std::optional<std::uint64_t> id = parse_window_id(arg))
            check(*id != 0 && *id <= 0xFFFFFFFFu);
    (void)hack_usage(args.empty() ? std::string_view("orvelune") : std::string_view(args.front()));
    return 0;
}
