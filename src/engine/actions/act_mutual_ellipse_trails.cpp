// Kind 12, mutual trajectories of ellipses. All ten small balls run once
// round the same flat ellipse, in step, each on a copy turned about the
// screen centre by its own angle. Nothing is erased while they run, so the
// ten traces paint a rosette around the motionless centre ball; it stays for
// two seconds, the screen is cleared, and the balls glide home. Eight
// repetitions, each with its own turn step.

#include "engine/actions/actions.h"
#include "engine/actions/ellipse_rosette.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

namespace {

// The trace: the ten balls together at t = 0.1, 0.2, ... while t stays below
// 2 pi, both in single precision. The single-precision sums fall a little
// short of their decimal values, so the last drawing is at t = 6.2 (just
// under), 62 frames, 0.083 radians short of closing the ellipse.
void draw_trace(Figure& saver, EllipseRosette& r)
{
    float t = float(kParameterStep);

    // Erased once: the trace frames that follow keep every image.
    saver.RestoreBackground();
    saver.BlitBall(kCentreBall, saver.formation().CenterFormationX(), saver.formation().CenterFormationY());

    while (t < float(gfx::kTwoPi)) {
        for (int i = 1; i <= kSmallBalls; ++i) {
            place_on_ellipse(saver, r, i, t);
            saver.BlitBall(i, r.x[std::size_t(i)], r.y[std::size_t(i)]);
        }
        t = float(t + kParameterStep);
        saver.PresentFrame();
    }
}

} // namespace

void Act_MutualEllipseTrails(Figure& saver, int /*mode*/)
{
    EllipseRosette r;

    for (int repetition = 1; repetition <= kRosetteRepetitions; ++repetition) {
        set_up_rosette(saver, r, repetition);

        // Out from the formation places onto the ellipses' start points.
        glide_out_to_ellipses(saver, r);

        // The rosette, drawn without erasing.
        draw_trace(saver, r);

        // It stays on the screen unerased.
        saver.pause(kRosetteHoldMs);

        // A clean frame with every ball on its start point, then home.
        clear_and_place(saver, r);
        glide_back_to_formation(saver, r);
    }

    // The formation places are as the action found them.
    saver.FinishAction();
}
