#include "gfx/raster.h"
#include "gfx/row_ops.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

// The colour-on-colour stretch. Each axis is sampled on its own, and the
// rule is the one the system's stretching transfer follows in this mode (a
// Bresenham walk from corner to corner of the two extents, which comes down
// to the closed forms below). With n = |destination extent| and
// m = |source extent|, destination index j = 0 .. n-1 (counted from the
// origin, in the direction of the extent) takes source index
//
//   growing or equal (n >= m):  k = floor(((2j + 1) * m - 1) / (2n))
//   shrinking        (n <  m):  k = floor(((2j + 2) * m - n) / (2n))
//
// Growing takes the source pixel under the centre of the destination pixel,
// a centre exactly on a boundary going to the lower pixel: 2 -> 4 gives
// 0 0 1 1, 2 -> 3 gives 0 0 1. Shrinking takes the last of the source pixels
// whose centres fall in the destination pixel (each overwrites the one
// before): 4 -> 2 gives 1 3, 48 -> 24 keeps the odd columns. One exception
// of the system is kept: a destination one pixel wide or high samples a
// source one pixel narrower, so 2 -> 1 takes pixel 0.
//
// An extent's index j lies at origin + j for a positive extent and at
// origin - j for a negative one, so a width of -w at x covers the columns
// x - w + 1 .. x (the block [x - w + 1, x + 1)) and shows the source
// mirrored; the same holds for the source extents. Destination pixels whose
// source pixel lies outside the source surface are left as they are.
namespace gfx {

namespace {

// Which destination columns (or rows) of one axis are drawn, and from where.
struct AxisSamples {
    int dst_first = 0;     // lowest destination coordinate drawn
    std::vector<int> src;  // source coordinate for dst_first, dst_first + 1, ...
};

// Fills `samples`, reusing its storage: the saver stretches balls every
// frame, and a frame allocates nothing once the buffers have grown.
void sample_axis(AxisSamples& samples, int dst_origin, int dst_extent, int dst_limit,
                 int src_origin, int src_extent, int src_limit)
{
    samples.dst_first = 0;
    samples.src.clear();
    // Magnitudes fit in 32 bits unsigned; the products below stay under 2^63.
    std::uint64_t n = std::uint64_t(std::llabs(dst_extent));
    std::uint64_t m = std::uint64_t(std::llabs(src_extent));
    if (n == 0 || m == 0 || dst_limit <= 0 || src_limit <= 0)
        return;
    if (n == 1 && m > 1)
        --m;

    const std::int64_t dst_step = dst_extent > 0 ? 1 : -1;
    const std::int64_t src_step = src_extent > 0 ? 1 : -1;

    // The indices j whose destination coordinate lies on the surface.
    std::int64_t j_first, j_end;
    if (dst_step > 0) {
        j_first = std::max<std::int64_t>(0, -std::int64_t(dst_origin));
        j_end = std::min<std::int64_t>(std::int64_t(n), std::int64_t(dst_limit) - dst_origin);
    } else {
        j_first = std::max<std::int64_t>(0, std::int64_t(dst_origin) - dst_limit + 1);
        j_end = std::min<std::int64_t>(std::int64_t(n), std::int64_t(dst_origin) + 1);
    }
    if (j_first >= j_end)
        return;

    auto source_of = [&](std::int64_t j) {
        std::uint64_t uj = std::uint64_t(j);
        std::uint64_t k = n >= m ? ((2 * uj + 1) * m - 1) / (2 * n) : ((2 * uj + 2) * m - n) / (2 * n);
        return std::int64_t(src_origin) + src_step * std::int64_t(k);
    };
    auto on_source = [&](std::int64_t j) {
        std::int64_t s = source_of(j);
        return s >= 0 && s < src_limit;
    };

    // The source coordinate is monotonic in j, so the indices that read
    // from the source surface form one run: trim both ends to it.
    while (j_first < j_end && !on_source(j_first))
        ++j_first;
    while (j_end > j_first && !on_source(j_end - 1))
        --j_end;
    if (j_first >= j_end)
        return;

    auto count = std::size_t(j_end - j_first);
    samples.src.resize(count);
    if (dst_step > 0) {
        samples.dst_first = int(dst_origin + j_first);
        for (std::size_t i = 0; i < count; ++i)
            samples.src[i] = int(source_of(j_first + std::int64_t(i)));
    } else {
        // Stored from the lowest destination coordinate up, i.e. j descending.
        samples.dst_first = int(dst_origin - (j_end - 1));
        for (std::size_t i = 0; i < count; ++i)
            samples.src[i] = int(source_of(j_end - 1 - std::int64_t(i)));
    }
}

template <RasterOp op>
void stretch_rows(Surface& dst, const Surface& src, const AxisSamples& cols, const AxisSamples& rows)
{
    const int width = int(cols.src.size());
    for (std::size_t r = 0; r < rows.src.size(); ++r) {
        Pixel* out = dst.row(rows.dst_first + int(r)) + cols.dst_first;
        detail::combine_row_sampled<op>(out, src.row(rows.src[r]), cols.src.data(), width);
    }
}

} // namespace

void stretch_blit(Surface& dst, Rect to, const Surface& src, Rect from, RasterOp op)
{
    if (&dst == &src) {
        // Sampling reads pixels the same call may already have written.
        Surface copy = src;
        stretch_blit(dst, to, copy, from, op);
        return;
    }
    thread_local AxisSamples cols, rows;
    sample_axis(cols, to.x, to.width, dst.width(), from.x, from.width, src.width());
    if (cols.src.empty())
        return;
    sample_axis(rows, to.y, to.height, dst.height(), from.y, from.height, src.height());
    if (rows.src.empty())
        return;

    switch (op) {
    case RasterOp::Copy:
        stretch_rows<RasterOp::Copy>(dst, src, cols, rows);
        return;
    case RasterOp::And:
        stretch_rows<RasterOp::And>(dst, src, cols, rows);
        return;
    case RasterOp::Xor:
        stretch_rows<RasterOp::Xor>(dst, src, cols, rows);
        return;
    }
}

} // namespace gfx
