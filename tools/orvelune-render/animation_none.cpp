// The Windows build writes no animated files and scales no pictures: the
// libraries that do it are the Linux build's. See animation_file.h.
#include "animation_file.h"

std::unique_ptr<AnimationFile> open_animation_file(const std::string&, const AnimationSettings&,
                                                   std::string& error, bool& unavailable)
{
    unavailable = true;
    error = "animated files are written by the Linux build";
    return nullptr;
}

struct PictureScaler::State {};

PictureScaler::PictureScaler(int, int, int, int) {}

PictureScaler::~PictureScaler() = default;

bool PictureScaler::available()
{
    return false;
}

bool PictureScaler::ok() const
{
    return true;
}

const gfx::Surface& PictureScaler::scaled(const gfx::Surface& picture)
{
    return picture;
}
