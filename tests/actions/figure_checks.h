#pragma once

// Checks on traced frames that several figures' tests share.

#include "action_rig.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace action_test {

// The centre of ball i's cell as drawn (at full size) in a frame.
inline double CentreX(const Event& frame, int i) { return frame.ball(i)->x + (i == 11 ? 36 : 24); }
inline double CentreY(const Event& frame, int i) { return frame.ball(i)->y + (i == 11 ? 36 : 24); }

inline std::vector<int> BallOrder(const Event& frame)
{
    std::vector<int> order;
    for (const Op& op : frame.ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    return order;
}

inline int Restores(const Event& frame)
{
    int count = 0;
    for (const Op& op : frame.ops)
        count += op.what == 'R';
    return count;
}

// The first frame of an n-frame glide of the small balls towards (to_x,
// to_y) stands one step on from where `last` drew them: no jump.
inline void ExpectGlideSetsOutFrom(const Event& last, const Event& first,
                                   const Ball_A::BallArray& to_x, const Ball_A::BallArray& to_y,
                                   int n)
{
    for (int i = 1; i <= 10; ++i) {
        const Op *from = last.ball(i), *at = first.ball(i);
        ASSERT_TRUE(from && at) << "ball " << i << " missing";
        EXPECT_LE(std::abs(at->x - (from->x + (to_x[std::size_t(i)] - from->x) / n)), 1) << i;
        EXPECT_LE(std::abs(at->y - (from->y + (to_y[std::size_t(i)] - from->y) / n)), 1) << i;
    }
}

// The fan in which a turn about pivot p draws the small balls: the pairs
// p+2/p+3, p+1/p+4, p/p+5, p-1/p+6, p-2/p+7.
inline std::vector<int> FanOrder(int p)
{
    auto wrap = [](int b) { return (b + 99) % 10 + 1; };
    std::vector<int> fan;
    for (int k = 0; k < 5; ++k) {
        fan.push_back(wrap(p + 2 - k));
        fan.push_back(wrap(p + 3 + k));
    }
    return fan;
}

// A turn that mirrors the ring about a pivot and back: n frames out from
// frames[first], then n back. Every frame out draws the small balls in the
// fan of the turn's pivot, every frame back in that fan reversed, and the
// centre ball right after the fan's fifth ball both ways: the fifth ball
// drawn out, the sixth back.
inline void ExpectTurnDrawingOrder(const std::vector<Event>& frames, std::size_t first, int n,
                                   const std::string& what)
{
    ASSERT_LE(first + std::size_t(2 * n), frames.size()) << what << ": frames missing";
    std::vector<int> small = BallOrder(frames[first]);
    small.erase(std::remove(small.begin(), small.end(), 11), small.end());
    ASSERT_EQ(small.size(), 10u) << what << ": " << frames[first].line;
    const std::vector<int> fan = FanOrder(small[0] - 2);
    std::vector<int> out = fan, back(fan.rbegin(), fan.rend());
    out.insert(out.begin() + 5, 11);
    back.insert(back.begin() + 6, 11);
    for (int k = 0; k < 2 * n; ++k) {
        const Event& frame = frames[first + std::size_t(k)];
        const bool outward = k < n;
        if (BallOrder(frame) != (outward ? out : back)) {
            ADD_FAILURE() << what << ", " << (outward ? "out" : "back") << " frame "
                          << k % n + 1 << " of " << n << ": " << frame.line;
            return;
        }
    }
}

} // namespace action_test
