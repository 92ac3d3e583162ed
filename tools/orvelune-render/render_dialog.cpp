#include "render_dialog.h"

#include "png_frames.h"
#include "render_setup.h"

#include "dialog/ball_p.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

using render_setup::fail;

int render_dialog(const RenderOptions& options)
{
    int status = EXIT_SUCCESS;
    std::optional<render_setup::Prepared> prepared =
        render_setup::prepare(options, status);
    if (!prepared)
        return status;
    gfx::Surface screen(options.width, options.height);
    gfx::blit(screen, {0, 0}, prepared->host_options.desktop, gfx::RasterOp::Copy);

    Settings settings{};
    LoadSettings(settings, prepared->ini_path);
    host::HeadlessHost host(std::move(prepared->host_options));
    DialogSeams seams;
    seams.link_address = kPackagedReadmeAddress; // as an installed dialog shows it
    Ball_P dialog(host, settings, std::move(seams));
    dialog.Form_Load();
    if (!dialog.loaded())
        return fail(EXIT_FAILURE, "the dialog could not be made");
    const gfx::Rect at = dialog.window_rect();
    gfx::blit(screen, at.origin(), dialog.picture(), gfx::RasterOp::Copy);

    std::vector<unsigned char> buffer;
    std::string error;
    if (!write_png_file(*options.png_dir + "/dialog.png", screen, buffer, error))
        return fail(EXIT_FAILURE, "cannot write the picture: " + error);
    return EXIT_SUCCESS;
}
