#pragma once

#include "gfx/surface.h"

#include <string>
#include <vector>

// The Windows Imaging Component's PNG encoder, for the render tool on
// Windows. Free of <windows.h>.
namespace host::win32 {

// Writes `surface` as an 8-bit RGB PNG file at `path` (UTF-8), converting
// through `rgb` (kept by the caller, so that a run of pictures allocates
// once). Starts COM on the calling thread for the call when it is not
// started there already. False, with the failing step and the system's
// code in `error`, when the file could not be written.
bool write_png_file(const std::string& path, const gfx::Surface& surface, std::vector<unsigned char>& rgb,
                    std::string& error);

} // namespace host::win32
