// orvelune-render --output and --contact-sheet: the files read back with
// FFmpeg's tools and the WebP library, against the PNG frames and the trace
// of the same run.
#include "render_test_support.h"
#include "support/sanitizers.h"

#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The saver's timer comes due this long after a tick ends.
constexpr long long kTickGapMs = 10;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Standard output of a shell command; an empty string when it failed.
std::string Output(const std::string& command)
{
    std::string text;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        if (::pclose(pipe) != 0)
            text.clear();
    }
    return text;
}

fs::path WriteSettings(const fs::path& dir, const std::function<void(Settings&)>& change)
{
    Settings s{};
    LoadSettings(s, (dir / "none.ini").string());
    change(s);
    fs::path ini = dir / "Orvelune.ini";
    SaveResult saved = save_settings_file(ini.string(), s);
    EXPECT_TRUE(saved.ok) << saved.error;
    return ini;
}

// When each frame of a trace was presented, in milliseconds of the virtual
// clock: every frame is followed by its pause, a sleep holds the picture,
// and each tick after the first waits for the timer (the first tick's line
// follows the opening it plays).
std::vector<long long> FrameTimes(const std::string& trace)
{
    std::vector<long long> times;
    long long now = 0;
    for (const std::string& line : Lines(trace)) {
        if (line.rfind("{\"ev\":\"frame\"", 0) == 0) {
            times.push_back(now);
            now += Field(line, "pause");
        } else if (line.rfind("{\"ev\":\"sleep\"", 0) == 0) {
            now += Field(line, "ms");
        } else if (line.rfind("{\"ev\":\"tick\"", 0) == 0 && Field(line, "n") > 1) {
            now += kTickGapMs;
        }
    }
    return times;
}

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<long long> durations_ms;
    std::vector<gfx::Surface> pictures; // lossless formats only
};

// Animated WebP through the library's own demuxing decoder.
Decoded DecodeWebP(const fs::path& file)
{
    Decoded d;
    const std::string bytes = Slurp(file);
    WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder)
        return d;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    d.width = int(info.canvas_width);
    d.height = int(info.canvas_height);
    int previous = 0;
    std::uint8_t* rgba = nullptr;
    int timestamp = 0;
    while (WebPAnimDecoderGetNext(decoder, &rgba, &timestamp)) {
        // The timestamp is where the frame ends.
        d.durations_ms.push_back(timestamp - previous);
        previous = timestamp;
        gfx::Surface picture(d.width, d.height);
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x, rgba += 4)
                picture.set(x, y, gfx::rgb(rgba[0], rgba[1], rgba[2]));
        d.pictures.push_back(std::move(picture));
    }
    WebPAnimDecoderDelete(decoder);
    return d;
}

// The other formats through ffprobe (sizes and durations) and ffmpeg (every
// frame as it is, for the lossless ones).
Decoded DecodeWithFfmpeg(const fs::path& file, bool pixels)
{
    Decoded d;
    const std::string quoted = "'" + file.string() + "'";
    std::istringstream size(Output("ffprobe -v error -select_streams v:0 -show_entries stream=width,height "
                                   "-of csv=p=0:s=x " + quoted));
    char x = 0;
    size >> d.width >> x >> d.height;
    // Each frame lasts until the next one starts; the last for its own duration.
    std::istringstream frames(Output("ffprobe -v error -select_streams v:0 -show_entries "
                                     "frame=best_effort_timestamp_time,pkt_duration_time -of csv=p=0 "
                                     + quoted));
    std::vector<double> starts;
    double last = 0;
    for (std::string line; std::getline(frames, line);) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0])))
            continue; // a frame's side data
        starts.push_back(std::atof(line.c_str()));
        last = std::atof(line.c_str() + line.find(',') + 1); // 0 when not given
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const double seconds = i + 1 < starts.size() ? starts[i + 1] - starts[i] : last;
        d.durations_ms.push_back((long long)(seconds * 1000 + 0.5));
    }
    if (pixels && d.width > 0) {
        const std::string raw = Output("ffmpeg -v error -i " + quoted
                                       + " -fps_mode passthrough -f rawvideo -pix_fmt rgb24 -");
        const std::size_t frame_bytes = std::size_t(d.width) * std::size_t(d.height) * 3;
        for (std::size_t at = 0; at + frame_bytes <= raw.size(); at += frame_bytes) {
            gfx::Surface picture(d.width, d.height);
            auto b = reinterpret_cast<const unsigned char*>(raw.data() + at);
            for (int y = 0; y < d.height; ++y)
                for (int px = 0; px < d.width; ++px, b += 3)
                    picture.set(px, y, gfx::rgb(b[0], b[1], b[2]));
            d.pictures.push_back(std::move(picture));
        }
    }
    return d;
}

