#include "render_version_card.h"

#include "animation_export.h"
#include "png_frames.h"
#include "render_setup.h"

#include "dialog/ball_p.h"
#include "engine/random.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"
#include "version/ball_v.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

using render_setup::fail;

namespace {

// A clip rests this long on its first frame, the dialog as it was before
// the button was pressed, so that one sees what the card turns over (and,
// as a clip plays round, that it came back); PNG frames carry no time.
constexpr std::int64_t kRestMs = 1000;

} // namespace

int render_version_card(const RenderOptions& options)
{
    int prepare_status = EXIT_SUCCESS;
    std::optional<render_setup::Prepared> prepared =
        render_setup::prepare(options, prepare_status);
    if (!prepared)
        return prepare_status;

    Settings settings{};
    LoadSettings(settings, prepared->ini_path);
    const std::uint64_t seed =
        options.seed ? *options.seed
                     : std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    Random random(seed);

    host::HeadlessHost host(std::move(prepared->host_options));
    DialogSeams seams;
    seams.show_version = [&random](host::Host& on, const DialogCardView& dialog) {
        show_version_card(on, dialog, random);
    };
    seams.link_address = kPackagedReadmeAddress; // as an installed dialog shows it
    Ball_P dialog(host, settings, std::move(seams));
    dialog.Form_Load();
    if (!dialog.loaded())
        return fail(EXIT_FAILURE, "the dialog could not be made");

    // Only the card's frames: the dialog's own refreshes (its button going
    // down and up) are not the card's.
    std::unique_ptr<PngFrameWriter> png;
    if (options.png_dir)
        png = std::make_unique<PngFrameWriter>(*options.png_dir);
    std::unique_ptr<AnimationExport> output;
    int open_status = EXIT_SUCCESS;
    if (options.output_path
        && !(output = AnimationExport::open(options, render_setup::frame_ms(settings), open_status)))
        return open_status;
    std::int64_t frames = 0;
    std::int64_t last_at_ms = 0;
    std::string write_error;
    host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
        if (&window == dialog.window())
            return;
        ++frames;
        last_at_ms = std::int64_t(host.now_ms());
        if (frames % options.every != 0)
            return;
        if (png && !png->write(frames, frame, write_error))
            throw host::ProcessEnd{EXIT_FAILURE};
        if (output && !output->add(std::int64_t(host.now_ms()) + (frames > 1 ? kRestMs : 0), frame, write_error))
            throw host::ProcessEnd{EXIT_FAILURE};
    });

    // "ﾊﾟｰｼﾞｮﾝ情報" pressed and released by the pointer, as a person would.
    const dialog::Control* button =
        dialog.control(dialog::ControlId{dialog::ControlKind::ButtonCaption, dialog::ImageButton::VersionInformation});
    const gfx::Rect at = dialog.window_rect();
    host::MouseEvent event;
    event.x = at.x + button->rect.x + button->rect.width / 2;
    event.y = at.y + button->rect.y + button->rect.height / 2;
    event.button = host::kLeftButton;
    for (const host::MouseEventKind kind : {host::MouseEventKind::Down, host::MouseEventKind::Up}) {
        event.at_ms = host.now_ms();
        event.kind = kind;
        host.add_input(event);
    }
    int status = EXIT_SUCCESS;
    try {
        host.process_pending_messages();
    } catch (const host::ProcessEnd& end) {
        status = end.status;
    }
    if (frames == 0)
        return fail(EXIT_FAILURE, "the version card showed no frame");
    if (!write_error.empty())
        return fail(EXIT_FAILURE, "cannot write a frame: " + write_error);
    // The last frame stays for the pause after every frame, or for as long
    // as the card went on after it.
    std::string error;
    if (output
        && (!output->finish(std::max(std::int64_t(host.now_ms()), last_at_ms + settings.g_PcSpec) + kRestMs,
                            error)
            || (status == EXIT_SUCCESS && !output->commit(error))))
        return fail(EXIT_FAILURE, error);
    return status;
}
