// Start-up and mode dispatch; see startup.h.
#include "startup/startup.h"

#include "engine/random.h"
#include "engine/saver_window.h"
#include "settings/settings_file.h"
#include "startup/command_line.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Ends the process because this build lacks the window a mode needs.
// (Host::end_process never returns; the status is returned only so that every
// path of the callers visibly ends.)
int EndUnavailable(host::Host& host, const char* what)
{
    std::fprintf(stderr, "orvelune: %s is not available in this build\n", what);
    std::fflush(stderr);
    host.end_process(EXIT_FAILURE);
    return EXIT_FAILURE;
}

int RunPreviewMode(host::Host& host, Settings& settings, const CommandLine& line,
                    const StartupSeams& seams)
{
    // A handle given as an integer names a window the same way on every
    // system; the 32-bit value is taken as unsigned, as window ids are.
    auto parent = host::NativeHandle(std::uint32_t(LeadingNumber(line.handle_text)));
    // A handle that names no window gives the size of an empty rectangle.
    host::Size pane;
    if (auto rect = host.native_window_rect(parent))
        pane = {rect->width, rect->height};
    if (!seams.run_preview)
        return EndUnavailable(host, "the preview");
    seams.run_preview(host, settings, parent, pane);
    return EXIT_SUCCESS;
}

int ChangePasswordMode(host::Host& host, const CommandLine& line)
{
    // NT-family systems change the password in their own control panel.
    if (!host.is_nt_platform()) {
        // A handle text that is not a number leaves nothing to parent the
        // dialog to, and the change is skipped.
        if (auto parent = StrictInt32(line.handle_text))
            host.change_screen_saver_password(host::NativeHandle(std::uint32_t(*parent)));
    }
    host.end_process(EXIT_SUCCESS);
    return EXIT_SUCCESS;
}

int RunSettingsMode(host::Host& host, Settings& settings, const StartupSeams& seams)
{
    // A handle after "/c:" is ignored: the dialog has no owner.
    if (!seams.show_settings_dialog)
        return EndUnavailable(host, "the settings dialog");
    seams.show_settings_dialog(host, settings);
    host.end_process(EXIT_SUCCESS);
    return EXIT_SUCCESS;
}

int RunSaverMode(host::Host& host, Settings& settings, const CommandLine& line,
                 std::uint64_t seed)
{
    SaverStart start;
    start.switch_letter = line.empty() ? 0 : 'S';
    start.command_line_empty = line.empty();
    // In saver mode the cursor goes; the counter is kept so that ending the
    // saver can bring it back. With an empty command line it stays.
    if (start.switch_letter == 'S')
        start.cursor_count = host.show_cursor(false);

    Random random(seed);
    Ball_A saver(host, settings, random, start);
    saver.Form_Load();
    host.run();
    return EXIT_SUCCESS;
}

} // namespace

int RunStartup(host::Host& host, const StartupOptions& options)
{
    // One instance at a time: a saver window or a settings dialog of ours,
    // found by its title, means a second start ends before it reads
    // anything. The preview is not looked for.
    if (host.top_level_window_exists(kSaverWindowTitle)
        || host.top_level_window_exists(kSettingsDialogTitle)) {
        host.end_process(EXIT_SUCCESS);
        return EXIT_SUCCESS;
    }

    Settings settings{}; // every action slot 0 until the file says otherwise
    if (options.settings_loader)
        options.settings_loader(settings, options.ini_path);
    else
        LoadSettings(settings, options.ini_path);

    const CommandLine line = ParseCommandLine(options.command_line);
    switch (line.switch_letter) {
    case 'P': return RunPreviewMode(host, settings, line, options.seams);
    case 'A': return ChangePasswordMode(host, line);
    case 'C': return RunSettingsMode(host, settings, options.seams);
    case 'S': return RunSaverMode(host, settings, line, options.seed);
    default:
        // Any other text, a lone letter included, is not for us.
        if (!line.empty()) {
            host.end_process(EXIT_SUCCESS);
            return EXIT_SUCCESS;
        }
        return RunSaverMode(host, settings, line, options.seed);
    }
}
