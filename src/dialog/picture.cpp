#include "dialog/picture.h"

#include <algorithm>
#include <cmath>

namespace dialog {

namespace {

gfx::Pixel blend(gfx::Pixel under, gfx::Pixel over, int alpha)
{
    if (alpha >= 255)
        return over;
    if (alpha <= 0)
        return under;
    auto mix = [alpha](int a, int b) { return (a * (255 - alpha) + b * alpha + 127) / 255; };
    return gfx::rgb(mix(gfx::red_of(under), gfx::red_of(over)),
                    mix(gfx::green_of(under), gfx::green_of(over)),
                    mix(gfx::blue_of(under), gfx::blue_of(over)));
}

int coverage(const Picture& picture, int x, int y)
{
    if (picture.alpha.empty())
        return 255;
    return picture.alpha[std::size_t(y) * std::size_t(picture.width()) + std::size_t(x)];
}

// Source index for destination index d of `size` when `source` pixels are
// spread over it with `edge` fixed pixels at both ends.
int edge_preserving_index(int d, int size, int source, int edge)
{
    if (size == source)
        return d;
    edge = std::min(edge, source / 2);
    if (d < edge)
        return d;
    if (d >= size - edge)
        return source - (size - d);
    const int middle_source = source - 2 * edge;
    const int middle_size = size - 2 * edge;
    if (middle_source <= 0 || middle_size <= 0)
        return std::clamp(d, 0, source - 1);
    return edge + (d - edge) * middle_source / middle_size;
}

} // namespace

void draw_picture(gfx::Surface& dst, int x, int y, const Picture& picture)
{
    const int x0 = std::max(0, -x), y0 = std::max(0, -y);
    const int x1 = std::min(picture.width(), dst.width() - x);
    const int y1 = std::min(picture.height(), dst.height() - y);
    for (int py = y0; py < y1; ++py) {
        gfx::Pixel* row = dst.row(y + py);
        for (int px = x0; px < x1; ++px)
            row[x + px] = blend(row[x + px], picture.colour.at(px, py), coverage(picture, px, py));
    }
}

void draw_picture_stretched(gfx::Surface& dst, gfx::Rect area, const Picture& picture, int edge)
{
    if (picture.colour.empty())
        return;
    for (int dy = std::max(0, -area.y); dy < area.height && area.y + dy < dst.height(); ++dy) {
        const int sy = edge_preserving_index(dy, area.height, picture.height(), edge);
        gfx::Pixel* row = dst.row(area.y + dy);
        for (int dx = std::max(0, -area.x); dx < area.width && area.x + dx < dst.width(); ++dx) {
            const int sx = edge_preserving_index(dx, area.width, picture.width(), edge);
            row[area.x + dx] =
                blend(row[area.x + dx], picture.colour.at(sx, sy), coverage(picture, sx, sy));
        }
    }
}

void draw_picture_smooth(gfx::Surface& dst, gfx::Rect area, const Picture& picture)
{
    if (picture.colour.empty() || area.width <= 0 || area.height <= 0)
        return;
    // Pixel centres map onto pixel centres: d + 1/2 = (s + 1/2) * size / source.
    auto source_at = [](int d, int size, int source, int& s0, int& s1, double& t) {
        const double s = std::clamp((d + 0.5) * source / size - 0.5, 0.0, double(source - 1));
        s0 = int(std::floor(s));
        s1 = std::min(s0 + 1, source - 1);
        t = s - s0;
    };
    for (int dy = std::max(0, -area.y); dy < area.height && area.y + dy < dst.height(); ++dy) {
        int sy0, sy1;
        double ty;
        source_at(dy, area.height, picture.height(), sy0, sy1, ty);
        gfx::Pixel* row = dst.row(area.y + dy);
        for (int dx = std::max(0, -area.x); dx < area.width && area.x + dx < dst.width(); ++dx) {
            int sx0, sx1;
            double tx;
            source_at(dx, area.width, picture.width(), sx0, sx1, tx);
            auto channel = [&](int (*of)(gfx::Pixel)) {
                const double top = of(picture.colour.at(sx0, sy0)) * (1 - tx)
                                   + of(picture.colour.at(sx1, sy0)) * tx;
                const double bottom = of(picture.colour.at(sx0, sy1)) * (1 - tx)
                                      + of(picture.colour.at(sx1, sy1)) * tx;
                return int(std::lround(top * (1 - ty) + bottom * ty));
            };
            const double a = (coverage(picture, sx0, sy0) * (1 - tx) + coverage(picture, sx1, sy0) * tx)
                                 * (1 - ty)
                             + (coverage(picture, sx0, sy1) * (1 - tx) + coverage(picture, sx1, sy1) * tx)
                                   * ty;
            const gfx::Pixel colour = gfx::rgb(channel(gfx::red_of), channel(gfx::green_of),
                                               channel(gfx::blue_of));
            row[area.x + dx] = blend(row[area.x + dx], colour, int(std::lround(a)));
        }
    }
}

} // namespace dialog
