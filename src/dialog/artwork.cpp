#include "dialog/artwork.h"
#include "gfx/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string_view>

// Every picture is painted in real-valued colour with coverage found by
// sampling each pixel 4 x 4 times, so that round marks and plate corners have
// soft edges; the ground is a linen weave that repeats seamlessly, since it
// is tiled in strips 1030 pixels wide and 23 high.
namespace dialog {

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb lighter(Rgb c, double by) { return {c.r + by, c.g + by, c.b + by}; }
Rgb from_pixel(gfx::Pixel p) { return {double(gfx::red_of(p)), double(gfx::green_of(p)), double(gfx::blue_of(p))}; }

int channel(double v) { return std::clamp(int(std::lround(v)), 0, 255); }

// A picture being painted: straight colour and coverage per pixel.
class Canvas {
public:
    Canvas(int width, int height)
        : m_width(width), m_height(height), m_colour(std::size_t(width * height)),
          m_alpha(std::size_t(width * height), 0.0)
    {
    }

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Paints `colour` over pixel (x, y) with coverage `a` (0..1).
    void over(int x, int y, Rgb colour, double a)
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height || a <= 0)
            return;
        const std::size_t i = std::size_t(y * m_width + x);
        const double under = m_alpha[i];
        const double out = a + under * (1 - a);
        const Rgb& old = m_colour[i];
        m_colour[i] = {(colour.r * a + old.r * under * (1 - a)) / out,
                       (colour.g * a + old.g * under * (1 - a)) / out,
                       (colour.b * a + old.b * under * (1 - a)) / out};
        m_alpha[i] = out;
    }

    // Paints every pixel the shape covers, in the colour `paint` gives at
    // that pixel; coverage is the share of 16 samples inside the shape.
    void fill(const std::function<bool(double, double)>& inside,
              const std::function<Rgb(int, int)>& paint, double opacity = 1)
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4) ? 1 : 0;
                if (hits)
                    over(x, y, paint(x, y), opacity * hits / 16.0);
            }
    }

    Picture picture(bool keep_alpha = true) const
    {
        Picture p;
        p.colour = gfx::Surface(m_width, m_height);
        if (keep_alpha)
            p.alpha.resize(std::size_t(m_width * m_height));
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const std::size_t i = std::size_t(y * m_width + x);
                const Rgb& c = m_colour[i];
                p.colour.set(x, y, gfx::rgb(channel(c.r), channel(c.g), channel(c.b)));
                if (keep_alpha)
                    p.alpha[i] = std::uint8_t(channel(m_alpha[i] * 255));
            }
        return p;
    }

private:
    int m_width, m_height;
    std::vector<Rgb> m_colour;
    std::vector<double> m_alpha;
};

// ---- shapes, in pixel coordinates (pixel (x, y) spans x..x+1, y..y+1)

