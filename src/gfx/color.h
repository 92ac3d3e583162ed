#pragma once

#include <cstdint>

namespace gfx {

// One pixel word, 0x00RRGGBB: what DIB sections and X11 ZPixmaps take, so a
// frame goes to the screen without conversion.
using Pixel = std::uint32_t;

// A colour as the settings file and the dialog hold it: red in the low byte,
// then green, then blue (a Windows COLORREF).
using ColorRef = std::int32_t;

constexpr Pixel kBlack = 0x000000;
constexpr Pixel kWhite = 0xFFFFFF;

constexpr Pixel rgb(int red, int green, int blue)
{
    return (Pixel(red & 0xFF) << 16) | (Pixel(green & 0xFF) << 8) | Pixel(blue & 0xFF);
}

constexpr int red_of(Pixel p) { return int((p >> 16) & 0xFF); }
constexpr int green_of(Pixel p) { return int((p >> 8) & 0xFF); }
constexpr int blue_of(Pixel p) { return int(p & 0xFF); }

// The one conversion from the settings' colour values to pixels.
constexpr Pixel pixel_from_colorref(ColorRef c)
{
    auto v = std::uint32_t(c);
    return rgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

constexpr ColorRef colorref(int red, int green, int blue)
{
    return ColorRef((std::uint32_t(red) & 0xFF) | ((std::uint32_t(green) & 0xFF) << 8)
                    | ((std::uint32_t(blue) & 0xFF) << 16));
}

} // namespace gfx
