#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <string>

namespace host {

// The most pixels a picture is ever decoded to: 8192 x 8192, a quarter of a
// gigabyte as a Surface, far beyond any screen.
constexpr std::int64_t kMaxPicturePixels = std::int64_t(8192) * 8192;

// The limit for a background on a screen of this size: four screens' worth
// of pixels (room for a picture larger than the screen, which is cut or
// tiled), and never more than kMaxPicturePixels.
std::int64_t picture_pixel_limit(int screen_width, int screen_height);

enum class PictureResult {
    Decoded,
    Unreadable,    // missing, no regular file (a folder, a FIFO, a device), or unreadable
    UnknownFormat, // not one of the formats below, whatever its name says
    TooLarge,      // more pixels than the limit allows, or a file of over 256 MiB
    Truncated,     // far too few bytes for the pixels its header claims
    Broken,        // the decoder found it damaged
};

// Decodes a picture file into `out`: BMP, GIF, JPEG and PNG, and WMF where
// the system has a decoder for it, recognised by their first bytes, never by
// the file's name (an SVG renamed .bmp is refused: drawing one can take
// gigabytes). Only regular files are opened, without blocking.
//
// Pictures of up to `max_pixels` are decoded as they are. A larger JPEG is
// decoded at half, a quarter or an eighth of its size, the first that fits,
// which its decoder does without ever holding the whole; any other larger
// picture is refused before its pixels are allocated. Transparent pixels are
// composited over black, the colour a picture box shows where a picture
// leaves it bare; of an animation only the first frame is taken. On any
// failure `out` is left as it was.
PictureResult decode_picture_file(const std::string& path, gfx::Surface& out,
                                  std::int64_t max_pixels = kMaxPicturePixels);

} // namespace host
