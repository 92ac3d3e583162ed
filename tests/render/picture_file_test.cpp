// Picture files through the system's decoder, and the pictures it must refuse.
#include "render_test_support.h"

#include "host/gdk/picture_file.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <future>

namespace fs = std::filesystem;
using host::PictureResult;

namespace {

void Put16(std::string& b, int v)
{
    b += char(v & 0xFF);
    b += char((v >> 8) & 0xFF);
}
void Put32(std::string& b, std::int64_t v)
{
    for (int i = 0; i < 4; ++i)
        b += char((v >> (8 * i)) & 0xFF);
}

// A 24-bit bottom-up BMP whose header claims width x height; `pixels` holds
// the rows as stored (blue, green, red, padded to four bytes).
std::string Bmp(std::int64_t width, std::int64_t height, const std::string& pixels)
{
    std::string b = "BM";
    Put32(b, 54 + std::int64_t(pixels.size()));
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, width);
    Put32(b, height);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, std::int64_t(pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    return b + pixels;
}

// A PNG of nothing but its signature and a valid header chunk claiming
// width x height, 8-bit RGB.
std::string PngHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    std::string chunk = "IHDR";
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            chunk += char((v >> shift) & 0xFF);
    chunk += std::string("\x08\x02\x00\x00\x00", 5);
    const auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), uInt(chunk.size())));
    std::string png = std::string("\x89PNG\r\n\x1a\n") + std::string("\0\0\0\x0d", 4) + chunk;
    for (int shift = 24; shift >= 0; shift -= 8)
        png += char((crc >> shift) & 0xFF);
    return png;
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

fs::path WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

PictureResult Decode(const fs::path& path, gfx::Surface& out, std::int64_t limit = host::kMaxPicturePixels)
{
    return host::decode_picture_file(path.string(), out, limit);
}

TEST(PictureFile, BmpRowsComeTopDown)
{
    ScratchDir dir;
    // 2 x 2: bottom row red, blue; top row green, white (each row 6 bytes + 2 padding).
    std::string rows = std::string("\x00\x00\xFF\xFF\x00\x00\0\0", 8) + std::string("\x00\xFF\x00\xFF\xFF\xFF\0\0", 8);
    gfx::Surface out;
    ASSERT_EQ(Decode(WriteFile(dir.path / "a.bmp", Bmp(2, 2, rows)), out), PictureResult::Decoded);
    ASSERT_EQ(out.width(), 2);
    ASSERT_EQ(out.height(), 2);
    EXPECT_EQ(out.at(0, 0), 0x00FF00u);
    EXPECT_EQ(out.at(1, 0), 0xFFFFFFu);
    EXPECT_EQ(out.at(0, 1), 0xFF0000u) << "expected red bottom-left, got " << std::hex << out.at(0, 1);
    EXPECT_EQ(out.at(1, 1), 0x0000FFu);
}

TEST(PictureFile, GifPngAndTransparencyOverBlack)
{
    ScratchDir dir;
    // A 1 x 1 GIF whose one pixel is palette entry 0, red.
    const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,
                                 0xFF, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0,
                                 2, 2, 0x44, 0x01, 0, ';'};
    gfx::Surface out;
    ASSERT_EQ(Decode(WriteFile(dir.path / "r.gif", std::string(reinterpret_cast<const char*>(gif), sizeof gif)), out),
              PictureResult::Decoded);
    EXPECT_EQ(out.at(0, 0), 0xFF0000u);

    gfx::Surface picture(2, 1);
    picture.set(0, 0, gfx::rgb(200, 100, 50));
    picture.set(1, 0, gfx::rgb(10, 20, 30));
    std::vector<unsigned char> alpha = {128, 255};
    WritePng(dir.path / "a.png", picture, &alpha);
    ASSERT_EQ(Decode(dir.path / "a.png", out), PictureResult::Decoded);
    // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1.
    EXPECT_EQ(out.at(0, 0), gfx::rgb(100, 50, 25)) << "got " << std::hex << out.at(0, 0);
    EXPECT_EQ(out.at(1, 0), gfx::rgb(10, 20, 30)) << "opaque pixels stay as they are";
}

// The format comes from the first bytes: a picture under another format's
// name still decodes, and formats the saver does not offer never reach
// their decoders, whatever the file is called.
TEST(PictureFile, TheContentDecidesTheFormat)
{
    ScratchDir dir;
    gfx::Surface out;
    EXPECT_EQ(Decode(WriteFile(dir.path / "png.bmp", Encoded("png", 3, 2)), out), PictureResult::Decoded);
    EXPECT_EQ(out.width(), 3);
    EXPECT_EQ(Decode(WriteFile(dir.path / "jpeg.gif", Encoded("jpeg", 5, 4)), out), PictureResult::Decoded);
    EXPECT_EQ(out.width(), 5);

    // A drawing that declares 8000 x 8000 and blurs it: rendering it once
    // took gigabytes and seconds.
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='8000' height='8000'>"
                            "<filter id='f'><feGaussianBlur stdDeviation='900'/></filter>"
                            "<rect width='8000' height='8000' filter='url(#f)'/></svg>";
    const std::string others[][2] = {
        {"drawing.png", svg},
        {"drawing.bmp", "<?xml version='1.0'?>" + svg},
        {"icon.gif", Encoded("ico", 16, 16)},
        {"scan.jpg", Encoded("tiff", 4, 4)},
        {"pixmap.png", "P6\n1 1\n255\n\x10\x20\x30"},
    };
    for (const auto& [name, bytes] : others) {
        gfx::Surface kept(1, 1, 0x123456);
        EXPECT_EQ(Decode(WriteFile(dir.path / name, bytes), kept), PictureResult::UnknownFormat) << name;
        EXPECT_EQ(kept, gfx::Surface(1, 1, 0x123456)) << name;
    }
}

