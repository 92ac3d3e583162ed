// The command line of orvelune-render; see render_options.h.
#include "render_options.h"

#include "settings/number_text.h"

#include <limits>

const char* const kRenderUsage =
    "usage: orvelune-render (--ticks N | --frames N) [options]\n"
    "       orvelune-render --dialog --png DIR [--ini FILE] [--size WxH] [--desktop IMAGE]\n"
    "       orvelune-render --version-card (--png DIR | --output FILE) [--ini FILE]\n"
    "                       [--size WxH] [--seed N] [--desktop IMAGE]\n"
    "       orvelune-render --contact-sheet FILE.png [--ini FILE] [--size WxH] [--seed N]\n"
    "                       [--scale F] [--desktop IMAGE]\n"
    "Plays the saver on a headless screen, deterministically for a given seed;\n"
    "or, with --dialog, draws the settings dialog as it opens on that screen;\n"
    "or, with --version-card, plays the version card over the dialog;\n"
    "or, with --contact-sheet, draws one tile of every enabled action.\n"
    "\n"
    "  --ini FILE       settings file to load (default: the normal one)\n"
    "  --size WxH       screen size in pixels (default 1024x768)\n"
    "  --seed N         seed of the random generator (default: from the clock)\n"
    "  --ticks N        stop after N timer ticks have completed; 0 stops right\n"
    "                   after the saver window has loaded\n"
    "  --frames N       stop right after frame N (counted from 1) is presented\n"
    "  --trace FILE     write the JSON Lines trace to FILE ('-': standard output)\n"
    "  --png DIR        write presented frames as DIR/frame-NNNNNN.png\n"
    "  --every K        with --png and --output, only every K-th frame (default 1)\n"
    "  --output FILE    write the frames as one animated file, by its extension:\n"
    "                   .webp, .apng, .png (animated PNG), .gif, .webm or .mp4;\n"
    "                   each frame lasts as long as the saver shows it (with a\n"
    "                   pause of 0, two hundredths or one video frame); the file\n"
    "                   replaces one already there only once it is complete\n"
    "  --fps N          frames a second of .webm and .mp4, up to 120 (default: one\n"
    "                   per saver frame, 20 for a pause of 50 ms; 60 when a\n"
    "                   second holds no whole number of pauses)\n"
    "  --scale F        size of --output and --contact-sheet pictures to the\n"
    "                   screen's, from 0.05 to 1 (default 1)\n"
    "  --quality Q      .webp: lossy at quality Q from 0 to 100 (default lossless)\n"
    "  --desktop IMAGE  the picture that stands for the screen at start\n"
    "  --full-redraw    restore and present every frame whole instead of only what\n"
    "                   changed (the frames are the same; for comparison)\n"
    "  --dialog         write the settings dialog over the screen to DIR/dialog.png\n"
    "  --version-card   press the dialog's version button and write every frame of\n"
    "                   the card as DIR/frame-NNNNNN.png, or into the --output file\n"
    "  --contact-sheet FILE.png\n"
    "                   one tile per enabled action, each as its figure completes,\n"
    "                   labelled with its caption, on a grid (the tile is the screen)\n"
    "  --help           this text\n"
    "\n"
    "The saver never ends by itself, so at least one of --ticks and --frames is\n"
    "required; with both, the run stops at whichever comes first. Stopping flushes\n"
    "every output and exits 0; a bad command line (one file named for two things,\n"
    "a picture larger than its format holds), or a file format this build cannot\n"
    "write, exits 2; a run that cannot go on (no frame can come, none was kept, a\n"
    "file cannot be written, memory runs out) exits 1. Files are written beside\n"
    "their names and replace what was there only when the run ends well.\n";

