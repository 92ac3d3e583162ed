// Painting: every change repaints the rectangles it touched, composing
// every control that overlaps them from the bottom of the table up, so a
// partial repaint gives exactly the pixels a whole one would.
#include "dialog/paint.h"

#include "gfx/raster.h"

#include <algorithm>
#include <cmath>

namespace dialog {

namespace {

// Nine-point Japanese Gothic; the proportional face first, as the captions
// were set in a proportional font. Windows' own dialog face comes before its
// other Gothics.
const host::Font kDialogFont{"IPAPGothic, IPAGothic, MS UI Gothic, MS PGothic, sans-serif", 9, 400};

// The selection mark: a ring of radius 5 in green, 0 128 0.
constexpr gfx::Pixel kMarkColour = gfx::rgb(0, 128, 0);
constexpr int kMarkRadius = 5;
constexpr int kPathInset = 3; // text of BK_Path from its left edge

void outline(gfx::Surface& dst, gfx::Rect r, gfx::Pixel colour)
{
    gfx::fill_box(dst, {r.x, r.y, r.width, 1}, colour);
    gfx::fill_box(dst, {r.x, r.y + r.height - 1, r.width, 1}, colour);
    gfx::fill_box(dst, {r.x, r.y, 1, r.height}, colour);
    gfx::fill_box(dst, {r.x + r.width - 1, r.y, 1, r.height}, colour);
}

// The etched frame of a panel: a dark line and, one pixel in and down, a light one.
void etched_frame(gfx::Surface& dst, gfx::Rect r)
{
    outline(dst, {r.x + 1, r.y + 1, r.width - 1, r.height - 1}, palette::kGrooveLight);
    outline(dst, {r.x, r.y, r.width - 1, r.height - 1}, palette::kGrooveDark);
}

// The byte offsets at which UTF-8 characters start.
std::vector<std::size_t> char_starts(std::string_view utf8)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    return starts;
}


// The text as it fits in `room` pixels: whole, or its end after an ellipsis
// (a path's end is where the file's name is), cut before any character or
// only before a '/'.
std::string fitted(host::Host& text, const std::string& whole, int room, bool at_slash = false)
{
    if (whole.empty() || text.text_width(whole, kDialogFont) <= room)
        return whole;
    std::string shown = whole;
    for (std::size_t s : char_starts(whole)) {
        if (at_slash && whole[s] != '/')
            continue;
        shown = "…" + whole.substr(s);
        if (text.text_width(shown, kDialogFont) <= room)
            break;
    }
    return shown;
}

// The focus mark keeps this far inside a button's face, the dial and a
// bar's thumb; round a caption it stands this far outside the text.
constexpr int kInsideFace = 2;
constexpr int kInsideDial = 3;
constexpr int kInsideThumb = 2;
constexpr int kRoundText = 2;

// The dotted line: every other pixel, counted from the window's corner, so
// that a partial repaint dots it exactly as a whole one does.
bool dotted(int x, int y) { return ((x + y) & 1) == 0; }

// Relative luminance of an sRGB colour, as the usual contrast ratio reads it.
double luminance(gfx::Pixel p)
{
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(gfx::red_of(p)) + 0.7152 * linear(gfx::green_of(p)) + 0.0722 * linear(gfx::blue_of(p));
}

// A mark's dot is ink, as the captions are, wherever ink stands out at
// least 3 to 1 from what lies under it; on darker ground (the dial's
// colour, which the user picks) it is light. One of the two always reaches
// 3 to 1: ink falls short only on ground of a luminance below about 0.17,
// light only above about 0.29.
constexpr double kMarkContrast = 3.0;
constexpr gfx::Pixel kLightDot = palette::kGrooveLight;

gfx::Pixel dot_colour(gfx::Pixel under)
{
    const double ink = luminance(palette::kInk), ground = luminance(under);
    const double contrast = (std::max(ink, ground) + 0.05) / (std::min(ink, ground) + 0.05);
    return contrast >= kMarkContrast ? palette::kInk : kLightDot;
}

// A caption's text as it is to be drawn: in its label's rectangle (of the
// surface drawn on), centred or from the left, lowered and moved right by
// its drop and shift.
struct TextRun {
    gfx::Rect label;
    bool centred = false;
    int shift = 0;
    int drop = 0;
    std::string text;
    gfx::Pixel ink = 0;
};

// Draws a run into `into` at `scale` (its label's rectangle counted in
// unscaled pixels): the font and every offset are that many times larger,
// so Pango sets the text for the pixels it lands on.
void draw_run(host::Host& text, gfx::Surface& into, const TextRun& run, int scale)
{
    const host::Font font{kDialogFont.face, kDialogFont.size_pt * scale, kDialogFont.weight};
    // Drawn on a copy of the label's rectangle and copied back, so the text
    // stays inside its label as a label clips it.
    const gfx::Rect r{run.label.x * scale, run.label.y * scale, run.label.width * scale, run.label.height * scale};
    gfx::Surface label(r.width, r.height);
    gfx::blit(label, {0, 0}, into, r, gfx::RasterOp::Copy);
    const int x = run.centred ? (r.width - text.text_width(run.text, font)) / 2 : 0;
    text.draw_text(label, {x + run.shift * scale, (run.drop + run.shift) * scale}, run.text, font, run.ink);
    gfx::blit(into, r.origin(), label, gfx::RasterOp::Copy);
}

// Captions are drawn at once, or kept in `deferred` (when given) to be
// drawn over the enlarged picture at its scale.
void draw_caption(const DialogScene& scene, gfx::Surface& into, gfx::Point origin, const Control& c,
                  std::string_view text, int shift, std::vector<TextRun>* deferred)
{
    if (text.empty())
        return;
    TextRun run{c.rect.translated(origin), c.align == Align::Centre, shift, c.text_dy, std::string(text), c.ink};
    if (deferred)
        deferred->push_back(std::move(run));
    else
        draw_run(scene.text, into, run, 1);
}

void paint_control(const DialogScene& scene, gfx::Surface& into, gfx::Point origin, const Control& c,
                   std::vector<TextRun>* deferred)
{
    const DialogModel& model = scene.model;
    const Settings& settings = model.settings();
    const DialogArt& art = scene.art;
    const gfx::Rect r = c.rect.translated(origin);
    switch (c.kind) {
    case ControlKind::TopBar:
        draw_picture_smooth(into, r, art.Image1);
        break;
    case ControlKind::Label:
    case ControlKind::CheckCaption:
    case ControlKind::OrderCaption:
    case ControlKind::BackgroundCaption:
    case ControlKind::ArrangementCaption:
        draw_caption(scene, into, origin, c, c.caption, 0, deferred);
        break;
    case ControlKind::CloseButton:
        draw_picture(into, r.x, r.y, art.imgImages[model.close_pressed() ? 1 : 0]);
        break;
    case ControlKind::Ground:
        PaintTexture(art, into, origin, c.rect);
        // The dial sits in a frame: a rim round it and a light line outside that.
        outline(into, gfx::Rect{kDisplay.x - 2, kDisplay.y - 2, kDisplay.width + 4, kDisplay.height + 4}.translated(origin),
                palette::kGrooveLight);
        outline(into, gfx::Rect{kDisplay.x - 1, kDisplay.y - 1, kDisplay.width + 2, kDisplay.height + 2}.translated(origin),
                palette::kRim);
        break;
    case ControlKind::Dial:
        gfx::fill_box(into, r, gfx::pixel_from_colorref(model.DisplayBackColor()));
        if (const std::optional<gfx::Point>& mark = model.mark_centre())
            gfx::draw_circle(into, r.origin().translated(*mark), kMarkRadius, kMarkColour);
        break;
    case ControlKind::Swatch:
        gfx::blit(into, r.origin(), model.Pic_Mas(c.index), gfx::RasterOp::Copy);
        break;
    case ControlKind::Panel:
        PaintTexture(art, into, origin, c.rect);
        etched_frame(into, r);
        break;
    case ControlKind::TitlePlate:
        draw_picture(into, r.x, r.y, art.Img_TT);
        break;
    case ControlKind::CheckMark:
        draw_picture(into, r.x, r.y, art.Img_Ra[settings.g_ActionEnabled[std::size_t(c.index)] == 1 ? 1 : 0]);
        break;
    case ControlKind::OrderMark: {
        // Anything but 1 is the random order, and shows as "ﾗﾝﾀﾞﾑ".
        const bool selected = (settings.g_OrderMode == 1) == (c.index == 1);
        draw_picture(into, r.x, r.y, selected ? art.Img_Opt_On : art.Img_Opt_Off);
        break;
    }
    case ControlKind::BackgroundMark:
        // A pattern outside 1..4 selects no mark.
        draw_picture(into, r.x, r.y, settings.g_BackgroundMode == c.index ? art.Img_Opt_On : art.Img_Opt_Off);
        break;
    case ControlKind::ArrangementMark: {
        const bool selected = (settings.g_BackgroundArrangement == 1) == (c.index == 1);
        draw_picture(into, r.x, r.y, selected ? art.Img_Opt_On : art.Img_Opt_Off);
        break;
    }
    case ControlKind::ButtonFace:
        draw_picture_stretched(into, r, model.pressed_button() == c.index ? art.Img_On : art.Img_Off, 4);
        break;
    case ControlKind::ButtonCaption:
        // The caption sinks with its face.
        draw_caption(scene, into, origin, c, c.caption, model.pressed_button() == c.index ? 1 : 0, deferred);
        break;
    case ControlKind::ScrollBar:
        model.bar(c.index).paint(into, {r.x, r.y}, art);
        break;
    case ControlKind::PathBox: {
        gfx::fill_box(into, r, palette::kBoxFill);
        outline(into, r, palette::kRim);
        gfx::fill_box(into, {r.x + 1, r.y + 1, r.width - 2, 1}, palette::kBoxShade);
        const std::string shown = fitted(scene.text, model.BK_Path(), r.width - 2 * kPathInset);
        Control text = c;
        text.rect = {c.rect.x + kPathInset, c.rect.y + 1, c.rect.width - 2 * kPathInset, c.rect.height - 2};
        draw_caption(scene, into, origin, text, shown, 0, deferred);
        break;
    }
    case ControlKind::Link: {
        // An address too long for the label keeps its end, the readme's name.
        const std::string shown = fitted(scene.text, c.caption, r.width, true);
        draw_caption(scene, into, origin, c, shown, 0, deferred);
        const int width = std::min(scene.text.text_width(shown, kDialogFont), r.width);
        gfx::fill_box(into, {r.x, r.y + r.height - 1, width, 1}, c.ink);
        break;
    }
    case ControlKind::WindowRim:
        outline(into, r, palette::kWindowRim);
        break;
    }
}

// The focus mark, dotted, over what paint_area composed: `under` unscaled,
// `into` the same at `scale` (or `under` itself at scale 1). Each dot
// stands out from the pixel it covers, and is a square of `scale` pixels.
void paint_focus(const DialogScene& scene, const gfx::Surface& under, gfx::Surface& into, gfx::Point origin,
                 int scale)
{
    const std::optional<gfx::Rect>& mark = scene.focus_mark;
    if (!mark || mark->width <= 0 || mark->height <= 0)
        return;
    const int x0 = mark->x, y0 = mark->y, x1 = mark->x + mark->width - 1, y1 = mark->y + mark->height - 1;
    auto dot = [&](int x, int y) {
        const int ux = x + origin.x, uy = y + origin.y;
        if (!dotted(x, y) || !under.contains(ux, uy))
            return;
        const gfx::Pixel colour = dot_colour(under.at(ux, uy));
        if (scale == 1)
            into.set(ux, uy, colour);
        else
            gfx::fill_box(into, {ux * scale, uy * scale, scale, scale}, colour);
    };
    for (int x = x0; x <= x1; ++x) {
        dot(x, y0);
        dot(x, y1);
    }
    for (int y = y0 + 1; y < y1; ++y) {
        dot(x0, y);
        dot(x1, y);
    }
}

} // namespace

