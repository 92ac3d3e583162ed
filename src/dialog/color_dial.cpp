// The colour dial: eleven shaded swatches on the dial's background colour, a
// green ring beside the selected ball, and the three bars that edit its
// working colour.
#include "dialog/ball_p.h"

#include "gfx/numeric.h"
#include "gfx/raster.h"

#include <algorithm>

using namespace dialog;

// A ball lit from the upper left: discs each 2 pixels smaller in radius,
// 1 pixel further up and left and one step lighter than the one before,
// each component held to 0..255. A small swatch gets 13 discs (radius 24
// down to 0, lighter by up to 192), the large one 19 (36 down to 0, up to
// 216). The discs cover the ball's previous drawing, so nothing is cleared.
void Ball_P::DrawBallSwatch(int n, int red, int green, int blue)
{
    if (n < 1 || n > 11)
        return;
    gfx::Surface& swatch = Pic_Mas[std::size_t(n)];
    const int step = n == 11 ? 12 : 16;
    const int cx = swatch.width() / 2, cy = swatch.height() / 2;
    auto shade = [](int base, int k, int by) { return std::clamp(base + k * by, 0, 255); };
    for (int k = 0; k <= 63; ++k) {
        if (cx - 2 * k < 0 || k > cy)
            break;
        gfx::fill_disc(swatch, {cx - k, cy - k}, cx - 2 * k,
                       gfx::rgb(shade(red, k, step), shade(green, k, step), shade(blue, k, step)));
    }
    invalidate("Pic_Mas(" + std::to_string(n) + ")");
}

void Ball_P::ShowSelectedBall(int n)
{
    // The dial's own drawing is only the mark: moving it clears the old one.
    const gfx::Point offset = mark_offset(n);
    mark_centre = gfx::Point{gfx::floor_int(g_CenterX + offset.x), gfx::floor_int(g_CenterY + offset.y)};
    invalidate("Display");

    // The bars show the ball's colour; the guard keeps their change from
    // being taken for an edit.
    ColorSyncOn = false;
    show_colour_on_bars(n);
    ColorSyncOn = true;
}

// A component above 127 cannot be shown: that bar stays where it was. Each
// bar that moves runs its handler, as any change of a bar does.
void Ball_P::show_colour_on_bars(int n)
{
    const auto slot = std::size_t(n);
    const int components[3] = {EditRed[slot], EditGreen[slot], EditBlue[slot]};
    for (int j = 1; j <= 3; ++j)
        if (H_RGB[std::size_t(j - 1)].set_value(components[j - 1])) {
            H_RGB_Change(j);
            invalidate("H_RGB(" + std::to_string(j) + ")");
        }
}

void Ball_P::Pic_Mas_Click(int n)
{
    // Clearing the guard first keeps the bars' change from being copied into
    // the ball selected until now.
    ColorSyncOn = false;
    show_colour_on_bars(n);
    ShowSelectedBall(n);
    ColorSyncOn = true;
    SelectedBall = std::int16_t(n);
}

void Ball_P::H_RGB_Change(int j)
{
    if (!ColorSyncOn)
        return;
    const auto slot = std::size_t(SelectedBall);
    const auto value = std::int16_t(H_RGB[std::size_t(j - 1)].value());
    switch (j) {
    case BarIndex::RedBar: EditRed[slot] = value; break;
    case BarIndex::GreenBar: EditGreen[slot] = value; break;
    case BarIndex::BlueBar: EditBlue[slot] = value; break;
    default: return;
    }
    DrawBallSwatch(SelectedBall, EditRed[slot], EditGreen[slot], EditBlue[slot]);
}

void Ball_P::lbl_C_MouseDown() { press_image_button(ImageButton::BackgroundColor); }

void Ball_P::lbl_C_MouseUp()
{
    release_image_button(ImageButton::BackgroundColor);
    if (!window)
        return;
    // No colour is preset: the chooser opens at black whatever the ball's
    // colour is now.
    const std::optional<gfx::ColorRef> chosen = host.choose_color(window.get(), 0);
    if (!chosen || !window)
        return;
    // The chosen colour lives in the dial alone; "設 定" writes it from there.
    // It does not select the single-colour background: that stays the
    // user's own choice.
    DisplayBackColor = *chosen & 0xFFFFFF;
    for (int n = 1; n <= 11; ++n) {
        const auto slot = std::size_t(n);
        Pic_Mas[slot].fill(gfx::pixel_from_colorref(DisplayBackColor));
        DrawBallSwatch(n, EditRed[slot], EditGreen[slot], EditBlue[slot]);
    }
    SelectedBall = 10;
    ShowSelectedBall(10);
}
