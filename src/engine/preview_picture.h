#pragma once

#include "gfx/surface.h"

// The still picture of the preview pane: 152 x 112 pixels, the saver's
// starting formation (ten small balls in their ring around the centre ball)
// with the default colours on black. It is rendered from the saver itself,
// so it always shows the sprites and the ring the saver starts from.
inline constexpr int kPreviewPictureWidth = 152;
inline constexpr int kPreviewPictureHeight = 112;

gfx::Surface render_preview_picture();
