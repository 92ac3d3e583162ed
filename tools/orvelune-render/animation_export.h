#pragma once

#include "animation_file.h"
#include "pending_file.h"
#include "render_options.h"

#include <memory>
#include <string>

// The frames of a run into the animated file --output names: each frame at
// its time on the virtual clock, scaled by --scale. The file is written
// beside the target and takes its place only through commit(), so a run
// that fails or is ended by a signal leaves an earlier file as it was.
class AnimationExport {
public:
    // Null, after saying why through render_setup::fail(), when the file
    // cannot be written; `status` is then 2 for a format this build lacks
    // or a request the format cannot hold, 1 otherwise. `frame_ms` is the
    // saver's own time between frames (its pause), which sets the video's
    // rate when --fps does not.
    static std::unique_ptr<AnimationExport> open(const RenderOptions& options, int frame_ms,
                                                 int& status);

    // A frame presented at `at_ms` on the virtual clock.
    bool add(std::int64_t at_ms, const gfx::Surface& frame, std::string& error);
    // Completes the file beside the target; the last frame stays until
    // `end_ms`. False when it could not be, or when no frame was given:
    // an empty clip would only look like one.
    bool finish(std::int64_t end_ms, std::string& error);
    // Puts the finished file in the target's place.
    bool commit(std::string& error);

    AnimationExport(const std::string& path, const AnimationSettings& settings,
                    int screen_width, int screen_height);
    AnimationExport(const AnimationExport&) = delete;
    AnimationExport& operator=(const AnimationExport&) = delete;

private:
    std::string m_path;
    bool m_png_name;            // a clip of one frame in a .png is a still picture
    PendingFile m_pending;      // before m_file: the file is closed before it is removed
    std::unique_ptr<AnimationFile> m_file;
    PictureScaler m_scaler;
    FrameTimeline m_timeline;
    gfx::Surface m_last;
    std::string m_error;
    std::int64_t m_added = 0;
    bool m_finished = false;
};