// One run of the saver over the start of two actions, on a small screen:
// the trace, every frame as PNG, and the animated file.
struct ExportRun {
    ScratchDir dir;
    ToolRun run;
    std::vector<long long> times;
    fs::path file;

    explicit ExportRun(const std::string& name, std::vector<std::string> extra = {})
    {
        const fs::path ini = WriteSettings(dir.path, [](Settings& s) {
            s.g_Speed = 1;      // short glides: the run reaches the second action soon
            s.g_OrderMode = 1;
            s.g_BackgroundMode = 1;
        });
        file = dir.path / name;
        std::vector<std::string> args = {"--ini", ini.string(), "--size", "48x36", "--seed", "6",
                                         "--frames", "120", "--trace", (dir.path / "t.jsonl").string(),
                                         "--png", (dir.path / "png").string(), "--output", file.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        run = RunRenderTool(args, 120);
        times = FrameTimes(Slurp(dir.path / "t.jsonl"));
    }

    gfx::Surface png(std::size_t frame) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06zu.png", frame);
        return ReadPng(dir.path / "png" / name);
    }
};

// What the file shows at each frame's moment is that frame, and it ends when
// the last frame's pause does. (An encoder may join equal frames into one.)
void ExpectSameTimeline(const ExportRun& r, const Decoded& d, bool pixels)
{
    ASSERT_FALSE(d.durations_ms.empty());
    if (pixels) {
        ASSERT_EQ(d.pictures.size(), d.durations_ms.size());
    }
    std::size_t shown = 0;
    long long shown_end = d.durations_ms[0];
    for (std::size_t i = 0; i < r.times.size(); ++i) {
        const long long at = r.times[i] - r.times[0];
        while (at >= shown_end && shown + 1 < d.durations_ms.size())
            shown_end += d.durations_ms[++shown];
        ASSERT_LT(at, shown_end) << "frame " << i + 1 << " is past the end of the file";
        // It starts just when the frame does: no earlier frame is shown late.
        ASSERT_EQ(shown_end - d.durations_ms[shown] <= at, true) << "frame " << i + 1;
        if (pixels) {
            const gfx::Surface png = r.png(i + 1);
            EXPECT_TRUE(std::equal(png.pixels().begin(), png.pixels().end(),
                                   d.pictures[shown].pixels().begin()))
                << "frame " << i + 1 << " differs from its PNG";
        }
    }
    EXPECT_EQ(shown + 1, d.durations_ms.size()) << "pictures after the last frame";
    EXPECT_EQ(shown_end, r.times.back() - r.times[0] + 50) << "the last frame stays for its pause";
}

// The lossless image formats show every frame exactly as drawn, each for
// as long as the saver shows it; the last for the pause after every frame.
TEST(RenderExport, LosslessFormatsHoldEveryFrameForItsTimeOnTheClock)
{
    for (const char* name : {"clip.webp", "clip.apng"}) {
        SCOPED_TRACE(name);
        ExportRun r(name);
        ASSERT_EQ(r.run.status, 0) << r.run.err;
        ASSERT_EQ(r.times.size(), 120u);
        // The run must hold a frame longer than its pause, or this proves little.
        bool held = false;
        for (std::size_t i = 1; i < r.times.size(); ++i)
            held = held || r.times[i] - r.times[i - 1] > 50;
        ASSERT_TRUE(held) << "no hold in the run";

        const Decoded d = name == std::string("clip.webp") ? DecodeWebP(r.file) : DecodeWithFfmpeg(r.file, true);
        EXPECT_EQ(d.width, 48);
        EXPECT_EQ(d.height, 36);
        ExpectSameTimeline(r, d, true);
    }
}