TEST(PictureFile, SizeLimitsRefuseBeforeDecodingOrScaleAJpegDown)
{
    EXPECT_EQ(host::picture_pixel_limit(1024, 768), 4 * 1024 * 768);
    EXPECT_EQ(host::picture_pixel_limit(7680, 4320), host::kMaxPicturePixels);
    EXPECT_EQ(host::picture_pixel_limit(0, -3), 4);

    ScratchDir dir;
    for (const char* type : {"png", "bmp"}) {
        gfx::Surface out;
        fs::path file = WriteFile(dir.path / type, Encoded(type, 64, 48));
        EXPECT_EQ(Decode(file, out, 64 * 48), PictureResult::Decoded) << type;
        EXPECT_EQ(Decode(file, out, 64 * 48 - 1), PictureResult::TooLarge) << type;
    }

    // A JPEG is decoded at the first of 1/2, 1/4, 1/8 that fits, each side
    // rounded up, and refused when not even an eighth does.
    const fs::path jpeg = WriteFile(dir.path / "photo.jpg", Encoded("jpeg", 100, 60));
    struct Case {
        std::int64_t limit;
        int width, height; // 0: refused
    } cases[] = {{6000, 100, 60}, {5999, 50, 30}, {1500, 50, 30}, {1499, 25, 15},
                 {375, 25, 15},   {374, 13, 8},   {104, 13, 8},   {103, 0, 0}};
    for (const Case& c : cases) {
        gfx::Surface out;
        PictureResult result = Decode(jpeg, out, c.limit);
        if (c.width == 0) {
            EXPECT_EQ(result, PictureResult::TooLarge) << "limit " << c.limit;
            continue;
        }
        ASSERT_EQ(result, PictureResult::Decoded) << "limit " << c.limit;
        EXPECT_EQ(out.width(), c.width) << "limit " << c.limit;
        EXPECT_EQ(out.height(), c.height) << "limit " << c.limit;
    }
}

TEST(PictureFile, UnsoundFilesAreRefusedAndLeaveTheSurfaceAlone)
{
    ScratchDir dir;
    const std::string png = Encoded("png", 40, 30);
    const std::string bmp = Encoded("bmp", 40, 30);
    struct Case {
        fs::path path;
        PictureResult result;
    } cases[] = {
        {dir.path / "missing.png", PictureResult::Unreadable},
        {dir.path, PictureResult::Unreadable},
        {WriteFile(dir.path / "empty.bmp", ""), PictureResult::UnknownFormat},
        {WriteFile(dir.path / "text.jpg", "this is not a picture at all"), PictureResult::UnknownFormat},
        // Headers that claim 100000 x 100000 pixels with hardly any data, and no pixels at all.
        {WriteFile(dir.path / "huge.bmp", Bmp(100000, 100000, std::string(16, '\0'))), PictureResult::TooLarge},
        {WriteFile(dir.path / "zero.bmp", Bmp(0, 5, "")), PictureResult::Broken},
        // The signature alone, and half a picture.
        {WriteFile(dir.path / "cut.png", "\x89PNG\r\n\x1a\n"), PictureResult::Broken},
        // Their decoders hand these over as whole, with the missing rows unwritten.
        {WriteFile(dir.path / "half.png", png.substr(0, png.size() / 2)), PictureResult::Broken},
        {WriteFile(dir.path / "half.bmp", bmp.substr(0, bmp.size() / 2)), PictureResult::Broken},
        // 8192 x 8192 within the limit, in a file of 33 bytes: refused from
        // the header, before the decoder allocates 200 MB for it.
        {WriteFile(dir.path / "claims.png", PngHeaderOnly(8192, 8192)), PictureResult::Truncated},
        {WriteFile(dir.path / "wide.png", PngHeaderOnly(1u << 31, 1)), PictureResult::Truncated},
        {WriteFile(dir.path / "metafile.wmf", std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, 'x')),
         PictureResult::UnknownFormat},
    };
    const gfx::Surface before(3, 2, 0x123456);
    for (const Case& c : cases) {
        gfx::Surface out = before;
        PictureResult result = Decode(c.path, out);
        // A metafile reaches a decoder only where the system has one, which
        // then finds this one broken.
        if (c.path.extension() == ".wmf" && result == PictureResult::Broken)
            result = PictureResult::UnknownFormat;
        EXPECT_EQ(int(result), int(c.result)) << c.path;
        EXPECT_EQ(out, before) << c.path;
    }
}

TEST(PictureFile, AFifoNamedLikeAPictureIsNeverOpened)
{
    ScratchDir dir;
    const fs::path fifo = dir.path / "f.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto decoding = std::async(std::launch::async, [&] {
        gfx::Surface out;
        return Decode(fifo, out);
    });
    if (decoding.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the decoder blocked on a FIFO";
        std::ofstream(fifo) << "x"; // releases it
    }
    EXPECT_EQ(decoding.get(), PictureResult::Unreadable);
}

} // namespace
