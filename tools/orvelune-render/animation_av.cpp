// Animated PNG, GIF, WebM and MP4 through FFmpeg's libraries, and the
// scaler through libswscale. Every file is written bit-exact, with no
// creation time or library version in the container, so that one run
// always gives the same bytes.
#include "animation_encoders.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>

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
        if (m_settings.format == AnimationFormat::Gif && !open_palette_graph(error))
            return false;
        return true;
    }

    bool add(const gfx::Surface& picture, std::int64_t start, std::int64_t length,
             std::string& error) override
    {
        int result = av_frame_make_writable(m_frame);
        if (result < 0)
            return fail(error, "out of memory", result);
        fill_frame(picture);
        const bool constant_rate = file_clock_for(m_settings.format, m_settings.fps).constant_rate;
        if (!constant_rate) {
            m_frame->pts = start;
            m_last_length = length;
            return encode_or_filter(m_frame, error);
        }
        // Video repeats the picture once a frame for as long as it stays:
        // converted once, handed to the encoder again with each new time.
        for (std::int64_t i = 0; i < length; ++i) {
            m_frame->pts = start + i;
            if (!encode_or_filter(m_frame, error))
                return false;
        }
        return true;
    }

    bool finish(std::string& error) override
    {
        if (!encode_or_filter(nullptr, error))
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
                    *out++ = 0xff; // opaque: the palette reserves no transparent entry
                } else {
                    *out++ = std::uint8_t(gfx::red_of(in[x]));
                    *out++ = std::uint8_t(gfx::green_of(in[x]));
                    *out++ = std::uint8_t(gfx::blue_of(in[x]));
                }
            }
        }
    }

    // GIF: each frame gets the best 256 colours of its own (a palette of the
    // whole clip would need every frame first), with ordered dithering,
    // which stays still where the picture does.
    bool open_palette_graph(std::string& error)
    {
        m_graph = avfilter_graph_alloc();
        m_filtered = av_frame_alloc();
        if (!m_graph || !m_filtered)
            return fail(error, "out of memory", AVERROR(ENOMEM));
        av_opt_set_int(m_graph, "threads", 1, 0);
        char source_args[160];
        std::snprintf(source_args, sizeof source_args,
                      "video_size=%dx%d:pix_fmt=%d:time_base=1/100:pixel_aspect=1/1",
                      m_settings.width, m_settings.height, int(AV_PIX_FMT_BGRA));
        int result = avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in",
                                                  source_args, nullptr, m_graph);
        if (result >= 0)
            result = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out",
                                                  nullptr, nullptr, m_graph);
        if (result < 0)
            return fail(error, "cannot make the palettes", result);
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        if (!outputs || !inputs) {
            avfilter_inout_free(&outputs);
            avfilter_inout_free(&inputs);
            return fail(error, "out of memory", AVERROR(ENOMEM));
        }
        outputs->name = av_strdup("in");
        outputs->filter_ctx = m_source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = m_sink;
        result = avfilter_graph_parse_ptr(
            m_graph,
            "split[a][b];[a]palettegen=stats_mode=single:reserve_transparent=0[p];"
            "[b][p]paletteuse=new=1:dither=bayer:bayer_scale=3",
            &inputs, &outputs, nullptr);
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        if (result >= 0)
            result = avfilter_graph_config(m_graph, nullptr);
        if (result < 0)
            return fail(error, "cannot make the palettes", result);
        return true;
    }

    bool encode_or_filter(AVFrame* frame, std::string& error)
    {
        if (!m_graph)
            return encode(frame, error);
        int result = av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
        if (result < 0)
            return fail(error, "cannot make the palettes", result);
        for (;;) {
            result = av_buffersink_get_frame(m_sink, m_filtered);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                break;
            if (result < 0)
                return fail(error, "cannot make the palettes", result);
            const bool ok = encode(m_filtered, error);
            av_frame_unref(m_filtered);
            if (!ok)
                return false;
        }
        return frame ? true : encode(nullptr, error);
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
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    AVFrame* m_filtered = nullptr;
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