// GIF counts hundredths and video whole frames at a constant rate: both
// last as long as the run, and each shows the frame of its moment.
TEST(RenderExport, GifAndVideoLastAsLongAsTheRun)
{
    struct Case {
        const char* name;
        std::vector<std::string> extra;
        int fps; // 0: image frames of their own lengths
    };
    const std::vector<Case> cases = {
        {"clip.gif", {}, 0},
        {"clip.webm", {}, 20}, // one video frame per frame of the saver's 50 ms
        {"clip.mp4", {"--fps", "25"}, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportRun r(c.name, c.extra);
        ASSERT_EQ(r.run.status, 0) << r.run.err;
        ASSERT_EQ(r.times.size(), 120u);
        const long long total_ms = r.times.back() - r.times.front() + 50;
        const Decoded d = DecodeWithFfmpeg(r.file, c.fps == 0);
        EXPECT_EQ(d.width, 48);
        EXPECT_EQ(d.height, 36);
        ASSERT_FALSE(d.durations_ms.empty());
        if (c.fps == 0) {
            // Times on the clock are whole hundredths here: nothing is rounded.
            ExpectSameTimeline(r, d, false);
            // The palette keeps a frame's few colours exactly.
            ASSERT_FALSE(d.pictures.empty());
            EXPECT_EQ(d.pictures[0].pixels()[0], r.png(1).pixels()[0]);
        } else {
            const long long frames = (total_ms * c.fps + 999) / 1000;
            EXPECT_EQ((long long)d.durations_ms.size(), frames);
            for (std::size_t i = 0; i + 1 < d.durations_ms.size(); ++i)
                EXPECT_NEAR(double(d.durations_ms[i]), 1000.0 / c.fps, 1.0) << i;
        }
    }
}

// A GIF has one palette for the clip and sends only what changed: over a
// picture of far more than 256 colours, whose dithering once shimmered from
// frame to frame, every pixel the saver left alone is the same in every
// decoded frame, and the frames are close to what was drawn.
TEST(RenderExport, AGifKeepsAStillBackgroundStill)
{
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;
    ScratchDir dir;
    gfx::Surface gradient(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            gradient.set(x, y,
                         gfx::rgb(x * 255 / kWidth, y * 255 / kHeight, (x + y) * 255 / (kWidth + kHeight)));
    WritePng(dir.path / "gradient.png", gradient);
    const fs::path ini = WriteSettings(dir.path, [&](Settings& s) {
        s.g_BackgroundMode = 4;
        s.g_BackgroundPicturePath = (dir.path / "gradient.png").string();
        s.g_OrderMode = 1;
    });
    const fs::path gif = dir.path / "clip.gif";
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--frames", "60", "--size", "320x240", "--seed", "3",
                                 "--png", (dir.path / "png").string(), "--output", gif.string()}, 120);
    ASSERT_EQ(run.status, 0) << run.err;
    const Decoded d = DecodeWithFfmpeg(gif, true);
    ASSERT_EQ(d.pictures.size(), 60u);
    std::vector<gfx::Surface> drawn;
    for (int n = 1; n <= 60; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06d.png", n);
        drawn.push_back(ReadPng(dir.path / "png" / name));
    }
    long long still = 0;
    long long error = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            bool kept = true;
            for (std::size_t i = 1; i < drawn.size(); ++i)
                kept = kept && drawn[i].at(x, y) == drawn[0].at(x, y);
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                if (kept) {
                    ASSERT_EQ(d.pictures[i].at(x, y), d.pictures[0].at(x, y))
                        << x << "," << y << " in frame " << i + 1;
                }
                for (int shift : {0, 8, 16})
                    error += std::abs(int((d.pictures[i].at(x, y) >> shift) & 0xff)
                                      - int((drawn[i].at(x, y) >> shift) & 0xff));
            }
            still += kept;
        }
    }
    EXPECT_GT(still, kWidth * kHeight / 10) << "the run must leave some of the picture alone";
    EXPECT_LT(double(error) / (60.0 * kWidth * kHeight * 3), 10.0)
        << "mean error per channel: a gradient in 256 colours";
}

