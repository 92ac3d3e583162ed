// Picture files through GdkPixbuf; see picture_file.h.
#include "host/gdk/picture_file.h"

#include "settings/file_io.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace host {

namespace {

// Bigger than any picture file within kMaxPicturePixels needs to be (a BMP
// of 8192 x 8192 at 32 bits is 256 MiB), so reading it can never run long.
constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t(256) * 1024 * 1024 + 64 * 1024;

// The decoder's working memory for a picture of the limit may be what the
// picture itself takes as a Surface, four bytes a pixel.
constexpr std::int64_t kWorkingBytesPerPixel = 4;

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

std::uint32_t big_endian_16(const unsigned char* b) { return std::uint32_t(b[0]) << 8 | b[1]; }
std::uint32_t big_endian_32(const unsigned char* b)
{
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}
std::uint32_t little_endian_16(const unsigned char* b) { return std::uint32_t(b[1]) << 8 | b[0]; }
std::int32_t little_endian_32(const unsigned char* b)
{
    return std::int32_t(std::uint32_t(b[3]) << 24 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[1]) << 8 | b[0]);
}

// A PNG's pixels are deflated, and deflate shrinks data at most 1032 times;
// a file shorter than its header's rows at that ratio cannot hold them, and
// is refused before the decoder allocates for them. (The decoder allocates
// the whole picture as soon as it has read the header.)
bool png_is_truncated(const unsigned char* ihdr, std::uint64_t file_bytes)
{
    const std::uint64_t width = big_endian_32(ihdr);
    const std::uint64_t height = big_endian_32(ihdr + 4);
    const unsigned depth = ihdr[8];
    const unsigned colour_type = ihdr[9];
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
    std::optional<PictureResult> refused; // by the checks of the stream or by on_size_prepared
    // A metafile has no size of its own for the loader: it is drawn at the
    // size given here, worked out from its header.
    std::pair<int, int> metafile_size{0, 0};
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
// choose the size, or to stop. A size of 0 x 0 makes every loader but the
// metafile's give up at once without allocating.
void on_size_prepared(GdkPixbufLoader* loader, int width, int height, gpointer data)
{
    auto& decoding = *static_cast<Decoding*>(data);
    if (decoding.format == Format::Wmf) {
        // Its loader announces -1 x -1 and takes a size of 0 to mean its
        // own, which can be any size at all: it always gets the one its
        // header was checked for.
        gdk_pixbuf_loader_set_size(loader, decoding.metafile_size.first, decoding.metafile_size.second);
        return;
    }
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

// The file read in chunks, so that a file the loader gives up on early is
// never read to its end.
class Source {
public:
    explicit Source(file_io::InputFile& file) : m_file(file), m_buffer(64 * 1024) {}

    // What the first read brought; empty when the file is empty or failed.
    std::string_view head()
    {
        fill();
        return {m_buffer.data() + m_at, m_end - m_at};
    }
    bool failed() const { return m_failed; }

    // Exactly `count` bytes, or false at the end of the file.
    bool read(void* into, std::size_t count)
    {
        auto* out = static_cast<char*>(into);
        while (count > 0) {
            if (!fill())
                return false;
            const std::size_t n = std::min(count, m_end - m_at);
            std::memcpy(out, m_buffer.data() + m_at, n);
            out += n;
            m_at += n;
            count -= n;
        }
        return true;
    }
    bool skip(std::uint64_t count)
    {
        while (count > 0) {
            if (!fill())
                return false;
            const std::size_t n = std::size_t(std::min<std::uint64_t>(count, m_end - m_at));
            m_at += n;
            count -= n;
        }
        return true;
    }
    // Hands `count` bytes on to `sink` (a bool(const char*, size_t)), or the
    // rest of the file when count is nothing; false when the sink refuses or
    // the file ends first.
    template <typename Sink>
    bool pass(std::optional<std::uint64_t> count, Sink&& sink)
    {
        std::uint64_t left = count.value_or(UINT64_MAX);
        while (left > 0) {
            if (!fill())
                return !count && !m_failed;
            const std::size_t n = std::size_t(std::min<std::uint64_t>(left, m_end - m_at));
            if (!sink(m_buffer.data() + m_at, n))
                return false;
            m_at += n;
            left -= n;
        }
        return true;
    }

private:
    bool fill()
    {
        if (m_at < m_end)
            return true;
        if (m_failed || m_ended)
            return false;
        const std::optional<std::size_t> got = m_file.read(m_buffer.data(), m_buffer.size());
        m_at = 0;
        m_end = got.value_or(0);
        m_failed = !got;
        m_ended = got && *got == 0;
        return m_end > 0;
    }

    file_io::InputFile& m_file;
    std::vector<char> m_buffer;
    std::size_t m_at = 0, m_end = 0;
    bool m_failed = false, m_ended = false;
};

// What the loader is fed, gathered into chunks of a useful size.
class Feed {
public:
    Feed(GdkPixbufLoader* loader, Decoding& decoding) : m_loader(loader), m_decoding(decoding) {}

    bool operator()(const void* bytes, std::size_t count)
    {
        if (!m_ok)
            return false;
        const auto* b = static_cast<const char*>(bytes);
        m_pending.insert(m_pending.end(), b, b + count);
        if (m_pending.size() >= 64 * 1024)
            flush();
        return m_ok;
    }
    bool flush()
    {
        if (m_ok && !m_pending.empty()) {
            m_ok = gdk_pixbuf_loader_write(m_loader, reinterpret_cast<const guchar*>(m_pending.data()),
                                           m_pending.size(), nullptr)
                   && !m_decoding.refused;
            m_pending.clear();
        }
        return m_ok;
    }
    bool refuse(PictureResult why)
    {
        m_decoding.refused = why;
        m_ok = false;
        return false;
    }
    bool ok() const { return m_ok; }

private:
    GdkPixbufLoader* m_loader;
    Decoding& m_decoding;
    std::vector<char> m_pending;
    bool m_ok = true;
};

// ---- what each format's loader is given: the pixels and what they need,
// never more than the first picture, and no metadata, however much of it a
// file carries.

// PNG: the chunks that make the pixels (header, palette, transparency, data,
// end). Text, profiles, animation frames and unknown chunks are passed over
// unread; a compressed text chunk would otherwise be inflated for nothing.
bool feed_png(Source& source, Feed& feed, std::uint64_t file_bytes)
{
    unsigned char signature[8];
    if (!source.read(signature, 8) || !feed(signature, 8))
        return false;
    for (bool first = true;; first = false) {
        unsigned char header[8];
        if (!source.read(header, 8))
            return false;
        const std::uint32_t length = big_endian_32(header);
        const std::string_view type(reinterpret_cast<const char*>(header + 4), 4);
        if (length > 0x7FFFFFFFu)
            return feed.refuse(PictureResult::Broken);
        if (first) {
            unsigned char ihdr[13 + 4];
            if (type != "IHDR" || length != 13 || !source.read(ihdr, sizeof ihdr))
                return feed.refuse(PictureResult::Broken);
            if (png_is_truncated(ihdr, file_bytes))
                return feed.refuse(PictureResult::Truncated);
            if (!feed(header, 8) || !feed(ihdr, sizeof ihdr))
                return false;
            continue;
        }
        const bool kept = type == "PLTE" || type == "tRNS" || type == "IDAT" || type == "IEND";
        if (!kept) {
            if (!source.skip(std::uint64_t(length) + 4))
                return false;
            continue;
        }
        if (!feed(header, 8) || !source.pass(std::uint64_t(length) + 4, feed))
            return false;
        if (type == "IEND")
            return true;
    }
}

// GIF sub-blocks up to their terminator, passed on or skipped.
bool gif_blocks(Source& source, Feed& feed, bool keep)
{
    for (;;) {
        unsigned char size = 0;
        if (!source.read(&size, 1) || (keep && !feed(&size, 1)))
            return false;
        if (size == 0)
            return true;
        if (keep ? !source.pass(size, feed) : !source.skip(size))
            return false;
    }
}

// GIF: the first frame alone, with its transparency, then the trailer. The
// frames after it are never read: an animation of thousands of frames
// costs what its first one does.
bool feed_gif(Source& source, Feed& feed, std::int64_t max_pixels)
{
    unsigned char screen[13]; // signature and logical screen descriptor
    if (!source.read(screen, sizeof screen) || !feed(screen, sizeof screen))
        return false;
    if ((screen[10] & 0x80) && !source.pass(3u << ((screen[10] & 7) + 1), feed))
        return false;
    for (;;) {
        unsigned char introducer = 0;
        if (!source.read(&introducer, 1))
            return false;
        if (introducer == 0x21) { // an extension: only the graphic control one concerns the pixels
            unsigned char label = 0;
            if (!source.read(&label, 1))
                return false;
            const bool keep = label == 0xF9;
            if (keep && (!feed(&introducer, 1) || !feed(&label, 1)))
                return false;
            if (!gif_blocks(source, feed, keep))
                return false;
        } else if (introducer == 0x2C) { // the first image
            unsigned char image[9];
            if (!source.read(image, sizeof image))
                return false;
            // Its decoder holds a byte per pixel of the frame as declared,
            // whatever the screen it is drawn on.
            if (std::int64_t(little_endian_16(image + 4)) * little_endian_16(image + 6) > max_pixels)
                return feed.refuse(PictureResult::TooLarge);
            if (!feed(&introducer, 1) || !feed(image, sizeof image))
                return false;
            if ((image[8] & 0x80) && !source.pass(3u << ((image[8] & 7) + 1), feed))
                return false;
            if (!source.pass(1, feed) || !gif_blocks(source, feed, true))
                return false;
            const unsigned char trailer = 0x3B;
            return feed(&trailer, 1);
        } else {
            // The trailer before any image, or no GIF block at all.
            return feed.refuse(PictureResult::Broken);
        }
    }
}

// The memory a JPEG decoder holds for the whole picture's coefficients, as
// it must for a progressive picture or one whose colours come in separate
// scans (64 coefficients of two bytes per block of 8 x 8, for each
// component at its sampling, in whole units of its sampling factors),
// however small it is asked to draw it.
std::int64_t jpeg_coefficient_bytes(const unsigned char* frame, std::size_t length)
{
    const std::int64_t height = big_endian_16(frame + 1);
    const std::int64_t width = big_endian_16(frame + 3);
    const std::size_t components = frame[5];
    if (length < 6 + 3 * components)
        return 0; // the decoder will find it broken
    int max_h = 1, max_v = 1;
    for (std::size_t c = 0; c < components; ++c) {
        max_h = std::max(max_h, frame[6 + 3 * c + 1] >> 4);
        max_v = std::max(max_v, frame[6 + 3 * c + 1] & 15);
    }
    std::int64_t bytes = 0;
    for (std::size_t c = 0; c < components; ++c) {
        const int h = std::max(frame[6 + 3 * c + 1] >> 4, 1);
        const int v = std::max(frame[6 + 3 * c + 1] & 15, 1);
        const std::int64_t blocks_across = (width * h + 8 * max_h - 1) / (8 * max_h);
        const std::int64_t blocks_down = (height * v + 8 * max_v - 1) / (8 * max_v);
        bytes += (blocks_across + h - 1) / h * h * ((blocks_down + v - 1) / v * v) * 128;
    }
    return bytes;
}

// JPEG: its segments up to the first scan, without the metadata ones
// (application segments other than JFIF's and Adobe's colour transform,
// comments), then the rest as it is. A picture its decoder would hold whole
// in coefficients is refused at its first scan when that memory passes the
// limit's (a progressive picture declaring 13000 x 13000 in a few hundred
// bytes once took a gigabyte).
bool feed_jpeg(Source& source, Feed& feed, std::int64_t max_pixels)
{
    unsigned char soi[2];
    if (!source.read(soi, 2) || !feed(soi, 2))
        return false;
    std::vector<unsigned char> frame;
    bool progressive = false;
    for (;;) {
        unsigned char marker[2];
        if (!source.read(marker, 2) || marker[0] != 0xFF)
            return feed.refuse(PictureResult::Broken);
        while (marker[1] == 0xFF) // fill bytes
            if (!source.read(&marker[1], 1))
                return false;
        const unsigned code = marker[1];
        if (code == 0xD9) // the end, before any scan
            return feed(marker, 2);
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            if (!feed(marker, 2))
                return false;
            continue;
        }
        unsigned char length_bytes[2];
        if (!source.read(length_bytes, 2))
            return false;
        const std::uint32_t length = big_endian_16(length_bytes);
        if (length < 2)
            return feed.refuse(PictureResult::Broken);
        const bool metadata = (code >= 0xE1 && code <= 0xED) || code == 0xEF || code == 0xFE;
        if (metadata) {
            if (!source.skip(length - 2))
                return false;
            continue;
        }
        const bool start_of_frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (start_of_frame || code == 0xDA) {
            std::vector<unsigned char> body(length - 2);
            if (!source.read(body.data(), body.size()))
                return false;
            if (start_of_frame) {
                if (body.size() < 6)
                    return feed.refuse(PictureResult::Broken);
                frame = body;
                progressive = code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE;
            } else {
                // The first scan: one that holds fewer than all the
                // components means the others come in later scans.
                const bool whole_picture_held = progressive || (!frame.empty() && !body.empty() && body[0] < frame[5]);
                if (whole_picture_held && jpeg_coefficient_bytes(frame.data(), frame.size()) > max_pixels * kWorkingBytesPerPixel)
                    return feed.refuse(PictureResult::TooLarge);
            }
            if (!feed(marker, 2) || !feed(length_bytes, 2) || !feed(body.data(), body.size()))
                return false;
            if (code == 0xDA)
                return source.pass(std::nullopt, feed);
            continue;
        }
        if (!feed(marker, 2) || !feed(length_bytes, 2) || !source.pass(length - 2, feed))
            return false;
    }
}

// BMP: the size in its header is judged before its decoder sees it, which
// sizes its buffers from it.
bool feed_bmp(Source& source, Feed& feed, std::int64_t max_pixels)
{
    unsigned char header[14 + 12];
    if (!source.read(header, sizeof header))
        return feed.refuse(PictureResult::Broken);
    std::int64_t width = 0, height = 0;
    if (little_endian_32(header + 14) == 12) { // the old header of 16-bit sizes
        width = little_endian_16(header + 18);
        height = little_endian_16(header + 20);
    } else {
        width = little_endian_32(header + 18);
        height = little_endian_32(header + 22);
    }
    height = height < 0 ? -height : height; // rows stored top down
    if (width <= 0 || height <= 0)
        return feed.refuse(PictureResult::Broken);
    if (width * height > max_pixels)
        return feed.refuse(PictureResult::TooLarge);
    return feed(header, sizeof header) && source.pass(std::nullopt, feed);
}

// Metafiles are drawn at the size their placeable header gives at 72 dots
// an inch (their loader's own resolution), scaled down to fit the limit; a
// metafile without that header has no size of its own and is refused.
bool feed_wmf(Source& source, Feed& feed, Decoding& decoding)
{
    unsigned char header[22];
    if (!source.read(header, sizeof header) || little_endian_32(header) != std::int32_t(0x9AC6CDD7))
        return feed.refuse(PictureResult::Broken);
    auto signed_16 = [&](int at) { return std::int16_t(little_endian_16(header + at)); };
    const double units_per_inch = little_endian_16(header + 14);
    const double width = (double(signed_16(10)) - signed_16(6)) * 72 / units_per_inch;
    const double height = (double(signed_16(12)) - signed_16(8)) * 72 / units_per_inch;
    if (units_per_inch == 0 || !(width >= 1) || !(height >= 1))
        return feed.refuse(PictureResult::Broken);
    const double shrink = std::min(1.0, std::sqrt(double(decoding.max_pixels) / (width * height)));
    decoding.metafile_size = {std::max(1, int(width * shrink)), std::max(1, int(height * shrink))};
    return feed(header, sizeof header) && source.pass(std::nullopt, feed);
}

} // namespace

