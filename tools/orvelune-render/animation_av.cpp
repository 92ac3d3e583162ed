// Animated PNG, GIF, WebM and MP4 through FFmpeg's libraries, and the
// scaler through libswscale. Every file is written bit-exact, with no
// creation time or library version in the container, so that one run
// always gives the same bytes.
#include "animation_encoders.h"
#include "pending_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

namespace {

std::string av_message(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The Lanczos filter for shrinking, computed exactly, without the CPU's
// own shortcuts, so that every machine gives the same pixels.
constexpr int kScaleFlags = SWS_LANCZOS | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INT
                            | SWS_FULL_CHR_H_INP;

// The codecs' own settings, fixed: one speed and quality for every run.
struct CodecChoice {
    const char* encoder;
    AVPixelFormat pixels;
    const char* options; // "key=value:key=value", given to the encoder
};

CodecChoice codec_for(AnimationFormat format)
{
    switch (format) {
    // The encoder tries each way of putting a frame over the last and
    // deflates every one: a light compression keeps that quick.
    case AnimationFormat::Apng: return {"apng", AV_PIX_FMT_RGB24, "pred=paeth:compression_level=2"};
    case AnimationFormat::Gif: return {"gif", AV_PIX_FMT_PAL8, ""};
    // Realtime VP9 at a constant quality: a 1920x1080 clip encodes faster
    // than it plays on two cores; one thread row at a time keeps it the same
    // bytes on every run.
    case AnimationFormat::WebM:
        return {"libvpx-vp9", AV_PIX_FMT_YUV420P,
                "deadline=realtime:cpu-used=8:crf=30:b=0:row-mt=0:tile-columns=2:threads=2:lag-in-frames=0"};
    case AnimationFormat::Mp4:
        return {"libx264", AV_PIX_FMT_YUV420P, "preset=veryfast:crf=20:bf=0:threads=2"};
    case AnimationFormat::WebP: break;
    }
    return {"", AV_PIX_FMT_NONE, ""};
}

// Frames kept on disk until they can be played again: each as the
// rectangle that changed since the one before, deflated. The file has no
// name from the start (removed once open), so it goes whatever ends the run.
class FrameSpool {
public:
    ~FrameSpool()
    {
        if (m_file)
            std::fclose(m_file);
    }

    bool open(const std::string& beside)
    {
        PendingFile name;
        std::string error;
        if (!name.open(beside, error))
            return false;
        m_file = std::fopen(name.path().c_str(), "w+b");
        return m_file != nullptr;
    }

    bool add(const gfx::Surface& picture, std::int64_t start, std::int64_t length)
    {
        const int width = picture.width();
        const int height = picture.height();
        Record record{start, length, 0, 0, 0, 0, 0};
        if (m_last.width() != width || m_last.height() != height) {
            record.width = width;
            record.height = height;
        } else {
            int left = width, top = height, right = -1, bottom = -1;
            for (int y = 0; y < height; ++y) {
                const gfx::Pixel* now = picture.row(y);
                const gfx::Pixel* before = m_last.row(y);
                for (int x = 0; x < width; ++x) {
                    if (now[x] != before[x]) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        top = std::min(top, y);
                        bottom = y;
                    }
                }
            }
            if (right >= 0)
                record = {start, length, left, top, right - left + 1, bottom - top + 1, 0};
        }
        m_rect.resize(std::size_t(record.width) * std::size_t(record.height));
        for (int y = 0; y < record.height; ++y)
            std::memcpy(&m_rect[std::size_t(y) * std::size_t(record.width)],
                        picture.row(record.top + y) + record.left, std::size_t(record.width) * 4);
        uLongf packed = 0;
        if (!m_rect.empty()) {
            packed = compressBound(uLong(m_rect.size() * 4));
            m_packed.resize(packed);
            if (compress2(m_packed.data(), &packed, reinterpret_cast<const Bytef*>(m_rect.data()),
                          uLong(m_rect.size() * 4), 1) != Z_OK)
                return false;
        }
        record.bytes = std::uint64_t(packed);
        m_last = picture;
        return std::fwrite(&record, sizeof record, 1, m_file) == 1
               && std::fwrite(m_packed.data(), 1, packed, m_file) == packed;
    }

    // Each kept frame in turn, whole, in `canvas` (BGRA, opaque) with its
    // start as the time; false when the spool cannot be read or `each` says stop.
    template <typename Each>
    bool play(AVFrame* canvas, Each each)
    {
        if (std::fflush(m_file) != 0 || std::fseek(m_file, 0, SEEK_SET) != 0)
            return false;
        Record record;
        while (std::fread(&record, sizeof record, 1, m_file) == 1) {
            if (record.left < 0 || record.top < 0 || record.width < 0 || record.height < 0
                || record.left + record.width > canvas->width || record.top + record.height > canvas->height)
                return false;
            m_packed.resize(record.bytes);
            m_rect.resize(std::size_t(record.width) * std::size_t(record.height));
            uLongf size = uLongf(m_rect.size() * 4);
            auto* rect = reinterpret_cast<Bytef*>(m_rect.data());
            if (std::fread(m_packed.data(), 1, m_packed.size(), m_file) != m_packed.size()
                || (size > 0 && uncompress(rect, &size, m_packed.data(), uLong(m_packed.size())) != Z_OK)
                || av_frame_make_writable(canvas) < 0)
                return false;
            for (int y = 0; y < record.height; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(
                    canvas->data[0] + std::ptrdiff_t(record.top + y) * canvas->linesize[0]);
                const std::uint32_t* in = &m_rect[std::size_t(y) * std::size_t(record.width)];
                // 0x00RRGGBB words are blue, green, red, unused in memory: BGRA once opaque.
                for (int x = 0; x < record.width; ++x)
                    row[record.left + x] = in[x] | 0xff000000u;
            }
            canvas->pts = record.start;
            if (!each(canvas))
                return false;
        }
        return std::feof(m_file) != 0;
    }

private:
    struct Record {
        std::int64_t start;
        std::int64_t length;
        std::int32_t left, top, width, height;
        std::uint64_t bytes;
    };

    std::FILE* m_file = nullptr;
    gfx::Surface m_last;
    std::vector<std::uint32_t> m_rect;
    std::vector<Bytef> m_packed;
};

class AvFile : public AnimationFile {
public:
    AvFile(std::string path, const AnimationSettings& settings)
        : m_path(std::move(path)), m_settings(settings)
    {
    }

