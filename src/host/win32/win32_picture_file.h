#pragma once

#include "host/picture_decoding.h"

// decode_picture_file() on Windows decodes with the system's decoders: OLE's
// picture loader for BMP, GIF, JPEG and metafiles (WMF, EMF), and the Windows
// Imaging Component for what OLE cannot read (PNG, TIFF, ...). Only files on
// disk are opened (never a pipe or a device), through the path's UTF-16
// form, and a picture is judged by its size before its pixels are drawn.
// Usable without a host: it initialises COM for the call when needed.

#include <functional>
#include <string>

namespace host {

// decode_picture_file() on a thread of its own, so that the caller's loop
// goes on while a picture decodes. `wait` is called until the decode ends:
// it should wait for the event `done` (a HANDLE) or `timeout_ms`, whichever
// comes first, delivering the input that arrives meanwhile. A decode still
// running at the deadline is given up (refused as TooLarge) and left to
// end on its own; the decoder's own checks bound what it can cost.
PictureResult decode_picture_file_off_thread(const std::string& path_utf8, gfx::Surface& out,
                                             std::int64_t max_pixels,
                                             const std::function<void(void* done, int timeout_ms)>& wait,
                                             int deadline_ms = 15000);

} // namespace host
