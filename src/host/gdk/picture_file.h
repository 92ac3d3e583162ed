#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <string>

namespace host {

// The largest picture we agree to decode: 64 Mi pixels (8192 x 8192), a
// quarter of a gigabyte as a Surface. Anything larger is far beyond any
// screen and is taken for a broken or hostile file rather than a background.
constexpr std::int64_t kMaxPicturePixels = std::int64_t(64) * 1024 * 1024;

// Decodes a picture file (BMP, GIF, JPEG, PNG and whatever else the system's
// GdkPixbuf loaders read) into `out`. Transparent pixels are composited over
// black, the colour a picture box shows where a picture leaves it bare; of an
// animation only the first frame is taken. False, with `out` left as it was,
// when the file cannot be read or decoded, or when its header claims an empty
// or absurdly large picture (checked before any pixel is decoded).
bool DecodePictureFile(const std::string& path, gfx::Surface& out);

} // namespace host