    ~AvFile() override
    {
        if (m_format) {
            if (m_format->pb)
                avio_closep(&m_format->pb);
            avformat_free_context(m_format);
        }
        avcodec_free_context(&m_codec);
        avfilter_graph_free(&m_graph);
        av_frame_free(&m_frame);
        av_frame_free(&m_filtered);
        av_packet_free(&m_packet);
        sws_freeContext(m_sws);
    }

    bool open(std::string& error, bool& unavailable)
    {
        const CodecChoice choice = codec_for(m_settings.format);
        const AVCodec* codec = avcodec_find_encoder_by_name(choice.encoder);
        if (!codec) {
            unavailable = true;
            error = std::string("this build's FFmpeg has no ") + choice.encoder + " encoder";
            return false;
        }
        int result = avformat_alloc_output_context2(&m_format, nullptr, muxer_name(), m_path.c_str());
        if (result < 0 || !m_format)
            return fail(error, "no container for it", result);
        m_format->flags |= AVFMT_FLAG_BITEXACT;
        AVStream* stream = avformat_new_stream(m_format, nullptr);
        m_codec = avcodec_alloc_context3(codec);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!stream || !m_codec || !m_frame || !m_packet)
            return fail(error, "out of memory", AVERROR(ENOMEM));
        m_stream = stream;
        const FileClock clock = file_clock_for(m_settings.format, m_settings.fps);
        m_codec->time_base = AVRational{1, clock.units_per_second};
        m_codec->framerate = AVRational{clock.constant_rate ? clock.units_per_second : 0, 1};
        m_codec->width = m_settings.width;
        m_codec->height = m_settings.height;
        m_codec->pix_fmt = choice.pixels;
        m_codec->flags |= AV_CODEC_FLAG_BITEXACT;
        if (clock.constant_rate)
            m_codec->gop_size = 10 * clock.units_per_second; // a key frame every ten seconds
        if (choice.pixels == AV_PIX_FMT_YUV420P) {
            // Said in the stream, so that players turn the colours back as
            // they were turned: the pictures are sRGB, whose primaries and
            // curve are BT.709's; the matrix is BT.709 for HD and BT.601
            // below (what players assume of untagged video of each size),
            // in the studio range of 16 to 235 that they expect of video.
            m_codec->color_primaries = AVCOL_PRI_BT709;
            m_codec->color_trc = AVCOL_TRC_BT709;
            m_codec->colorspace = high_definition() ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
            m_codec->color_range = AVCOL_RANGE_MPEG;
        }
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        av_dict_parse_string(&options, choice.options, "=", ":", 0);
        result = avcodec_open2(m_codec, codec, &options);
        av_dict_free(&options);
        if (result < 0)
            return fail(error, "the encoder cannot start", result);
        stream->time_base = m_codec->time_base;
        if ((result = avcodec_parameters_from_context(stream->codecpar, m_codec)) < 0)
            return fail(error, "the encoder cannot start", result);

