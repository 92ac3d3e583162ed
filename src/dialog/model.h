#pragma once

#include "dialog/controls.h"
#include "dialog/scroll_bar.h"
#include "gfx/surface.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The settings dialog's values and their changes, with no window and no
// host: what the check items, options, bars, colour dial and buttons show.
// Every change returns the controls it made stale, and the window repaints
// those. The check items and options write straight into the settings (kept
// by reference); the colours, the bars, the dial's colour and the picture
// path live here until "設 定" saves them (values_to_save).
namespace dialog {

// A ball lit from the upper left, in its colour, drawn over `swatch` (which
// is ball n's swatch, 48 or 72 pixels a side); nothing is cleared first.
void DrawBallSwatch(gfx::Surface& swatch, int n, int red, int green, int blue);

class DialogModel {
public:
    // `controls` gives the bars their sizes; `settings` must outlive the model.
    DialogModel(Settings& settings, const ControlTable& controls);

    // Takes the settings into the controls: every swatch in its stored colour
    // on the dial's colour, ball 10 selected, the bars at their values (a bar
    // keeps its first position for a value outside its range). The window
    // paints everything afterwards, so nothing is reported stale.
    void load();

    // ---- what the controls show
    const Settings& settings() const { return m_settings; }
    int SelectedBall() const { return m_selected; }
    // The guard that keeps the bars' showing of a ball's colour from being
    // taken for an edit; on between changes.
    bool ColorSyncOn() const { return m_sync; }
    // The working colours of balls 1..11.
    int EditRed(int n) const { return m_red[slot(n)]; }
    int EditGreen(int n) const { return m_green[slot(n)]; }
    int EditBlue(int n) const { return m_blue[slot(n)]; }
    // The dial's background colour: what "背景色" chose, what "設 定" writes.
    gfx::ColorRef DisplayBackColor() const { return m_dial_colour; }
    // Ball n's swatch picture; each keeps its drawing until drawn again.
    const gfx::Surface& Pic_Mas(int n) const { return m_swatches[slot(n)]; }
    // The centre of the selection mark on the dial (dial pixels).
    const std::optional<gfx::Point>& mark_centre() const { return m_mark_centre; }
    // A bar by its BarIndex (H_RGB(1..3), PC_Spec, HS_Fast).
    const ScrollBar& bar(int index) const;
    // The path shown in BK_Path.
    const std::string& BK_Path() const { return m_path; }
    // The image button whose face is down, and the close button's face.
    std::optional<int> pressed_button() const { return m_pressed_button; }
    bool close_pressed() const { return m_close_pressed; }
    // Whether any action is enabled: "設 定" needs one.
    bool any_action_enabled() const;
    // The settings as "設 定" writes them: the settings with the working
    // colours, the dial's colour, the bars and the path.
    Settings values_to_save() const;

    // ---- changes; each returns what it made stale
    // A check item: 0 and 1 swap; a value the file gave that is neither
    // shows as unchecked, so it becomes 1.
    Stale Img_Action_Kind_MouseDown(int i);
    Stale Img_Opt_Ptn_MouseDown(int i);
    Stale Img_Opt_bk_MouseDown(int i);
    Stale Img_Opt_bk_G_MouseDown(int i);
    // "全て選択": every action on.
    Stale select_all_actions();
    // A click on ball n's swatch: it becomes the selected ball, the bars show its colour.
    Stale Pic_Mas_Click(int n);
    // The colour "背景色" chose: the dial and every swatch on it, ball 10 selected.
    Stale set_dial_colour(gfx::ColorRef colour);
    Stale set_picture_path(std::string path);
    Stale press_button(int button);
    Stale release_button(int button);
    Stale press_close(bool down);

    // A bar's input, in the bar's own pixels: the bar's changes, and a colour
    // bar's change of the selected ball's colour.
    Stale press_bar(int index, int x, int y);
    Stale drag_bar(int index, int x, int y);
    Stale repeat_bar(int index);
    Stale release_bar(int index);
    // The keys: an arrow, Page Up or Down, Home or End.
    enum class BarKey { Small, Large, End };
    Stale key_bar(int index, BarKey key, int direction);

private:
    static std::size_t slot(int n) { return std::size_t(n >= 1 && n <= 11 ? n : 0); }
    // The bar of a BarIndex, of the model as it is given (const or not);
    // an index of no bar gives the nearest colour bar.
    template <class Model>
    static auto& bar_of(Model& model, int index)
    {
        switch (index) {
        case BarIndex::PcSpecBar: return model.m_pc_spec;
        case BarIndex::SpeedBar: return model.m_speed;
        default: return model.m_rgb[std::size_t(index < 1 ? 1 : index > 3 ? 3 : index) - 1];
        }
    }
    ScrollBar& bar_at(int index);
    void draw_swatch(int n, Stale& stale);
    void ShowSelectedBall(int n, Stale& stale);
    void show_colour_on_bars(int n, Stale& stale);
    void H_RGB_Change(int j, Stale& stale);
    void bar_changed(int index, Stale& stale);

    Settings& m_settings;
    std::array<std::int16_t, 12> m_red{}, m_green{}, m_blue{}; // slot 0 unused
    std::int16_t m_selected = 10;
    bool m_sync = false;
    gfx::ColorRef m_dial_colour = 0;
    std::array<gfx::Surface, 12> m_swatches;
    std::optional<gfx::Point> m_mark_centre;
    std::array<ScrollBar, 3> m_rgb;     // H_RGB(1..3)
    ScrollBar m_pc_spec;                // PC_Spec
    ScrollBar m_speed;                  // HS_Fast
    std::string m_path;
    std::optional<int> m_pressed_button;
    bool m_close_pressed = false;
};

} // namespace dialog
