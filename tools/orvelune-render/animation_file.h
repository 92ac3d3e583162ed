#pragma once

#include "frame_timeline.h"

#include "gfx/surface.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Animated files of played frames, written by the system's libraries: the
// WebP library's animation encoder, and FFmpeg's for the others. A build
// without them (the Windows one) writes none and says so.
enum class AnimationFormat { WebP, Apng, Gif, WebM, Mp4 };

// The format a file name asks for by its extension, in any case (".png" is
// an animated PNG); nothing for any other.
std::optional<AnimationFormat> animation_format_for(const std::string& path);
// The extensions animation_format_for() knows, for a message: ".webp, ... or .mp4".
std::string animation_extensions();

// The frame rate of video when none is asked for, from the saver's own time
// between frames (its pause): one video frame per frame where that divides
// a second (20 a second for 50 ms), else 60.
int default_video_fps(int frame_ms);

// The longest side of a WebP picture (its header holds 14 bits of each).
constexpr int kWebPMaxSide = 16383;

// The clock of a format's file: milliseconds for WebP and animated PNG,
// hundredths of a second for GIF (browsers stretch frames shorter than two
// of them, so none is), `fps` frames a second for video; frames of no time
// last two hundredths in the image formats and one frame in video.
FileClock file_clock_for(AnimationFormat format, int fps);

// The size of what is written for frames of `width` x `height` at `scale`:
// at least one pixel a side, and even sides for video, whose colour planes
// are halved.
void output_size(AnimationFormat format, int width, int height, double scale, int& out_width,
                 int& out_height);

struct AnimationSettings {
    AnimationFormat format = AnimationFormat::WebP;
    int width = 0;  // of the pictures given to add(), already scaled
    int height = 0;
    int fps = 30;
    std::optional<int> quality; // lossy WebP at this quality
};

// One file being written; pictures come in the order they are shown, each
// from `start` for `length` units of the format's FileClock.
class AnimationFile {
public:
    virtual ~AnimationFile() = default;
    virtual bool add(const gfx::Surface& picture, std::int64_t start, std::int64_t length,
                     std::string& error) = 0;
    // Completes the file; nothing is complete before.
    virtual bool finish(std::string& error) = 0;
};

// Opens `path` for writing. Null with a reason in `error` when it cannot be;
// `unavailable` is then set when this build cannot write the format at all.
std::unique_ptr<AnimationFile> open_animation_file(const std::string& path,
                                                   const AnimationSettings& settings,
                                                   std::string& error, bool& unavailable);

// Scales pictures to another size with a proper filter (Lanczos), the same
// way on every run. A build without a scaler answers false from
// available() and copies.
class PictureScaler {
public:
    PictureScaler(int from_width, int from_height, int to_width, int to_height);
    ~PictureScaler();
    PictureScaler(const PictureScaler&) = delete;
    PictureScaler& operator=(const PictureScaler&) = delete;

    static bool available();
    // False when the scaler could not be made for these sizes.
    bool ok() const;
    // The picture at the new size; the same picture when the sizes match.
    const gfx::Surface& scaled(const gfx::Surface& picture);

private:
    struct State;
    std::unique_ptr<State> m_state;
    gfx::Surface m_out;
};