        // The animated image formats loop for ever, as the saver plays.
        if (m_settings.format == AnimationFormat::Apng)
            av_opt_set_int(m_format->priv_data, "plays", 0, 0);
        if (m_settings.format == AnimationFormat::Gif)
            av_opt_set_int(m_format->priv_data, "loop", 0, 0);
        if ((result = avio_open(&m_format->pb, m_path.c_str(), AVIO_FLAG_WRITE)) < 0)
            return fail(error, "cannot create the file", result);
        AVDictionary* muxing = nullptr;
        if (m_settings.format == AnimationFormat::Mp4)
            av_dict_set(&muxing, "movflags", "+faststart", 0); // plays while it downloads
        result = avformat_write_header(m_format, &muxing);
        av_dict_free(&muxing);
        if (result < 0)
            return fail(error, "cannot write the file", result);

        // Pictures come as 0x00RRGGBB words: blue, green, red, unused.
        m_frame->format = m_settings.format == AnimationFormat::Gif ? AV_PIX_FMT_BGRA : choice.pixels;
        m_frame->width = m_settings.width;
        m_frame->height = m_settings.height;
        if ((result = av_frame_get_buffer(m_frame, 0)) < 0)
            return fail(error, "out of memory", result);
        if (choice.pixels == AV_PIX_FMT_YUV420P) {
            // No scaling here, only the colour conversion, which lossy video
            // needs fast more than exact.
            m_sws = sws_getContext(m_settings.width, m_settings.height, AV_PIX_FMT_BGR0,
                                   m_settings.width, m_settings.height, AV_PIX_FMT_YUV420P,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr);
            if (!m_sws)
                return fail(error, "cannot convert the pictures", AVERROR(EINVAL));
            // From full-range RGB to the matrix and range the stream is tagged with.
            const int matrix = high_definition() ? SWS_CS_ITU709 : SWS_CS_ITU601;
            sws_setColorspaceDetails(m_sws, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                     sws_getCoefficients(matrix), 0, 0, 1 << 16, 1 << 16);
        }
        if (m_settings.format == AnimationFormat::Gif) {
            m_spool = std::make_unique<FrameSpool>();
            m_filtered = av_frame_alloc();
            if (!m_filtered)
                return fail(error, "out of memory", AVERROR(ENOMEM));
            if (!m_spool->open(m_path))
                return fail(error, "cannot keep the frames", AVERROR(errno ? errno : EIO));
        }
        return true;
    }

    bool add(const gfx::Surface& picture, std::int64_t start, std::int64_t length,
             std::string& error) override
    {
        if (m_spool) {
            m_last_length = length;
            return m_spool->add(picture, start, length) || fail(error, "cannot keep the frames", AVERROR(EIO));
        }
        int result = av_frame_make_writable(m_frame);
        if (result < 0)
            return fail(error, "out of memory", result);
        fill_frame(picture);
        const bool constant_rate = file_clock_for(m_settings.format, m_settings.fps).constant_rate;
        if (!constant_rate) {
            m_frame->pts = start;
            m_last_length = length;
            return encode(m_frame, error);
        }
        // Video repeats the picture once a frame for as long as it stays:
        // converted once, handed to the encoder again with each new time.
        for (std::int64_t i = 0; i < length; ++i) {
            m_frame->pts = start + i;
            if (!encode(m_frame, error))
                return false;
        }
        return true;
    }

