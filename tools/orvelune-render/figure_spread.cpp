// See figure_spread.h.
#include "figure_spread.h"

#include <charconv>
#include <cmath>

namespace figure_spread {

namespace {

constexpr std::string_view kBallOp = "[\"B\",";
constexpr int kCentreIndex = 10;
constexpr double kWithin = 0.9;

// The ints of one ball op, "n,x,y,w,h", from `at` on.
bool read_numbers(std::string_view text, std::size_t at, std::array<int, 5>& numbers)
{
    const char* next = text.data() + at;
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            if (next == end || *next != ',')
                return false;
            ++next;
        }
        const std::from_chars_result read = std::from_chars(next, end, numbers[i]);
        if (read.ec != std::errc{})
            return false;
        next = read.ptr;
    }
    return true;
}

} // namespace

void read_frame_line(std::string_view line, BallCentres& centres)
{
    for (std::size_t at = line.find(kBallOp); at != std::string_view::npos; at = line.find(kBallOp, at + 1)) {
        std::array<int, 5> op{}; // ball, x, y, width, height
        if (!read_numbers(line, at + kBallOp.size(), op) || op[0] < 1 || op[0] > int(centres.size()))
            continue;
        centres[std::size_t(op[0] - 1)] = BallPlace{op[1] + op[3] / 2.0, op[2] + op[4] / 2.0, op[1], op[2], op[3]};
    }
}

double spread_from_ring(const BallCentres& ring, const BallCentres& now)
{
    BallPlace centre;
    int small = 0;
    for (int i = 0; i < kCentreIndex; ++i) {
        if (const std::optional<BallPlace>& ball = ring[std::size_t(i)]) {
            centre.x += ball->x;
            centre.y += ball->y;
            ++small;
        }
    }
    if (small == 0)
        return 0;
    centre.x /= small;
    centre.y /= small;
    const auto distance = [&centre](const BallPlace& ball) { return std::hypot(ball.x - centre.x, ball.y - centre.y); };
    double radius = 0;
    for (int i = 0; i < kCentreIndex; ++i)
        if (const std::optional<BallPlace>& ball = ring[std::size_t(i)])
            radius += distance(*ball) / small;

    double spread = 0;
    for (int i = 0; i < kCentreIndex; ++i)
        if (ring[std::size_t(i)] && now[std::size_t(i)])
            spread += std::abs(distance(*now[std::size_t(i)]) - radius);
    if (const std::optional<BallPlace>& ball = now[kCentreIndex])
        spread += distance(*ball);
    return spread;
}

bool FrameChoice::offer(double score)
{
    if (score > m_highest) {
        m_highest = score;
        return true;
    }
    return score >= kWithin * m_highest;
}

std::vector<Disc> cut_discs(const gfx::Surface& picture, const BallCentres& places)
{
    std::vector<Disc> discs;
    for (const std::optional<BallPlace>& place : places) {
        if (!place || place->size <= 0 || place->size > picture.width() + picture.height())
            continue;
        Disc disc{place->left, place->top, place->size,
                  std::vector<gfx::Pixel>(std::size_t(place->size) * std::size_t(place->size), gfx::kBlack)};
        for (int y = 0; y < disc.size; ++y)
            for (int x = 0; x < disc.size; ++x)
                if (picture.contains(disc.left + x, disc.top + y))
                    disc.pixels[std::size_t(y * disc.size + x)] = picture.at(disc.left + x, disc.top + y);
        discs.push_back(std::move(disc));
    }
    return discs;
}

void paint_discs(gfx::Surface& into, const std::vector<Disc>& discs, int weight)
{
    const auto blend = [weight](gfx::Pixel over, gfx::Pixel under) {
        gfx::Pixel out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = int((over >> shift) & 0xff);
            const int b = int((under >> shift) & 0xff);
            out |= gfx::Pixel((a * weight + b * (256 - weight)) >> 8) << shift;
        }
        return out;
    };
    for (const Disc& disc : discs) {
        // Pixel centres within the ball's circle: the square's corners hold
        // the background the ball was drawn on, not the ball.
        const double radius = disc.size / 2.0;
        for (int y = 0; y < disc.size; ++y)
            for (int x = 0; x < disc.size; ++x) {
                const double dx = x + 0.5 - radius;
                const double dy = y + 0.5 - radius;
                if (dx * dx + dy * dy > radius * radius || !into.contains(disc.left + x, disc.top + y))
                    continue;
                into.set(disc.left + x, disc.top + y,
                         blend(disc.pixels[std::size_t(y * disc.size + x)], into.at(disc.left + x, disc.top + y)));
            }
    }
}

} // namespace figure_spread
