// orvelune-render --contact-sheet: one captioned tile per enabled action.
#include "render_test_support.h"

#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr gfx::Pixel kSheet = 0x202020;
constexpr int kGap = 8;

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

fs::path WriteEnabled(const fs::path& dir, const std::set<int>& kinds)
{
    Settings s{};
    LoadSettings(s, (dir / "none.ini").string());
    for (int kind = 1; kind <= 20; ++kind)
        s.g_ActionEnabled[std::size_t(kind)] = kinds.count(kind) ? 1 : 0;
    fs::path ini = dir / "Orvelune.ini";
    SaveResult saved = save_settings_file(ini.string(), s);
    EXPECT_TRUE(saved.ok) << saved.error;
    return ini;
}

// The colours in a block of the sheet.
std::set<gfx::Pixel> Colours(const gfx::Surface& sheet, int x, int y, int width, int height)
{
    std::set<gfx::Pixel> colours;
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column)
            colours.insert(sheet.at(column, row) & 0xffffff);
    return colours;
}

// Tiles of `width` x `height` on a grid of `columns`: each cell that holds
// a tile shows a figure (more than the background) and a caption under it;
// the cells after the last tile are empty.
void ExpectTiles(const gfx::Surface& sheet, int width, int height, int columns, int tiles)
{
    const int rows = (tiles + columns - 1) / columns;
    ASSERT_EQ(sheet.width(), kGap + columns * (width + kGap));
    const int cell_height = (sheet.height() - kGap) / rows;
    ASSERT_EQ((sheet.height() - kGap) % rows, 0);
    const int caption_height = cell_height - height - kGap;
    ASSERT_GT(caption_height, 6);
    std::set<std::vector<gfx::Pixel>> distinct;
    for (int i = 0; i < columns * rows; ++i) {
        const int x = kGap + (i % columns) * (width + kGap);
        const int y = kGap + (i / columns) * cell_height;
        const std::set<gfx::Pixel> picture = Colours(sheet, x, y, width, height);
        const std::set<gfx::Pixel> caption = Colours(sheet, x, y + height, width, caption_height);
        if (i < tiles) {
            EXPECT_GT(picture.size(), 8u) << "tile " << i + 1 << " shows no figure";
            EXPECT_GT(caption.size(), 1u) << "tile " << i + 1 << " has no caption";
            std::vector<gfx::Pixel> pixels;
            for (int row = y; row < y + height; ++row)
                for (int column = x; column < x + width; ++column)
                    pixels.push_back(sheet.at(column, row));
            distinct.insert(pixels);
        } else {
            EXPECT_EQ(picture, std::set<gfx::Pixel>{kSheet}) << "cell " << i + 1 << " is not empty";
        }
    }
    EXPECT_EQ(int(distinct.size()), tiles) << "two tiles show the same picture";
}

TEST(ContactSheet, OneCaptionedTilePerEnabledActionTheSameForASeed)
{
    ScratchDir dir;
    const fs::path ini = WriteEnabled(dir.path, {2, 12, 19});
    const std::vector<std::string> args = {"--ini", ini.string(), "--size", "96x72", "--seed", "5"};
    for (const char* name : {"a.png", "b.png"}) {
        std::vector<std::string> run_args = args;
        run_args.insert(run_args.end(), {"--contact-sheet", (dir.path / name).string()});
        ToolRun run = RunRenderTool(run_args, 120);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    EXPECT_EQ(Bytes(dir.path / "a.png"), Bytes(dir.path / "b.png"));
    ExpectTiles(ReadPng(dir.path / "a.png"), 96, 72, 2, 3);
}

TEST(ContactSheet, TwentyActionsScaledOnFiveColumns)
{
    ScratchDir dir;
    const fs::path ini = WriteEnabled(dir.path, {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--size", "160x120", "--scale", "0.5", "--seed", "2",
                                 "--contact-sheet", (dir.path / "s.png").string()}, 240);
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectTiles(ReadPng(dir.path / "s.png"), 80, 60, 5, 20);
}

TEST(ContactSheet, NoEnabledActionIsRefused)
{
    ScratchDir dir;
    const fs::path ini = WriteEnabled(dir.path, {});
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--size", "64x48", "--seed", "1", "--contact-sheet",
                                 (dir.path / "s.png").string()}, 60);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no action is enabled"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir.path / "s.png"));
}

} // namespace
