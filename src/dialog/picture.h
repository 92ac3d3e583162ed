#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <vector>

// A picture of the dialog's artwork: colour pixels and, where its edges are
// soft (rounded plates, round marks), a coverage value per pixel so that it
// sits cleanly on the textured ground.
namespace dialog {

struct Picture {
    gfx::Surface colour;
    std::vector<std::uint8_t> alpha; // 0..255 per pixel, row by row; empty: opaque

    int width() const { return colour.width(); }
    int height() const { return colour.height(); }
};

// The picture with its top-left at (x, y), blended by its coverage, clipped.
void draw_picture(gfx::Surface& dst, int x, int y, const Picture& picture);

// The picture stretched over `area` without blurring its rim: the `edge`
// columns at each side keep their size and the columns between are repeated
// to fill the width (rows are stretched the same way with `edge` rows when
// the heights differ). This is how a button face of one size serves buttons
// of every width.
void draw_picture_stretched(gfx::Surface& dst, gfx::Rect area, const Picture& picture, int edge);

// The picture resampled to `area` by linear interpolation between columns and
// rows: for artwork whose detail is gradients and soft lines (the top bar).
void draw_picture_smooth(gfx::Surface& dst, gfx::Rect area, const Picture& picture);

} // namespace dialog
