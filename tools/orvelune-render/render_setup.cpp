#include "render_setup.h"

#include "host/picture_decoding.h"
#include "host/program.h"
#include "host/system_text.h"
#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

namespace render_setup {

namespace {

std::string picture_problem(host::PictureResult result)
{
    switch (result) {
    case host::PictureResult::Decoded: break;
    case host::PictureResult::Unreadable: return "missing, unreadable or not a regular file";
    case host::PictureResult::UnknownFormat: return "not a BMP, GIF, JPEG or PNG picture";
    case host::PictureResult::TooLarge: return "too large";
    case host::PictureResult::Truncated: return "too short for its size";
    case host::PictureResult::Broken: return "damaged";
    }
    return "";
}

} // namespace

int fail(int status, const std::string& message)
{
    std::cerr << "orvelune-render: " << message << '\n';
    return status;
}

std::optional<Prepared> prepare(const RenderOptions& options, int& status)
{
    Prepared prepared;
    prepared.ini_path = options.ini_path ? *options.ini_path : default_ini_path(host::program_folder());
    // FileExists takes regular files only: a FIFO given here would hang the load.
    if (options.ini_path && !FileExists(prepared.ini_path)) {
        status = fail(kBadCommandLine, "cannot read the settings file '" + prepared.ini_path + "'");
        return std::nullopt;
    }

    host::HeadlessOptions& host_options = prepared.host_options;
    host_options.screen = {options.width, options.height};
    const std::int64_t picture_limit = host::picture_pixel_limit(options.width, options.height);
    host_options.picture_loader = [picture_limit](const std::string& path, gfx::Surface& out) {
        return host::decode_picture_file(path, out, picture_limit);
    };
    host_options.text = std::make_shared<host::SystemText>();
    if (options.desktop_path) {
        const host::PictureResult desktop =
            host::decode_picture_file(*options.desktop_path, host_options.desktop, picture_limit);
        if (desktop != host::PictureResult::Decoded) {
            status = fail(kBadCommandLine, "cannot read the desktop picture '" + *options.desktop_path
                                               + "' (" + picture_problem(desktop) + ")");
            return std::nullopt;
        }
    }

    if (options.png_dir) {
        std::error_code ec;
        std::filesystem::create_directories(*options.png_dir, ec);
        if (!std::filesystem::is_directory(*options.png_dir)) {
            status = fail(EXIT_FAILURE, "cannot create the folder '" + *options.png_dir + "'");
            return std::nullopt;
        }
    }
    return prepared;
}

} // namespace render_setup