// Video says how its colours were converted (BT.601 below HD, BT.709 from
// 720 lines, the studio range), and a player that follows the tags, as
// ffmpeg does, gets the colours back.
TEST(RenderExport, VideoCarriesItsColourTags)
{
    ScratchDir dir;
    std::ofstream(dir.path / "text.png") << "no picture";
    const fs::path ini = WriteSettings(dir.path, [&](Settings& s) {
        s.g_BackgroundMode = 4; // a picture that is refused: the background colour
        s.g_BackgroundPicturePath = (dir.path / "text.png").string();
        s.g_BackgroundColor = 0x002060E0; // red in the low byte
    });
    struct Case {
        const char* name;
        const char* size;
        const char* tags; // range, matrix, curve, primaries
    };
    const Case cases[] = {
        {"sd.mp4", "320x240", "tv,smpte170m,bt709,bt709"},
        {"sd.webm", "320x240", "tv,smpte170m,bt709,bt709"},
        {"hd.mp4", "1280x720", "tv,bt709,bt709,bt709"},
        {"hd.webm", "1280x720", "tv,bt709,bt709,bt709"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.path / c.name;
        ToolRun run = RunRenderTool({"--ini", ini.string(), "--frames", "2", "--size", c.size, "--seed", "1",
                                     "--output", file.string()}, 120);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Output("ffprobe -v error -select_streams v:0 -show_entries "
                         "stream=color_range,color_space,color_transfer,color_primaries -of csv=p=0 '"
                         + file.string() + "'"),
                  std::string(c.tags) + "\n");
        const Decoded d = DecodeWithFfmpeg(file, true);
        ASSERT_FALSE(d.pictures.empty());
        const gfx::Pixel corner = d.pictures[0].at(0, 0);
        EXPECT_NEAR(gfx::red_of(corner), 0xE0, 3) << std::hex << corner;
        EXPECT_NEAR(gfx::green_of(corner), 0x60, 3) << std::hex << corner;
        EXPECT_NEAR(gfx::blue_of(corner), 0x20, 3) << std::hex << corner;
    }
}

// A pause of 0 ("PCのｽﾍﾟｯｸ" 0) gives every frame no time on the clock: each
// is still in the file, for the shortest time players show as given (two
// hundredths in the image formats, one frame of 60 a second in video).
TEST(RenderExport, APauseOfZeroKeepsEveryFrame)
{
    ScratchDir dir;
    const fs::path ini = WriteSettings(dir.path, [](Settings& s) { s.g_PcSpec = 0; });
    for (const char* name : {"clip.gif", "clip.mp4", "clip.webm", "clip.webp", "clip.apng"}) {
        SCOPED_TRACE(name);
        const fs::path file = dir.path / name;
        ToolRun run = RunRenderTool({"--ini", ini.string(), "--frames", "200", "--size", "48x36", "--seed", "1",
                                     "--output", file.string()}, 120);
        ASSERT_EQ(run.status, 0) << run.err;
        const bool video = name == std::string("clip.mp4") || name == std::string("clip.webm");
        const Decoded d = name == std::string("clip.webp") ? DecodeWebP(file) : DecodeWithFfmpeg(file, false);
        if (video) {
            ASSERT_EQ(d.durations_ms.size(), 200u);
            for (std::size_t i = 0; i < d.durations_ms.size(); ++i)
                ASSERT_NEAR(double(d.durations_ms[i]), 1000.0 / 60, 1.0) << "frame " << i + 1;
        } else {
            // The WebP encoder joins equal frames into one of their length.
            if (name != std::string("clip.webp")) {
                EXPECT_EQ(d.durations_ms.size(), 200u);
            }
            long long total = 0;
            for (std::size_t i = 0; i < d.durations_ms.size(); ++i) {
                EXPECT_EQ(d.durations_ms[i] % 20, 0) << "frame " << i + 1;
                total += d.durations_ms[i];
            }
            EXPECT_EQ(total, 200 * 20);
        }
    }
}

