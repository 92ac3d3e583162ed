#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <string>

namespace host {

// The largest picture we agree to decode: 64 Mi pixels (8192 x 8192), a
// quarter of a gigabyte as a Surface. Anything larger is far beyond any
// screen and is taken for a broken or hostile file rather than a background.
constexpr std::int64_t kMaxPicturePixels = std::int64_t(64) * 1024 * 1024;

// Decodes a picture file with the system's decoders: OLE's picture loader
// for BMP, GIF, JPEG and metafiles (WMF, EMF), and the Windows Imaging
// Component for what OLE cannot read (PNG, TIFF, ...). Transparent pixels
// are composited over black, the colour a picture box shows where a picture
// leaves it bare; of an animation only the first frame is taken. The path
// is UTF-8 and opened through its UTF-16 form. False, with `out` left as it
// was, when the file cannot be read or decoded or is absurdly large.
// Usable without a host: it initialises COM for the call when needed.
bool DecodePictureFile(const std::string& path_utf8, gfx::Surface& out);

} // namespace host