namespace {

// Screens up to 16384 pixels a side and 64 Mi pixels in all: beyond that the
// frames alone would take gigabytes, which no real screen needs.
constexpr std::int64_t kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t(64) * 1024 * 1024;
// Video faster than 120 frames a second only repeats the saver's frames.
constexpr std::int64_t kMaxFps = 120;
// Below a twentieth a 1024x768 screen is a smudge of about 50x38 pixels.
constexpr double kMinScale = 0.05;

// Digits alone: no sign, no blanks, within 64 bits signed.
std::optional<std::int64_t> whole_int64(std::string_view text)
{
    std::optional<std::uint64_t> value = number_text::whole_number(text);
    if (!value || *value > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    return std::int64_t(*value);
}

bool parse_size(std::string_view text, int& width, int& height)
{
    auto x = text.find_first_of("xX");
    if (x == std::string_view::npos)
        return false;
    auto w = whole_int64(text.substr(0, x));
    auto h = whole_int64(text.substr(x + 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > kMaxSide || *h > kMaxSide || *w * *h > kMaxPixels)
        return false;
    width = int(*w);
    height = int(*h);
    return true;
}

// A decimal fraction such as 0.5 or 1: digits, at most one point, no sign or exponent.
std::optional<double> decimal(std::string_view text)
{
    double value = 0;
    double unit = 1;
    bool point = false;
    bool digits = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (point)
                value += (unit /= 10) * (c - '0');
            else if (value < 1e6)
                value = value * 10 + (c - '0');
        } else {
            return std::nullopt;
        }
    }
    return digits ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::optional<RenderOptions> parse_render_options(const std::vector<std::string>& args,
                                                  std::string& error)
{
    RenderOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inline_value;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inline_value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--dialog" && !inline_value) {
            options.dialog = true;
            continue;
        }
        if (name == "--full-redraw" && !inline_value) {
            options.full_redraw = true;
            continue;
        }
        if (name == "--version-card" && !inline_value) {
            options.version_card = true;
            continue;
        }
        static const char* const kWithValue[] = {"--ini",   "--size",  "--seed",  "--ticks",
                                                  "--frames", "--trace", "--png",  "--every",
                                                  "--desktop", "--output", "--fps", "--scale",
                                                  "--quality", "--contact-sheet"};
        bool known = false;
        for (const char* n : kWithValue)
            known = known || name == n;
        if (!known) {
            error = "unknown option '" + args[i] + "' (see --help)";
            return std::nullopt;
        }
        std::string value;
        if (inline_value) {
            value = *inline_value;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option " + name + " needs a value";
            return std::nullopt;
        }

        auto count = [&](std::int64_t minimum) -> std::optional<std::int64_t> {
            auto n = whole_int64(value);
            if (!n || *n < minimum) {
                error = "option " + name + " needs a whole number of at least "
                        + std::to_string(minimum) + ", not '" + value + "'";
                return std::nullopt;
            }
            return n;
        };
        auto path = [&]() -> bool {
            if (value.empty()) {
                error = "option " + name + " needs a non-empty value";
                return false;
            }
            return true;
        };

        if (name == "--ini") {
            if (!path())
                return std::nullopt;
            options.ini_path = value;
        } else if (name == "--size") {
            if (!parse_size(value, options.width, options.height)) {
                error = "option --size needs WxH with sides from 1 to 16384 and at most "
                        "67108864 pixels, not '" + value + "'";
                return std::nullopt;
            }
        } else if (name == "--seed") {
            auto seed = number_text::whole_number(value);
            if (!seed) {
                error = "option --seed needs a whole number from 0 to "
                        + std::to_string(std::numeric_limits<std::uint64_t>::max()) + ", not '"
                        + value + "'";
                return std::nullopt;
            }
            options.seed = seed;
        } else if (name == "--ticks") {
            if (!(options.ticks = count(0)))
                return std::nullopt;
        } else if (name == "--frames") {
            if (!(options.frames = count(1)))
                return std::nullopt;
        } else if (name == "--every") {
            auto every = count(1);
            if (!every)
                return std::nullopt;
            options.every = *every;
        } else if (name == "--trace") {
            if (!path())
                return std::nullopt;
            options.trace_path = value;
        } else if (name == "--png") {
            if (!path())
                return std::nullopt;
            options.png_dir = value;
        } else if (name == "--desktop") {
            if (!path())
                return std::nullopt;
            options.desktop_path = value;
        } else if (name == "--output") {
            if (!path())
                return std::nullopt;
            options.output_path = value;
        } else if (name == "--contact-sheet") {
            if (!path())
                return std::nullopt;
            options.contact_sheet_path = value;
        } else if (name == "--fps") {
            auto fps = count(1);
            if (!fps || *fps > kMaxFps) {
                error = "option --fps needs a whole number from 1 to " + std::to_string(kMaxFps)
                        + ", not '" + value + "'";
                return std::nullopt;
            }
            options.fps = int(*fps);
        } else if (name == "--quality") {
            auto quality = whole_int64(value);
            if (!quality || *quality > 100) {
                error = "option --quality needs a whole number from 0 to 100, not '" + value + "'";
                return std::nullopt;
            }
            options.quality = int(*quality);
        } else if (name == "--scale") {
            auto scale = decimal(value);
            if (!scale || *scale < kMinScale || *scale > 1) {
                error = "option --scale needs a number from 0.05 to 1, not '" + value + "'";
                return std::nullopt;
            }
            options.scale = *scale;
        }
    }
    const int kinds = int(options.dialog) + int(options.version_card)
                      + int(options.contact_sheet_path.has_value());
    if (kinds > 1) {
        error = "--dialog, --version-card and --contact-sheet draw different things: give one "
                "(see --help)";
        return std::nullopt;
    }
    if (options.contact_sheet_path && !options.help)
        return options;
    if ((options.dialog || options.version_card) && !options.help) {
        if (options.dialog && !options.png_dir) {
            error = "--dialog needs --png DIR to write the picture into (see --help)";
            return std::nullopt;
        }
        if (options.version_card && !options.png_dir && !options.output_path) {
            error = "--version-card needs --png DIR or --output FILE to write the frames into "
                    "(see --help)";
            return std::nullopt;
        }
        return options;
    }
    if (!options.help && !options.ticks && !options.frames) {
        error = "give --ticks N or --frames N: the saver never ends by itself (see --help)";
        return std::nullopt;
    }
    return options;
}
