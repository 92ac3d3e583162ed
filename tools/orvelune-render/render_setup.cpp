#include "render_setup.h"

#include "host/picture_decoding.h"
#include "host/program.h"
#include "host/system_text.h"
#include "pending_file.h"
#include "settings/file_io.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"

#include <algorithm>

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

// Why the settings file named on the command line is refused; nothing when
// it opens. Only a regular file is read (a FIFO would hang the load), and
// the message says which rule a path broke: /dev/null, for one, reads as
// empty elsewhere, and an empty file is what gives every default.
std::optional<std::string> settings_file_problem(const std::string& path)
{
    file_io::InputFile file;
    switch (file.open(path)) {
    case file_io::ReadStatus::Read: return std::nullopt;
    case file_io::ReadStatus::Missing: return "there is no settings file '" + path + "'";
    case file_io::ReadStatus::Folder: return "the settings file '" + path + "' is a folder";
    case file_io::ReadStatus::NotAFile:
        return "the settings file '" + path
               + "' is a device, FIFO or socket, not a regular file (an empty file gives every default)";
    case file_io::ReadStatus::Unreadable:
    case file_io::ReadStatus::TooLarge: break;
    }
    return "cannot read the settings file '" + path + "'";
}

// A file the run writes that is also one it reads, or another it writes,
// would be destroyed, or hold two things at once: the option that names it
// twice, or nothing.
std::optional<std::string> named_twice(const RenderOptions& options)
{
    struct Named {
        const char* option;
        const std::optional<std::string>& path;
        bool written;
    };
    const std::optional<std::string> trace =
        options.trace_path && *options.trace_path != "-" ? options.trace_path : std::nullopt;
    const Named named[] = {
        {"--output", options.output_path, true},   {"--trace", trace, true},
        {"--contact-sheet", options.contact_sheet_path, true}, {"--ini", options.ini_path, false},
        {"--desktop", options.desktop_path, false},
    };
    for (std::size_t i = 0; i < std::size(named); ++i) {
        for (std::size_t j = i + 1; j < std::size(named); ++j) {
            if (!named[i].path || !named[j].path || !(named[i].written || named[j].written))
                continue;
            if (same_file(*named[i].path, *named[j].path))
                return std::string(named[i].option) + " and " + named[j].option + " name the same file, '"
                       + *named[j].path + "'";
        }
    }
    return std::nullopt;
}

} // namespace

int frame_ms(const Settings& settings)
{
    const SettingRange range = *setting_range(SettingKind::PcSpec);
    return std::clamp(int(settings.g_PcSpec), range.lowest, range.highest);
}

int fail(int status, const std::string& message)
{
    std::cerr << "orvelune-render: " << message << '\n';
    return status;
}

std::optional<Prepared> prepare(const RenderOptions& options, int& status)
{
    if (std::optional<std::string> twice = named_twice(options)) {
        status = fail(kBadCommandLine, *twice);
        return std::nullopt;
    }
    Prepared prepared;
    prepared.ini_path = options.ini_path ? *options.ini_path : default_ini_path(host::program_folder());
    if (options.ini_path) {
        if (const std::optional<std::string> problem = settings_file_problem(prepared.ini_path)) {
            status = fail(kBadCommandLine, *problem);
            return std::nullopt;
        }
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
