// orvelune-render: the saver's engine on the headless host, played into a
// JSON Lines trace, PNG frames and animated files. One engine, two hosts: what runs here is
// exactly what runs on the screen, with a virtual clock instead of waiting.
#include "render_options.h"
#include "animation_export.h"
#include "contact_sheet.h"
#include "pending_file.h"
#include "png_frames.h"
#include "render_dialog.h"
#include "render_setup.h"
#include "render_version_card.h"

#include "common/full_redraw.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "host/headless/headless_host.h"
#include "settings/setting_choices.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using render_setup::fail;
using render_setup::kBadCommandLine;

// Ticks come in cycles of twenty, one for each kind of action, each cycle in
// its own order: an enabled kind first in one cycle and last in the next
// leaves 38 empty ticks between its runs. Forty empty ticks in a row mean
// that no action is enabled to draw a frame, and none ever will.
constexpr std::int64_t kEmptyTicksOfNoAction = 40;

// The limits of a run and what is written along the way.
struct Run {
    explicit Run(const RenderOptions& o) : options(o) {}

    const RenderOptions& options;
    std::unique_ptr<PngFrameWriter> png;
    std::unique_ptr<AnimationExport> output;
    std::int64_t ticks = 0;
    std::int64_t frames = 0;
    std::int64_t empty_ticks = 0;     // ticks in a row that presented no frame
    bool drew_this_tick = false;
    std::int64_t last_at_ms = 0;  // when the latest frame was presented
    std::string write_error; // set when a frame could not be written
    bool unreachable = false; // the frame limit can never be reached

    bool wants_pictures() const { return png || output; }

    void frame_presented(const gfx::Surface& frame, std::uint64_t at_ms)
    {
        ++frames;
        drew_this_tick = true;
        last_at_ms = std::int64_t(at_ms);
        if (frames % options.every == 0) {
            if (png && !png->write(frames, frame, write_error))
                throw host::ProcessEnd{EXIT_FAILURE};
            if (output && !output->add(std::int64_t(at_ms), frame, write_error))
                throw host::ProcessEnd{EXIT_FAILURE};
        }
        if (options.frames && frames >= *options.frames)
            throw host::ProcessEnd{EXIT_SUCCESS};
    }

    void tick_completed()
    {
        ++ticks;
        if (options.ticks && ticks >= *options.ticks)
            throw host::ProcessEnd{EXIT_SUCCESS};
        empty_ticks = drew_this_tick ? 0 : empty_ticks + 1;
        drew_this_tick = false;
        if (options.frames && empty_ticks >= kEmptyTicksOfNoAction) {
            unreachable = true;
            throw host::ProcessEnd{EXIT_FAILURE};
        }
    }
};

