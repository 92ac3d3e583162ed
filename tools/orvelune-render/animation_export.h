#pragma once

#include "animation_file.h"
#include "render_options.h"

#include <memory>
#include <string>

// The frames of a run into the animated file --output names: each frame at
// its time on the virtual clock, scaled by --scale.
class AnimationExport {
public:
    // Null, after saying why through render_setup::fail(), when the file
    // cannot be written; `status` is then 2 for a format this build lacks,
    // 1 otherwise.
    static std::unique_ptr<AnimationExport> open(const RenderOptions& options, int& status);

    // A frame presented at `at_ms` on the virtual clock.
    bool add(std::int64_t at_ms, const gfx::Surface& frame, std::string& error);
    // Completes the file; the last frame stays until `end_ms`.
    bool finish(std::int64_t end_ms, std::string& error);

    AnimationExport(const std::string& path, const AnimationSettings& settings,
                    int screen_width, int screen_height, std::unique_ptr<AnimationFile> file);
    // A file left unfinished (a run that failed) is removed: half a file
    // would look like a clip that plays.
    ~AnimationExport();
    AnimationExport(const AnimationExport&) = delete;
    AnimationExport& operator=(const AnimationExport&) = delete;

private:
    std::string m_path;
    bool m_png_name;            // a clip of one frame in a .png is a still picture
    std::unique_ptr<AnimationFile> m_file;
    PictureScaler m_scaler;
    FrameTimeline m_timeline;
    gfx::Surface m_last;
    std::string m_error;
    bool m_finished = false;
};