PictureResult decode_picture_file(const std::string& path, gfx::Surface& out, std::int64_t max_pixels)
{
    file_io::InputFile file;
    if (file.open(path) != file_io::ReadStatus::Read)
        return PictureResult::Unreadable;
    if (file.size() > kMaxPictureFileBytes)
        return PictureResult::TooLarge;

    Source source(file);
    const std::string_view head = source.head();
    if (source.failed())
        return PictureResult::Unreadable;
    const std::optional<Format> format = format_of(head);
    if (!format)
        return PictureResult::UnknownFormat;

    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(loader_type(*format), nullptr);
    if (!loader)
        return PictureResult::UnknownFormat; // no decoder for it here (WMF on most systems)
    Decoding decoding{*format, std::clamp<std::int64_t>(max_pixels, 1, kMaxPicturePixels), std::nullopt, {0, 0}, {}, 0};
    g_signal_connect(loader, "size-prepared", G_CALLBACK(on_size_prepared), &decoding);
    g_signal_connect(loader, "area-prepared", G_CALLBACK(on_area_prepared), &decoding);
    g_signal_connect(loader, "area-updated", G_CALLBACK(on_area_updated), &decoding);

    Feed feed(loader, decoding);
    bool fed = false;
    switch (*format) {
    case Format::Png: fed = feed_png(source, feed, file.size()); break;
    case Format::Gif: fed = feed_gif(source, feed, decoding.max_pixels); break;
    case Format::Jpeg: fed = feed_jpeg(source, feed, decoding.max_pixels); break;
    case Format::Bmp: fed = feed_bmp(source, feed, decoding.max_pixels); break;
    case Format::Wmf: fed = feed_wmf(source, feed, decoding); break;
    }
    // A file that ends early is the loader's to judge when it closes; one
    // that could not be read is not.
    fed = (fed || (!source.failed() && feed.ok())) && feed.flush() && !source.failed();
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
