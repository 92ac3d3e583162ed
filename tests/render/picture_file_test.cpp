// Picture files through the system's decoder, and the pictures it must refuse.
#include "render_test_support.h"

#include "host/gdk/picture_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace fs = std::filesystem;

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

fs::path WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(PictureFile, BmpRowsComeTopDown)
{
    ScratchDir dir;
    // 2 x 2: bottom row red, blue; top row green, white (each row 6 bytes + 2 padding).
    std::string rows = std::string("\x00\x00\xFF\xFF\x00\x00\0\0", 8) + std::string("\x00\xFF\x00\xFF\xFF\xFF\0\0", 8);
    gfx::Surface out;
    ASSERT_TRUE(host::DecodePictureFile(WriteFile(dir.path / "a.bmp", Bmp(2, 2, rows)).string(), out));
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
    ASSERT_TRUE(host::DecodePictureFile(
        WriteFile(dir.path / "r.gif", std::string(reinterpret_cast<const char*>(gif), sizeof gif)).string(), out));
    EXPECT_EQ(out.at(0, 0), 0xFF0000u);

    gfx::Surface picture(2, 1);
    picture.set(0, 0, gfx::rgb(200, 100, 50));
    picture.set(1, 0, gfx::rgb(10, 20, 30));
    std::vector<unsigned char> alpha = {128, 255};
    WritePng(dir.path / "a.png", picture, &alpha);
    ASSERT_TRUE(host::DecodePictureFile((dir.path / "a.png").string(), out));
    // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1.
    EXPECT_EQ(out.at(0, 0), gfx::rgb(100, 50, 25)) << "got " << std::hex << out.at(0, 0);
    EXPECT_EQ(out.at(1, 0), gfx::rgb(10, 20, 30)) << "opaque pixels stay as they are";
}

TEST(PictureFile, UnsoundFilesAreRefusedAndLeaveTheSurfaceAlone)
{
    ScratchDir dir;
    const gfx::Surface before(3, 2, 0x123456);
    std::vector<fs::path> bad = {
        dir.path / "missing.png",
        WriteFile(dir.path / "empty.bmp", ""),
        WriteFile(dir.path / "text.jpg", "this is not a picture at all"),
        // Headers that claim 100000 x 100000 pixels with hardly any data, and no pixels at all.
        WriteFile(dir.path / "huge.bmp", Bmp(100000, 100000, std::string(16, '\0'))),
        WriteFile(dir.path / "zero.bmp", Bmp(0, 5, "")),
        // A truncated PNG: the signature and nothing else.
        WriteFile(dir.path / "cut.png", "\x89PNG\r\n\x1a\n"),
    };
    for (const fs::path& path : bad) {
        gfx::Surface out = before;
        EXPECT_FALSE(host::DecodePictureFile(path.string(), out)) << path;
        EXPECT_EQ(out, before) << path;
    }
}

} // namespace
