#include "engine/actions/actions.h"
#include "engine/actions/ring_places.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cstdint>

// Kinds 6 and 13, rings and bands. In twenty legs the ten small balls
// alternate between a band (one of the two rods through the screen centre,
// chosen at random) and a ring around a random point, and the last leg brings
// them home: each leg glides from where the balls stand into a band and out
// of it into the next ring. The centre ball goes back to its own place while
// the small balls form the band, which is the free slot in the middle of
// either rod, and then into the middle of the new ring.
//
// Mode 1 (kind 6) shows clean motion. Mode 2 (kind 13) plays every glide as a
// trail picture: the background is restored only before its first frame, so
// every ball leaves its whole straight path, and the picture stays for a
// second. Both modes make the same random choices.
//
// The band (BandX/Y, CenterBandX/Y) is the place the second glide of the
// leg starts from; HoldX/Y and CenterHoldX/Y hold where the leg started.

namespace {

// The figure's own data for one run.
struct RingsAndBands {
    // The ring the current leg ends in (the formation in the last leg); at the
    // start of the next leg, where the balls stand.
    Figure::BallArray RingX{}, RingY{};
    double CenterRingX = 0, CenterRingY = 0;
    // Where the balls stand at the start of the current leg.
    Figure::BallArray HoldX{}, HoldY{};
    double CenterHoldX = 0, CenterHoldY = 0;
    // The band the current leg passes through.
    Figure::BallArray BandX{}, BandY{};
    double CenterBandX = 0, CenterBandY = 0;
};

// The two bands a leg may pass through, drawn with equal chances.
struct Band {
    const Formation::BallArray& (Formation::*x)() const;
    const Formation::BallArray& (Formation::*y)() const;
};
constexpr Band kBands[2] = {
    {&Formation::VerticalRodX, &Formation::VerticalRodY},
    {&Formation::HorizontalRodX, &Formation::HorizontalRodY},
};

// A ring's middle keeps the ring radius from every screen edge: a whole
// pixel from kRingRadius to the extent less kRingRadius, both included.
// (On a screen narrower than two radii the range turns round and the middle
// falls between the same two values the other way round, still about the
// screen's centre.)
double ring_middle(Figure& saver, double extent)
{
    const double margin = kRingRadius;
    return gfx::floor_int(margin + saver.Rnd() * (extent - margin - margin + 1));
}

} // namespace

void Act_RingsAndBands(Figure& saver, int mode)
{
    const GlideKind glide = mode == 2 ? GlideKind::Trail : GlideKind::Clean;
    RingsAndBands s;

    for (int r = 1; r <= kPhaseSteps; ++r) {
        // The band: either rod, with the centre ball on its own place, the
        // rods' free middle slot when that place is the screen centre.
        const Band& band = kBands[gfx::floor_int(2 * saver.Rnd())];
        s.BandX = (saver.formation().*band.x)();
        s.BandY = (saver.formation().*band.y)();
        s.CenterBandX = saver.formation().CenterFormationX();
        s.CenterBandY = saver.formation().CenterFormationY();

        // Where the leg starts: the formation in the first leg, afterwards
        // the ring the leg before ended in.
        if (r == 1) {
            s.HoldX = saver.formation().FormationX();
            s.HoldY = saver.formation().FormationY();
            s.CenterHoldX = saver.formation().CenterFormationX();
            s.CenterHoldY = saver.formation().CenterFormationY();
        } else {
            s.HoldX = s.RingX;
            s.HoldY = s.RingY;
            s.CenterHoldX = s.CenterRingX;
            s.CenterHoldY = s.CenterRingY;
        }

        // Into the band.
        saver.glides().aim_glides(s.HoldX, s.HoldY, s.BandX, s.BandY);
        saver.glides().aim_centre_glide(s.CenterHoldX, s.CenterHoldY, s.CenterBandX, s.CenterBandY);
        saver.glides().GlideBalls(glide);

        // Where the leg ends: back in the formation after the last leg, else
        // a ring around a random point, its middle under the centre ball.
        if (r == kPhaseSteps) {
            s.RingX = saver.formation().FormationX();
            s.RingY = saver.formation().FormationY();
            s.CenterRingX = saver.formation().CenterFormationX();
            s.CenterRingY = saver.formation().CenterFormationY();
        } else {
            const double TX = ring_middle(saver, saver.ScreenWidthPx());
            const double TY = ring_middle(saver, saver.ScreenHeightPx());
            place_ring(s.RingX, s.RingY, TX, TY);
            s.CenterRingX = TX - kHalfLargeCell;
            s.CenterRingY = TY - kHalfLargeCell;
        }

        // Out of the band.
        saver.glides().aim_glides(s.BandX, s.BandY, s.RingX, s.RingY);
        saver.glides().aim_centre_glide(s.CenterBandX, s.CenterBandY, s.CenterRingX,
                               s.CenterRingY);
        saver.glides().GlideBalls(glide);
    }

    saver.FinishAction();
}