int render(const RenderOptions& options)
{
    // ---- everything that can be refused is checked before the run starts
    int status = EXIT_SUCCESS;
    std::optional<render_setup::Prepared> prepared =
        render_setup::prepare(options, status);
    if (!prepared)
        return status;
    // The settings first: the saver's pause sets the rate of a video.
    Settings settings{};
    LoadSettings(settings, prepared->ini_path);
    // A picture path with nothing behind it shows the ball grid; the trace
    // names the background shown. The saver finds that out in its decoder,
    // never in the loader (a dead network mount would hold it there); this
    // tool reads the picture on its own thread anyway, so it may look first.
    if (background_pattern(settings) == BackgroundPattern::Picture
        && !FileExists(settings.g_BackgroundPicturePath)) {
        settings.g_BackgroundMode = setting_number(BackgroundPattern::BallGrid);
        settings.g_BackgroundPicturePath.clear();
    }

    Run run(options);
    if (options.png_dir)
        run.png = std::make_unique<PngFrameWriter>(*options.png_dir);
    if (options.output_path
        && !(run.output = AnimationExport::open(options, render_setup::frame_ms(settings), status)))
        return status;

    // The trace, as the clip, is written beside its file and takes its place
    // only when the whole run has gone well.
    PendingFile trace_pending;
    std::ofstream trace_file;
    std::unique_ptr<Trace> trace;
    if (options.trace_path) {
        std::ostream* out = &std::cout;
        if (*options.trace_path != "-") {
            std::string error;
            if (!trace_pending.open(*options.trace_path, error))
                return fail(EXIT_FAILURE, "cannot write the trace '" + *options.trace_path + "': " + error);
            trace_file.open(trace_pending.path(), std::ios::binary | std::ios::trunc);
            if (!trace_file)
                return fail(EXIT_FAILURE, "cannot write the trace '" + *options.trace_path + "'");
            out = &trace_file;
        }
        trace = std::make_unique<Trace>(*out);
    }

    // ---- the run
    const std::uint64_t seed =
        options.seed ? *options.seed
                     : std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    std::int64_t end_ms = 0;
    {
        host::HeadlessHost host(std::move(prepared->host_options));
        // The pictures are what the screen shows: the parts of each frame
        // that its refresh put there, over what earlier refreshes left.
        // One picture per window, should the run ever have more than one.
        std::map<host::NativeHandle, host::ShownPicture> shown;
        host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
            host::ShownPicture& picture = shown[window.native_handle()];
            if (run.wants_pictures())
                picture.update(host.record_for(window), frame);
            run.frame_presented(picture.picture(), host.now_ms());
        });
        host.set_after_tick([&] { run.tick_completed(); });
        Random random(seed);
        std::int64_t pause_ms = 0;
        try {
            // As started with "/s": start-up hides the cursor before the load.
            SaverStart start{'S', false, host.show_cursor(false)};
            start.full_redraw = options.full_redraw || full_redraw_requested();
            Ball_A saver(host, settings, random, start, trace.get());
            pause_ms = settings.g_PcSpec;
            // The values in effect: the saver's constructor has already put
            // unsound speeds and pauses in bounds.
            if (trace)
                trace->start(options.width, options.height, seed, settings.g_Speed,
                             settings.g_PcSpec, settings.g_OrderMode, settings.g_BackgroundMode);
            saver.on_load();
            if (options.ticks && *options.ticks == 0)
                throw host::ProcessEnd{EXIT_SUCCESS};
            host.run();
        } catch (const host::ProcessEnd& end) {
            status = end.status;
        }
        // The last frame stays for the pause that follows every frame, or
        // for as long as the run went on after it.
        end_ms = std::max(std::int64_t(host.now_ms()), run.last_at_ms + pause_ms);
    }

    if (trace)
        trace->flush();
    std::cout.flush();
    if (run.unreachable)
        return fail(EXIT_FAILURE, "frame " + std::to_string(*options.frames) + " never comes: "
                                      + std::to_string(kEmptyTicksOfNoAction)
                                      + " ticks in a row drew nothing (is every action disabled?)");
    if (!run.write_error.empty())
        return fail(EXIT_FAILURE, "cannot write a frame: " + run.write_error);
    std::string error;
    if (run.output && !run.output->finish(end_ms, error))
        return fail(EXIT_FAILURE, error);
    if (trace_file.is_open())
        trace_file.close();
    if (options.trace_path && (*options.trace_path == "-" ? !std::cout : !trace_file))
        return fail(EXIT_FAILURE, "the trace could not be written completely");
    if (status != EXIT_SUCCESS)
        return status;
    if (!trace_pending.commit(error) || (run.output && !run.output->commit(error)))
        return fail(EXIT_FAILURE, error);
    return status;
}

int run_tool(int argc, char** argv)
{
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string error;
    std::optional<RenderOptions> options = parse_render_options(args, error);
    if (!options) {
        std::cerr << "orvelune-render: " << error << '\n';
        return kBadCommandLine;
    }
    if (options->help) {
        std::cout << kRenderUsage;
        return EXIT_SUCCESS;
    }
    if (options->dialog)
        return render_dialog(*options);
    if (options->version_card)
        return render_version_card(*options);
    if (options->contact_sheet_path)
        return render_contact_sheet(*options);
    return render(*options);
}

} // namespace

int main(int argc, char** argv)
{
    // A screen's frames are the largest allocations; a machine or a limit
    // that cannot give them ends the run with a message, not an abort.
    try {
        return run_tool(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        return fail(EXIT_FAILURE, "out of memory (a smaller --size needs less)");
    }
}
