#include "pictures.h"

#include "dialog/ball_p.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "host/system_text.h"
#include "settings/settings_file.h"

#include <sstream>

namespace testrig {

std::string Hex(unsigned long value)
{
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

std::string FirstDifference(const gfx::Surface& expected, const gfx::Surface& got)
{
    if (expected.width() != got.width() || expected.height() != got.height())
        return "expected " + std::to_string(expected.width()) + " x "
               + std::to_string(expected.height()) + ", got " + std::to_string(got.width())
               + " x " + std::to_string(got.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (expected.at(x, y) != got.at(x, y))
                return "expected " + Hex(expected.at(x, y)) + " got " + Hex(got.at(x, y))
                       + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

gfx::Surface PartOf(const gfx::Surface& picture, gfx::Rect area)
{
    gfx::Surface part(area.width, area.height);
    gfx::blit(part, {-area.x, -area.y}, picture, gfx::RasterOp::Copy);
    return part;
}

int CountPixels(const gfx::Surface& picture, gfx::Rect area, gfx::Pixel colour)
{
    const gfx::Rect inside = area.intersected({0, 0, picture.width(), picture.height()});
    int count = 0;
    for (int y = inside.y; y < inside.bottom(); ++y)
        for (int x = inside.x; x < inside.right(); ++x)
            count += picture.at(x, y) == colour ? 1 : 0;
    return count;
}

gfx::Surface Gradient(int width, int height)
{
    gfx::Surface picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.set(x, y, gfx::rgb(x % 256, y % 256, (x / 256) * 40 + (y / 256) * 10 + 20));
    return picture;
}

std::string SolidBmp(int width, int height, gfx::Pixel colour)
{
    auto put32 = [](std::string& b, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b += char((v >> (8 * i)) & 0xFF);
    };
    const std::uint32_t row = std::uint32_t(width * 3 + 3) / 4 * 4;
    std::string b = "BM";
    put32(b, 54 + row * std::uint32_t(height));
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, std::uint32_t(width));
    put32(b, std::uint32_t(height));
    b += std::string("\x01\x00\x18\x00", 4);
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    std::string line;
    for (int x = 0; x < width; ++x)
        line += {char(colour & 0xFF), char((colour >> 8) & 0xFF), char((colour >> 16) & 0xFF)};
    line.resize(row, '\0');
    b.reserve(b.size() + line.size() * std::size_t(height));
    for (int y = 0; y < height; ++y)
        b += line;
    return b;
}

Settings SlowSettings(int pause_ms)
{
    Settings settings{};
    LoadSettings(settings, std::string());
    settings.g_PcSpec = std::int16_t(pause_ms);
    return settings;
}

gfx::Surface ExpectedRingFrame(const Settings& settings_in, int width, int height,
                               const gfx::Surface& desktop)
{
    host::HeadlessOptions options;
    options.screen = {width, height};
    options.desktop = desktop;
    host::HeadlessHost headless(options);
    Settings settings = settings_in;
    Random random(1);
    Ball_A saver(headless, settings, random, SaverStart{});
    saver.on_load();
    Stage& stage = saver.stage();
    const Formation& formation = saver.formation();
    stage.RestoreBackground();
    for (int i = 1; i <= 10; ++i)
        stage.BlitBall(i, formation.FormationX()[std::size_t(i)],
                       formation.FormationY()[std::size_t(i)]);
    stage.BlitBall(11, formation.CenterFormationX(), formation.CenterFormationY());
    return *stage.Display();
}

gfx::Surface ExpectedDialog(const Settings& settings, int scale)
{
    host::HeadlessOptions options;
    options.screen = {1024, 768};
    options.text = std::make_shared<host::SystemText>();
    host::HeadlessHost host(std::move(options));
    Settings copy = settings;
    Ball_P dialog(host, copy);
    dialog.Form_Load();
    if (scale == 1)
        return dialog.picture();
    gfx::Surface scaled(dialog::kWindowWidth * scale, dialog::kWindowHeight * scale);
    dialog::paint_area({dialog.model(), dialog.controls(), dialog.art(), host, std::nullopt}, scaled,
                       {0, 0, dialog::kWindowWidth, dialog::kWindowHeight}, scale);
    return scaled;
}

} // namespace testrig