// --every keeps every K-th frame, for as long as the K frames it stands for;
// --scale makes a smaller file of the same length.
TEST(RenderExport, EveryAndScaleKeepTheClipsLength)
{
    ExportRun r("clip.webp", {"--every", "4", "--scale", "0.5"});
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    const Decoded d = DecodeWebP(r.file);
    EXPECT_EQ(d.width, 24);
    EXPECT_EQ(d.height, 18);
    ASSERT_EQ(d.durations_ms.size(), 30u);
    for (std::size_t i = 0; i + 1 < 30; ++i)
        EXPECT_EQ(d.durations_ms[i], r.times[4 * i + 7] - r.times[4 * i + 3]) << i;
    // The 120th frame was the last presented: it stays for its pause.
    EXPECT_EQ(d.durations_ms[29], 50);
}

TEST(RenderExport, TheSameRunWritesTheSameBytes)
{
    // The GIF's palettes cost most under the sanitizers, in FFmpeg's own
    // allocations: there a third of the run is compared.
    const std::vector<std::string> shorter =
        testrig::kSanitized ? std::vector<std::string>{"--frames", "40"} : std::vector<std::string>{};
    for (const char* name : {"clip.webp", "clip.gif", "clip.mp4", "clip.webm", "clip.png"}) {
        ExportRun a(name, shorter);
        ExportRun b(name, shorter);
        ASSERT_EQ(a.run.status, 0) << name << ": " << a.run.err;
        EXPECT_EQ(Slurp(a.file), Slurp(b.file)) << name;
    }
}

