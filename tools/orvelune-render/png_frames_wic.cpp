// PNG files on Windows: the Windows Imaging Component's encoder, which the
// Windows host holds; see png_frames.h.
#include "png_frames.h"

#include "host/win32/win32_png_file.h"

bool write_png_file(const std::string& path, const gfx::Surface& surface, std::vector<unsigned char>& rgb,
                    std::string& error)
{
    return host::win32::write_png_file(path, surface, rgb, error);
}
