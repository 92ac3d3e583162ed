#include "engine/actions/small_ball_glide.h"

void glide_small_balls(Figure& saver, const Figure::BallArray& from_x,
                       const Figure::BallArray& from_y, const Figure::BallArray& to_x,
                       const Figure::BallArray& to_y)
{
    saver.glides().aim_glides(from_x, from_y, to_x, to_y);
    saver.glides().aim_centre_glide(saver.formation().CenterFormationX(), saver.formation().CenterFormationY(),
                           saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);
}

void glide_home_and_finish(Figure& saver, const Figure::BallArray& from_x,
                           const Figure::BallArray& from_y)
{
    glide_small_balls(saver, from_x, from_y, saver.formation().FormationX(), saver.formation().FormationY());
    saver.FinishAction();
}
