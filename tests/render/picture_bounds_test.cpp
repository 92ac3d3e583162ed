// Pictures made to cost as much as possible: each must come back in bounded
// time and memory, refused or as its first picture, and the process that
// decodes them is one the caller can give up on.
#include "render_test_support.h"

#include "host/gdk/picture_file.h"
#include "host/gdk/picture_process.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <fstream>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define NO_ADDRESS_LIMIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define NO_ADDRESS_LIMIT 1
#endif
#endif

namespace fs = std::filesystem;
using host::PictureResult;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string b;
    for (int v : values)
        b += char(v);
    return b;
}

std::string Le16(int v) { return Bytes({v & 0xFF, (v >> 8) & 0xFF}); }
std::string Be16(int v) { return Bytes({(v >> 8) & 0xFF, v & 0xFF}); }
std::string Be32(std::uint32_t v) { return Be16(int(v >> 16)) + Be16(int(v & 0xFFFF)); }

// ---- GIF: a palette of red and blue, and frames of one pixel.

std::string GifHeader(int width, int height)
{
    return "GIF89a" + Le16(width) + Le16(height) + Bytes({0x80, 0, 0}) + Bytes({0xFF, 0, 0, 0, 0, 0xFF})
           // the looping extension every animation carries
           + Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + Bytes({3, 1, 0, 0, 0});
}

// A frame of width x height whose LZW data is one pixel of palette entry
// `index` (0 red, 1 blue), with its graphic control extension.
std::string GifFrame(int index, int width = 1, int height = 1)
{
    return Bytes({0x21, 0xF9, 4, 0, 10, 0, 0, 0}) + Bytes({0x2C}) + Le16(0) + Le16(0) + Le16(width)
           + Le16(height) + Bytes({0}) + Bytes({2, 2, index == 0 ? 0x44 : 0x4C, 0x01, 0});
}

// ---- PNG

std::string PngChunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    return Be32(std::uint32_t(data.size())) + body + Be32(crc);
}

