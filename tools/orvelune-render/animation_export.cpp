// See animation_export.h.
#include "animation_export.h"

#include "png_frames.h"
#include "render_setup.h"

#include <cctype>
#include <cstdlib>

using render_setup::fail;

std::unique_ptr<AnimationExport> AnimationExport::open(const RenderOptions& options, int frame_ms,
                                                       int& status)
{
    const std::string& path = *options.output_path;
    const std::optional<AnimationFormat> format = animation_format_for(path);
    if (!format) {
        status = fail(render_setup::kBadCommandLine, "cannot tell the format of '" + path
                                                         + "': name it " + animation_extensions());
        return nullptr;
    }
    AnimationSettings settings;
    settings.format = *format;
    settings.fps = options.fps ? *options.fps : default_video_fps(frame_ms);
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
    if (*format == AnimationFormat::WebP
        && (settings.width > kWebPMaxSide || settings.height > kWebPMaxSide)) {
        status = fail(render_setup::kBadCommandLine,
                      "a .webp picture is at most " + std::to_string(kWebPMaxSide) + " pixels a side, not "
                          + std::to_string(settings.width) + "x" + std::to_string(settings.height)
                          + " (a smaller --size or --scale)");
        return nullptr;
    }
    auto exporter = std::make_unique<AnimationExport>(path, settings, options.width, options.height);
    std::string error;
    if (!exporter->m_pending.open(path, error)) {
        status = fail(EXIT_FAILURE, "cannot write '" + path + "': " + error);
        return nullptr;
    }
    bool unavailable = false;
    exporter->m_file = open_animation_file(exporter->m_pending.path(), settings, error, unavailable);
    if (!exporter->m_file) {
        status = fail(unavailable ? render_setup::kBadCommandLine : EXIT_FAILURE,
                      unavailable ? "the format of '" + path + "' is not available in this build: " + error
                                  : "cannot write '" + path + "': " + error);
        return nullptr;
    }
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
                                 int screen_width, int screen_height)
    : m_path(path), m_png_name(named_png(path)),
      m_scaler(screen_width, screen_height, settings.width, settings.height),
      m_timeline(file_clock_for(settings.format, settings.fps),
                 [this](const gfx::Surface& picture, std::int64_t start, std::int64_t length) {
                     if (m_png_name && m_timeline.pictures_shown() == 1)
                         m_last = picture;
                     return m_file->add(picture, start, length, m_error);
                 })
{
}

bool AnimationExport::add(std::int64_t at_ms, const gfx::Surface& frame, std::string& error)
{
    ++m_added;
    if (!m_timeline.add(at_ms, m_scaler.scaled(frame))) {
        error = m_path + ": " + m_error;
        return false;
    }
    return true;
}

bool AnimationExport::finish(std::int64_t end_ms, std::string& error)
{
    if (m_added == 0) {
        error = "no frame was kept for '" + m_path + "', so it was not written";
        return false;
    }
    if (!m_timeline.finish(end_ms) || !m_file->finish(m_error)) {
        error = m_path + ": " + m_error;
        return false;
    }
    // One picture in a file named .png: a still PNG, as any viewer expects.
    if (m_png_name && m_timeline.pictures_shown() == 1) {
        std::vector<unsigned char> rgb;
        if (!write_png_file(m_pending.path(), m_last, rgb, m_error)) {
            error = m_path + ": " + m_error;
            return false;
        }
    }
    m_finished = true;
    return true;
}

bool AnimationExport::commit(std::string& error)
{
    if (!m_finished) {
        error = m_path + ": not finished";
        return false;
    }
    m_file.reset();
    return m_pending.commit(error);
}
