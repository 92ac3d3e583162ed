// See contact_sheet.h.
#include "contact_sheet.h"

#include "animation_file.h"
#include "png_frames.h"
#include "render_setup.h"

#include "common/full_redraw.h"
#include "engine/actions/action_table.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <ostream>
#include <streambuf>

using render_setup::fail;

namespace {

constexpr int kKinds = 20;
// Cycles of twenty ticks in sequence: the one enabled kind plays on the tick
// of its number, after the opening; two cycles are more than enough.
constexpr std::int64_t kTickLimit = 2 * kKinds;
constexpr gfx::Pixel kSheetColour = 0x202020;
constexpr gfx::Pixel kCaptionColour = 0xf0f0f0;
constexpr int kGap = 8;
const host::Font kCaptionFont{"IPAPGothic, IPAGothic, MS UI Gothic, MS PGothic, sans-serif", 10, 400};

// Reads the trace as it is written, for the moments the action and its
// closing figure begin: each line comes before the first frame it leads to.
class ActionWatch : public std::streambuf {
public:
    bool action_began() const { return m_action; }
    bool closing_began() const { return m_closing; }

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        if (c == '\n') {
            m_action = m_action || m_line.rfind("{\"ev\":\"action\"", 0) == 0;
            m_closing = m_closing || (m_action && m_line.rfind("{\"ev\":\"closing\"", 0) == 0);
            m_line.clear();
        } else if (m_line.size() < 32) { // the event's name is all that is read
            m_line.push_back(char(c));
        }
        return c;
    }

private:
    std::string m_line;
    bool m_action = false;
    bool m_closing = false;
};

struct Tile {
    gfx::Surface picture;
    std::string caption;
};

// How much of the screen the figure covers: the pixels, on every other row
// and column, that differ from the screen as the action began.
std::int64_t coverage(const gfx::Surface& picture, const gfx::Surface& at_start)
{
    std::int64_t differing = 0;
    for (int y = 0; y < picture.height(); y += 2) {
        const gfx::Pixel* now = picture.row(y);
        const gfx::Pixel* then = at_start.row(y);
        for (int x = 0; x < picture.width(); x += 2)
            differing += now[x] != then[x];
    }
    return differing;
}

// Plays one kind alone until its closing figure begins. The telling moment
// is the frame where the figure spreads widest (the first of them): by the
// end most figures have gathered their balls again, and trails are wiped.
// Nothing when the kind never got to its closing figure.
bool play_alone(int kind, const Settings& loaded, const host::HeadlessOptions& host_options,
                std::uint64_t seed, gfx::Surface& picture)
{
    Settings settings = loaded;
    settings.g_ActionEnabled.fill(0);
    settings.g_ActionEnabled[std::size_t(kind)] = 1;
    settings.g_OrderMode = 1;

    ActionWatch watch;
    std::ostream trace_out(&watch);
    Trace trace(trace_out);
    host::HeadlessHost host{host::HeadlessOptions(host_options)};
    host::ShownPicture shown;
    gfx::Surface at_start;
    std::int64_t best = -1;
    bool got = false;
    std::int64_t ticks = 0;
    host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
        if (watch.closing_began())
            throw host::ProcessEnd{EXIT_SUCCESS};
        shown.update(host.record_for(window), frame);
        if (!watch.action_began())
            return;
        if (at_start.width() == 0)
            at_start = shown.picture();
        if (const std::int64_t covered = coverage(shown.picture(), at_start); covered > best) {
            best = covered;
            picture = shown.picture();
        }
    });
    host.set_after_tick([&] {
        if (++ticks >= kTickLimit)
            throw host::ProcessEnd{EXIT_FAILURE};
    });
    Random random(seed);
    try {
        SaverStart start{'S', false, host.show_cursor(false)};
        start.full_redraw = full_redraw_requested();
        Ball_A saver(host, settings, random, start, &trace);
        saver.on_load();
        host.run();
    } catch (const host::ProcessEnd& end) {
        got = end.status == EXIT_SUCCESS && watch.closing_began();
    }
    return got && best >= 0;
}

} // namespace

int render_contact_sheet(const RenderOptions& options)
{
    int status = EXIT_SUCCESS;
    std::optional<render_setup::Prepared> prepared =
        render_setup::prepare(options, status);
    if (!prepared)
        return status;
    int tile_width = options.width;
    int tile_height = options.height;
    output_size(AnimationFormat::Apng, options.width, options.height, options.scale, tile_width,
                tile_height);
    if ((tile_width != options.width || tile_height != options.height) && !PictureScaler::available())
        return fail(render_setup::kBadCommandLine, "this build cannot scale pictures (--scale)");

    Settings settings{};
    LoadSettings(settings, prepared->ini_path);
    const std::uint64_t seed =
        options.seed ? *options.seed
                     : std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    PictureScaler scaler(options.width, options.height, tile_width, tile_height);
    if (!scaler.ok())
        return fail(EXIT_FAILURE, "cannot scale the pictures to " + std::to_string(tile_width) + "x"
                                      + std::to_string(tile_height));
    std::vector<Tile> tiles;
    for (int kind = 1; kind <= kKinds; ++kind) {
        if (settings.g_ActionEnabled[std::size_t(kind)] != 1)
            continue;
        gfx::Surface screen;
        if (!play_alone(kind, settings, prepared->host_options, seed, screen))
            return fail(EXIT_FAILURE, std::string("the action ") + action_table()[std::size_t(kind)].routine_name
                                          + " did not reach its closing figure");
        tiles.push_back({scaler.scaled(screen), action_table()[std::size_t(kind)].caption});
    }
    if (tiles.empty())
        return fail(EXIT_FAILURE, "no action is enabled in the settings: the sheet would be empty");

    // As square a grid as the tiles make: five columns of four rows for twenty.
    host::TextService* const text = prepared->host_options.text.get();
    const int caption_height = (text ? text->text_height("あ", kCaptionFont) : 12) + kGap / 2;
    const int count = int(tiles.size());
    const int columns = int(std::ceil(std::sqrt(double(count))));
    const int rows = (count + columns - 1) / columns;
    const int cell_width = tile_width + kGap;
    const int cell_height = tile_height + caption_height + kGap;
    gfx::Surface sheet(columns * cell_width + kGap, rows * cell_height + kGap, kSheetColour);
    for (int i = 0; i < count; ++i) {
        const int x = kGap + (i % columns) * cell_width;
        const int y = kGap + (i / columns) * cell_height;
        gfx::blit(sheet, {x, y}, tiles[std::size_t(i)].picture, gfx::RasterOp::Copy);
        if (text) {
            const std::string& caption = tiles[std::size_t(i)].caption;
            const int width = text->text_width(caption, kCaptionFont);
            text->draw_text(sheet, {x + std::max(0, (tile_width - width) / 2), y + tile_height + kGap / 4},
                            caption, kCaptionFont, kCaptionColour);
        }
    }
    std::vector<unsigned char> buffer;
    std::string error;
    if (!write_png_file(*options.contact_sheet_path, sheet, buffer, error))
        return fail(EXIT_FAILURE, "cannot write the contact sheet: " + error);
    return EXIT_SUCCESS;
}
