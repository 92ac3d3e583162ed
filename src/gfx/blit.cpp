#include "gfx/raster.h"
#include "gfx/row_ops.h"

#include <algorithm>
#include <cstdint>

namespace gfx {

namespace {

// The block [0, width) of a transfer mapped to [origin_dst, ...) and
// [origin_src, ...): which part of it lands inside both surfaces. 64-bit so
// that coordinates near the ends of int cannot overflow.
struct Span {
    std::int64_t first = 0; // offset into the block
    std::int64_t count = 0;
};

Span clip_span(int dst_origin, int dst_limit, int src_origin, int src_limit, int length)
{
    std::int64_t first = std::max<std::int64_t>({0, -std::int64_t(dst_origin), -std::int64_t(src_origin)});
    std::int64_t end = std::min<std::int64_t>({length, std::int64_t(dst_limit) - dst_origin,
                                               std::int64_t(src_limit) - src_origin});
    return {first, std::max<std::int64_t>(end - first, 0)};
}

} // namespace

void blit(Surface& dst, Point at, const Surface& src, Rect from, RasterOp op)
{
    const int dst_x = at.x, dst_y = at.y, src_x = from.x, src_y = from.y;
    const int width = from.width, height = from.height;
    Span cols = clip_span(dst_x, dst.width(), src_x, src.width(), width);
    Span rows = clip_span(dst_y, dst.height(), src_y, src.height(), height);
    if (cols.count == 0 || rows.count == 0)
        return;

    int dx = int(dst_x + cols.first), sx = int(src_x + cols.first);
    int dy = int(dst_y + rows.first), sy = int(src_y + rows.first);
    int w = int(cols.count), h = int(rows.count);

    // A surface blitted onto itself with overlapping blocks: walk the rows
    // from the bottom when moving down, so that no source row is overwritten
    // before it is read. Within a row the AND and XOR loops read ahead of
    // what they write only when moving left, so moving right goes through a
    // copy of the block.
    if (&dst == &src) {
        bool overlaps = dx < sx + w && sx < dx + w && dy < sy + h && sy < dy + h;
        if (overlaps && op != RasterOp::Copy && dy == sy && dx > sx) {
            Surface block(w, h);
            blit(block, {0, 0}, src, {sx, sy, w, h}, RasterOp::Copy);
            blit(dst, {dx, dy}, block, block.rect(), op);
            return;
        }
        if (overlaps && dy > sy) {
            for (int r = h - 1; r >= 0; --r)
                detail::combine_row(dst.row(dy + r) + dx, src.row(sy + r) + sx, w, op);
            return;
        }
    }

    // Whole rows of equal width are one contiguous block: the full-frame copy.
    if (op == RasterOp::Copy && w == dst.width() && w == src.width()) {
        detail::combine_row(dst.row(dy), src.row(sy), w * h, op);
        return;
    }
    for (int r = 0; r < h; ++r)
        detail::combine_row(dst.row(dy + r) + dx, src.row(sy + r) + sx, w, op);
}

void blit(Surface& dst, Point at, const Surface& src, RasterOp op)
{
    blit(dst, at, src, src.rect(), op);
}

void fill_box(Surface& dst, Rect box, Pixel colour)
{
    std::int64_t x0 = std::max<std::int64_t>(box.x, 0);
    std::int64_t y0 = std::max<std::int64_t>(box.y, 0);
    std::int64_t x1 = std::min<std::int64_t>(std::int64_t(box.x) + box.width, dst.width());
    std::int64_t y1 = std::min<std::int64_t>(std::int64_t(box.y) + box.height, dst.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    for (auto y = y0; y < y1; ++y)
        detail::fill_row(dst.row(int(y)) + x0, int(x1 - x0), colour);
}

void stamp(Surface& dst, Point at, const Surface& mask, const Surface& sprite)
{
    blit(dst, at, mask, RasterOp::And);
    blit(dst, at, sprite, RasterOp::Xor);
}

void stamp_scaled(Surface& dst, Rect to, const Surface& mask, const Surface& sprite)
{
    stretch_blit(dst, to, mask, mask.rect(), RasterOp::And);
    stretch_blit(dst, to, sprite, sprite.rect(), RasterOp::Xor);
}

} // namespace gfx