// A picture of this size in the given GdkPixbuf format ("jpeg", "png", ...).
std::string Encoded(const char* type, int width, int height)
{
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    gdk_pixbuf_fill(pixbuf, 0x3060C0FF);
    gchar* buffer = nullptr;
    gsize size = 0;
    EXPECT_TRUE(gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, nullptr, nullptr)) << type;
    std::string bytes(buffer ? buffer : "", size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

// ---- JPEG: the headers alone, up to the first scan; nothing after them is
// ever read when the size is refused.

std::string JpegHeaders(int frame_marker, int width, int height, int scan_components)
{
    std::string frame = Bytes({8}) + Be16(height) + Be16(width) + Bytes({3, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1});
    std::string scan = Bytes({scan_components});
    for (int c = 1; c <= scan_components; ++c)
        scan += Bytes({c, 0});
    scan += Bytes({0, 0x3F, 0});
    return Bytes({0xFF, 0xD8, 0xFF, frame_marker}) + Be16(int(frame.size()) + 2) + frame + Bytes({0xFF, 0xDA})
           + Be16(int(scan.size()) + 2) + scan + std::string(500, '\x55') + Bytes({0xFF, 0xD9});
}

bool HasLoader(const char* name)
{
    GSList* formats = gdk_pixbuf_get_formats();
    bool found = false;
    for (GSList* f = formats; f; f = f->next) {
        gchar* format_name = gdk_pixbuf_format_get_name(static_cast<GdkPixbufFormat*>(f->data));
        found = found || std::string(format_name) == name;
        g_free(format_name);
    }
    g_slist_free(formats);
    return found;
}

fs::path WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Decoded in a child that is given 30 s: long enough for any of these on
// the slowest machine, far shorter than what they once cost. A picture that
// comes back as TooLarge from a decode that should pass ran out of time or
// memory.
PictureResult DecodeBounded(const fs::path& path, gfx::Surface& out, std::int64_t limit = host::kMaxPicturePixels)
{
    host::PictureDecodeLimits limits;
    limits.cpu_seconds = 30;
    limits.deadline_ms = 30000;
    return host::decode_picture_file_in_child(path.string(), out, limit, nullptr, limits);
}

TEST(HostilePictures, AnAnimationCostsItsFirstFrame)
{
    ScratchDir dir;
    std::string many = GifHeader(1, 1) + GifFrame(0);
    many.reserve(many.size() + 200000 * 24);
    for (int i = 0; i < 200000; ++i)
        many += GifFrame(1);
    many += ";";

    struct Case {
        const char* name;
        std::string bytes;
        PictureResult result;
    } cases[] = {
        // 4.6 MB of 200,000 frames: every one was once decoded and kept.
        {"many.gif", many, PictureResult::Decoded},
        // What follows the first frame is never read, so it cannot break it.
        {"tail.gif", GifHeader(1, 1) + GifFrame(0) + std::string(1000, '\xEE'), PictureResult::Decoded},
        // A screen, or a first frame, beyond the limit.
        {"screen.gif", GifHeader(65535, 65535) + GifFrame(0) + ";", PictureResult::TooLarge},
        {"frame.gif", GifHeader(1, 1) + GifFrame(0, 65535, 65535) + ";", PictureResult::TooLarge},
        {"noframe.gif", GifHeader(1, 1) + ";", PictureResult::Broken},
    };
    for (const Case& c : cases) {
        const fs::path path = WriteFile(dir.path / c.name, c.bytes);
        // In a child first, which bounds the time a fault could cost; in
        // this process (as the render tool decodes) once that has passed.
        for (const bool in_child : {true, false}) {
            gfx::Surface out(2, 2, 0x123456);
            const PictureResult result = in_child ? DecodeBounded(path, out) : host::decode_picture_file(path.string(), out);
            EXPECT_EQ(int(result), int(c.result)) << c.name << (in_child ? " in a child" : "");
            if (c.result == PictureResult::Decoded)
                EXPECT_EQ(out, gfx::Surface(1, 1, 0xFF0000)) << c.name << ": the first frame, red";
            else
                EXPECT_EQ(out, gfx::Surface(2, 2, 0x123456)) << c.name;
            if (result != c.result)
                break;
        }
    }
}

TEST(HostilePictures, MetadataIsPassedOverUnread)
{
    ScratchDir dir;
    // A thousand text chunks that each inflate to 8 MB (7.8 MB of file).
    std::string text(8 * 1024 * 1024, 'a');
    std::vector<Bytef> packed(compressBound(uLong(text.size())));
    uLongf packed_size = uLongf(packed.size());
    ASSERT_EQ(compress(packed.data(), &packed_size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size())), Z_OK);
    const std::string ztxt = PngChunk("zTXt", std::string("Comment\0\0", 9) + std::string(reinterpret_cast<char*>(packed.data()), packed_size));
    const std::string png = Encoded("png", 4, 3);
    const std::size_t after_header = 8 + 25;
    std::string texts;
    for (int i = 0; i < 1000; ++i)
        texts += ztxt;
    const std::string png_texts = png.substr(0, after_header) + texts + png.substr(after_header);

    // The same for a JPEG: segments of camera data and comments, each as
    // large as a segment can be.
    const std::string jpeg = Encoded("jpeg", 16, 8);
    std::string segments;
    for (int i = 0; i < 200; ++i)
        segments += Bytes({0xFF, 0xE1}) + Be16(65535) + "Exif" + std::string(65529, '\0') + Bytes({0xFF, 0xFE}) + Be16(7) + "hello";
    const std::string jpeg_segments = jpeg.substr(0, 2) + segments + jpeg.substr(2);

    gfx::Surface plain_png, plain_jpeg;
    ASSERT_EQ(host::decode_picture_file(WriteFile(dir.path / "plain.png", png).string(), plain_png), PictureResult::Decoded);
    ASSERT_EQ(host::decode_picture_file(WriteFile(dir.path / "plain.jpg", jpeg).string(), plain_jpeg), PictureResult::Decoded);
    const struct {
        const char* name;
        const std::string& bytes;
        const gfx::Surface& expected;
    } cases[] = {{"texts.png", png_texts, plain_png}, {"segments.jpg", jpeg_segments, plain_jpeg}};
    for (const auto& c : cases) {
        gfx::Surface out;
        ASSERT_EQ(DecodeBounded(WriteFile(dir.path / c.name, c.bytes), out), PictureResult::Decoded) << c.name;
        EXPECT_EQ(out, c.expected) << c.name << ": the same pixels as without the metadata";
    }
}

