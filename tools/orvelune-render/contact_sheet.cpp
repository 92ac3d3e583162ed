// See contact_sheet.h.
#include "contact_sheet.h"

#include "animation_file.h"
#include "figure_spread.h"
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
#include <deque>
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
// closing figure begin and for where each frame puts the balls: each line
// comes before the first frame it leads to.
class ActionWatch : public std::streambuf {
public:
    bool action_began() const { return m_action; }
    bool closing_began() const { return m_closing; }
    // How far the last frame's balls stand from the ring they held as the
    // action began.
    double spread() const { return figure_spread::spread_from_ring(m_ring, m_balls); }
    const figure_spread::BallCentres& balls() const { return m_balls; }
    // Whether the last frame put the background back before drawing its
    // balls; frames that do not leave trails.
    bool restored() const { return m_restored; }

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        if (c == '\n') {
            if (m_line.rfind("{\"ev\":\"frame\"", 0) == 0) {
                figure_spread::read_frame_line(m_line, m_balls);
                m_restored = m_line.find("[\"R\"]") != std::string::npos;
            } else if (!m_action && m_line.rfind("{\"ev\":\"action\"", 0) == 0) {
                m_action = true;
                m_ring = m_balls;
            }
            m_closing = m_closing || (m_action && m_line.rfind("{\"ev\":\"closing\"", 0) == 0);
            m_line.clear();
        } else if (m_line.size() < kLongestLine) {
            m_line.push_back(char(c));
        }
        return c;
    }

private:
    // A frame line names each ball it draws in about 25 characters; a line
    // longer than this loses only its last balls.
    static constexpr std::size_t kLongestLine = 1 << 16;
    std::string m_line;
    bool m_action = false;
    bool m_closing = false;
    bool m_restored = false;
    figure_spread::BallCentres m_balls;
    figure_spread::BallCentres m_ring;
};

struct Tile {
    gfx::Surface picture;
    std::string caption;
};

// Ghosts of the balls' places in the frames before the tile's, every
// kGhostStep-th of the last kGhosts * kGhostStep, fainter the older: they
// show a flight, a roll or a swing in one still picture. Figures that leave
// their balls on the screen draw trails of their own and get none.
constexpr std::size_t kGhostStep = 4;
constexpr std::size_t kGhosts = 6;

int ghost_weight(std::size_t ghost) { return 128 - 16 * int(ghost); } // of 256

struct PastFrame {
    std::vector<figure_spread::Disc> discs;
    bool restored = false;
};

// The picture with the ghosts of `past` (oldest first) under its own balls.
void draw_ghosts(gfx::Surface& picture, const std::deque<PastFrame>& past,
                 const figure_spread::BallCentres& balls)
{
    const std::vector<figure_spread::Disc> now = figure_spread::cut_discs(picture, balls);
    for (std::size_t ghost = kGhosts; ghost >= 1; --ghost) {
        const std::size_t age = ghost * kGhostStep;
        if (age <= past.size() && past[past.size() - age].restored)
            figure_spread::paint_discs(picture, past[past.size() - age].discs, ghost_weight(ghost));
    }
    figure_spread::paint_discs(picture, now, 256);
}

// How much of the screen the figure has changed: the pixels, on every other row
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

// Plays one kind alone until its closing figure begins, keeping the frame
// that figure_spread::FrameChoice picks by how far the balls stand from
// their ring times how much of the screen has changed since the action
// began: the first finds the flights, rods and curves, the second the
// trails, which can outgrow the balls' own spread. By the end most figures
// have gathered their balls again and wiped their trails. Nothing when the
// kind never got to its closing figure.
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
    figure_spread::FrameChoice choice;
    std::deque<PastFrame> past; // the last kGhosts * kGhostStep frames
    bool chosen = false;
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
        const double covered = double(coverage(shown.picture(), at_start));
        if (choice.offer(watch.spread() * covered)) {
            picture = shown.picture();
            if (watch.restored())
                draw_ghosts(picture, past, watch.balls());
            chosen = true;
        }
        past.push_back({figure_spread::cut_discs(shown.picture(), watch.balls()), watch.restored()});
        if (past.size() > kGhosts * kGhostStep)
            past.pop_front();
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
    return got && chosen;
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
