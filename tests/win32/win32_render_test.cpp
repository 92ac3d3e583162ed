// The Windows build of orvelune-render against the Linux one: the portable
// core must behave the same on both, down to the last trace line and pixel
// (the 32-bit build does its arithmetic in SSE2, as the 64-bit one does).
#include "wine_rig.h"

#include "gfx/color.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace winetest {
namespace {

namespace fs = std::filesystem;

class RenderOnBoth : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WineSuite::get().ready())
            return WineSuite::get().fail_or_skip();
        ASSERT_FALSE(folder.path().empty());
        dir = folder.path();
    }

    // Runs the Linux tool; its exit status.
    int RunLinux(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{std::string(ORVELUNE_BIN_DIR) + "/orvelune-render"};
        argv.insert(argv.end(), args.begin(), args.end());
        testrig::Child tool = testrig::spawn(argv, testrig::current_environment());
        const std::optional<int> status = tool.wait(std::chrono::hours(1));
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

    // Runs the Windows tool under Wine with the same arguments, paths given
    // as Windows paths; its exit code.
    int RunWindows(const std::vector<std::string>& args)
    {
        std::vector<std::string> windows_args;
        for (const std::string& a : args)
            windows_args.push_back(a.starts_with("/") ? windows_path(a) : a);
        WineProcess tool = WineSuite::get().start(win32_program("orvelune-render.exe"), windows_args);
        return tool.exit_code(120s).value_or(-1);
    }

    testrig::TempFolder folder{"orvelune-render-both"};
    std::string dir;
};

// The first line on which two traces differ, for the failure message.
std::string FirstDifferentLine(const std::string& a, const std::string& b)
{
    std::istringstream left(a), right(b);
    std::string l, r;
    for (int n = 1;; ++n) {
        const bool more_left = bool(std::getline(left, l));
        const bool more_right = bool(std::getline(right, r));
        if (!more_left && !more_right)
            return "none";
        if (l != r || more_left != more_right)
            return "line " + std::to_string(n) + ":\n  linux:   " + l.substr(0, 300)
                   + "\n  windows: " + r.substr(0, 300);
    }
}

gfx::Surface ReadPng(const std::string& path)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    gfx::Surface out;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return out;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return out;
    out.resize(int(image.width), int(image.height));
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const unsigned char* p = &rgb[(std::size_t(y) * image.width + std::size_t(x)) * 3];
            out.set(x, y, gfx::rgb(p[0], p[1], p[2]));
        }
    return out;
}

// An uncompressed 24-bit BMP, bottom-up as the format stores it.
void WriteBmp(const std::string& path, const gfx::Surface& picture)
{
    const std::uint32_t row = std::uint32_t((picture.width() * 3 + 3) & ~3);
    const std::uint32_t data = row * std::uint32_t(picture.height());
    std::string bytes;
    auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += char((value >> (8 * i)) & 0xFF);
    };
    bytes += "BM";
    put(54 + data, 4), put(0, 4), put(54, 4);
    put(40, 4), put(std::uint32_t(picture.width()), 4), put(std::uint32_t(picture.height()), 4);
    put(1, 2), put(24, 2), put(0, 4), put(data, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width(); ++x) {
            const gfx::Pixel p = picture.at(x, y);
            bytes += char(gfx::blue_of(p)), bytes += char(gfx::green_of(p)), bytes += char(gfx::red_of(p));
        }
        bytes.append(row - std::uint32_t(picture.width()) * 3, '\0');
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

// A picture no decoder could smooth over: every pixel its own colour.
gfx::Surface Pattern(int width, int height)
{
    gfx::Surface picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.set(x, y, gfx::rgb((x * 7) & 0xFF, (y * 5) & 0xFF, (x * y) & 0xFF));
    return picture;
}

Settings DefaultsWith(std::int16_t order, std::int16_t speed)
{
    Settings settings{};
    LoadSettings(settings, std::string());
    settings.g_OrderMode = order;
    settings.g_Speed = speed;
    return settings;
}

TEST_F(RenderOnBoth, TracesAreByteIdenticalForSeedsSizesAndSpeeds)
{
    // Every kind is enabled (the default); twenty ticks in sequence play
    // each implemented kind once, random order mixes them differently per seed.
    struct Case {
        std::int16_t order, speed;
        const char* size;
        const char* seed;
    };
    for (const Case& c : {Case{1, 10, "640x480", "3"}, Case{2, 30, "800x600", "11"},
                          Case{1, 15, "333x517", "99"}, Case{2, 22, "1024x768", "2024"}}) {
        SCOPED_TRACE(std::string("size ") + c.size + ", speed " + std::to_string(c.speed)
                     + ", seed " + c.seed);
        const std::string ini = dir + "/run.ini";
        save_settings_file(ini, DefaultsWith(c.order, c.speed));
        const std::vector<std::string> common = {"--ini", ini, "--size", c.size, "--seed", c.seed,
                                                 "--ticks", "20", "--trace"};
        std::vector<std::string> linux_args = common, windows_args = common;
        linux_args.push_back(dir + "/linux.jsonl");
        windows_args.push_back(dir + "/windows.jsonl");
        ASSERT_EQ(RunLinux(linux_args), 0);
        ASSERT_EQ(RunWindows(windows_args), 0);
        const std::string linux_trace = testrig::ReadFile(dir + "/linux.jsonl");
        const std::string windows_trace = testrig::ReadFile(dir + "/windows.jsonl");
        ASSERT_GT(linux_trace.size(), 1000u);
        EXPECT_TRUE(linux_trace == windows_trace)
            << "expected the same trace, first difference at " << FirstDifferentLine(linux_trace, windows_trace);
    }
}

