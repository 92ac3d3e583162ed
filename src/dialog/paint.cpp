// Painting: every change repaints the rectangles it touched, composing
// every control that overlaps them from the bottom of the table up, so a
// partial repaint gives exactly the pixels a whole one would.
#include "dialog/ball_p.h"

#include "gfx/raster.h"

#include <algorithm>

using namespace dialog;

namespace {

// Nine-point Japanese Gothic; the proportional face first, as the captions
// were set in a proportional font. Windows' own dialog face comes before its
// other Gothics.
const host::Font kDialogFont{"IPAPGothic, IPAGothic, MS UI Gothic, MS PGothic, sans-serif", 9, 400};

// The selection mark: a ring of radius 5 in green, 0 128 0.
constexpr gfx::Pixel kMarkColour = gfx::rgb(0, 128, 0);
constexpr int kMarkRadius = 5;
constexpr int kPathInset = 3; // text of BK_Path from its left edge

// The rectangle a control paints, which for the pressed close button (one
// pixel wider than the normal one) is more than the part that takes the mouse.
gfx::Rect painted(const Control& c)
{
    gfx::Rect r = c.rect;
    if (c.kind == ControlKind::CloseButton)
        r.width += 1;
    return r;
}

gfx::Rect moved(gfx::Rect r, gfx::Point by) { return {r.x + by.x, r.y + by.y, r.width, r.height}; }

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


// The focus mark keeps this far inside a button's face, the dial and a
// bar's thumb; round a caption it stands this far outside the text.
constexpr int kInsideFace = 2;
constexpr int kInsideDial = 3;
constexpr int kInsideThumb = 2;
constexpr int kRoundText = 2;

// The dotted line: every other pixel, counted from the window's corner, so
// that a partial repaint dots it exactly as a whole one does.
bool dotted(int x, int y) { return ((x + y) & 1) == 0; }

} // namespace

void Ball_P::invalidate(gfx::Rect area)
{
    if (!window)
        return;
    paint_area(window->frame(), area);
    m_dirty = union_of(m_dirty, area);
}

void Ball_P::invalidate(const Control& c) { invalidate(painted(c)); }

void Ball_P::invalidate(std::string_view name)
{
    if (const Control* c = control(name))
        invalidate(*c);
}

void Ball_P::flush()
{
    if (window && m_dirty.width > 0 && m_dirty.height > 0)
        window->refresh_area(m_dirty);
    m_dirty = {};
}

void Ball_P::paint_all(gfx::Surface& into) const
{
    into.resize(kWindowWidth, kWindowHeight);
    paint_area(into, {0, 0, kWindowWidth, kWindowHeight});
}

void Ball_P::paint_area(gfx::Surface& into, gfx::Rect area) const
{
    const int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
    const int x1 = std::min(area.x + area.width, std::min(into.width(), kWindowWidth));
    const int y1 = std::min(area.y + area.height, std::min(into.height(), kWindowHeight));
    if (x0 >= x1 || y0 >= y1)
        return;
    const gfx::Rect clip{x0, y0, x1 - x0, y1 - y0};
    // Composed on a scratch surface the size of the area, whose top-left is
    // the window pixel (x0, y0): whatever a control draws outside is dropped.
    gfx::Surface scratch(clip.width, clip.height);
    const gfx::Point origin{-clip.x, -clip.y};
    for (const Control& c : m_controls)
        if (intersects(painted(c), clip))
            paint_control(scratch, origin, c);
    paint_focus(scratch, origin);
    gfx::blit(into, clip.origin(), scratch, gfx::RasterOp::Copy);
}

