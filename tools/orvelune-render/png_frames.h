#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <string>
#include <vector>

// Writes one picture as an 8-bit RGB PNG file at `path`, converting through
// `rgb` (kept by the caller, so that a run of pictures allocates once).
// False, with a reason in `error`, when the file could not be written.
bool write_png_file(const std::string& path, const gfx::Surface& surface,
                  std::vector<unsigned char>& rgb, std::string& error);

// Writes frames as 8-bit RGB PNG files. The byte buffer is kept between
// frames, so a run of equal-sized frames allocates once.
class PngFrameWriter {
public:
    explicit PngFrameWriter(std::string dir) : m_dir(std::move(dir)) {}

    // DIR/frame-NNNNNN.png, the frame number in at least six digits.
    std::string path_for(std::int64_t frame) const;
    // False, with a reason in `error`, when the file could not be written.
    bool write(std::int64_t frame, const gfx::Surface& surface, std::string& error);

private:
    std::string m_dir;
    std::vector<unsigned char> m_rgb;
};
