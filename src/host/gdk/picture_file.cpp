// Picture files through GdkPixbuf; see picture_file.h.
#include "host/gdk/picture_file.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace host {

namespace {

bool SizeIsSound(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width * height <= kMaxPicturePixels;
}

// The channel value seen through alpha over black, rounded to nearest.
std::uint32_t OverBlack(std::uint32_t channel, std::uint32_t alpha)
{
    return (channel * alpha + 127) / 255;
}

} // namespace

bool DecodePictureFile(const std::string& path, gfx::Surface& out)
{
    // The header first: a file that claims billions of pixels is refused
    // before the decoder allocates for them.
    int claimed_width = 0, claimed_height = 0;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &claimed_width, &claimed_height))
        return false;
    if (!SizeIsSound(claimed_width, claimed_height))
        return false;

    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (!pixbuf) {
        if (error)
            g_error_free(error);
        return false;
    }

    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const bool usable = SizeIsSound(width, height)
                        && gdk_pixbuf_get_colorspace(pixbuf) == GDK_COLORSPACE_RGB
                        && gdk_pixbuf_get_bits_per_sample(pixbuf) == 8
                        && channels == (alpha ? 4 : 3);
    if (!usable) {
        g_object_unref(pixbuf);
        return false;
    }

    gfx::Surface picture(width, height);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < height; ++y) {
        const guchar* in = pixels + std::ptrdiff_t(y) * stride;
        gfx::Pixel* row = picture.row(y);
        for (int x = 0; x < width; ++x, in += channels) {
            std::uint32_t r = in[0], g = in[1], b = in[2];
            if (alpha) {
                r = OverBlack(r, in[3]);
                g = OverBlack(g, in[3]);
                b = OverBlack(b, in[3]);
            }
            row[x] = gfx::rgb(int(r), int(g), int(b));
        }
    }
    g_object_unref(pixbuf);
    out = std::move(picture);
    return true;
}

} // namespace host