// Columns one strip wide, each filled top to bottom; the last row and
// column run past the box and are cut off.
void Ball_P::PaintTexture(gfx::Surface& into, gfx::Point origin, gfx::Rect box) const
{
    const Picture& strip = m_art.texture;
    if (strip.width() <= 0 || strip.height() <= 0)
        return;
    gfx::Surface boxed(box.width, box.height);
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

void Ball_P::draw_caption(gfx::Surface& into, gfx::Point origin, const Control& c, std::string_view text,
                          int shift) const
{
    if (text.empty())
        return;
    // Drawn on a copy of the label's rectangle and copied back, so the text
    // stays inside its label as a label clips it.
    const gfx::Rect r = moved(c.rect, origin);
    gfx::Surface label(r.width, r.height);
    gfx::blit(label, {0, 0}, into, r, gfx::RasterOp::Copy);
    int x = 0;
    if (c.align == Align::Centre)
        x = (r.width - host.text_width(text, kDialogFont)) / 2;
    host.draw_text(label, {x + shift, c.text_dy + shift}, text, kDialogFont, c.ink);
    gfx::blit(into, r.origin(), label, gfx::RasterOp::Copy);
}

void Ball_P::paint_control(gfx::Surface& into, gfx::Point origin, const Control& c) const
{
    const gfx::Rect r = moved(c.rect, origin);
    switch (c.kind) {
    case ControlKind::TopBar:
        draw_picture_smooth(into, r, m_art.Image1);
        break;
    case ControlKind::Label:
    case ControlKind::CheckCaption:
    case ControlKind::OrderCaption:
    case ControlKind::BackgroundCaption:
    case ControlKind::ArrangementCaption:
        draw_caption(into, origin, c, c.caption, 0);
        break;
    case ControlKind::CloseButton:
        draw_picture(into, r.x, r.y, m_art.imgImages[m_exit_pressed ? 1 : 0]);
        break;
    case ControlKind::Ground:
        PaintTexture(into, origin, c.rect);
        // The dial sits in a frame: a rim round it and a light line outside that.
        outline(into, moved({kDisplay.x - 2, kDisplay.y - 2, kDisplay.width + 4, kDisplay.height + 4}, origin),
                palette::kGrooveLight);
        outline(into, moved({kDisplay.x - 1, kDisplay.y - 1, kDisplay.width + 2, kDisplay.height + 2}, origin),
                palette::kRim);
        break;
    case ControlKind::Dial:
        gfx::fill_box(into, r, gfx::pixel_from_colorref(DisplayBackColor));
        if (mark_centre)
            gfx::draw_circle(into, r.origin().translated(*mark_centre), kMarkRadius, kMarkColour);
        break;
    case ControlKind::Swatch:
        gfx::blit(into, r.origin(), Pic_Mas[std::size_t(c.index)], gfx::RasterOp::Copy);
        break;
    case ControlKind::Panel:
        PaintTexture(into, origin, c.rect);
        etched_frame(into, r);
        break;
    case ControlKind::TitlePlate:
        draw_picture(into, r.x, r.y, m_art.Img_TT);
        break;
    case ControlKind::CheckMark:
        draw_picture(into, r.x, r.y, m_art.Img_Ra[settings.g_ActionEnabled[std::size_t(c.index)] == 1 ? 1 : 0]);
        break;
    case ControlKind::OrderMark: {
        // Anything but 1 is the random order, and shows as "ﾗﾝﾀﾞﾑ".
        const bool selected = (settings.g_OrderMode == 1) == (c.index == 1);
        draw_picture(into, r.x, r.y, selected ? m_art.Img_Opt_On : m_art.Img_Opt_Off);
        break;
    }
    case ControlKind::BackgroundMark:
        // A pattern outside 1..4 selects no mark.
        draw_picture(into, r.x, r.y, settings.g_BackgroundMode == c.index ? m_art.Img_Opt_On : m_art.Img_Opt_Off);
        break;
    case ControlKind::ArrangementMark: {
        const bool selected = (settings.g_BackgroundArrangement == 1) == (c.index == 1);
        draw_picture(into, r.x, r.y, selected ? m_art.Img_Opt_On : m_art.Img_Opt_Off);
        break;
    }
    case ControlKind::ButtonFace:
        draw_picture_stretched(into, r, m_pressed_button == c.index ? m_art.Img_On : m_art.Img_Off, 4);
        break;
    case ControlKind::ButtonCaption:
        // The caption sinks with its face.
        draw_caption(into, origin, c, c.caption, m_pressed_button == c.index ? 1 : 0);
        break;
    case ControlKind::ScrollBar:
        bar(c.index).paint(into, {r.x, r.y}, m_art);
        break;
    case ControlKind::PathBox: {
        gfx::fill_box(into, r, palette::kBoxFill);
        outline(into, r, palette::kRim);
        gfx::fill_box(into, {r.x + 1, r.y + 1, r.width - 2, 1}, palette::kBoxShade);
        // A path too long for the box keeps its end, where the file's name is.
        std::string shown = m_path_text;
        const int room = r.width - 2 * kPathInset;
        if (!shown.empty() && host.text_width(shown, kDialogFont) > room) {
            const std::vector<std::size_t> starts = char_starts(m_path_text);
            for (std::size_t s : starts) {
                shown = "…" + m_path_text.substr(s);
                if (host.text_width(shown, kDialogFont) <= room)
                    break;
            }
        }
        Control text = c;
        text.rect = {c.rect.x + kPathInset, c.rect.y + 1, c.rect.width - 2 * kPathInset, c.rect.height - 2};
        draw_caption(into, origin, text, shown, 0);
        break;
    }
    case ControlKind::Link: {
        draw_caption(into, origin, c, c.caption, 0);
        const int width = std::min(host.text_width(c.caption, kDialogFont), r.width);
        gfx::fill_box(into, {r.x, r.y + r.height - 1, width, 1}, c.ink);
        break;
    }
    case ControlKind::WindowRim:
        outline(into, r, palette::kWindowRim);
        break;
    }
}

// ---- the focus mark (the keyboard's focus: keyboard.cpp)

std::optional<gfx::Rect> Ball_P::focus_mark() const
{
    const Control* c = focused();
    if (!m_focus_shown || !c)
        return std::nullopt;
    const gfx::Rect r = c->rect;
    switch (c->kind) {
    case ControlKind::Dial:
        return gfx::Rect{r.x + kInsideDial, r.y + kInsideDial, r.width - 2 * kInsideDial, r.height - 2 * kInsideDial};
    case ControlKind::ScrollBar: {
        const ScrollBar& b = bar(c->index);
        return gfx::Rect{r.x + b.thumb_left() + kInsideThumb, r.y + kInsideThumb, b.thumb_width() - 2 * kInsideThumb,
                         r.height - 2 * kInsideThumb};
    }
    case ControlKind::ButtonCaption:
        for (const Control& face : m_controls)
            if (face.kind == ControlKind::ButtonFace && face.index == c->index)
                return gfx::Rect{face.rect.x + kInsideFace, face.rect.y + kInsideFace,
                                 face.rect.width - 2 * kInsideFace, face.rect.height - 2 * kInsideFace};
        return std::nullopt;
    default: {
        // Round the caption's text, as far as the label shows it; where no
        // text can be measured, round the whole label.
        const int text = host.text_width(c->caption, kDialogFont);
        const int width = text > 0 ? std::min(text, r.width) : r.width;
        return gfx::Rect{r.x - kRoundText, r.y - 1, width + 2 * kRoundText, r.height + 2};
    }
    }
}

void Ball_P::paint_focus(gfx::Surface& into, gfx::Point origin) const
{
    const std::optional<gfx::Rect> mark = focus_mark();
    if (!mark || mark->width <= 0 || mark->height <= 0)
        return;
    const int x0 = mark->x, y0 = mark->y, x1 = mark->x + mark->width - 1, y1 = mark->y + mark->height - 1;
    auto dot = [&](int x, int y) {
        if (dotted(x, y) && into.contains(x + origin.x, y + origin.y))
            into.set(x + origin.x, y + origin.y, palette::kInk);
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