gfx::Rect painted(const Control& c)
{
    gfx::Rect r = c.rect;
    if (c.kind == ControlKind::CloseButton)
        r.width += 1;
    return r;
}

void paint_all(const DialogScene& scene, gfx::Surface& into)
{
    into.resize(kWindowWidth, kWindowHeight);
    paint_area(scene, into, {0, 0, kWindowWidth, kWindowHeight});
}

void paint_area(const DialogScene& scene, gfx::Surface& into, gfx::Rect area, int scale)
{
    scale = std::max(scale, 1);
    const int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
    const int x1 = std::min(area.x + area.width, std::min(into.width() / scale, kWindowWidth));
    const int y1 = std::min(area.y + area.height, std::min(into.height() / scale, kWindowHeight));
    if (x0 >= x1 || y0 >= y1)
        return;
    const gfx::Rect clip{x0, y0, x1 - x0, y1 - y0};
    // Composed on a scratch surface the size of the area, whose top-left is
    // the window pixel (x0, y0): whatever a control draws outside is dropped.
    gfx::Surface scratch(clip.width, clip.height);
    const gfx::Point origin{-clip.x, -clip.y};
    std::vector<TextRun> deferred;
    for (const Control& c : scene.controls.all())
        if (painted(c).intersects(clip))
            paint_control(scene, scratch, origin, c, scale > 1 ? &deferred : nullptr);
    if (scale == 1) {
        paint_focus(scene, scratch, scratch, origin, 1);
        gfx::blit(into, clip.origin(), scratch, gfx::RasterOp::Copy);
        return;
    }
    // At a higher scale the artwork is enlarged by whole pixels and the text
    // set anew at that scale over it, then the mark.
    gfx::Surface enlarged(clip.width * scale, clip.height * scale);
    for (int y = 0; y < scratch.height(); ++y)
        for (int x = 0; x < scratch.width(); ++x)
            gfx::fill_box(enlarged, {x * scale, y * scale, scale, scale}, scratch.at(x, y));
    for (const TextRun& run : deferred)
        draw_run(scene.text, enlarged, run, scale);
    paint_focus(scene, scratch, enlarged, origin, scale);
    gfx::blit(into, {clip.x * scale, clip.y * scale}, enlarged, gfx::RasterOp::Copy);
}

