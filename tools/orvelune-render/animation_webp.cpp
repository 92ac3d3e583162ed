// Animated WebP through the WebP library's animation encoder: each frame at
// its own timestamp in milliseconds, lossless unless a quality is given.
#include "animation_encoders.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>
#include <limits>

namespace {

class WebPFile : public AnimationFile {
public:
    WebPFile(std::string path, const AnimationSettings& settings) : m_path(std::move(path))
    {
        WebPAnimEncoderOptions options;
        WebPAnimEncoderOptionsInit(&options);
        options.anim_params.loop_count = 0; // for ever, as the saver plays
        options.allow_mixed = 0;
        m_encoder = WebPAnimEncoderNew(settings.width, settings.height, &options);
        WebPConfigInit(&m_config);
        if (settings.quality) {
            m_config.quality = float(*settings.quality);
            m_config.method = 4;
        } else {
            // Effort 1 of 9: frames come by the hundred, and the saver's flat
            // backgrounds compress well even so.
            WebPConfigLosslessPreset(&m_config, 1);
        }
        // One thread, so that the bytes depend on nothing but the frames.
        m_config.thread_level = 0;
        WebPPictureInit(&m_picture);
        m_picture.use_argb = 1;
        m_picture.width = settings.width;
        m_picture.height = settings.height;
    }

    ~WebPFile() override
    {
        WebPPictureFree(&m_picture);
        if (m_encoder)
            WebPAnimEncoderDelete(m_encoder);
    }

    bool ready(std::string& error) const
    {
        if (m_encoder && WebPValidateConfig(&m_config))
            return true;
        error = "the WebP encoder cannot start";
        return false;
    }

    bool add(const gfx::Surface& picture, std::int64_t start, std::int64_t length,
             std::string& error) override
    {
        if (start + length > std::numeric_limits<int>::max()) {
            error = "longer than a WebP file's timestamps reach (about 24 days)";
            return false;
        }
        // 0x00RRGGBB words are blue, green, red, unused in memory: WebP's BGRX.
        if (!WebPPictureImportBGRX(&m_picture,
                                   reinterpret_cast<const std::uint8_t*>(picture.pixels().data()),
                                   picture.width() * 4)
            || !WebPAnimEncoderAdd(m_encoder, &m_picture, int(start), &m_config)) {
            error = WebPAnimEncoderGetError(m_encoder);
            return false;
        }
        m_end = start + length;
        return true;
    }

    bool finish(std::string& error) override
    {
        WebPData data;
        WebPDataInit(&data);
        // The end's timestamp gives the last frame its length.
        if (!WebPAnimEncoderAdd(m_encoder, nullptr, int(m_end), nullptr)
            || !WebPAnimEncoderAssemble(m_encoder, &data)) {
            error = WebPAnimEncoderGetError(m_encoder);
            return false;
        }
        bool ok = false;
        if (std::FILE* file = std::fopen(m_path.c_str(), "wb")) {
            ok = std::fwrite(data.bytes, 1, data.size, file) == data.size;
            ok = (std::fclose(file) == 0) && ok;
        }
        WebPDataClear(&data);
        if (!ok)
            error = "cannot write the file";
        return ok;
    }

private:
    std::string m_path;
    WebPAnimEncoder* m_encoder = nullptr;
    WebPConfig m_config;
    WebPPicture m_picture;
    std::int64_t m_end = 0;
};

} // namespace

std::unique_ptr<AnimationFile> open_webp_file(const std::string& path,
                                              const AnimationSettings& settings, std::string& error)
{
    auto file = std::make_unique<WebPFile>(path, settings);
    if (!file->ready(error))
        return nullptr;
    // Fail now rather than after the whole run when the file cannot be made.
    std::FILE* probe = std::fopen(path.c_str(), "wb");
    if (!probe) {
        error = "cannot create the file";
        return nullptr;
    }
    std::fclose(probe);
    return file;
}
