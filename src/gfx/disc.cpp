#include "gfx/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gfx {

namespace {

// Radii beyond this cover any surface the saver can make many times over;
// capping them keeps every square below in 64 bits.
constexpr std::int64_t kMaxRadius = std::int64_t(1) << 29;

// The largest v >= 0 with v * v <= n.
std::int64_t isqrt(std::int64_t n)
{
    if (n <= 0)
        return 0;
    auto v = std::int64_t(std::sqrt(double(n)));
    while (v * v > n)
        --v;
    while ((v + 1) * (v + 1) <= n)
        ++v;
    return v;
}

void fill_span(Surface& dst, std::int64_t y, std::int64_t x0, std::int64_t x1, Pixel colour)
{
    if (y < 0 || y >= dst.height())
        return;
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, dst.width());
    if (x0 < x1)
        std::fill(dst.row(int(y)) + x0, dst.row(int(y)) + x1, colour);
}

void plot(Surface& dst, std::int64_t x, std::int64_t y, Pixel colour)
{
    if (x >= 0 && y >= 0 && x < dst.width() && y < dst.height())
        dst.set(int(x), int(y), colour);
}

} // namespace

// Pixel (x, y) has its centre at (x + 1/2, y + 1/2); it belongs to the disc
// when that centre lies inside the circle of radius r about (cx, cy) = centre:
// (2(x - cx) + 1)^2 + (2(y - cy) + 1)^2 < 4r^2, all in integers. A sum of two
// odd squares is 2 modulo 8 and 4r^2 is 0 or 4, so no centre lies exactly on
// the circle and no tie rule is needed. The condition is unchanged by
// x - cx -> -(x - cx) - 1, so the disc is symmetric about x = cx and y = cy
// and fits the box [cx - r, cx + r) x [cy - r, cy + r).
void fill_disc(Surface& dst, Point centre, int r, Pixel colour)
{
    const int cx = centre.x, cy = centre.y;
    if (r <= 0 || dst.empty())
        return;
    const std::int64_t radius = std::min<std::int64_t>(r, kMaxRadius);
    const std::int64_t four_r2 = 4 * radius * radius;
    const std::int64_t y_first = std::max<std::int64_t>(std::int64_t(cy) - radius, 0);
    const std::int64_t y_end = std::min<std::int64_t>(std::int64_t(cy) + radius, dst.height());
    for (std::int64_t y = y_first; y < y_end; ++y) {
        std::int64_t dy = 2 * (y - cy) + 1;
        // Columns x = cx + u and cx - u - 1 for u = 0 .. half - 1, where
        // (2u + 1)^2 < 4r^2 - dy^2; the largest odd square below the limit.
        std::int64_t limit = four_r2 - dy * dy; // > 0 for every row of the box
        std::int64_t root = isqrt(limit - 1);   // largest v with v^2 < limit
        std::int64_t half = (root + 1) / 2;     // number of odd v <= root
        fill_span(dst, y, std::int64_t(cx) - half, std::int64_t(cx) + half, colour);
    }
}

// Midpoint-style outline: for each offset t along one axis the other offset
// is the nearest whole number to sqrt(r^2 - t^2) (never a tie: (2v - 1)^2 is
// odd and 4(r^2 - t^2) even), walked over one octant (t <= v) and mirrored
// to the other seven. Radius 5 gives the octant (0,5) (1,5) (2,5) (3,4).
// Radius 0 is the single pixel (cx, cy); a negative radius draws nothing.
void draw_circle(Surface& dst, Point centre, int r, Pixel colour)
{
    const int cx = centre.x, cy = centre.y;
    if (r < 0 || dst.empty())
        return;
    const std::int64_t radius = std::min<std::int64_t>(r, kMaxRadius);
    const std::int64_t x0 = cx, y0 = cy;
    // Nothing to do when the circle's box misses the surface.
    if (x0 + radius < 0 || y0 + radius < 0 || x0 - radius >= dst.width()
        || y0 - radius >= dst.height())
        return;

    auto other_offset = [&](std::int64_t t) {
        std::int64_t n = 4 * (radius * radius - t * t);
        // Largest v with (2v - 1)^2 < n, i.e. 2v - 1 <= isqrt(n - 1).
        return n <= 0 ? 0 : (isqrt(n - 1) + 1) / 2;
    };
    auto plot_octants = [&](std::int64_t t, std::int64_t v) {
        plot(dst, x0 + t, y0 + v, colour);
        plot(dst, x0 - t, y0 + v, colour);
        plot(dst, x0 + t, y0 - v, colour);
        plot(dst, x0 - t, y0 - v, colour);
        plot(dst, x0 + v, y0 + t, colour);
        plot(dst, x0 - v, y0 + t, colour);
        plot(dst, x0 + v, y0 - t, colour);
        plot(dst, x0 - v, y0 - t, colour);
    };

    // The octant ends at the last t with t <= v(t); v(t) - t falls as t grows.
    std::int64_t t_last = std::int64_t(double(radius) / std::sqrt(2.0));
    while (t_last > 0 && t_last > other_offset(t_last))
        --t_last;
    while (t_last + 1 <= other_offset(t_last + 1))
        ++t_last;

    // Only offsets that put some octant's point on the surface are walked,
    // so a huge circle through a small surface stays cheap: t must bring
    // x0 +- t or y0 +- t within the surface.
    auto walk = [&](std::int64_t lo, std::int64_t hi) {
        lo = std::max<std::int64_t>(lo, 0);
        hi = std::min(hi, t_last);
        for (std::int64_t t = lo; t <= hi; ++t)
            plot_octants(t, other_offset(t));
    };
    const std::int64_t w = dst.width(), h = dst.height();
    if (t_last <= 2 * (w + h)) {
        walk(0, t_last);
        return;
    }
    walk(-x0, w - 1 - x0);
    walk(x0 - (w - 1), x0);
    walk(-y0, h - 1 - y0);
    walk(y0 - (h - 1), y0);
}

} // namespace gfx