// Columns one strip wide, each filled top to bottom; the last row and
// column run past the box and are cut off.
void PaintTexture(const DialogArt& art, gfx::Surface& into, gfx::Point origin, gfx::Rect box)
{
    const Picture& strip = art.texture;
    if (strip.width() <= 0 || strip.height() <= 0)
        return;
    // Only the tiles that reach the visible part of `into` are copied.
    const int visible_x0 = std::max(0, -origin.x - box.x), visible_y0 = std::max(0, -origin.y - box.y);
    const int visible_x1 = std::min(box.width, into.width() - origin.x - box.x);
    const int visible_y1 = std::min(box.height, into.height() - origin.y - box.y);
    for (int x = 0; x < box.width; x += strip.width()) {
        if (x + strip.width() <= visible_x0 || x >= visible_x1)
            continue;
        for (int y = 0; y < box.height; y += strip.height()) {
            if (y + strip.height() <= visible_y0 || y >= visible_y1)
                continue;
            gfx::blit(into, origin.translated(box.x + x, box.y + y), strip.colour,
                      {0, 0, std::min(strip.width(), box.width - x), std::min(strip.height(), box.height - y)},
                      gfx::RasterOp::Copy);
        }
    }
}

std::optional<gfx::Rect> focus_mark_round(const Control& focused, const DialogModel& model,
                                          const ControlTable& controls, host::Host& text)
{
    const gfx::Rect r = focused.rect;
    switch (focused.kind) {
    case ControlKind::Dial:
        return gfx::Rect{r.x + kInsideDial, r.y + kInsideDial, r.width - 2 * kInsideDial, r.height - 2 * kInsideDial};
    case ControlKind::ScrollBar: {
        const ScrollBar& b = model.bar(focused.index);
        return gfx::Rect{r.x + b.thumb_left() + kInsideThumb, r.y + kInsideThumb, b.thumb_width() - 2 * kInsideThumb,
                         r.height - 2 * kInsideThumb};
    }
    case ControlKind::ButtonCaption:
        if (const Control* face = controls.find(ControlId{ControlKind::ButtonFace, focused.index}))
            return gfx::Rect{face->rect.x + kInsideFace, face->rect.y + kInsideFace,
                             face->rect.width - 2 * kInsideFace, face->rect.height - 2 * kInsideFace};
        return std::nullopt;
    default: {
        // Round the caption's text, as far as the label shows it; where no
        // text can be measured, round the whole label.
        const int width_of_text = text.text_width(
            focused.kind == ControlKind::Link ? fitted(text, focused.caption, r.width, true) : focused.caption, kDialogFont);
        const int width = width_of_text > 0 ? std::min(width_of_text, r.width) : r.width;
        return gfx::Rect{r.x - kRoundText, r.y - 1, width + 2 * kRoundText, r.height + 2};
    }
    }
}

} // namespace dialog
