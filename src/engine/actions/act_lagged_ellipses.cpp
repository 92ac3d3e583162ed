// Kind 20, mutual ellipses with a time lag. The rosette of kind 12, ten turned
// copies of one flat ellipse each traced by its ball without erasing, eight
// repetitions with the same turn steps; but the balls set off one after
// another, five frames apart, so the traces grow in turn and the balls chase
// each other round the rosette. A ball that has finished its round stops
// where it was last drawn; one that has not started yet waits, visible, on
// its start point.

#include "engine/actions/actions.h"
#include "engine/actions/ellipse_rosette.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

namespace {

// Each further ball sets off this many frames after the one before it.
constexpr int kLagFrames = 5;
// From this frame on every ball has set off: ball 10 starts in frame 45, and
// the count n / 5 + 1 would pass 10 at frame 50.
constexpr int kAllActiveFrame = kLagFrames * kSmallBalls;

struct LaggedEllipses {
    EllipseRosette r;
    Figure::BallArray t{}; // each ball's own ellipse parameter, double
    int n = 0;             // frames of the trace so far
    int active = 0;        // balls 1..active move in this frame
};

// Ball i's next drawing, until it has completed its round: 62 drawings, at
// t = 0.1 ... 6.2, after which it is not drawn again.
void StepLaggedBall(Figure& saver, LaggedEllipses& l, int i)
{
    const auto n = std::size_t(i);
    if (l.t[n] < gfx::kTwoPi) {
        place_on_ellipse(saver, l.r, i, l.t[n]);
        saver.BlitBall(i, l.r.x[n], l.r.y[n]);
        l.t[n] += kParameterStep;
    }
}

// The trace, drawn over the picture the glide left (the balls on their start
// points and the centre ball), which is not erased: it lasts until ball 10,
// the last to set off, has made its 62 drawings, 106 frames.
void draw_lagged_trace(Figure& saver, LaggedEllipses& l)
{
    l.t.fill(kParameterStep);
    l.n = 0;
    saver.BlitBall(kCentreBall, saver.formation().CenterFormationX(), saver.formation().CenterFormationY());

    while (l.t[kSmallBalls] < gfx::kTwoPi) {
        l.n += 1;
        l.active = l.n < kAllActiveFrame ? l.n / kLagFrames + 1 : kSmallBalls;
        for (int i = 1; i <= l.active; ++i)
            StepLaggedBall(saver, l, i);
        saver.PresentFrame();
    }
}

} // namespace

void Act_LaggedEllipses(Figure& saver, int /*mode*/)
{
    LaggedEllipses l;

    for (int repetition = 1; repetition <= kRosetteRepetitions; ++repetition) {
        set_up_rosette(saver, l.r, repetition);

        // Out from the formation places onto the ellipses' start points.
        glide_out_to_ellipses(saver, l.r);

        // The balls set off in turn and trace the rosette without erasing.
        draw_lagged_trace(saver, l);

        // It stays on the screen unerased.
        saver.pause(kRosetteHoldMs);

        // A clean frame with every ball on its start point, then home.
        clear_and_place(saver, l.r);
        glide_back_to_formation(saver, l.r);
    }

    // The formation places are as the action found them.
    saver.FinishAction();
}
