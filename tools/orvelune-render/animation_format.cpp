// What every build knows of the animated formats; see animation_file.h.
#include "animation_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>

namespace {

// What a file's name ends in, for each format, in the order the messages list them.
struct Extension {
    const char* name;
    AnimationFormat format;
};
constexpr Extension kExtensions[] = {
    {"webp", AnimationFormat::WebP}, {"apng", AnimationFormat::Apng}, {"png", AnimationFormat::Apng},
    {"gif", AnimationFormat::Gif},   {"webm", AnimationFormat::WebM}, {"mp4", AnimationFormat::Mp4},
};

} // namespace

std::optional<AnimationFormat> animation_format_for(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const Extension& known : kExtensions)
        if (ext == known.name)
            return known.format;
    return std::nullopt;
}

std::string animation_extensions()
{
    std::string list;
    const std::size_t count = std::size(kExtensions);
    for (std::size_t i = 0; i < count; ++i) {
        list += i == 0 ? "" : i + 1 == count ? " or " : ", ";
        list += std::string(".") + kExtensions[i].name;
    }
    return list;
}

int default_video_fps(int frame_ms)
{
    // A rate of one video frame per saver frame when a second holds a whole
    // number of them (20 for the usual 50 ms), so that every frame lasts
    // the same; above 60 a screen could not show them all anyway.
    constexpr int kDisplayRate = 60;
    if (frame_ms > 0 && 1000 % frame_ms == 0 && 1000 / frame_ms <= kDisplayRate)
        return 1000 / frame_ms;
    return kDisplayRate;
}

FileClock file_clock_for(AnimationFormat format, int fps)
{
    switch (format) {
    case AnimationFormat::WebP:
    // Frames of no time get 20 ms, two hundredths, as in a GIF: players
    // stretch the shorter ones to a tenth of a second.
    case AnimationFormat::Apng: return {1000, 1, false, 20};
    case AnimationFormat::Gif: return {100, 2, false, 2};
    case AnimationFormat::WebM:
    case AnimationFormat::Mp4: break;
    }
    return {fps, 1, true, 1};
}

void output_size(AnimationFormat format, int width, int height, double scale, int& out_width,
                 int& out_height)
{
    out_width = std::max(1, int(std::lround(width * scale)));
    out_height = std::max(1, int(std::lround(height * scale)));
    if (format == AnimationFormat::WebM || format == AnimationFormat::Mp4) {
        out_width = std::max(2, out_width & ~1);
        out_height = std::max(2, out_height & ~1);
    }
}
