#include "render_dialog.h"

#include "png_frames.h"

#include "dialog/ball_p.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "host/picture_decoding.h"
#ifdef _WIN32
#include "host/win32/win32_text.h"
#else
#include "host/pango/pango_text.h"
#endif
#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

constexpr int kBadCommandLine = 2;

int Fail(int status, const std::string& message)
{
    std::cerr << "orvelune-render: " << message << '\n';
    return status;
}

} // namespace

int render_dialog(const RenderOptions& options, const std::string& program_folder)
{
    const std::string ini_path = options.ini_path ? *options.ini_path : default_ini_path(program_folder);
    if (options.ini_path && !FileExists(ini_path))
        return Fail(kBadCommandLine, "cannot read the settings file '" + ini_path + "'");

    host::HeadlessOptions host_options;
    host_options.screen = {options.width, options.height};
    const std::int64_t picture_limit = host::picture_pixel_limit(options.width, options.height);
    host_options.picture_loader = [picture_limit](const std::string& path, gfx::Surface& out) {
        return host::decode_picture_file(path, out, picture_limit) == host::PictureResult::Decoded;
    };
#ifdef _WIN32
    host_options.draw_text = host::draw_gdi_text;
    host_options.text_width = host::gdi_text_width;
    host_options.text_height = host::gdi_text_height;
#else
    host_options.draw_text = host::draw_pango_text;
    host_options.text_width = host::pango_text_width;
    host_options.text_height = host::pango_text_height;
#endif
    gfx::Surface screen(options.width, options.height);
    if (options.desktop_path
        && host::decode_picture_file(*options.desktop_path, host_options.desktop, picture_limit)
               != host::PictureResult::Decoded)
        return Fail(kBadCommandLine, "cannot read the desktop picture '" + *options.desktop_path + "'");
    gfx::blit(screen, 0, 0, host_options.desktop, gfx::RasterOp::Copy);

    std::error_code ec;
    std::filesystem::create_directories(*options.png_dir, ec);
    if (!std::filesystem::is_directory(*options.png_dir))
        return Fail(EXIT_FAILURE, "cannot create the folder '" + *options.png_dir + "'");

    Settings settings{};
    LoadSettings(settings, ini_path);
    host::HeadlessHost host(std::move(host_options));
    Ball_P dialog(host, settings);
    dialog.Form_Load();
    if (!dialog.loaded())
        return Fail(EXIT_FAILURE, "the dialog could not be made");
    const gfx::Rect at = dialog.window_rect();
    gfx::blit(screen, at.x, at.y, dialog.picture(), gfx::RasterOp::Copy);

    std::vector<unsigned char> buffer;
    std::string error;
    if (!write_png_file(*options.png_dir + "/dialog.png", screen, buffer, error))
        return Fail(EXIT_FAILURE, "cannot write the picture: " + error);
    return EXIT_SUCCESS;
}
