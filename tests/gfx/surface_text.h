#pragma once

#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// Tiny surfaces written as text, one character a pixel, so that a test can
// state the picture it expects and a failure shows the picture it got.
namespace gfx::testing {

// '.' is 0, letters 'a'..'z' are the pixels 1..26 and 'A'..'Z' 0x10000 * 1..26
// (so that AND and XOR of two letters can be told apart when needed);
// anything else in a test picture is a mistake in the test.
inline Pixel pixel_of(char c)
{
    if (c == '.')
        return 0;
    if (c >= 'a' && c <= 'z')
        return Pixel(c - 'a' + 1);
    if (c >= 'A' && c <= 'Z')
        return Pixel(c - 'A' + 1) << 16;
    return 0xFFFFFFu;
}

inline char char_of(Pixel p)
{
    if (p == 0)
        return '.';
    if (p >= 1 && p <= 26)
        return char('a' + int(p) - 1);
    if ((p & 0xFFFF) == 0 && (p >> 16) >= 1 && (p >> 16) <= 26)
        return char('A' + int(p >> 16) - 1);
    return '?';
}

// Rows separated by '|': "ab|cd" is 2 x 2.
inline Surface surface_of(const std::string& text)
{
    int width = int(text.find('|') == std::string::npos ? text.size() : text.find('|'));
    int height = int((text.size() + 1) / std::size_t(width + 1));
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, pixel_of(text[std::size_t(y * (width + 1) + x)]));
    return s;
}

inline std::string text_of(const Surface& s)
{
    std::string text;
    for (int y = 0; y < s.height(); ++y) {
        if (y > 0)
            text += '|';
        for (int x = 0; x < s.width(); ++x)
            text += char_of(s.at(x, y));
    }
    return text;
}

// Every pixel in hex, one row a line, for failure messages of surfaces
// that are not letter pictures.
inline std::string hex_of(const Surface& s)
{
    std::string text;
    char word[16];
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            std::snprintf(word, sizeof word, " %06X", unsigned(s.at(x, y)));
            text += word;
        }
        text += '\n';
    }
    return text;
}

// Pixel-exact comparison that shows both pictures when they differ.
inline ::testing::AssertionResult same_pixels(const Surface& got, const Surface& expected)
{
    if (got == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected.width() << " x "
                                         << expected.height() << ":\n"
                                         << hex_of(expected) << "got " << got.width() << " x "
                                         << got.height() << ":\n"
                                         << hex_of(got);
}

} // namespace gfx::testing
