#include "startup/backend_choice.h"

namespace {

std::optional<DesktopBackend> backend_named(std::string_view name)
{
    if (name == "x11")
        return DesktopBackend::X11;
    if (name == "wayland")
        return DesktopBackend::Wayland;
    return std::nullopt;
}

// The value of `--name value` or `--name=value` at args[i] (i moves past the
// value), or nothing when args[i] is not that option.
std::optional<std::string> option_value(const std::vector<std::string>& args, std::size_t& i,
                                        std::string_view name, std::string& error)
{
    const std::string& arg = args[i];
    if (arg.size() < name.size() || arg.compare(0, name.size(), name) != 0)
        return std::nullopt;
    if (arg.size() > name.size() && arg[name.size()] == '=')
        return arg.substr(name.size() + 1);
    if (arg.size() != name.size())
        return std::nullopt; // a longer option that only starts alike
    if (i + 1 >= args.size()) {
        error = std::string(name) + " needs a value";
        return std::string();
    }
    return args[++i];
}

} // namespace

BackendChoice choose_backend(const std::vector<std::string>& args,
                             std::optional<std::string_view> backend_variable,
                             std::optional<std::string_view> wayland_display,
                             std::optional<std::string_view> x_display,
                             std::optional<std::string_view> daemon_window)
{
    BackendChoice choice;
    std::optional<std::string> named;
    for (std::size_t i = 0; i < args.size() && choice.error.empty(); ++i) {
        if (auto value = option_value(args, i, "--backend", choice.error)) {
            named = *value;
            continue;
        }
        if (auto value = option_value(args, i, "--output", choice.error)) {
            choice.output = *value;
            if (choice.output.empty() && choice.error.empty())
                choice.error = "--output needs the name of an output";
            continue;
        }
        if (args[i] == "--verbose") {
            choice.verbose = true;
            continue;
        }
        choice.args.push_back(args[i]);
    }
    if (!choice.error.empty())
        return choice;

    if (named) {
        if (auto backend = backend_named(*named))
            choice.backend = *backend;
        else
            choice.error = "unknown backend \"" + *named + "\" (x11 or wayland)";
        return choice;
    }
    if (backend_variable && !backend_variable->empty()) {
        if (auto backend = backend_named(*backend_variable))
            choice.backend = *backend;
        else
            choice.error = "ORVELUNE_BACKEND names an unknown backend \""
                           + std::string(*backend_variable) + "\" (x11 or wayland)";
        return choice;
    }
    // A Wayland session runs its X programs through XWayland and sets both;
    // the compositor itself is the better host there.
    // Without either, the X11 host says that there is no display.
    (void)x_display;
    const bool wayland = wayland_display && !wayland_display->empty()
                         && !(daemon_window && !daemon_window->empty());
    choice.backend = wayland ? DesktopBackend::Wayland : DesktopBackend::X11;
    return choice;
}
