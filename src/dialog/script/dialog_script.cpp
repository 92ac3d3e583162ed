#include "dialog/script/dialog_script.h"

#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/file_io.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <iterator>

namespace dialog {

namespace {

// Virtual time passes in steps this long, so that a held scroll bar
// repeats as it would on the screen.
constexpr int kClockStepMs = 10;

std::string after(int event) { return "after event " + std::to_string(event) + ": "; }

// The first pixel at which two pictures differ, or "" when they are equal.
std::string first_difference(const gfx::Surface& expected, const gfx::Surface& got)
{
    if (expected.width() != got.width() || expected.height() != got.height())
        return "sizes differ";
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (expected.at(x, y) != got.at(x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

bool one_of(int value, std::initializer_list<int> allowed)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

// Everything that must hold between two events while the dialog is open.
// `scratch` is an unloaded dialog whose swatches serve for drawing the
// expected ones.
std::string check_state(const Ball_P& dialog, const Settings& start, int buttons_held,
                        const host::WindowRecord& record, Ball_P& scratch)
{
    const Settings& s = dialog.settings;
    if (dialog.SelectedBall < 1 || dialog.SelectedBall > 11)
        return "the selected ball is " + std::to_string(dialog.SelectedBall);
    if (!dialog.ColorSyncOn)
        return "the colour bars' guard was left off";
    for (int index = BarIndex::RedBar; index <= BarIndex::SpeedBar; ++index) {
        const ScrollBar& bar = dialog.bar(index);
        if (bar.value() < bar.min() || bar.value() > bar.max())
            return "bar " + std::to_string(index) + " stands at " + std::to_string(bar.value());
    }
    for (std::size_t n = 1; n <= 20; ++n)
        if (s.g_ActionEnabled[n] != start.g_ActionEnabled[n] && !one_of(s.g_ActionEnabled[n], {0, 1}))
            return "action " + std::to_string(n) + " became " + std::to_string(s.g_ActionEnabled[n]);
    if (s.g_OrderMode != start.g_OrderMode && !one_of(s.g_OrderMode, {1, 2}))
        return "the order became " + std::to_string(s.g_OrderMode);
    if (s.g_BackgroundMode != start.g_BackgroundMode && !one_of(s.g_BackgroundMode, {1, 2, 3, 4}))
        return "the background became " + std::to_string(s.g_BackgroundMode);
    if (s.g_BackgroundArrangement != start.g_BackgroundArrangement
        && !one_of(s.g_BackgroundArrangement, {1, 2}))
        return "the arrangement became " + std::to_string(s.g_BackgroundArrangement);
    // Each swatch is its ball in the working colour on the dial's colour.
    Ball_P& fresh = scratch;
    for (int n = 1; n <= 11; ++n) {
        const auto slot = std::size_t(n);
        fresh.Pic_Mas[slot] = gfx::Surface(swatch_size(n), swatch_size(n),
                                           gfx::pixel_from_colorref(dialog.DisplayBackColor));
        fresh.DrawBallSwatch(n, dialog.EditRed[slot], dialog.EditGreen[slot], dialog.EditBlue[slot]);
        if (!(fresh.Pic_Mas[slot] == dialog.Pic_Mas[slot]))
            return "swatch " + std::to_string(n) + " is stale";
    }
    const gfx::Point mark = mark_offset(dialog.SelectedBall);
    if (!dialog.mark_centre || dialog.mark_centre->x != 154 + mark.x || dialog.mark_centre->y != 154 + mark.y)
        return "the mark is not beside ball " + std::to_string(dialog.SelectedBall);
    // Idle costs nothing: with no button held no timer runs.
    if (buttons_held == 0 && record.timer_interval_ms != 0)
        return "a timer runs with no button held";
    return {};
}

// What a path held at one moment, to tell whether anything wrote it.
struct FileSnapshot {
    file_io::ReadStatus status = file_io::ReadStatus::Missing;
    std::string bytes;
};

FileSnapshot snapshot(const std::string& path)
{
    FileSnapshot shot;
    shot.status = file_io::read_file(path, std::size_t(64) << 20, shot.bytes);
    return shot;
}

} // namespace

ScriptResult run_dialog_script(const ScriptSetup& setup, std::span<const ScriptEvent> events)
{
    ScriptResult result;
    const FileSnapshot before = snapshot(setup.settings.g_IniPath);

    host::HeadlessOptions options;
    options.chosen_color = setup.chosen_color;
    options.chosen_picture_file = setup.chosen_picture_file;
    host::HeadlessHost host(std::move(options));

    // What the screen shows: the frame's parts as each refresh puts them there.
    gfx::Surface screen(kWindowWidth, kWindowHeight);
    host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
        for (const host::WindowRecord& record : host.windows())
            if (record.handle == window.native_handle()) {
                const gfx::Rect a = record.last_refresh;
                gfx::blit(screen, a.origin(), frame, a, gfx::RasterOp::Copy);
            }
    });

    Settings settings = setup.settings;
    Settings scratch_settings = setup.settings;
    Ball_P scratch(host, scratch_settings);
    Ball_P dialog(host, settings);
    dialog.Form_Load();
    if (!dialog.loaded()) {
        result.broken = "the dialog did not load";
        return result;
    }
    const std::size_t record_index = host.windows().size() - 1;

    int held = 0;
    for (const ScriptEvent& event : events) {
        if (!dialog.loaded())
            break;
        // Let the virtual clock run to the event, with every tick on the way.
        for (int waited = 0; waited < event.after_ms; waited += kClockStepMs) {
            host.sleep_ms(std::min(kClockStepMs, event.after_ms - waited));
            host.process_pending_messages();
        }
        if (!dialog.loaded())
            break;
        const gfx::Rect at = dialog.window_rect();
        host::MouseEvent input;
        input.at_ms = host.now_ms();
        input.x = at.x + event.x;
        input.y = at.y + event.y;
        input.button = event.button;
        input.key = event.key;
        switch (event.kind) {
        case ScriptEvent::Kind::Press: input.kind = host::MouseEventKind::Down; held |= event.button; break;
        case ScriptEvent::Kind::Release: input.kind = host::MouseEventKind::Up; held &= ~event.button; break;
        case ScriptEvent::Kind::Move: input.kind = host::MouseEventKind::Move; break;
        case ScriptEvent::Kind::Key: input.kind = host::MouseEventKind::KeyDown; break;
        }
        host.add_input(input);
        host.process_pending_messages();
        ++result.events_run;
        if (!dialog.loaded())
            break;

        if (std::string broken = check_state(dialog, setup.settings, held, host.windows()[record_index], scratch);
            !broken.empty()) {
            result.broken = after(result.events_run) + broken;
            break;
        }
        const bool last = result.events_run == int(events.size());
        if (last || (setup.picture_check_every > 0 && result.events_run % setup.picture_check_every == 0)) {
            gfx::Surface whole;
            dialog.paint_all(whole);
            if (std::string d = first_difference(whole, dialog.picture()); !d.empty()) {
                result.broken = after(result.events_run) + "the window's picture differs from a whole repaint at " + d;
                break;
            }
            if (std::string d = first_difference(whole, screen); !d.empty()) {
                result.broken = after(result.events_run) + "the screen was not refreshed at " + d;
                break;
            }
        }
    }
    result.outcome = dialog.outcome();
    if (!result.broken.empty())
        return result;

    // The file changes only through "設 定" and "初期設定に戻す".
    const FileSnapshot now = snapshot(setup.settings.g_IniPath);
    const bool written = result.outcome == DialogOutcome::Saved || result.outcome == DialogOutcome::DefaultsRestored;
    if (!written && (now.status != before.status || now.bytes != before.bytes))
        result.broken = "the settings file changed without a save";
    // A save writes what the dialog showed.
    if (result.outcome == DialogOutcome::Saved) {
        Settings saved{};
        LoadSettings(saved, setup.settings.g_IniPath);
        for (std::size_t n = 1; n <= 11; ++n)
            if (saved.g_BallRed[n] != dialog.EditRed[n] || saved.g_BallGreen[n] != dialog.EditGreen[n]
                || saved.g_BallBlue[n] != dialog.EditBlue[n])
                result.broken = "ball " + std::to_string(n) + " was saved in another colour";
        if (saved.g_ActionEnabled != settings.g_ActionEnabled || saved.g_OrderMode != settings.g_OrderMode
            || saved.g_BackgroundColor != dialog.DisplayBackColor || saved.g_Speed != dialog.HS_Fast.value()
            || saved.g_PcSpec != dialog.PC_Spec.value()
            || saved.g_BackgroundArrangement != settings.g_BackgroundArrangement)
            result.broken = "the saved settings differ from what the dialog showed";
    }
    return result;
}

std::vector<ScriptEvent> script_from_bytes(std::span<const std::uint8_t> bytes)
{
    constexpr int kMargin = 16;
    std::vector<ScriptEvent> events;
    for (std::size_t at = 0; at + 6 <= bytes.size(); at += 6) {
        ScriptEvent e;
        const std::uint8_t head = bytes[at];
        e.kind = static_cast<ScriptEvent::Kind>(head & 3);
        constexpr int kButtons[4] = {host::kLeftButton, host::kLeftButton, host::kRightButton, host::kMiddleButton};
        e.button = kButtons[(head >> 2) & 3];
        // Four bits choose the key; those past the named keys are Other.
        constexpr host::Key kKeys[] = {host::Key::Escape, host::Key::Tab,  host::Key::BackTab, host::Key::Space,
                                       host::Key::Enter,  host::Key::Left, host::Key::Right,   host::Key::Up,
                                       host::Key::Down};
        const std::size_t key = head >> 4;
        e.key = key < std::size(kKeys) ? kKeys[key] : host::Key::Other;
        const int x = bytes[at + 1] | (bytes[at + 2] << 8);
        const int y = bytes[at + 3] | (bytes[at + 4] << 8);
        e.x = x % (kWindowWidth + 2 * kMargin) - kMargin;
        e.y = y % (kWindowHeight + 2 * kMargin) - kMargin;
        e.after_ms = bytes[at + 5] * 5;
        events.push_back(e);
    }
    return events;
}

} // namespace dialog
