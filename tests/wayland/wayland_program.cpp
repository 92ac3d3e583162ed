// The orvelune program under a headless sway as the real-window scenarios
// drive it: screenshots of the one output through grim, the rig's virtual
// pointer, keys through wtype. Wayland lets no client look other clients'
// windows up by their titles, so a window of the program counts as shown
// when the output no longer shows the bare desktop.
#include "wayland_rig.h"

#include "window_scenarios.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace wltest {
namespace {

using namespace std::chrono_literals;

constexpr const char* kOutput = "HEADLESS-1";

// More pixels than the pointer's image covers: a difference this large
// from the bare desktop is a window, not the cursor.
constexpr int kWindowPixels = 1000;

class WaylandProgram : public testrig::ProgramUnderTest {
public:
    // The pointer joins the seat when a scenario first uses it: until then
    // the compositor draws no cursor into the screenshots.
    WaylandProgram() : m_rig({OutputSpec{800, 600, 1}}, false)
    {
        if (m_rig.available())
            m_desktop = screenshot();
    }

    const testrig::Traits& traits() const override
    {
        static const testrig::Traits traits = [] {
            testrig::Traits t;
            t.name = "Wayland";
            t.starts_at_once = 10;
            t.exact_dialog = true;
            t.end_signals = true;
            t.decoder_apart = true;
            // wtype's keyboard takes a moment to join the seat: the card
            // would be over before a key came.
            t.keys_during_card = false;
            return t;
        }();
        return traits;
    }

    std::string why_not() const override
    {
        if (!m_rig.available())
            return m_rig.why();
        if (m_desktop.empty())
            return "grim takes no screenshot of " + std::string(kOutput);
        return {};
    }
    int width() const override { return 800; }
    int height() const override { return 600; }
    std::string settings_path() const override { return m_rig.settings_path(); }
    void write_settings(const Settings& settings) override { m_rig.write_settings(settings); }

    Child start(const std::vector<std::string>& args, const std::string& locale) override
    {
        std::vector<std::string> env;
        if (!locale.empty())
            env.push_back("LC_ALL=" + locale);
        return m_rig.start_orvelune(args, env);
    }

    std::vector<Child> start_together(int count, const std::vector<std::string>& args) override
    {
        return testrig::StartAtOneGate(count, m_rig.path("gate"), [&](const std::string& gate) {
            return m_rig.start_orvelune_at_gate(args, gate);
        });
    }

    gfx::Surface screenshot() override { return m_rig.screenshot(kOutput).value_or(gfx::Surface()); }

    bool wait_for_window(const std::string&, std::chrono::milliseconds timeout) override
    {
        return poll_screen(timeout, [&](const gfx::Surface& shot) { return Unlike(shot) >= kWindowPixels; });
    }
    // The card is drawn in the dialog's own surface: it has no window to go.
    bool wait_until_gone(const std::string& title, std::chrono::milliseconds timeout) override
    {
        if (title == testrig::kCardTitle)
            return true;
        return poll_screen(timeout, [&](const gfx::Surface& shot) { return Unlike(shot) < kWindowPixels; });
    }
    std::optional<int> count_windows(const std::string&) override { return std::nullopt; }

    bool move_pointer(int x, int y) override { return m_rig.attach_pointer() && m_rig.move_pointer(x, y); }
    // The compositor draws the cursor into its screenshots: after a click
    // it goes aside, into the corner, off any window of the program's.
    bool click() override
    {
        return m_rig.attach_pointer() && m_rig.click() && m_rig.move_pointer(2, 2);
    }
    // "shift+Tab": the modifiers held around the key.
    bool key(const std::string& name) override
    {
        std::vector<std::string> args{"-s", "300"};
        std::string rest = name;
        std::vector<std::string> modifiers;
        for (std::size_t plus; (plus = rest.find('+')) != std::string::npos; rest.erase(0, plus + 1))
            modifiers.push_back(rest.substr(0, plus));
        for (const std::string& modifier : modifiers)
            args.insert(args.end(), {"-M", modifier});
        args.insert(args.end(), {"-k", rest});
        for (const std::string& modifier : modifiers)
            args.insert(args.end(), {"-m", modifier});
        return m_rig.run_tool("wtype", args);
    }

    // The desktop's background, put up by sway's own background program
    // (from a PNG that ImageMagick's convert makes); the desktop is then as
    // the output shows it.
    std::optional<gfx::Surface> show_desktop(const gfx::Surface& picture) override
    {
        const std::string ppm = m_rig.path("desktop.ppm"), png = m_rig.path("desktop.png");
        if (!WritePpm(ppm, picture) || !m_rig.run_tool("convert", {ppm, png})
            || !m_rig.run_tool("swaymsg", {"output", kOutput, "bg", png, "stretch"}))
            return std::nullopt;
        gfx::Surface shown;
        if (!poll_screen(10s, [&](const gfx::Surface& shot) {
                const bool settled = Unlike(shot) >= kWindowPixels && shot == shown;
                shown = shot;
                return settled;
            }))
            return std::nullopt;
        m_desktop = shown;
        return shown;
    }
    std::string split_monitors(gfx::Rect, gfx::Rect) override
    {
        return "the compositor's outputs are the monitors (the Wayland suite tests two of them)";
    }

private:
    // How many pixels of `shot` differ from the bare desktop.
    int Unlike(const gfx::Surface& shot) const
    {
        if (shot.width() != m_desktop.width() || shot.height() != m_desktop.height())
            return shot.width() * shot.height();
        int count = 0;
        for (std::size_t i = 0; i < shot.pixels().size(); ++i)
            count += shot.pixels()[i] != m_desktop.pixels()[i] ? 1 : 0;
        return count;
    }

    bool WritePpm(const std::string& path, const gfx::Surface& picture)
    {
        std::string bytes = "P6\n" + std::to_string(picture.width()) + " " + std::to_string(picture.height()) + "\n255\n";
        for (const gfx::Pixel p : picture.pixels())
            bytes += {char((p >> 16) & 0xFF), char((p >> 8) & 0xFF), char(p & 0xFF)};
        std::ofstream(path, std::ios::binary) << bytes;
        return testrig::ReadFile(path).size() == bytes.size() && chmod(path.c_str(), 0644) == 0;
    }

    SwayRig m_rig;
    gfx::Surface m_desktop;
};

using testrig::RealWindow;

INSTANTIATE_TEST_SUITE_P(Wayland, RealWindow,
                         ::testing::Values(testrig::ProgramParam{
                             "orvelune", [] { return std::make_unique<WaylandProgram>(); }}),
                         testrig::ScenarioName);

} // namespace
} // namespace wltest
