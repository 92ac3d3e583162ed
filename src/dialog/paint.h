#pragma once

#include "dialog/artwork.h"
#include "dialog/controls.h"
#include "dialog/model.h"
#include "gfx/surface.h"
#include "host/host.h"

#include <optional>

// Painting the dialog: a function of the model and the artwork into a
// surface and a rectangle. A partial repaint composes every control that
// overlaps the rectangle from the bottom of the table up, so it gives
// exactly the pixels a whole one would.
namespace dialog {

// What a picture of the dialog is made of.
struct DialogScene {
    const DialogModel& model;
    const ControlTable& controls;
    const DialogArt& art;
    host::Host& text;                     // measures and draws the captions
    std::optional<gfx::Rect> focus_mark;  // the keyboard's focus, dotted (window pixels)
};

// Composes `area` (window pixels) of the dialog into `into`, whose top-left
// is the window's; what lies outside the area is left as it was. At a
// `scale` above 1, `into` has that many pixels for each window pixel each
// way: the artwork is enlarged by whole pixels and the text is set at that
// scale, sharp.
void paint_area(const DialogScene& scene, gfx::Surface& into, gfx::Rect area, int scale = 1);
// The whole picture, composed afresh into `into` (sized to the window).
void paint_all(const DialogScene& scene, gfx::Surface& into);

// The rectangle a control paints, which for the pressed close button (one
// pixel wider than the normal one) is more than the part that takes the mouse.
gfx::Rect painted(const Control& c);

// Tiles the texture strip over `box` (window pixels) of `into`, drawn with
// `origin` as the window's top-left.
void PaintTexture(const DialogArt& art, gfx::Surface& into, gfx::Point origin, gfx::Rect box);

// Where the focus mark stands round a focused control: inside a button's
// face, the dial and a bar's thumb; round a caption's text otherwise.
std::optional<gfx::Rect> focus_mark_round(const Control& focused, const DialogModel& model,
                                          const ControlTable& controls, host::Host& text);

} // namespace dialog