TEST(RenderExport, OneFrameInAPngIsAStillPicture)
{
    ScratchDir dir;
    ToolRun run = RunRenderTool({"--frames", "1", "--size", "40x30", "--seed", "1", "--output",
                                 (dir.path / "one.png").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(dir.path / "one.png").find("acTL"), std::string::npos) << "no animation chunk";
    EXPECT_EQ(ReadPng(dir.path / "one.png").width(), 40);
}

// What every folder of a failed run must hold: exactly what was there
// before it, each file as it was (no clip, trace or unfinished file more).
std::map<std::string, std::string> Contents(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[entry.path().filename().string()] = entry.is_regular_file() ? Slurp(entry.path()) : "(other)";
    return files;
}

// Refused before the run, or a run that keeps nothing: a message, the
// status, and an earlier file at the path left as it was.
TEST(RenderExport, RefusalsSayWhyAndLeaveTheEarlierFile)
{
    ScratchDir dir;
    const fs::path folder = dir.path / "out";
    fs::create_directories(folder);
    fs::create_symlink("c.mp4", folder / "link.jsonl");
    struct Case {
        std::string file; // under out/; an earlier file of that name is there
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"clip.avi", {}, 2, "name it .webp, .apng, .png, .gif, .webm or .mp4"},
        {"clip", {}, 2, "format"},
        {"c.mp4", {"--fps", "0"}, 2, "--fps"},
        {"c.mp4", {"--fps", "121"}, 2, "--fps"},
        {"c.webp", {"--scale", "0.01"}, 2, "--scale"},
        {"c.webp", {"--scale", "1.5"}, 2, "--scale"},
        {"c.webp", {"--scale", "1e-1"}, 2, "--scale"},
        {"c.webp", {"--quality", "101"}, 2, "--quality"},
        {"c.gif", {"--quality", "50"}, 2, "--quality"},
        // WebP's sides hold 14 bits: refused before the run, not in the encoder.
        {"c.webp", {"--size", "16384x8"}, 2, "16383"},
        // The trace and the clip in one file, however it is named.
        {"c.mp4", {"--trace", (folder / "c.mp4").string()}, 2, "same file"},
        {"c.mp4", {"--trace", (dir.path / "out/../out/./c.mp4").string()}, 2, "same file"},
        {"c.mp4", {"--trace", (folder / "link.jsonl").string()}, 2, "same file"},
        {"c.webp", {"--trace", (folder / "c.webp").string(), "--version-card"}, 2, "same file"},
        // No frame played, or every K-th never reached: no file that looks like a clip.
        {"c.webp", {"--ticks", "0"}, 1, "not written"},
        {"c.mp4", {"--every", "50"}, 1, "not written"},
        {"e.mp4", {"--version-card", "--every", "100"}, 1, "not written"},
        {"e.webm", {"--version-card", "--every", "100"}, 1, "not written"},
    };
    for (const Case& c : cases) {
        std::string shown = c.file;
        for (const std::string& a : c.args)
            shown += " " + a;
        SCOPED_TRACE(shown);
        std::ofstream(folder / c.file) << "earlier";
        const auto before = Contents(folder);
        std::vector<std::string> args = {"--frames", "3", "--size", "32x24", "--seed", "1",
                                         "--output", (folder / c.file).string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ToolRun run = RunRenderTool(args, 60);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(Contents(folder), before);
        fs::remove(folder / c.file);
    }
    // A folder that is not there: nothing is made.
    for (const char* name : {"clip.mp4", "clip.webp"}) {
        ToolRun run = RunRenderTool({"--frames", "3", "--size", "32x24", "--output",
                                     (dir.path / "no/such/folder" / name).string()}, 60);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(dir.path / "no"));
}

// A run that fails part way, or that a signal ends, leaves the clip and the
// trace that were there before it, and nothing of its own; one that ends
// well replaces them, writing through a link to the file it names.
TEST(RenderExport, AFailedOrStoppedRunLeavesTheEarlierFiles)
{
    ScratchDir dir;
    const fs::path none = WriteSettings(dir.path, [](Settings& s) { s.g_ActionEnabled.fill(0); });
    const std::string tool = std::string(ORVELUNE_BIN_DIR) + "/orvelune-render";
    const fs::path folder = dir.path / "out";
    fs::create_directories(folder);
    struct Failure {
        const char* what;
        std::vector<std::string> args;
        const char* signal; // sent once the run is under way, or nothing
    };
    const std::vector<Failure> failures = {
        {"frame N never comes", {"--ini", none.string(), "--frames", "100"}, nullptr},
        {"no frame kept", {"--frames", "20", "--every", "1000"}, nullptr},
        {"a trace that cannot be written", {"--frames", "20", "--trace", (dir.path / "no/t.jsonl").string()},
         nullptr},
        {"SIGTERM", {"--frames", "100000000"}, "TERM"},
        {"SIGINT", {"--frames", "100000000"}, "INT"},
    };
    for (const char* name : {"clip.webp", "clip.mp4", "clip.gif"}) {
        for (const Failure& f : failures) {
            SCOPED_TRACE(std::string(name) + ", " + f.what);
            std::ofstream(folder / name) << "earlier";
            std::ofstream(folder / "t.jsonl") << "earlier";
            const auto before = Contents(folder);
            // A shell's background job ignores SIGINT unless told otherwise.
            std::string command = "env --default-signal=INT '" + tool + "' --size 64x48 --seed 2 --output '"
                                  + (folder / name).string() + "'";
            if (std::find(f.args.begin(), f.args.end(), "--trace") == f.args.end())
                command += " --trace '" + (folder / "t.jsonl").string() + "'";
            for (const std::string& a : f.args)
                command += " '" + a + "'";
            if (f.signal) {
                // Stopped while the frames are going into the unfinished file.
                command += " 2>/dev/null & pid=$!; i=0; while [ $i -lt 200 ] && ! ls -A '" + folder.string()
                           + "' | grep -q 'part$'; do sleep 0.05; i=$((i+1)); done; sleep 0.3; kill -"
                           + f.signal + " $pid; wait $pid; echo $?";
                const int number = f.signal == std::string("TERM") ? 15 : 2;
                EXPECT_EQ(Output(command), std::to_string(128 + number) + "\n") << "ended by the signal";
            } else {
                EXPECT_EQ(Output(command + " 2>/dev/null; echo $?"), "1\n");
            }
            EXPECT_EQ(Contents(folder), before);
        }
    }
    fs::remove(folder / "clip.webp");
    fs::create_symlink("real.webp", folder / "clip.webp");
    std::ofstream(folder / "real.webp") << "earlier";
    ToolRun run = RunRenderTool({"--frames", "5", "--size", "64x48", "--seed", "2", "--output",
                                 (folder / "clip.webp").string(), "--trace", (folder / "t.jsonl").string()}, 60);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(folder / "clip.webp"));
    EXPECT_EQ(DecodeWebP(folder / "real.webp").width, 64) << "the new clip";
    EXPECT_EQ(Slurp(folder / "t.jsonl").rfind("{\"ev\":\"start\"", 0), 0u) << "the new trace";
    EXPECT_EQ(Contents(folder).size(), 5u) << "nothing unfinished is left";
}

