#pragma once

#include "gfx/surface.h"

// The raster operations the saver draws with. Every call names its raster
// operation; there is no state left over from an earlier call.
namespace gfx {

enum class RasterOp {
    Copy, // destination = source
    And,  // destination = source & destination (a mask blanks the ball's disc)
    Xor,  // destination = source ^ destination (the sprite fills the blanked disc)
};

// Block transfer of the width x height block at (src_x, src_y) of `src` to
// (dst_x, dst_y) of `dst`, clipped against both surfaces. Any part of the block
// outside either surface is skipped; the rest lands where it would have landed.
void blit(Surface& dst, int dst_x, int dst_y, const Surface& src, int src_x, int src_y,
          int width, int height, RasterOp op);

// The whole of `src` to (dst_x, dst_y).
void blit(Surface& dst, int dst_x, int dst_y, const Surface& src, RasterOp op);

// Stretching transfer in colour-on-colour mode: nearest neighbour, whole rows
// and columns of the source dropped when shrinking and repeated when growing,
// no blending. A negative destination width or height mirrors the picture on
// that axis: the destination then extends to the left of, or above, dst_x/dst_y
// and includes that column or row, so a width of -w covers the columns
// dst_x - w + 1 .. dst_x, as the system's stretching transfer does. A zero
// width or height draws nothing. Clipped against the destination; pixels
// whose source would lie outside `src` are left as they are. The sampling
// rule is written out in stretch.cpp.
void stretch_blit(Surface& dst, int dst_x, int dst_y, int dst_width, int dst_height,
                  const Surface& src, int src_x, int src_y, int src_width, int src_height,
                  RasterOp op);

// The masked stamp every ball is drawn with: `mask` ANDed (black disc on white
// clears the disc and keeps the rest), then `sprite` XORed (black outside the
// disc leaves the background as it was).
void stamp(Surface& dst, int x, int y, const Surface& mask, const Surface& sprite);

// The same two operations, each stretched from the full source to width x height.
void stamp_scaled(Surface& dst, int x, int y, int width, int height, const Surface& mask,
                  const Surface& sprite);

// A filled disc of radius r about (cx, cy) with no outline: the pixels of the
// bounding box [cx - r, cx + r) x [cy - r, cy + r) whose centres lie inside
// the ellipse inscribed in that box, which is how a GDI ellipse drawn with a
// null pen covers pixels. A radius of 0 or below draws nothing.
void fill_disc(Surface& dst, int cx, int cy, int r, Pixel colour);

// A filled box, clipped.
void fill_box(Surface& dst, Rect box, Pixel colour);

// A one-pixel circle outline of radius r about (cx, cy), clipped.
void draw_circle(Surface& dst, int cx, int cy, int r, Pixel colour);

} // namespace gfx
