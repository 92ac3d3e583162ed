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
        centres[std::size_t(op[0] - 1)] = BallCentre{op[1] + op[3] / 2.0, op[2] + op[4] / 2.0};
    }
}

double spread_from_ring(const BallCentres& ring, const BallCentres& now)
{
    BallCentre centre;
    int small = 0;
    for (int i = 0; i < kCentreIndex; ++i) {
        if (const std::optional<BallCentre>& ball = ring[std::size_t(i)]) {
            centre.x += ball->x;
            centre.y += ball->y;
            ++small;
        }
    }
    if (small == 0)
        return 0;
    centre.x /= small;
    centre.y /= small;
    const auto distance = [&centre](const BallCentre& ball) { return std::hypot(ball.x - centre.x, ball.y - centre.y); };
    double radius = 0;
    for (int i = 0; i < kCentreIndex; ++i)
        if (const std::optional<BallCentre>& ball = ring[std::size_t(i)])
            radius += distance(*ball) / small;

    double spread = 0;
    for (int i = 0; i < kCentreIndex; ++i)
        if (ring[std::size_t(i)] && now[std::size_t(i)])
            spread += std::abs(distance(*now[std::size_t(i)]) - radius);
    if (const std::optional<BallCentre>& ball = now[kCentreIndex])
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

} // namespace figure_spread