    bool finish(std::string& error) override
    {
        if (m_spool ? !encode_gif(error) : !encode(nullptr, error))
            return false;
        // The muxers give a frame the time to the next one; the last one
        // gets its own length from here.
        if (m_settings.format == AnimationFormat::Apng)
            av_opt_set_q(m_format->priv_data, "final_delay",
                         AVRational{int(std::min<std::int64_t>(m_last_length, 65535)), 1000}, 0);
        if (m_settings.format == AnimationFormat::Gif)
            av_opt_set_int(m_format->priv_data, "final_delay", std::min<std::int64_t>(m_last_length, 65535), 0);
        int result = av_write_trailer(m_format);
        if (result < 0)
            return fail(error, "cannot write the file", result);
        if ((result = avio_closep(&m_format->pb)) < 0)
            return fail(error, "cannot write the file", result);
        return true;
    }

private:
    const char* muxer_name() const
    {
        switch (m_settings.format) {
        case AnimationFormat::Apng: return "apng";
        case AnimationFormat::Gif: return "gif";
        case AnimationFormat::WebM: return "webm";
        case AnimationFormat::Mp4: return "mp4";
        case AnimationFormat::WebP: break;
        }
        return nullptr;
    }

    // 720 lines, or the width of a 1280x720 picture.
    bool high_definition() const { return m_settings.height >= 720 || m_settings.width >= 1280; }

    bool fail(std::string& error, const std::string& what, int code)
    {
        error = what + " (" + av_message(code) + ")";
        return false;
    }

