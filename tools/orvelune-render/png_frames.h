#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <string>
#include <vector>

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