TEST(HostilePictures, DeclaredSizesAreJudgedBeforeTheDecoderAllocates)
{
    ScratchDir dir;
    const std::string png = Encoded("png", 4, 3);
    // A placeable metafile declaring 32767 x 32767 units at one unit an inch,
    // with a metafile header and its end record.
    const std::string wmf = Bytes({0xD7, 0xCD, 0xC6, 0x9A, 0, 0}) + Le16(0) + Le16(0) + Le16(32767) + Le16(32767)
                            + Le16(1) + std::string(4, '\0') + Le16(0) + Le16(1) + Le16(9) + Le16(0x300)
                            + Le16(12) + Le16(0) + Le16(0) + Le16(3) + Le16(0) + Le16(0) + Le16(3) + Le16(0) + Le16(0);
    struct Case {
        const char* name;
        std::string bytes;
        PictureResult result;
    } cases[] = {
        // 593 bytes of progressive JPEG declaring 13000 x 13000: its decoder
        // holds every coefficient, a gigabyte, whatever size it draws.
        {"progressive.jpg", JpegHeaders(0xC2, 13000, 13000, 1), PictureResult::TooLarge},
        {"progressive-all.jpg", JpegHeaders(0xC2, 13000, 13000, 3), PictureResult::TooLarge},
        // A sequential one whose colours come in separate scans is held whole too.
        {"separate-scans.jpg", JpegHeaders(0xC0, 13000, 13000, 1), PictureResult::TooLarge},
        // A PNG whose first chunk is not its header, or whose chunk claims 2 GB.
        {"headless.png", png.substr(0, 8) + PngChunk("tEXt", "a") + png.substr(8), PictureResult::Broken},
        {"long.png", png.substr(0, 33) + Be32(0x80000000u) + "zTXt" + png.substr(33), PictureResult::Broken},
        {"text-only.jpg", Bytes({0xFF, 0xD8, 0xFF, 0xFE}) + Be16(6) + "abcd" + "garbage", PictureResult::Broken},
    };
    for (const Case& c : cases) {
        gfx::Surface out(2, 2, 0x123456);
        EXPECT_EQ(int(host::decode_picture_file(WriteFile(dir.path / c.name, c.bytes).string(), out)), int(c.result)) << c.name;
        EXPECT_EQ(out, gfx::Surface(2, 2, 0x123456)) << c.name;
    }
    // The progressive picture passes when the limit allows for what its
    // decoder holds: it gets as far as the decoder, which finds no tables.
    gfx::Surface out;
    EXPECT_EQ(host::decode_picture_file(WriteFile(dir.path / "small.jpg", JpegHeaders(0xC2, 64, 64, 3)).string(), out),
              PictureResult::Broken);

    // A metafile is drawn within the limit, scaled down, where the system
    // has a decoder for it (its decoder once drew this one at its own size,
    // taking 4.7 GB).
    const std::int64_t limit = 1000 * 1000;
    const PictureResult result = DecodeBounded(WriteFile(dir.path / "huge.wmf", wmf), out, limit);
    if (!HasLoader("wmf")) {
        EXPECT_EQ(result, PictureResult::UnknownFormat);
        return;
    }
    ASSERT_EQ(result, PictureResult::Decoded);
    EXPECT_EQ(out.width(), 1000);
    EXPECT_EQ(out.height(), 1000);
}

// Every format's reader of headers and chunks, on files mangled in every
// way at once: cut short, bytes changed, sizes and lengths at their extremes.
// Whatever comes back stays within the limit and leaves a refused surface
// alone. (Under the sanitizers this is where a reader that runs off its
// buffer would show.)
TEST(HostilePictures, MangledFilesComeBackRefusedOrWithinTheLimit)
{
    ScratchDir dir;
    const std::string seeds[] = {
        GifHeader(3, 2) + GifFrame(0, 3, 2) + GifFrame(1) + ";",
        Encoded("png", 6, 5),
        Encoded("jpeg", 16, 9),
        Encoded("bmp", 7, 3),
        JpegHeaders(0xC2, 40, 30, 3),
    };
    const std::int64_t limit = 64 * 64;
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    int decoded = 0;
    for (int round = 0; round < 1000; ++round) {
        std::string bytes = seeds[std::size_t(round) % std::size(seeds)];
        const int changes = 1 + int(next() % 4);
        for (int i = 0; i < changes && !bytes.empty(); ++i) {
            const std::size_t at = next() % bytes.size();
            switch (next() % 4) {
            case 0: bytes.resize(at); break;
            case 1: bytes[at] = char(next()); break;
            case 2: bytes.replace(at, std::min<std::size_t>(2, bytes.size() - at), "\xFF\xFF"); break;
            default: bytes.replace(at, std::min<std::size_t>(2, bytes.size() - at), std::string(2, '\0')); break;
            }
        }
        const fs::path path = WriteFile(dir.path / "mangled", bytes);
        gfx::Surface out(2, 2, 0x123456);
        const PictureResult result = host::decode_picture_file(path.string(), out, limit);
        if (result == PictureResult::Decoded) {
            ++decoded;
            EXPECT_LE(std::int64_t(out.width()) * out.height(), limit) << "round " << round;
        } else {
            EXPECT_EQ(out, gfx::Surface(2, 2, 0x123456)) << "round " << round;
        }
    }
    EXPECT_GT(decoded, 0) << "some mangled pictures still decode";
}

// ---- the child process itself, with decoders that misbehave on purpose

struct Waits {
    int calls = 0;
    host::PictureWait hook()
    {
        return [this](int fd, int timeout_ms) {
            ++calls;
            EXPECT_GE(fd, 0);
            EXPECT_GT(timeout_ms, 0);
            usleep(useconds_t(std::min(timeout_ms, 20)) * 1000);
        };
    }
};