    void fill_frame(const gfx::Surface& picture)
    {
        const int width = picture.width();
        const int height = picture.height();
        if (m_sws) {
            const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(picture.pixels().data())};
            const int strides[1] = {width * 4};
            sws_scale(m_sws, planes, strides, 0, height, m_frame->data, m_frame->linesize);
            return;
        }
        // The lossless formats get the pixels exactly as drawn.
        const bool bgra = m_frame->format == AV_PIX_FMT_BGRA;
        for (int y = 0; y < height; ++y) {
            const gfx::Pixel* in = picture.row(y);
            std::uint8_t* out = m_frame->data[0] + std::ptrdiff_t(y) * m_frame->linesize[0];
            for (int x = 0; x < width; ++x) {
                if (bgra) {
                    *out++ = std::uint8_t(gfx::blue_of(in[x]));
                    *out++ = std::uint8_t(gfx::green_of(in[x]));
                    *out++ = std::uint8_t(gfx::red_of(in[x]));
                    *out++ = 0xff;
                } else {
                    *out++ = std::uint8_t(gfx::red_of(in[x]));
                    *out++ = std::uint8_t(gfx::green_of(in[x]));
                    *out++ = std::uint8_t(gfx::blue_of(in[x]));
                }
            }
        }
    }

    // GIF: one palette for the whole clip, from the colours of what changes
    // (and of the whole first frame), so that a background that stays still
    // keeps its colours; then each frame's changed rectangle alone, the
    // pixels that did not change left transparent (the encoder's own
    // "offsetting" and "transdiff"). The palette needs every frame first:
    // they wait in the spool, played twice.
    bool encode_gif(std::string& error)
    {
        AVFrame* palette = av_frame_alloc();
        if (!palette)
            return fail(error, "out of memory", AVERROR(ENOMEM));
        const bool ok =
            make_palette(palette, error) && map_to_palette(palette, error) && encode(nullptr, error);
        av_frame_free(&palette);
        return ok;
    }

    // A graph from a buffer source of the frames to a sink, through `filter`
    // (and its second input `second`, when given).
    bool make_graph(const char* filter, AVFilterContext** source, const AVFrame* second,
                    AVFilterContext** second_source, AVFilterContext** sink, std::string& error)
    {
        avfilter_graph_free(&m_graph);
        m_graph = avfilter_graph_alloc();
        if (!m_graph)
            return fail(error, "out of memory", AVERROR(ENOMEM));
        av_opt_set_int(m_graph, "threads", 1, 0); // the same bytes on every run
        char args[160];
        std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/100:pixel_aspect=1/1",
                      m_settings.width, m_settings.height, int(AV_PIX_FMT_BGRA));
        AVFilterContext* middle = nullptr;
        int result = avfilter_graph_create_filter(source, avfilter_get_by_name("buffer"), "in", args,
                                                  nullptr, m_graph);
        if (result >= 0 && second) {
            std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/100:pixel_aspect=1/1",
                          second->width, second->height, second->format);
            result = avfilter_graph_create_filter(second_source, avfilter_get_by_name("buffer"), "palette",
                                                  args, nullptr, m_graph);
        }
        const char* colon = std::strchr(filter, '=');
        const std::string name = colon ? std::string(filter, colon) : std::string(filter);
        if (result >= 0)
            result = avfilter_graph_create_filter(&middle, avfilter_get_by_name(name.c_str()), "filter",
                                                  colon ? colon + 1 : nullptr, nullptr, m_graph);
        if (result >= 0)
            result = avfilter_graph_create_filter(sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                                  nullptr, m_graph);
        if (result >= 0)
            result = avfilter_link(*source, 0, middle, 0);
        if (result >= 0 && second)
            result = avfilter_link(*second_source, 0, middle, 1);
        if (result >= 0)
            result = avfilter_link(middle, 0, *sink, 0);
        if (result >= 0)
            result = avfilter_graph_config(m_graph, nullptr);
        return result >= 0 || fail(error, "cannot make the palette", result);
    }

    bool make_palette(AVFrame* palette, std::string& error)
    {
        AVFilterContext* source = nullptr;
        AVFilterContext* sink = nullptr;
        if (!make_graph("palettegen=stats_mode=diff", &source, nullptr, nullptr, &sink, error))
            return false;
        int result = 0;
        const bool played = m_spool->play(m_frame, [&](AVFrame* frame) {
            result = av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
            return result >= 0;
        });
        if (!played)
            return fail(error, result < 0 ? "cannot make the palette" : "cannot read the kept frames",
                        result < 0 ? result : AVERROR(EIO));
        if ((result = av_buffersrc_add_frame(source, nullptr)) < 0
            || (result = av_buffersink_get_frame(sink, palette)) < 0)
            return fail(error, "cannot make the palette", result);
        return true;
    }

    bool map_to_palette(const AVFrame* palette, std::string& error)
    {
        AVFilterContext* source = nullptr;
        AVFilterContext* palette_source = nullptr;
        AVFilterContext* sink = nullptr;
        // Error diffusion only within the rectangle that changed.
        if (!make_graph("paletteuse=diff_mode=rectangle", &source, palette, &palette_source, &sink, error))
            return false;
        AVFrame* copy = av_frame_clone(palette);
        int result = copy ? av_buffersrc_add_frame(palette_source, copy) : AVERROR(ENOMEM);
        av_frame_free(&copy);
        if (result >= 0)
            result = av_buffersrc_add_frame(palette_source, nullptr); // the one palette, for every frame
        if (result < 0)
            return fail(error, "cannot make the palette", result);
        bool encoded = true;
        const bool played = m_spool->play(m_frame, [&](AVFrame* frame) {
            m_waiting.emplace_back(frame_words(frame));
            result = av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
            return result >= 0 && (encoded = drain(sink, error));
        });
        if (!encoded)
            return false;
        if (!played)
            return fail(error, result < 0 ? "cannot map the colours" : "cannot read the kept frames",
                        result < 0 ? result : AVERROR(EIO));
        if ((result = av_buffersrc_add_frame(source, nullptr)) < 0)
            return fail(error, "cannot map the colours", result);
        return drain(sink, error);
    }

    // Encodes what the palette graph has made, each frame held still where
    // its picture was.
    bool drain(AVFilterContext* sink, std::string& error)
    {
        for (;;) {
            int result = av_buffersink_get_frame(sink, m_filtered);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0 || m_waiting.empty()
                || (result = av_frame_make_writable(m_filtered)) < 0)
                return fail(error, "cannot map the colours", result < 0 ? result : AVERROR_BUG);
            hold_still(m_filtered, m_waiting.front());
            m_waiting.pop_front();
            const bool ok = encode(m_filtered, error);
            av_frame_unref(m_filtered);
            if (!ok)
                return false;
        }
    }

    std::vector<std::uint32_t> frame_words(const AVFrame* frame) const
    {
        std::vector<std::uint32_t> words(std::size_t(m_settings.width) * std::size_t(m_settings.height));
        for (int y = 0; y < m_settings.height; ++y)
            std::memcpy(&words[std::size_t(y) * std::size_t(m_settings.width)],
                        frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0],
                        std::size_t(m_settings.width) * 4);
        return words;
    }

    // A pixel whose colour did not change keeps the palette entry it had,
    // whatever the dithering of its neighbours: the background stays still
    // to the last pixel, and the encoder leaves it out of the frame.
    void hold_still(AVFrame* indexed, std::vector<std::uint32_t>& picture)
    {
        const std::size_t width = std::size_t(m_settings.width);
        const bool first = m_still_picture.empty();
        m_still_indices.resize(picture.size());
        for (int y = 0; y < m_settings.height; ++y) {
            std::uint8_t* row = indexed->data[0] + std::ptrdiff_t(y) * indexed->linesize[0];
            const std::size_t at = std::size_t(y) * width;
            for (std::size_t x = 0; x < width; ++x) {
                if (!first && picture[at + x] == m_still_picture[at + x])
                    row[x] = m_still_indices[at + x];
                m_still_indices[at + x] = row[x];
            }
        }
        m_still_picture.swap(picture);
    }

    bool encode(AVFrame* frame, std::string& error)
    {
        int result = avcodec_send_frame(m_codec, frame);
        if (result < 0)
            return fail(error, "cannot encode a frame", result);
        for (;;) {
            result = avcodec_receive_packet(m_codec, m_packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
                return fail(error, "cannot encode a frame", result);
            // Every video frame lasts one unit; a container told nothing would
            // end the last frame where it starts, and players drop it.
            if (m_packet->duration == 0 && m_codec->framerate.num > 0)
                m_packet->duration = 1;
            av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            result = av_interleaved_write_frame(m_format, m_packet);
            if (result < 0)
                return fail(error, "cannot write the file", result);
        }
    }

    std::string m_path;
    AnimationSettings m_settings;
    AVFormatContext* m_format = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_sws = nullptr;
    AVFilterGraph* m_graph = nullptr;
    AVFrame* m_filtered = nullptr;
    std::unique_ptr<FrameSpool> m_spool;             // GIF's frames until the palette is known
    std::deque<std::vector<std::uint32_t>> m_waiting; // pictures given to the palette graph
    std::vector<std::uint32_t> m_still_picture;      // the last picture encoded
    std::vector<std::uint8_t> m_still_indices;       // and its palette entries
    std::int64_t m_last_length = 0;
};

} // namespace

