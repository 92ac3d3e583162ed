#pragma once

// Checks on traced frames that several figures' tests share.

#include "action_rig.h"

#include <cmath>
#include <vector>

namespace action_test {

// The centre of ball i's cell as drawn (at full size) in a frame.
inline double CentreX(const Event& frame, int i) { return frame.Ball(i)->x + (i == 11 ? 36 : 24); }
inline double CentreY(const Event& frame, int i) { return frame.Ball(i)->y + (i == 11 ? 36 : 24); }

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
        const Op *from = last.Ball(i), *at = first.Ball(i);
        ASSERT_TRUE(from && at) << "ball " << i << " missing";
        EXPECT_LE(std::abs(at->x - (from->x + (to_x[std::size_t(i)] - from->x) / n)), 1) << i;
        EXPECT_LE(std::abs(at->y - (from->y + (to_y[std::size_t(i)] - from->y) / n)), 1) << i;
    }
}

} // namespace action_test