TEST_F(RenderOnBoth, PicturesDecodeAndFramesArePixelIdentical)
{
    // The screen at start from a BMP (read by OLE on Windows), and a PNG
    // picture background tiled (read by the Imaging Component): the frames
    // written by both tools, as PNG files, hold the same pixels. The picture
    // lies deeper than the 260 characters an ordinary Windows path may take.
    WriteBmp(dir + "/desktop.bmp", Pattern(400, 300));
    std::string deep = dir + "/make-png";
    while (windows_path(deep).size() <= 300)
        deep += "/" + std::string(60, 'd');
    ASSERT_EQ(RunLinux({"--frames", "1", "--size", "64x64", "--png", deep}), 0);
    for (const std::int16_t background : {std::int16_t(3), std::int16_t(4)}) {
        SCOPED_TRACE("background pattern " + std::to_string(background));
        Settings settings = DefaultsWith(1, 15);
        settings.g_BackgroundMode = background;
        settings.g_BackgroundArrangement = 2;
        settings.g_BackgroundPicturePath = windows_path(deep + "/frame-000001.png");
        const std::string windows_ini = dir + "/windows.ini";
        save_settings_file(windows_ini, settings);
        settings.g_BackgroundPicturePath = deep + "/frame-000001.png";
        const std::string linux_ini = dir + "/linux.ini";
        save_settings_file(linux_ini, settings);

        const std::vector<std::string> common = {"--size", "400x300", "--seed", "5", "--frames", "4",
                                                 "--desktop", dir + "/desktop.bmp", "--png"};
        std::vector<std::string> linux_args = {"--ini", linux_ini}, windows_args = {"--ini", windows_ini};
        linux_args.insert(linux_args.end(), common.begin(), common.end());
        windows_args.insert(windows_args.end(), common.begin(), common.end());
        linux_args.push_back(dir + "/linux");
        windows_args.push_back(dir + "/windows");
        ASSERT_EQ(RunLinux(linux_args), 0);
        ASSERT_EQ(RunWindows(windows_args), 0);
        for (const char* frame : {"frame-000001.png", "frame-000004.png"}) {
            const gfx::Surface expected = ReadPng(dir + "/linux/" + frame);
            const gfx::Surface got = ReadPng(dir + "/windows/" + frame);
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(x11test::FirstDifference(expected, got), "") << frame;
        }
        fs::remove_all(dir + "/linux");
        fs::remove_all(dir + "/windows");
    }
}

TEST_F(RenderOnBoth, ReadsTheSettingsFileBesideItselfWithoutIni)
{
    // As the saver does, however the tool was started: by its full path, or
    // found along PATH from a folder that holds a settings file of its own.
    const std::string tool = dir + "/tool", elsewhere = dir + "/elsewhere";
    fs::create_directories(tool);
    fs::create_directories(elsewhere);
    fs::copy_file(win32_program("orvelune-render.exe"), tool + "/orvelune-render.exe");
    save_settings_file(tool + "/Orvelune.ini", DefaultsWith(1, 3));
    save_settings_file(elsewhere + "/Orvelune.ini", DefaultsWith(1, 27));
    const std::vector<std::string> run = {"--size", "64x48", "--seed", "1", "--ticks", "0", "--trace",
                                          windows_path(dir + "/run.jsonl")};
    std::vector<std::string> by_path = {"/c", "cd", "/d", windows_path(elsewhere), "&&", "set",
                                        "PATH=" + windows_path(tool) + ";%PATH%", "&&", "orvelune-render.exe"};
    by_path.insert(by_path.end(), run.begin(), run.end());
    struct Start {
        const char* how;
        std::string program;
        std::vector<std::string> args;
    };
    for (const Start& start : {Start{"full path", tool + "/orvelune-render.exe", run}, Start{"PATH", "cmd", by_path}}) {
        SCOPED_TRACE(start.how);
        fs::remove(dir + "/run.jsonl");
        WineProcess process = WineSuite::get().start(start.program, start.args);
        ASSERT_EQ(process.exit_code(120s).value_or(-1), 0);
        const std::string trace = testrig::ReadFile(dir + "/run.jsonl");
        EXPECT_NE(trace.find("\"speed\":3,"), std::string::npos) << trace.substr(0, 120);
    }
}

} // namespace
} // namespace winetest
