// The dialog fed long random sequences of input, with its invariants checked
// after every event (the fuzzing entry point, run here from fixed seeds).
#include "dialog_rig.h"

#include "dialog/script/dialog_script.h"

#include <gtest/gtest.h>

#include <random>

namespace dialogtest {
namespace {

using dialog::ScriptEvent;

// Presses and releases land on controls more often than on empty ground:
// half the events aim at a random control, the rest anywhere near the window.
std::vector<ScriptEvent> random_script(std::mt19937& random, const std::vector<dialog::Control>& controls, int length)
{
    std::vector<ScriptEvent> events;
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    for (int i = 0; i < length; ++i) {
        ScriptEvent e;
        e.kind = static_cast<ScriptEvent::Kind>(pick(10) < 1 ? 3 : pick(3));
        // Escape and Enter would end most scripts early; the other keys
        // walk the focus and work the controls.
        const host::Key keys[] = {host::Key::Tab,    host::Key::BackTab,  host::Key::Space, host::Key::Left,
                                  host::Key::Right,  host::Key::Up,       host::Key::Down,  host::Key::PageUp,
                                  host::Key::PageDown, host::Key::Home,   host::Key::End,   host::Key::Other};
        e.key = pick(8) == 0 ? (pick(2) == 0 ? host::Key::Escape : host::Key::Enter) : keys[pick(12)];
        const int buttons[] = {host::kLeftButton, host::kLeftButton, host::kLeftButton, host::kRightButton,
                               host::kMiddleButton};
        e.button = buttons[pick(5)];
        if (pick(2) == 0) {
            const dialog::Control& c = controls[std::size_t(pick(int(controls.size())))];
            e.x = c.rect.x + pick(std::max(c.rect.width, 1));
            e.y = c.rect.y + pick(std::max(c.rect.height, 1));
        } else {
            e.x = pick(dialog::kWindowWidth + 40) - 20;
            e.y = pick(dialog::kWindowHeight + 40) - 20;
        }
        e.after_ms = pick(4) == 0 ? pick(900) : pick(60);
        events.push_back(e);
    }
    return events;
}

TEST(DialogScript, RandomInputKeepsEveryInvariant)
{
    TempFolder scratch;
    const std::string ini = scratch.file("Orvelune.ini");
    dialog::ScriptSetup setup;
    setup.settings = Loaded(ini);
    setup.chosen_color = gfx::colorref(200, 180, 20);
    setup.chosen_picture_file = "/srv/背景.png";
    setup.picture_check_every = 3;

    std::vector<dialog::Control> controls = dialog::build_control_table();
    // The commands that close the dialog would end most scripts at once.
    std::erase_if(controls, [](const dialog::Control& c) {
        return c.kind == dialog::ControlKind::ButtonCaption && c.index <= dialog::ImageButton::Save && c.index != dialog::ImageButton::VersionInformation;
    });
    std::mt19937 random(20240611);
    int closed = 0;
    for (int script = 0; script < 24; ++script) {
        std::filesystem::remove(ini);
        const std::vector<ScriptEvent> events = random_script(random, controls, 60);
        const dialog::ScriptResult result = dialog::run_dialog_script(setup, events);
        ASSERT_EQ(result.broken, "") << "script " << script;
        closed += result.outcome != DialogOutcome::Open ? 1 : 0;
    }
    EXPECT_GT(closed, 0) << "some scripts should have reached a command that closes";
}

TEST(DialogScript, BytesDecodeIntoEventsAndAnyBytesAreSafe)
{
    TempFolder scratch;
    dialog::ScriptSetup setup;
    setup.settings = Loaded(scratch.file("Orvelune.ini"));
    setup.picture_check_every = 0;
    std::mt19937 random(7);
    for (int run = 0; run < 20; ++run) {
        std::vector<std::uint8_t> bytes(std::size_t(random() % 400));
        for (std::uint8_t& b : bytes)
            b = std::uint8_t(random());
        const std::vector<ScriptEvent> events = dialog::script_from_bytes(bytes);
        EXPECT_EQ(events.size(), bytes.size() / 6);
        const dialog::ScriptResult result = dialog::run_dialog_script(setup, events);
        EXPECT_EQ(result.broken, "") << "run " << run;
    }
}

TEST(DialogScript, AScriptedSaveWritesWhatTheDialogShowed)
{
    TempFolder scratch;
    dialog::ScriptSetup setup;
    setup.settings = Loaded(scratch.file("Orvelune.ini"));
    DialogRig layout(setup.settings);
    layout.load();
    auto at = [&](const char* name, int dx, int dy) { return layout.at(name, dx, dy); };
    using K = ScriptEvent::Kind;
    const gfx::Point red_thumb = at("H_RGB(1)", 53, 8), check = at("Img_Action_Kind(9)", 5, 5),
                     save = at("lbl_Cmd(3)", 50, 8);
    const std::vector<ScriptEvent> events = {
        {K::Press, host::kLeftButton, check.x, check.y},
        {K::Release, host::kLeftButton, check.x, check.y},
        {K::Press, host::kLeftButton, red_thumb.x, red_thumb.y},
        {K::Move, 0, red_thumb.x + 25, red_thumb.y},
        {K::Release, host::kLeftButton, red_thumb.x + 25, red_thumb.y},
        {K::Press, host::kLeftButton, save.x, save.y},
        {K::Release, host::kLeftButton, save.x, save.y},
    };
    const dialog::ScriptResult result = dialog::run_dialog_script(setup, events);
    EXPECT_EQ(result.broken, "");
    EXPECT_EQ(result.outcome, DialogOutcome::Saved);
    EXPECT_EQ(result.events_run, 7);
    EXPECT_EQ(Loaded(setup.settings.g_IniPath).g_ActionEnabled[9], 0);
}

} // namespace
} // namespace dialogtest
