// The frame writer's naming and buffering, the same whichever encoder
// write_png_file uses (png_frames.cpp or png_frames_wic.cpp).
#include "png_frames.h"

#include <cstdio>

std::string PngFrameWriter::path_for(std::int64_t frame) const
{
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
    return m_dir + "/" + name;
}

bool PngFrameWriter::write(std::int64_t frame, const gfx::Surface& surface, std::string& error)
{
    return write_png_file(path_for(frame), surface, m_rgb, error);
}
