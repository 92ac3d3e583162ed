// orvelune-render: the saver's engine on the headless host, played into a
// JSON Lines trace and PNG frames. One engine, two hosts: what runs here is
// exactly what runs on the screen, with a virtual clock instead of waiting.
#include "render_options.h"
#include "png_frames.h"
#include "render_dialog.h"
#include "render_setup.h"
#include "render_version_card.h"

#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using render_setup::fail;
using render_setup::kBadCommandLine;

// The limits of a run and what is written along the way.
struct Run {
    explicit Run(const RenderOptions& o) : options(o) {}

    const RenderOptions& options;
    std::unique_ptr<PngFrameWriter> png;
    std::int64_t ticks = 0;
    std::int64_t frames = 0;
    std::string write_error; // set when a PNG could not be written

    void frame_presented(const gfx::Surface& frame)
    {
        ++frames;
        if (png && frames % options.every == 0 && !png->write(frames, frame, write_error))
            throw host::ProcessEnd{EXIT_FAILURE};
        if (options.frames && frames >= *options.frames)
            throw host::ProcessEnd{EXIT_SUCCESS};
    }

    void tick_completed()
    {
        ++ticks;
        if (options.ticks && ticks >= *options.ticks)
            throw host::ProcessEnd{EXIT_SUCCESS};
    }
};

int render(const RenderOptions& options, const std::string& program_folder)
{
    // ---- everything that can be refused is checked before the run starts
    int status = EXIT_SUCCESS;
    std::optional<render_setup::Prepared> prepared =
        render_setup::prepare(options, program_folder, status);
    if (!prepared)
        return status;

    Run run(options);
    if (options.png_dir)
        run.png = std::make_unique<PngFrameWriter>(*options.png_dir);

    std::ofstream trace_file;
    std::unique_ptr<Trace> trace;
    if (options.trace_path) {
        std::ostream* out = &std::cout;
        if (*options.trace_path != "-") {
            trace_file.open(*options.trace_path, std::ios::binary | std::ios::trunc);
            if (!trace_file)
                return fail(EXIT_FAILURE, "cannot write the trace '" + *options.trace_path + "'");
            out = &trace_file;
        }
        trace = std::make_unique<Trace>(*out);
    }

    // ---- the run
    Settings settings{};
    LoadSettings(settings, prepared->ini_path);
    const std::uint64_t seed =
        options.seed ? *options.seed
                     : std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    {
        host::HeadlessHost host(std::move(prepared->host_options));
        // The pictures are what the screen shows: the parts of each frame
        // that its refresh put there, over what earlier refreshes left.
        // One picture per window, should the run ever have more than one.
        std::map<host::NativeHandle, host::ShownPicture> shown;
        host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
            host::ShownPicture& picture = shown[window.native_handle()];
            if (run.png)
                picture.update(host.record_for(window), frame);
            run.frame_presented(picture.picture());
        });
        host.set_after_tick([&] { run.tick_completed(); });
        Random random(seed);
        try {
            // As started with "/s": start-up hides the cursor before the load.
            SaverStart start{'S', false, host.show_cursor(false)};
            Ball_A saver(host, settings, random, start, trace.get());
            saver.full_redraw = saver.full_redraw || options.full_redraw;
            // The values in effect: the saver's constructor has already put
            // unsound speeds and pauses in bounds.
            if (trace)
                trace->start(options.width, options.height, seed, settings.g_Speed,
                             settings.g_PcSpec, settings.g_OrderMode, settings.g_BackgroundMode);
            saver.Form_Load();
            if (options.ticks && *options.ticks == 0)
                throw host::ProcessEnd{EXIT_SUCCESS};
            host.run();
        } catch (const host::ProcessEnd& end) {
            status = end.status;
        }
    }

    if (trace)
        trace->flush();
    std::cout.flush();
    if (!run.write_error.empty())
        return fail(EXIT_FAILURE, "cannot write a frame: " + run.write_error);
    if (options.trace_path && (*options.trace_path == "-" ? !std::cout : !trace_file))
        return fail(EXIT_FAILURE, "the trace could not be written completely");
    return status;
}

} // namespace

int main(int argc, char** argv)
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
        return render_dialog(*options, render_setup::program_folder_of(argc > 0 ? argv[0] : nullptr));
    if (options->version_card)
        return render_version_card(*options, render_setup::program_folder_of(argc > 0 ? argv[0] : nullptr));
    return render(*options, render_setup::program_folder_of(argc > 0 ? argv[0] : nullptr));
}
