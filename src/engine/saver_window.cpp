#include "engine/saver_window.h"

#include "common/window_titles.h"
#include "engine/ball_geometry.h"
#include "gfx/color.h"
#include "gfx/numeric.h"
#include "settings/settings_keys.h"

#include <cmath>

namespace {

constexpr int kTimerIntervalMs = 10;

// A value outside its key's range is taken at the nearer bound.
template <typename Int>
bool bring_into_range(Int& value, SettingKind kind)
{
    const SettingRange range = *setting_range(kind);
    if (value < range.lowest) {
        value = Int(range.lowest);
        return true;
    }
    if (value > range.highest) {
        value = Int(range.highest);
        return true;
    }
    return false;
}

} // namespace

Ball_A::Ball_A(host::Host& host_, Settings& settings_, Random& random_, SaverStart start_,
               Trace* trace_)
    : host(host_), settings(settings_), random(random_), start(start_), trace(trace_)
{
    g_CursorCount = start.cursor_count;

    // The factor the loader derived from a speed in range is kept as it is.
    if (bring_into_range(settings.g_Speed, SettingKind::Speed))
        settings.g_SpeedFactor = SpeedFactorFor(settings.g_Speed);
    bring_into_range(settings.g_PcSpec, SettingKind::PcSpec);
}

Ball_A::~Ball_A() = default;

void Ball_A::Form_Load()
{
    constexpr int small = g_SmallBallSize;
    constexpr int large = g_LargeBallSize;
    constexpr int ring = g_RingRadius;

    // In saver mode the cursor is hidden here a second time (start-up hid
    // it once); EndSaver shows it again by the counter kept here.
    if (start.switch_letter == 'S')
        g_CursorCount = host.show_cursor(false);

    HighlightStyle = 0;

    const host::Size screen = host.screen_size();
    ScreenWidthPx = screen.width;
    ScreenHeightPx = screen.height;

    host::WindowOptions options;
    options.title = kSaverWindowTitle;
    options.rect = {0, 0, screen.width, screen.height};
    options.borderless = true;
    options.visible = false;
    window = host.create_window(options, *this);
    if (!window)
        return; // no window, nothing to draw on: the saver cannot run

    const gfx::Pixel background = gfx::pixel_from_colorref(settings.g_BackgroundColor);
    Display = &window->frame();
    Display->fill(background);
    Pic_Base.resize(screen.width, screen.height, background);

    g_CenterX = ScreenWidthPx / 2;
    g_CenterY = ScreenHeightPx / 2;

    // The starting ring: ball i at i x 6 minutes on the clock. The floor of
    // the offsets and the 15-digit 2 pi put ball 10 one pixel left of the
    // vertical (dx = -1), which every figure starting from the ring inherits.
    Pic_Mas[0].resize(small, small, gfx::kBlack); // the grid composer sizes it anew
    for (int i = 1; i <= kSmallBalls; ++i) {
        Pic_Mas[i].resize(small, small, gfx::kBlack);
        const double angle = gfx::clock_angle(i * 6);
        const double dx = std::floor(std::cos(angle) * ring);
        const double dy = std::floor(std::sin(angle) * ring);
        FormationX[i] = dx + g_CenterX - small * 0.5;
        FormationY[i] = dy + g_CenterY - small * 0.5;
    }
    Pic_Mas[kCentreBall].resize(large, large, gfx::kBlack);
    CenterFormationX = g_CenterX - large * 0.5;
    CenterFormationY = g_CenterY - large * 0.5;

    // The rods: ten small cells and ten gaps plus the centre cell make 582
    // pixels, centred on the screen; after the fifth ball the centre ball's
    // cell and one more gap are skipped, so the centre ball fits between.
    BallGap = small / 16.0;
    const double rod_length = small * kSmallBalls + BallGap * kSmallBalls + large;
    double across = (ScreenWidthPx - rod_length) / 2;
    double down = (ScreenHeightPx - rod_length) / 2;
    for (int i = 1; i <= kSmallBalls; ++i) {
        VerticalRodX[i] = g_CenterX - small / 2;
        VerticalRodY[i] = down;
        HorizontalRodX[i] = across;
        HorizontalRodY[i] = g_CenterY - small / 2;
        across += small + BallGap;
        down += small + BallGap;
        if (i == 5) {
            across += large + BallGap;
            down += large + BallGap;
        }
    }

    ActionOrder.fill(0);
    ActionCounter = 20; // the first tick builds a new order
    FirstRun = true;

    BuildBallMasks();
    ComposeBackground();

    window->set_timer(kTimerIntervalMs);
    window->show(true);
    window->set_topmost(true);
}

void Ball_A::Display_MouseDown(int /*button*/, double /*x*/, double /*y*/)
{
    EndSaver();
}

// Only a move that changes both coordinates from the reference ends the
// saver, so a pointer nudged along one axis (a desk knock, a jittery mouse)
// does not. The first move after the window shows only records where the
// pointer is. With an empty command line only a click ends the saver.
void Ball_A::Display_MouseMove(float x, float y)
{
    if (start.command_line_empty)
        return;
    if (!MouseRefSet) {
        MouseRefX = x;
        MouseRefY = y;
        MouseRefSet = true;
        return;
    }
    if (x != MouseRefX && y != MouseRefY) {
        MouseRefSet = false;
        EndSaver();
    }
}

void Ball_A::EndSaver()
{
    const bool saver_mode = start.switch_letter == 'S';

    // Systems outside the NT family ask for the screen-saver password here.
    // The cursor is shown for the password dialog (any non-zero counter asks
    // to show) and hidden again when the password is refused, so the saver
    // goes on exactly as it was.
    if (saver_mode && !host.is_nt_platform() && window) {
        g_CursorCount = host.show_cursor(g_CursorCount != 0);
        if (!host.verify_screen_saver_password(*window)) {
            g_CursorCount = host.show_cursor(false);
            return;
        }
    }

    if (saver_mode) {
        host.set_screen_saver_running(false);
        g_CursorCount = host.show_cursor(g_CursorCount != 0);
    }
    host.set_screen_saving_active(true);
    host.end_process(0);
}

void Ball_A::on_mouse_down(int button, double x, double y)
{
    Display_MouseDown(button, x, y);
}

void Ball_A::on_mouse_move(int /*buttons*/, double x, double y)
{
    Display_MouseMove(float(x), float(y));
}

void Ball_A::on_timer()
{
    Timer1_Timer();
}
