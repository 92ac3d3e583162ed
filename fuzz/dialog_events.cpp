// The settings dialog fed any sequence of presses, moves, releases and keys
// on a headless host. The scripted run checks the dialog's invariants after
// the events (sane state, a picture equal to a whole repaint, the file
// written only by a save or a restore, a save that loads back as shown);
// one that fails is a crash here.

#include "dialog/script/dialog_script.h"
#include "settings/settings_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace {

// One settings file for the whole run, removed before each input so that
// every input starts from the same defaults.
const std::string& settings_path()
{
    static const std::string path = [] {
        std::string folder = (std::filesystem::temp_directory_path() / "orvelune-fuzz-XXXXXX").string();
        if (!mkdtemp(folder.data()))
            std::abort();
        return folder + "/Orvelune.ini";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::filesystem::remove(settings_path());

    dialog::ScriptSetup setup;
    LoadSettings(setup.settings, settings_path());
    // The first byte decides what the choosers answer, so that the colour
    // and picture commands run both ways.
    if (data[0] & 1)
        setup.chosen_color = gfx::ColorRef(0x00336699u * (data[0] | 1u) & 0x00FFFFFFu);
    if (data[0] & 2)
        setup.chosen_picture_file = "/tmp/背景.bmp";
    // A whole repaint after every event costs more than the event: check
    // every eighth, and after the last.
    setup.picture_check_every = 8;

    const auto events = dialog::script_from_bytes(std::span(data + 1, size - 1));
    const dialog::ScriptResult result = dialog::run_dialog_script(setup, events);
    if (!result.broken.empty()) {
        std::fprintf(stderr, "dialog invariant broken: %s\n", result.broken.c_str());
        std::abort();
    }
    return 0;
}