// A frame count that no action will ever draw ended in a busy loop.
TEST(RenderExport, FramesThatCanNeverComeEndTheRun)
{
    ScratchDir dir;
    const fs::path ini = WriteSettings(dir.path, [](Settings& s) { s.g_ActionEnabled.fill(0); });
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--frames", "100", "--size", "32x24", "--seed", "1"}, 60);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("never comes"), std::string::npos) << run.err;
    // A clip of such a run is not left half written.
    ToolRun clip = RunRenderTool({"--ini", ini.string(), "--frames", "100", "--size", "32x24", "--seed", "1",
                                  "--output", (dir.path / "c.mp4").string()}, 60);
    EXPECT_EQ(clip.status, 1) << clip.err;
    EXPECT_FALSE(fs::exists(dir.path / "c.mp4"));
    // Ticks alone still end, each one empty.
    ToolRun ticks = RunRenderTool({"--ini", ini.string(), "--ticks", "60", "--size", "32x24", "--seed", "1"}, 60);
    EXPECT_EQ(ticks.status, 0) << ticks.err;
    // One action enabled, in random order, may wait 38 empty ticks: never refused.
    const fs::path one = WriteSettings(dir.path, [](Settings& s) {
        s.g_ActionEnabled.fill(0);
        s.g_ActionEnabled[7] = 1;
        s.g_Speed = 1;
    });
    for (const char* seed : {"1", "2", "3", "4", "5"}) {
        ToolRun r = RunRenderTool({"--ini", one.string(), "--ticks", "120", "--frames", "100000000",
                                   "--size", "32x24", "--seed", seed}, 60);
        EXPECT_EQ(r.status, 0) << seed << ": " << r.err;
    }
}

// A screen too big for the memory given ended with an uncaught bad_alloc.
TEST(RenderExport, RunningOutOfMemoryEndsWithAMessage)
{
    if (testrig::kSanitized)
        GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
    ScratchDir dir;
    const std::string command = "ulimit -v 300000; '" + std::string(ORVELUNE_BIN_DIR)
                                + "/orvelune-render' --size 8192x8192 --frames 1 --seed 1 2>'"
                                + (dir.path / "err").string() + "'; echo $?";
    EXPECT_EQ(Output(command), "1\n");
    EXPECT_NE(Slurp(dir.path / "err").find("out of memory"), std::string::npos) << Slurp(dir.path / "err");
}

} // namespace
