// See animation_export.h.
#include "animation_export.h"

#include "png_frames.h"
#include "render_setup.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

using render_setup::fail;

std::unique_ptr<AnimationExport> AnimationExport::open(const RenderOptions& options, int& status)
{
    const std::string& path = *options.output_path;
    const std::optional<AnimationFormat> format = animation_format_for(path);
    if (!format) {
        status = fail(render_setup::kBadCommandLine, "cannot tell the format of '" + path + "'");
        return nullptr;
    }
    AnimationSettings settings;
    settings.format = *format;
    settings.fps = options.fps;
    settings.quality = options.quality;
    output_size(*format, options.width, options.height, options.scale, settings.width, settings.height);
    if ((settings.width != options.width || settings.height != options.height)
        && !PictureScaler::available()) {
        status = fail(render_setup::kBadCommandLine, "this build cannot scale pictures (--scale)");
        return nullptr;
    }
    if (options.quality && *format != AnimationFormat::WebP) {
        status = fail(render_setup::kBadCommandLine, "--quality is for .webp files only");
        return nullptr;
    }
    std::string error;
    bool unavailable = false;
    std::unique_ptr<AnimationFile> file = open_animation_file(path, settings, error, unavailable);
    if (!file) {
        status = fail(unavailable ? render_setup::kBadCommandLine : EXIT_FAILURE,
                      unavailable ? "the format of '" + path + "' is not available in this build: " + error
                                  : "cannot write '" + path + "': " + error);
        return nullptr;
    }
    auto exporter = std::make_unique<AnimationExport>(path, settings, options.width,
                                                      options.height, std::move(file));
    if (!exporter->m_scaler.ok()) {
        status = fail(EXIT_FAILURE, "cannot scale the frames to "
                                        + std::to_string(settings.width) + "x"
                                        + std::to_string(settings.height));
        return nullptr;
    }
    return exporter;
}

namespace {

bool named_png(const std::string& path)
{
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png";
}

} // namespace

AnimationExport::AnimationExport(const std::string& path, const AnimationSettings& settings,
                                 int screen_width, int screen_height,
                                 std::unique_ptr<AnimationFile> file)
    : m_path(path), m_png_name(named_png(path)), m_file(std::move(file)),
      m_scaler(screen_width, screen_height, settings.width, settings.height),
      m_timeline(file_clock_for(settings.format, settings.fps),
                 [this](const gfx::Surface& picture, std::int64_t start, std::int64_t length) {
                     if (m_png_name && m_timeline.pictures_shown() == 1)
                         m_last = picture;
                     return m_file->add(picture, start, length, m_error);
                 })
{
}

AnimationExport::~AnimationExport()
{
    if (m_finished)
        return;
    m_file.reset();
    std::remove(m_path.c_str());
}

bool AnimationExport::add(std::int64_t at_ms, const gfx::Surface& frame, std::string& error)
{
    if (!m_timeline.add(at_ms, m_scaler.scaled(frame))) {
        error = m_error;
        return false;
    }
    return true;
}

bool AnimationExport::finish(std::int64_t end_ms, std::string& error)
{
    if (!m_timeline.finish(end_ms) || !m_file->finish(m_error)) {
        error = m_error;
        return false;
    }
    // One picture in a file named .png: a still PNG, as any viewer expects.
    if (m_png_name && m_timeline.pictures_shown() == 1) {
        std::vector<unsigned char> rgb;
        if (!write_png_file(m_path, m_last, rgb, error))
            return false;
    }
    m_finished = true;
    return true;
}