std::unique_ptr<AnimationFile> open_av_file(const std::string& path,
                                            const AnimationSettings& settings, std::string& error,
                                            bool& unavailable)
{
    av_log_set_level(AV_LOG_ERROR);
    auto file = std::make_unique<AvFile>(path, settings);
    if (!file->open(error, unavailable))
        return nullptr;
    return file;
}

std::unique_ptr<AnimationFile> open_animation_file(const std::string& path,
                                                   const AnimationSettings& settings,
                                                   std::string& error, bool& unavailable)
{
    unavailable = false;
    if (settings.format == AnimationFormat::WebP)
        return open_webp_file(path, settings, error);
    return open_av_file(path, settings, error, unavailable);
}

struct PictureScaler::State {
    SwsContext* sws = nullptr;
};

PictureScaler::PictureScaler(int from_width, int from_height, int to_width, int to_height)
    : m_state(std::make_unique<State>())
{
    if (from_width != to_width || from_height != to_height) {
        m_state->sws = sws_getContext(from_width, from_height, AV_PIX_FMT_BGR0, to_width, to_height,
                                      AV_PIX_FMT_BGR0, kScaleFlags, nullptr, nullptr, nullptr);
        m_out = gfx::Surface(to_width, to_height);
    }
}

bool PictureScaler::ok() const
{
    return m_out.width() == 0 || m_state->sws;
}

PictureScaler::~PictureScaler()
{
    sws_freeContext(m_state->sws);
}

bool PictureScaler::available()
{
    return true;
}

const gfx::Surface& PictureScaler::scaled(const gfx::Surface& picture)
{
    if (!m_state->sws)
        return picture;
    const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(picture.pixels().data())};
    const int in_stride[1] = {picture.width() * 4};
    std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(m_out.pixels().data())};
    const int out_stride[1] = {m_out.width() * 4};
    sws_scale(m_state->sws, in, in_stride, 0, picture.height(), out, out_stride);
    return m_out;
}
