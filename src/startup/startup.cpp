// Start-up and mode dispatch; see startup.h.
#include "startup/startup.h"

#include "common/full_redraw.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "settings/settings_file.h"
#include "startup/saver_ending.h"
#include "startup/command_line.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Ends the process because this build lacks the window a mode needs.
// (Host::end_process never returns; the status is returned only so that every
// path of the callers visibly ends.)
int end_unavailable(host::Host& host, const char* what)
{
    std::fprintf(stderr, "orvelune: %s is not available in this build\n", what);
    std::fflush(stderr);
    host.end_process(EXIT_FAILURE);
    return EXIT_FAILURE;
}

int run_preview_mode(host::Host& host, Settings& settings, const CommandLine& line,
                    const StartupSeams& seams)
{
    // A handle given as an integer names a window the same way on every
    // system; the 32-bit value is taken as unsigned, as window ids are.
    auto parent = host::NativeHandle(std::uint32_t(leading_number(line.handle_text)));
    // A handle that names no window gives the size of an empty rectangle.
    host::Size pane;
    if (auto rect = host.native_window_rect(parent))
        pane = {rect->width, rect->height};
    if (!seams.run_preview)
        return end_unavailable(host, "the preview");
    seams.run_preview(host, settings, parent, pane);
    return EXIT_SUCCESS;
}

int change_password_mode(host::Host& host, const CommandLine& line)
{
    // NT-family systems change the password in their own control panel.
    if (!host.is_nt_platform()) {
        // A handle text that is not a number leaves nothing to parent the
        // dialog to, and the change is skipped.
        if (auto parent = strict_int32(line.handle_text))
            host.change_screen_saver_password(host::NativeHandle(std::uint32_t(*parent)));
    }
    host.end_process(EXIT_SUCCESS);
    return EXIT_SUCCESS;
}

int run_settings_mode(host::Host& host, Settings& settings, const StartupSeams& seams)
{
    // A handle after "/c:" is ignored: the dialog has no owner.
    if (!seams.show_settings_dialog)
        return end_unavailable(host, "the settings dialog");
    seams.show_settings_dialog(host, settings);
    host.end_process(EXIT_SUCCESS);
    return EXIT_SUCCESS;
}

int run_saver_mode(host::Host& host, Settings& settings, const CommandLine& line,
                 std::uint64_t seed)
{
    SaverStart start;
    start.switch_letter = line.empty() ? 0 : 'S';
    start.command_line_empty = line.empty();
    // In saver mode the cursor goes; the counter is kept so that ending the
    // saver can bring it back. With an empty command line it stays.
    if (start.switch_letter == 'S')
        start.cursor_count = host.show_cursor(false);

    start.full_redraw = full_redraw_requested();

    Random random(seed);
    SaverEndingPolicy ending(host, start);
    Ball_A saver(host, settings, random, start, nullptr, &ending);
    saver.on_load();
    if (!saver.window()) {
        std::fprintf(stderr, "orvelune: the saver's window could not be opened\n");
        return EXIT_FAILURE;
    }
    host.run();
    return EXIT_SUCCESS;
}

// The modes that run the saver or the settings dialog hold the instance
// claim for as long as they run; the others only look whether it is held.
bool holds_instance(const CommandLine& line)
{
    return line.empty() || line.switch_letter == 'S' || line.switch_letter == 'C';
}

bool another_instance_runs(host::Host& host, const CommandLine& line)
{
    if (host.top_level_window_exists(kSaverWindowTitle)
        || host.top_level_window_exists(kSettingsDialogTitle))
        return true;
    // Two starts at the same moment both find no window yet: the claim,
    // which the system gives to exactly one of them, settles which runs.
    if (holds_instance(line))
        return host.claim_instance() == host::InstanceClaim::HeldElsewhere;
    return host.instance_claimed_elsewhere();
}

} // namespace

int run_startup(host::Host& host, const StartupOptions& options)
{
    const CommandLine line = parse_command_line(options.command_line);

    // One instance at a time: a saver window or a settings dialog of ours
    // means a second start ends before it reads anything.
    if (another_instance_runs(host, line)) {
        host.end_process(EXIT_SUCCESS);
        return EXIT_SUCCESS;
    }

    Settings settings{}; // every action slot 0 until the file says otherwise
    if (options.settings_loader)
        options.settings_loader(settings, options.ini_path);
    else
        LoadSettings(settings, options.ini_path);

    switch (line.switch_letter) {
    case 'P': return run_preview_mode(host, settings, line, options.seams);
    case 'A': return change_password_mode(host, line);
    case 'C': return run_settings_mode(host, settings, options.seams);
    case 'S': return run_saver_mode(host, settings, line, options.seed);
    default:
        // Any other text, a lone letter included, is not for us.
        if (!line.empty()) {
            host.end_process(EXIT_SUCCESS);
            return EXIT_SUCCESS;
        }
        return run_saver_mode(host, settings, line, options.seed);
    }
}
