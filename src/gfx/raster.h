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

// Block transfer of the block `from` of `src` to `at` of `dst`, clipped
// against both surfaces. Any part of the block outside either surface is
// skipped; the rest lands where it would have landed. An empty block draws
// nothing.
void blit(Surface& dst, Point at, const Surface& src, Rect from, RasterOp op);

// The whole of `src` to `at`.
void blit(Surface& dst, Point at, const Surface& src, RasterOp op);

// Stretching transfer of the block `from` of `src` onto the block `to` of
// `dst` in colour-on-colour mode: nearest neighbour, whole rows and columns
// of the source dropped when shrinking and repeated when growing, no
// blending. The sizes are signed here, unlike anywhere else a Rect is taken:
// a negative width or height mirrors the picture on that axis. The block
// then extends to the left of, or above, its x/y and includes that column or
// row, so a width of -w at x covers the columns x - w + 1 .. x, as the
// system's stretching transfer does (stretch_cover in rect_set.h gives the
// pixels covered). A zero width or height draws nothing. Clipped against the
// destination; pixels whose source would lie outside `src` are left as they
// are. The sampling rule is written out in stretch.cpp.
void stretch_blit(Surface& dst, Rect to, const Surface& src, Rect from, RasterOp op);

// The masked stamp every ball is drawn with, its top-left corner at `at`:
// `mask` ANDed (black disc on white clears the disc and keeps the rest),
// then `sprite` XORed (black outside the disc leaves the background as it
// was).
void stamp(Surface& dst, Point at, const Surface& mask, const Surface& sprite);

// The same two operations, each stretched from the full source onto `to`
// (signed sizes as stretch_blit takes them).
void stamp_scaled(Surface& dst, Rect to, const Surface& mask, const Surface& sprite);

// A filled disc of radius r about `centre` with no outline: the pixels of the
// bounding box [cx - r, cx + r) x [cy - r, cy + r) whose centres lie inside
// the ellipse inscribed in that box, which is how a GDI ellipse drawn with a
// null pen covers pixels. A radius of 0 or below draws nothing.
void fill_disc(Surface& dst, Point centre, int r, Pixel colour);

// A filled box, clipped.
void fill_box(Surface& dst, Rect box, Pixel colour);

// A one-pixel circle outline of radius r about `centre`, clipped.
void draw_circle(Surface& dst, Point centre, int r, Pixel colour);

} // namespace gfx