auto rounded_rect(double x0, double y0, double x1, double y1, double radius)
{
    return [=](double x, double y) {
        if (x < x0 || y < y0 || x > x1 || y > y1)
            return false;
        const double cx = std::clamp(x, x0 + radius, x1 - radius);
        const double cy = std::clamp(y, y0 + radius, y1 - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

auto ring_of(std::function<bool(double, double)> outer, std::function<bool(double, double)> inner)
{
    return [=](double x, double y) { return outer(x, y) && !inner(x, y); };
}

auto circle(double cx, double cy, double r)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

double distance_to_segment(double x, double y, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    const double px = ax + t * dx - x, py = ay + t * dy - y;
    return std::sqrt(px * px + py * py);
}

// ---- repeatable noise: the same on every machine

double hash01(std::uint32_t a, std::uint32_t b, std::uint32_t seed)
{
    std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / double(0x1000000);
}

// Smooth noise along x with period `period`, from `knots` random knots.
double periodic_noise(double x, int period, int knots, std::uint32_t row, std::uint32_t seed)
{
    const double at = x * knots / period;
    const int k0 = int(std::floor(at));
    const double t = at - k0;
    const double s = t * t * (3 - 2 * t);
    const double a = hash01(std::uint32_t((k0 % knots + knots) % knots), row, seed);
    const double b = hash01(std::uint32_t(((k0 + 1) % knots + knots) % knots), row, seed);
    return a + (b - a) * s; // 0..1
}

// ---- the pictures

constexpr Rgb kLinen{231, 225, 211};
constexpr Rgb kIndigoTop{60, 82, 136};
constexpr Rgb kIndigoBottom{28, 42, 86};
constexpr Rgb kIndigoEdge{18, 26, 56};
constexpr Rgb kWhite{255, 255, 255};

// A linen weave: horizontal threads of two and three rows, each shaded
// lighter on top and darker below, crossed by a faint irregular warp and
// flecked with a few thicker slubs. Everything varies with period 1030 along
// x and 23 along y, the strip's own size, so the tiles join without a seam.
Picture linen_texture()
{
    constexpr int kWidth = 1030, kHeight = 23;
    constexpr int kThreads[] = {3, 2, 3, 2, 3, 3, 2, 3, 2}; // 23 rows in all
    Canvas canvas(kWidth, kHeight);
    int row_of[kHeight], depth_of[kHeight], height_of[kHeight];
    for (int y = 0, thread = 0; thread < 9; ++thread)
        for (int d = 0; d < kThreads[thread]; ++d, ++y) {
            row_of[y] = thread;
            depth_of[y] = d;
            height_of[y] = kThreads[thread];
        }
    for (int y = 0; y < kHeight; ++y) {
        const int thread = row_of[y];
        for (int x = 0; x < kWidth; ++x) {
            // Each thread thickens and thins along its length.
            double v = (periodic_noise(x, kWidth, 103, std::uint32_t(thread), 1) - 0.5) * 7;
            v += (periodic_noise(x, kWidth, 515, std::uint32_t(thread), 2) - 0.5) * 3;
            // The roundness of the thread: light on its upper row, shade on its lower.
            if (depth_of[y] == 0)
                v += 2.5;
            if (depth_of[y] == height_of[y] - 1)
                v -= 3.5;
            // The warp: every column its own faint tone.
            v += (hash01(std::uint32_t(x), 0, 3) - 0.5) * 3.2;
            // Grain.
            v += (hash01(std::uint32_t(x), std::uint32_t(y), 4) - 0.5) * 2.4;
            canvas.over(x, y, lighter(kLinen, v), 1);
        }
    }
    // Slubs: a few short, thicker stretches of thread, darker in the middle.
    for (int s = 0; s < 34; ++s) {
        const int thread_y = int(hash01(std::uint32_t(s), 1, 5) * kHeight);
        const int start = int(hash01(std::uint32_t(s), 2, 5) * kWidth);
        const int length = 14 + int(hash01(std::uint32_t(s), 3, 5) * 50);
        const double depth = 4 + hash01(std::uint32_t(s), 4, 5) * 4;
        for (int i = 0; i < length; ++i) {
            const double fade = std::sin(gfx::kPi * i / length);
            const int x = (start + i) % kWidth;
            canvas.over(x, thread_y, lighter(kLinen, -depth), fade * 0.55);
        }
    }
    return canvas.picture(false);
}

// An indigo plate with a soft edge, a highlight along its top and a gloss
// over its upper half.
Canvas indigo_plate(int width, int height, double radius, Rgb top, Rgb bottom)
{
    Canvas canvas(width, height);
    auto outer = rounded_rect(0, 0, width, height, radius);
    canvas.fill(outer, [&](int, int y) {
        Rgb c = mix(top, bottom, (y + 0.5) / height);
        if (y < height / 2)
            c = lighter(c, 6 * (1 - double(y) / (height / 2)));
        return c;
    });
    canvas.fill(ring_of(outer, rounded_rect(1, 1, width - 1, height - 1, radius - 1)),
                [](int, int) { return kIndigoEdge; }, 0.9);
    canvas.fill([&](double x, double y) { return y >= 1 && y < 2 && x >= radius && x <= width - radius; },
                [&](int, int) { return lighter(top, 46); }, 0.75);
    return canvas;
}

Picture title_plate() { return indigo_plate(95, 22, 4, kIndigoTop, kIndigoBottom).picture(); }

// The top bar: indigo with a field of waves (concentric scales in offset
// rows) that fades in towards the right. It is drawn at the window's width
// and then narrowed to its stored width, so that the scales come out round
// again when the bar is stretched across the window.
Picture top_bar()
{
    constexpr int kFullWidth = 701, kStoredWidth = 500, kHeight = 22;
    constexpr double kScale = 11; // radius of one wave scale
    Canvas full(kFullWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kFullWidth; ++x) {
            Rgb c = mix({50, 70, 122}, {22, 32, 68}, (y + 0.5) / 20);
            if (y == 0)
                c = {98, 118, 170};
            if (y == 19)
                c = {14, 20, 44};
            // Waves: the lowest scale that holds the pixel is the one seen.
            const double strength = std::clamp((x - 260.0) / 380.0, 0.0, 1.0);
            if (strength > 0 && y > 0 && y < 19) {
                double ring = -1;
                for (int row = int(std::ceil((y + 0.5) / (kScale / 2))) + 2; row >= 0 && ring < 0; --row) {
                    const double cy = row * kScale / 2;
                    const double shift = (row % 2) ? kScale : 0;
                    const double cx = std::round((x + 0.5 - shift) / (2 * kScale)) * 2 * kScale + shift;
                    const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                    if (d < kScale)
                        ring = d;
                }
                if (ring >= 0) {
                    const double phase = std::fmod(ring, kScale / 3.5) / (kScale / 3.5);
                    const double line = std::exp(-std::pow((phase - 0.5) * 3.2, 2) * 4);
                    c = lighter(c, line * 16 * strength);
                }
            }
            full.over(x, y, c, 1);
        }
    // Narrowed by averaging: each stored column takes the share of the full
    // columns it covers.
    Picture wide = full.picture(false);
    Canvas stored(kStoredWidth, kHeight);
    const double ratio = double(kFullWidth) / kStoredWidth;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kStoredWidth; ++x) {
            const double from = x * ratio, to = (x + 1) * ratio;
            Rgb sum;
            double weight = 0;
            for (int s = int(from); s < int(std::ceil(to)) && s < kFullWidth; ++s) {
                const double w = std::min(to, s + 1.0) - std::max(from, double(s));
                const Rgb c = from_pixel(wide.colour.at(s, y));
                sum = {sum.r + c.r * w, sum.g + c.g * w, sum.b + c.b * w};
                weight += w;
            }
            stored.over(x, y, {sum.r / weight, sum.g / weight, sum.b / weight}, 1);
        }
    return stored.picture(false);
}

// The close button: a vermilion tile with a white cross; pressed, it is
// darker and the cross sinks one pixel right and down.
Picture close_button(bool pressed)
{
    const int width = pressed ? 16 : 15, height = 15;
    const double left = pressed ? 1 : 0;
    Canvas canvas(width, height);
    auto tile = rounded_rect(left, 0, width, height, 3);
    const Rgb top = pressed ? Rgb{150, 48, 34} : Rgb{222, 96, 66};
    const Rgb bottom = pressed ? Rgb{178, 64, 44} : Rgb{176, 54, 36};
    canvas.fill(tile, [&](int, int y) { return mix(top, bottom, (y + 0.5) / height); });
    canvas.fill(ring_of(tile, rounded_rect(left + 1, 1, width - 1, height - 1, 2)),
                [](int, int) { return Rgb{96, 24, 16}; }, 0.8);
    if (!pressed)
        canvas.fill([&](double x, double y) { return y >= 1 && y < 2 && x >= 3 && x <= width - 3; },
                    [](int, int) { return Rgb{255, 170, 146}; }, 0.8);
    // The cross's corners: 4.5 .. 10.5, one pixel further right and down when pressed.
    const double a = pressed ? 5.5 : 4.5, b = a + 6;
    const double ya = pressed ? 5.5 : 4.5, yb = ya + 6;
    canvas.fill([&](double x, double y) {
        return distance_to_segment(x, y, a, ya, b, yb) <= 0.95
               || distance_to_segment(x, y, a, yb, b, ya) <= 0.95;
    },
                [](int, int) { return kWhite; }, 0.95);
    return canvas.picture();
}

// The face of every image button: ivory, rounded, lit from above; pressed,
// it is sunk and shaded from the top.
Picture button_face(bool pressed)
{
    constexpr int kWidth = 21, kHeight = 20;
    Canvas canvas(kWidth, kHeight);
    auto outer = rounded_rect(0, 0, kWidth, kHeight, 3.5);
    const Rgb top = pressed ? Rgb{200, 192, 171} : Rgb{253, 251, 245};
    const Rgb bottom = pressed ? Rgb{228, 222, 206} : Rgb{222, 215, 196};
    canvas.fill(outer, [&](int, int y) { return mix(top, bottom, (y + 0.5) / kHeight); });
    canvas.fill(ring_of(outer, rounded_rect(1, 1, kWidth - 1, kHeight - 1, 2.5)),
                [&](int, int) { return pressed ? Rgb{98, 88, 70} : from_pixel(palette::kRim); });
    if (pressed) {
        canvas.fill([](double x, double y) { return y >= 1 && y < 2.5 && x >= 2 && x <= kWidth - 2; },
                    [](int, int) { return Rgb{150, 140, 118}; }, 0.7);
    } else {
        canvas.fill([](double x, double y) { return y >= 1 && y < 2 && x >= 3 && x <= kWidth - 3; },
                    [](int, int) { return kWhite; }, 0.9);
        canvas.fill([](double x, double y) { return y >= kHeight - 2 && y < kHeight - 1 && x >= 3 && x <= kWidth - 3; },
                    [](int, int) { return Rgb{196, 187, 164}; }, 0.8);
    }
    return canvas.picture();
}

// A round option mark; selected, it holds an indigo bead.
Picture option_mark(bool selected)
{
    Canvas canvas(13, 13);
    canvas.fill(circle(6.5, 6.5, 6.3), [](int, int y) { return mix(kWhite, {232, 226, 212}, (y + 0.5) / 13); });
    canvas.fill(ring_of(circle(6.5, 6.5, 6.3), circle(6.5, 6.5, 5.3)),
                [](int, int) { return from_pixel(palette::kRim); });
    canvas.fill(ring_of(circle(6.5, 6.5, 5.3), circle(6.9, 6.9, 4.9)),
                [](int, int) { return Rgb{190, 182, 162}; }, 0.6);
    if (selected) {
        canvas.fill(circle(6.5, 6.5, 3.1), [](int, int y) { return mix({74, 100, 176}, {26, 42, 96}, (y - 3) / 7.0); });
        canvas.fill(circle(5.6, 5.4, 1.0), [](int, int) { return Rgb{170, 190, 240}; }, 0.8);
    }
    return canvas.picture();
}

// A square check mark; checked, it holds an indigo tick.
Picture check_mark(bool checked)
{
    Canvas canvas(12, 12);
    auto outer = rounded_rect(0, 0, 12, 12, 2);
    canvas.fill(outer, [](int, int y) { return mix(kWhite, {232, 226, 212}, (y + 0.5) / 12); });
    canvas.fill(ring_of(outer, rounded_rect(1, 1, 11, 11, 1)), [](int, int) { return from_pixel(palette::kRim); });
    canvas.fill([](double x, double y) { return x >= 1 && x < 11 && y >= 1 && y < 2; },
                [](int, int) { return Rgb{196, 188, 168}; }, 0.6);
    if (checked)
        canvas.fill([](double x, double y) {
            return distance_to_segment(x, y, 2.9, 6.0, 5.0, 8.6) <= 1.05
                   || distance_to_segment(x, y, 5.0, 8.6, 9.3, 3.0) <= 1.05;
        },
                    [](int, int) { return Rgb{30, 50, 116}; });
    return canvas.picture();
}

// The pointing hand: '#' is outline (black), 'o' the hand (white); the tip
// of the index finger is the hot spot.
host::CursorPicture pointing_hand()
{
    static constexpr std::string_view kRows[] = {
        "            ##                  ", // row 10
        "           #oo#                 ",
        "           #oo#                 ",
        "           #oo#                 ",
        "           #oo#                 ",
        "           #oo###               ",
        "           #oo#oo###            ",
        "           #oo#oo#oo##          ",
        "       ### #oo#oo#oo#o#         ",
        "       #oo##oooooooo#oo#        ",
        "       #ooo#ooooooooooo#        ",
        "        #oo#ooooooooooo#        ",
        "        #oooooooooooooo#        ",
        "         #ooooooooooooo#        ",
        "         #ooooooooooooo#        ",
        "          #ooooooooooo#         ",
        "          #ooooooooooo#         ",
        "           #ooooooooo#          ",
        "           #ooooooooo#          ",
        "           ###########          ",
    };
    host::CursorPicture hand;
    hand.image = gfx::Surface(32, 32, gfx::kBlack);
    hand.mask = gfx::Surface(32, 32, gfx::kBlack);
    hand.hot_spot = {12, 10};
    int y = 10;
    for (std::string_view row : kRows) {
        for (int x = 0; x < int(row.size()); ++x) {
            if (row[std::size_t(x)] == ' ')
                continue;
            hand.mask.set(x, y, gfx::kWhite);
            hand.image.set(x, y, row[std::size_t(x)] == 'o' ? gfx::kWhite : gfx::kBlack);
        }
        ++y;
    }
    return hand;
}

} // namespace

DialogArt make_dialog_art()
{
    DialogArt art;
    art.texture = linen_texture();
    art.Img_TT = title_plate();
    art.Image1 = top_bar();
    art.imgImages = {close_button(false), close_button(true)};
    art.Img_Off = button_face(false);
    art.Img_On = button_face(true);
    art.Img_Opt_Off = option_mark(false);
    art.Img_Opt_On = option_mark(true);
    art.Img_Ra = {check_mark(false), check_mark(true)};
    art.hand = pointing_hand();
    return art;
}

} // namespace dialog