bool NoChildLeft()
{
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(PictureChild, AnswersComeBackWholeOrNotAtAll)
{
    gfx::Surface big(1500, 1000);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.set(x, y, gfx::Pixel(x * 7919 + y * 104729) & 0xFFFFFF);
    const gfx::Surface kept(2, 2, 0x123456);
    struct Case {
        const char* name;
        host::PictureDecoder decode;
        std::int64_t max_pixels;
        PictureResult result;
    } cases[] = {
        {"a picture larger than a pipe holds", [&](gfx::Surface& out) { out = big; return PictureResult::Decoded; },
         host::kMaxPicturePixels, PictureResult::Decoded},
        {"a refusal", [](gfx::Surface&) { return PictureResult::Truncated; }, host::kMaxPicturePixels,
         PictureResult::Truncated},
        {"a picture over the limit it was given", [&](gfx::Surface& out) { out = big; return PictureResult::Decoded; },
         1500 * 1000 - 1, PictureResult::Broken},
        {"an empty picture called decoded", [](gfx::Surface&) { return PictureResult::Decoded; },
         host::kMaxPicturePixels, PictureResult::Broken},
        // (A signal the sanitizers leave alone stands for a crash.)
        {"a death by a signal", [](gfx::Surface&) -> PictureResult { raise(SIGTERM); return PictureResult::Decoded; },
         host::kMaxPicturePixels, PictureResult::Broken},
        {"an end without a word", [](gfx::Surface&) -> PictureResult { _exit(0); }, host::kMaxPicturePixels,
         PictureResult::Broken},
        {"an allocation that fails", [](gfx::Surface&) -> PictureResult { throw std::bad_alloc(); },
         host::kMaxPicturePixels, PictureResult::TooLarge},
    };
    for (const Case& c : cases) {
        gfx::Surface out = kept;
        EXPECT_EQ(int(host::decode_in_child(c.decode, out, c.max_pixels, nullptr)), int(c.result)) << c.name;
        EXPECT_EQ(out, c.result == PictureResult::Decoded ? big : kept) << c.name;
        EXPECT_TRUE(NoChildLeft()) << c.name;
    }
}

TEST(PictureChild, ADecoderPastItsLimitsIsKilledWhileTheCallerKeepsWaiting)
{
    host::PictureDecodeLimits limits;
    limits.deadline_ms = 300;
    Waits waits;
    gfx::Surface out(2, 2, 0x123456);
    // Blocked for good, as a decoder stuck on a lock would be.
    EXPECT_EQ(host::decode_in_child([](gfx::Surface&) { pause(); return PictureResult::Decoded; }, out,
                                    host::kMaxPicturePixels, waits.hook(), limits),
              PictureResult::TooLarge);
    EXPECT_GT(waits.calls, 0) << "the caller's loop ran while the decoder did";
    EXPECT_EQ(out, gfx::Surface(2, 2, 0x123456));
    EXPECT_TRUE(NoChildLeft());

    // Spinning: its CPU time runs out long before the deadline.
    limits.deadline_ms = 120000;
    limits.cpu_seconds = 1;
    EXPECT_EQ(host::decode_in_child([](gfx::Surface&) {
                  volatile unsigned long spins = 0;
                  for (;;)
                      spins = spins + 1;
                  return PictureResult::Decoded;
              }, out, host::kMaxPicturePixels, waits.hook(), limits),
              PictureResult::TooLarge);
    EXPECT_TRUE(NoChildLeft());
}

TEST(PictureChild, ADecoderCannotTakeMoreMemoryThanThePicturesLimit)
{
#ifdef NO_ADDRESS_LIMIT
    GTEST_SKIP() << "the sanitizers need all the address space";
#else
    host::PictureDecodeLimits limits;
    limits.extra_address_space = 64 * 1024 * 1024;
    gfx::Surface out;
    // Four gigabytes, touched as they come, for a limit of a megapixel.
    EXPECT_EQ(host::decode_in_child([](gfx::Surface&) {
                  std::vector<std::vector<char>> hoard;
                  for (int i = 0; i < 64; ++i)
                      hoard.emplace_back(64 * 1024 * 1024, '\1');
                  return PictureResult::Decoded;
              }, out, 1000 * 1000, nullptr, limits),
              PictureResult::TooLarge);
    EXPECT_TRUE(out.empty());
#endif
}

// The wait may end the caller's run (the headless host ends by throwing):
// the child goes with it and is reaped.
TEST(PictureChild, AnEndWhileWaitingTakesTheChildAlong)
{
    struct End {};
    gfx::Surface out;
    EXPECT_THROW(host::decode_in_child([](gfx::Surface&) { pause(); return PictureResult::Decoded; }, out,
                                       host::kMaxPicturePixels, [](int, int) { throw End{}; }),
                 End);
    EXPECT_TRUE(NoChildLeft());
}

} // namespace
