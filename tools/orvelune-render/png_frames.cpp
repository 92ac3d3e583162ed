// Frames to PNG files through libpng's simplified interface; see png_frames.h.
#include "png_frames.h"

#include "pending_file.h"

#include <png.h>

#include <cstdio>
#include <cstring>

bool write_png_file(const std::string& path, const gfx::Surface& surface,
                  std::vector<unsigned char>& rgb, std::string& error)
{
    const std::size_t width = std::size_t(surface.width());
    const std::size_t height = std::size_t(surface.height());
    rgb.resize(width * height * 3);
    unsigned char* out = rgb.data();
    for (std::size_t y = 0; y < height; ++y) {
        const gfx::Pixel* row = surface.row(int(y));
        for (std::size_t x = 0; x < width; ++x) {
            *out++ = std::uint8_t(gfx::red_of(row[x]));
            *out++ = std::uint8_t(gfx::green_of(row[x]));
            *out++ = std::uint8_t(gfx::blue_of(row[x]));
        }
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    // Frames are written by the hundred: favour speed over the last few
    // percent of file size (a noisy desktop picture otherwise costs ~0.3 s a frame).
    image.flags = PNG_IMAGE_FLAG_FAST;
    // Written beside the file and renamed over it, so that a run that
    // fails or is stopped never leaves a picture cut short.
    PendingFile pending;
    if (!pending.open(path, error)) {
        error = path + ": " + error;
        return false;
    }
    if (!png_image_write_to_file(&image, pending.path().c_str(), 0, rgb.data(), 0, nullptr)) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return pending.commit(error);
}
