// Picture files through GdkPixbuf; see picture_file.h.
#include "host/gdk/picture_file.h"

#include "settings/file_io.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

namespace host {

namespace {

// Bigger than any picture file within kMaxPicturePixels needs to be (a BMP
// of 8192 x 8192 at 32 bits is 256 MiB), so reading it can never run long.
constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t(256) * 1024 * 1024 + 64 * 1024;

enum class Format { Bmp, Gif, Jpeg, Png, Wmf };

// The formats by their first bytes; the loader named here is the only one
// that ever sees the file.
std::optional<Format> format_of(std::string_view head)
{
    auto starts = [&](std::string_view magic) { return head.starts_with(magic); };
    if (starts("\x89PNG\r\n\x1a\n"))
        return Format::Png;
    if (starts("\xFF\xD8\xFF"))
        return Format::Jpeg;
    if (starts("GIF87a") || starts("GIF89a"))
        return Format::Gif;
    if (starts("BM"))
        return Format::Bmp;
    // A placeable metafile, or a plain one in memory or on disk.
    if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\x01\x00\x09\x00\x00\x03", 6))
        || starts(std::string_view("\x02\x00\x09\x00\x00\x03", 6)))
        return Format::Wmf;
    return std::nullopt;
}

const char* loader_type(Format format)
{
    switch (format) {
    case Format::Bmp: return "bmp";
    case Format::Gif: return "gif";
    case Format::Jpeg: return "jpeg";
    case Format::Png: return "png";
    case Format::Wmf: return "wmf";
    }
    return "";
}

std::uint32_t big_endian_32(std::string_view bytes, std::size_t at)
{
    auto b = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(bytes[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

// A PNG's pixels are deflated, and deflate shrinks data at most 1032 times;
// a file shorter than its header's rows at that ratio cannot hold them, and
// is refused before the decoder allocates for them. (The decoder allocates
// the whole picture as soon as it has read the header.)
bool png_is_truncated(std::string_view head, std::uint64_t file_bytes)
{
    if (head.size() < 26 || head.substr(12, 4) != "IHDR")
        return false; // the decoder will find what is wrong
    const std::uint64_t width = big_endian_32(head, 16);
    const std::uint64_t height = big_endian_32(head, 20);
    const unsigned depth = static_cast<unsigned char>(head[24]);
    const unsigned colour_type = static_cast<unsigned char>(head[25]);
    const unsigned channels = colour_type == 2 ? 3 : colour_type == 4 ? 2 : colour_type == 6 ? 4 : 1;
    // Each row: a filter byte and its samples, whole bytes.
    const std::uint64_t row_bytes = 1 + (width * channels * depth + 7) / 8;
    return file_bytes < height * row_bytes / 1032;
}

// The half, quarter or eighth of a JPEG that fits the limit, as its decoder
// gives it (each side rounded up), or nothing when not even an eighth does.
std::optional<std::pair<int, int>> jpeg_scaled(int width, int height, std::int64_t max_pixels)
{
    for (int denominator : {2, 4, 8}) {
        const int w = (width + denominator - 1) / denominator;
        const int h = (height + denominator - 1) / denominator;
        if (std::int64_t(w) * h <= max_pixels)
            return std::pair{w, h};
    }
    return std::nullopt;
}

struct Decoding {
    Format format;
    std::int64_t max_pixels;
    std::optional<PictureResult> refused; // by on_size_prepared
    std::vector<bool> row_written;        // of the picture being decoded
    std::size_t rows_left = 0;
};

// The PNG and BMP decoders hand over a picture that ended early as if it
// were whole, with its missing rows never written (whatever the memory held
// before); a picture counts as decoded only when every row was written. The
// JPEG decoder fills what is missing itself, and the GIF decoder reports it.
bool needs_every_row(Format format) { return format == Format::Png || format == Format::Bmp; }

void on_area_prepared(GdkPixbufLoader* loader, gpointer data)
{
    auto& decoding = *static_cast<Decoding*>(data);
    const int height = gdk_pixbuf_get_height(gdk_pixbuf_loader_get_pixbuf(loader));
    decoding.row_written.assign(std::size_t(std::max(height, 0)), false);
    decoding.rows_left = decoding.row_written.size();
}

void on_area_updated(GdkPixbufLoader*, int, int y, int, int height, gpointer data)
{
    auto& decoding = *static_cast<Decoding*>(data);
    const std::size_t rows = decoding.row_written.size();
    for (std::size_t row = std::size_t(std::max(y, 0)); row < rows && row < std::size_t(std::max(y + height, 0)); ++row) {
        if (!decoding.row_written[row]) {
            decoding.row_written[row] = true;
            --decoding.rows_left;
        }
    }
}

// The header has been read and no pixel allocated yet: the last moment to
// choose the size, or to stop. A size of 0 x 0 makes every loader give up
// at once without allocating.
void on_size_prepared(GdkPixbufLoader* loader, int width, int height, gpointer data)
{
    auto& decoding = *static_cast<Decoding*>(data);
    if (width <= 0 || height <= 0) {
        decoding.refused = PictureResult::Broken;
    } else if (std::int64_t(width) * height <= decoding.max_pixels) {
        return;
    } else if (auto scaled = decoding.format == Format::Jpeg ? jpeg_scaled(width, height, decoding.max_pixels)
                                                              : std::nullopt) {
        gdk_pixbuf_loader_set_size(loader, scaled->first, scaled->second);
        return;
    } else {
        decoding.refused = PictureResult::TooLarge;
    }
    gdk_pixbuf_loader_set_size(loader, 0, 0);
}

// The channel value seen through alpha over black, rounded to nearest.
std::uint32_t over_black(std::uint32_t channel, std::uint32_t alpha) { return (channel * alpha + 127) / 255; }

bool copy_pixels(GdkPixbuf* pixbuf, std::int64_t max_pixels, gfx::Surface& out)
{
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const bool usable = width > 0 && height > 0 && std::int64_t(width) * height <= max_pixels
                        && gdk_pixbuf_get_colorspace(pixbuf) == GDK_COLORSPACE_RGB
                        && gdk_pixbuf_get_bits_per_sample(pixbuf) == 8 && channels == (alpha ? 4 : 3);
    if (!usable)
        return false;

    gfx::Surface picture(width, height);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < height; ++y) {
        const guchar* in = pixels + std::ptrdiff_t(y) * stride;
        gfx::Pixel* row = picture.row(y);
        for (int x = 0; x < width; ++x, in += channels) {
            std::uint32_t r = in[0], g = in[1], b = in[2];
            if (alpha) {
                r = over_black(r, in[3]);
                g = over_black(g, in[3]);
                b = over_black(b, in[3]);
            }
            row[x] = gfx::rgb(int(r), int(g), int(b));
        }
    }
    out = std::move(picture);
    return true;
}

} // namespace

PictureResult decode_picture_file(const std::string& path, gfx::Surface& out, std::int64_t max_pixels)
{
    file_io::InputFile file;
    if (file.open(path) != file_io::ReadStatus::Read)
        return PictureResult::Unreadable;
    if (file.size() > kMaxPictureFileBytes)
        return PictureResult::TooLarge;

    // The loader is fed in chunks, so that a file it gives up on early is
    // never read to its end.
    std::vector<char> chunk(64 * 1024);
    std::optional<std::size_t> got = file.read(chunk.data(), chunk.size());
    if (!got)
        return PictureResult::Unreadable;
    const std::string_view head(chunk.data(), *got);
    const std::optional<Format> format = format_of(head);
    if (!format)
        return PictureResult::UnknownFormat;
    if (*format == Format::Png && png_is_truncated(head, file.size()))
        return PictureResult::Truncated;

    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(loader_type(*format), nullptr);
    if (!loader)
        return PictureResult::UnknownFormat; // no decoder for it here (WMF on most systems)
    Decoding decoding{*format, std::min(max_pixels, kMaxPicturePixels), std::nullopt, {}, 0};
    g_signal_connect(loader, "size-prepared", G_CALLBACK(on_size_prepared), &decoding);
    g_signal_connect(loader, "area-prepared", G_CALLBACK(on_area_prepared), &decoding);
    g_signal_connect(loader, "area-updated", G_CALLBACK(on_area_updated), &decoding);

    bool fed = true;
    while (fed && *got > 0) {
        fed = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(chunk.data()), *got, nullptr)
              && !decoding.refused;
        if (fed) {
            got = file.read(chunk.data(), chunk.size());
            fed = got.has_value();
        }
    }
    // Closing is needed even after a failure; it also reports a picture
    // that ended too soon.
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
    PictureResult result = decoding.refused.value_or(PictureResult::Broken);
    const bool whole = !needs_every_row(*format) || decoding.rows_left == 0;
    if (fed && closed && whole && !decoding.refused) {
        GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader); // owned by the loader
        if (pixbuf && copy_pixels(pixbuf, decoding.max_pixels, out))
            result = PictureResult::Decoded;
    }
    g_object_unref(loader);
    return result;
}

} // namespace host
