#pragma once

#include "gfx/surface.h"

#include <algorithm>
#include <cstdint>
#include <string>

// Decoding a background picture: what every host's decoder promises. Each
// backend that decodes pictures (gdk/ on Linux, win32/ on Windows) defines
// decode_picture_file() with the system's decoders.
namespace host {

// The most pixels a picture is ever decoded to: 8192 x 8192, a quarter of a
// gigabyte as a Surface, far beyond any screen.
constexpr std::int64_t kMaxPicturePixels = std::int64_t(8192) * 8192;

// The limit for a background on a screen of this size: four screens' worth
// of pixels (room for a picture larger than the screen, which is cut or
// tiled), and never more than kMaxPicturePixels.
inline std::int64_t picture_pixel_limit(int screen_width, int screen_height)
{
    const std::int64_t screen = std::int64_t(std::max(screen_width, 1)) * std::max(screen_height, 1);
    return std::min(4 * screen, kMaxPicturePixels);
}

enum class PictureResult {
    Decoded,
    Unreadable,    // missing, no regular file (a folder, a FIFO, a device), or unreadable
    UnknownFormat, // not one of the formats the decoder takes, whatever its name says
    TooLarge,      // more pixels or memory than the limit allows, a file of over 256 MiB,
                   // or a decode that ran past its time
    Truncated,     // far too few bytes for the pixels its header claims
    Broken,        // the decoder found it damaged
};

// Decodes a picture file into `out`, never more than `max_pixels` of it; on
// any failure `out` is left as it was. Transparent pixels are composited over
// black, the colour a window shows where a picture leaves it bare; of an
// animation only the first frame is taken. The path is UTF-8.
PictureResult decode_picture_file(const std::string& path, gfx::Surface& out,
                                  std::int64_t max_pixels = kMaxPicturePixels);

} // namespace host
