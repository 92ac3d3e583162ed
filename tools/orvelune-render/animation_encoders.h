#pragma once

#include "animation_file.h"

// The encoders of the Linux build, behind open_animation_file().
std::unique_ptr<AnimationFile> open_webp_file(const std::string& path,
                                              const AnimationSettings& settings, std::string& error);
std::unique_ptr<AnimationFile> open_av_file(const std::string& path,
                                            const AnimationSettings& settings, std::string& error,
                                            bool& unavailable);
