// What every build knows of the animated formats; see animation_file.h.
#include "animation_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>

std::optional<AnimationFormat> animation_format_for(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "webp")
        return AnimationFormat::WebP;
    if (ext == "apng" || ext == "png")
        return AnimationFormat::Apng;
    if (ext == "gif")
        return AnimationFormat::Gif;
    if (ext == "webm")
        return AnimationFormat::WebM;
    if (ext == "mp4")
        return AnimationFormat::Mp4;
    return std::nullopt;
}

FileClock file_clock_for(AnimationFormat format, int fps)
{
    switch (format) {
    case AnimationFormat::WebP:
    case AnimationFormat::Apng: return {1000, 1, false};
    case AnimationFormat::Gif: return {100, 2, false};
    case AnimationFormat::WebM:
    case AnimationFormat::Mp4: break;
    }
    return {fps, 1, true};
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
