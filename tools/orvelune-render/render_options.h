#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the command line of orvelune-render asks for.
struct RenderOptions {
    std::optional<std::string> ini_path;      // default: the normal settings file
    int width = 1024;
    int height = 768;
    std::optional<std::uint64_t> seed;        // default: from the clock
    std::optional<std::int64_t> ticks;        // stop after this many completed ticks
    std::optional<std::int64_t> frames;       // stop right after this frame is presented
    std::optional<std::string> trace_path;    // "-" for standard output
    std::optional<std::string> png_dir;
    std::int64_t every = 1;
    std::optional<std::string> desktop_path;
    // Instead of the saver: the settings dialog's picture after load, as it
    // stands on that screen, to DIR/dialog.png (needs --png).
    bool dialog = false;
    // Instead of the saver: the version card played over the dialog, every
    // frame of its window to DIR/frame-NNNNNN.png (needs --png).
    bool version_card = false;
    // Every frame restored and presented whole, as with ORVELUNE_FULL_REDRAW=1.
    bool full_redraw = false;
    // The played frames as one animated file, its format from the extension.
    std::optional<std::string> output_path;
    std::optional<int> fps;                   // frames a second of video (default: from the pause)
    double scale = 1;                         // size of what is written, to the screen's
    std::optional<int> quality;               // lossy WebP at this quality (0-100)
    // Instead of the saver's run: one tile per enabled action on a grid.
    std::optional<std::string> contact_sheet_path;
    bool help = false;
};

// Reads the arguments (without the program name). On a bad command line,
// returns nothing and sets `error` to one line for a person to read.
std::optional<RenderOptions> parse_render_options(const std::vector<std::string>& args,
                                                  std::string& error);

extern const char* const kRenderUsage;
