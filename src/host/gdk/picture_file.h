#pragma once

#include "host/picture_decoding.h"

#include <cstdint>
#include <string>

namespace host {

// decode_picture_file() here: BMP, GIF, JPEG and PNG, and WMF where
// the system has a decoder for it, recognised by their first bytes, never by
// the file's name (an SVG renamed .bmp is refused: drawing one can take
// gigabytes). Only regular files are opened, without blocking.
//
// Pictures of up to `max_pixels` are decoded as they are. A larger JPEG is
// decoded at half, a quarter or an eighth of its size, the first that fits,
// which its decoder does without ever holding the whole; a metafile is drawn
// scaled down to fit; any other larger picture is refused before its pixels
// are allocated. The sizes judged are the ones the files declare, read here
// before a decoder sees them, and the decoder's working memory counts too: a
// JPEG its decoder would hold whole in coefficients (progressive, or with its
// colours in separate scans) is refused when they would take more than the
// limit's pixels would. A decoder is given only what makes the first
// picture: an animation's later frames are never read, nor a file's
// metadata (text, profiles, camera data). Transparent pixels are composited
// over black, the colour a window shows where a picture leaves it
// bare. On any failure `out` is left as it was.
// (declared in host/picture_decoding.h)

} // namespace host
