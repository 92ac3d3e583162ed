// Text with Pango over Cairo; see host/system_text.h.
#include "host/system_text.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

// Cairo's RGB24 format is our pixel word (0x00RRGGBB in native byte order,
// rows of width x 4 bytes), so the surface's own pixels are the canvas.
namespace host {

namespace {

constexpr double kDotsPerInch = 96.0;

PangoFontDescription* describe(const Font& font)
{
    PangoFontDescription* description = pango_font_description_new();
    // A comma-separated list is Pango's own way of naming fallbacks.
    pango_font_description_set_family(description, font.face.empty() ? "Sans" : font.face.c_str());
    pango_font_description_set_size(description, int(font.size_pt * PANGO_SCALE));
    pango_font_description_set_weight(description, PangoWeight(std::clamp(font.weight, 100, 1000)));
    return description;
}

PangoLayout* make_layout(cairo_t* cr, std::string_view utf8, const Font& font)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_cairo_context_set_resolution(pango_layout_get_context(layout), kDotsPerInch);
    pango_layout_context_changed(layout);
    PangoFontDescription* description = describe(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    // Invalid UTF-8 would make Pango warn and draw nothing: such bytes are
    // shown as replacement characters instead.
    gchar* valid = g_utf8_make_valid(utf8.data(), gssize(utf8.size()));
    pango_layout_set_text(layout, valid, -1);
    g_free(valid);
    return layout;
}

// The logical extent of the text, measured on a one-pixel scratch canvas.
PangoRectangle measure(std::string_view utf8, const Font& font)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = make_layout(cr, utf8, font);
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return logical;
}

} // namespace

int SystemText::draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                         gfx::Pixel colour)
{
    if (into.empty())
        return 0;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, into.width());
    if (stride != into.width() * int(sizeof(gfx::Pixel)))
        return 0;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(into.pixels().data()), CAIRO_FORMAT_RGB24, into.width(),
        into.height(), stride);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = make_layout(cr, utf8, font);
    cairo_set_source_rgb(cr, gfx::red_of(colour) / 255.0, gfx::green_of(colour) / 255.0,
                         gfx::blue_of(colour) / 255.0);
    cairo_move_to(cr, at.x, at.y);
    pango_cairo_show_layout(cr, layout);
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    // Cairo leaves the unused top byte of RGB24 undefined; ours is always 0.
    const int top = std::max(at.y + std::min(ink.y, logical.y) - 1, 0);
    const int bottom = std::min(at.y + std::max(ink.y + ink.height, logical.y + logical.height) + 1,
                                into.height());
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < into.width(); ++x)
            into.row(y)[x] &= 0xFFFFFF;
    return logical.width;
}

int SystemText::text_width(std::string_view utf8, const Font& font) { return measure(utf8, font).width; }

int SystemText::text_height(std::string_view utf8, const Font& font) { return measure(utf8, font).height; }

} // namespace host
