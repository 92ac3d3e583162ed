#pragma once

#include "dialog/artwork.h"
#include "gfx/surface.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The dialog's controls as data: every control with its design name, its
// rectangle in window pixels and what kind of thing it is, in z-order from
// the bottom up. Hit-testing, painting and the tests all read this one table.
namespace dialog {

// The window: a top bar 20 pixels high, and below it the main surface Pic_C.
constexpr int kWindowWidth = 701;
constexpr int kTopBarHeight = 20;
constexpr gfx::Rect kPicC{0, kTopBarHeight, 701, 489};
constexpr int kWindowHeight = kPicC.height + kTopBarHeight; // 509
// The close button on the top bar; pressed, its face is a pixel wider.
constexpr gfx::Rect kCloseButton{680, 4, 15, 15};
// The ball dial, in window pixels.
constexpr gfx::Rect kDisplay{kPicC.x + 12, kPicC.y + 12, 309, 309};

enum class ControlKind {
    TopBar,        // Image1: a left press drags the window
    Label,         // text that takes the mouse and does nothing with it
    CloseButton,   // ImgExit
    Ground,        // Pic_C, the textured main surface
    Dial,          // Display
    Swatch,        // Pic_Mas(index): a click selects the ball
    Panel,         // Pic_1(index)
    TitlePlate,    // Img_T(index)
    CheckMark,     // Img_Action_Kind(index)
    CheckCaption,  // lbl_Action_Kind(index)
    OrderMark,     // Img_Opt_Ptn(index)
    OrderCaption,  // lbl_Opt_Ptn(index)
    BackgroundMark,     // Img_Opt_bk(index)
    BackgroundCaption,  // lbl_Opt_bk(index)
    ArrangementMark,    // Img_Opt_bk_G(index)
    ArrangementCaption, // lbl_Opt_bk_G(index)
    ButtonFace,    // Img_Cmd(i), Img_All, Img_C, Img_Path: a press on the rim does nothing
    ButtonCaption, // lbl_Cmd(i), lbl_All, lbl_C, lbl_Path: the image button proper
    ScrollBar,     // H_RGB(1..3), PC_Spec, HS_Fast (index: see BarIndex)
    PathBox,       // BK_Path
    Link,          // lbl_URL: a click opens the address
    WindowRim,     // the outline of the window; never takes the mouse
};
inline constexpr int kControlKindCount = int(ControlKind::WindowRim) + 1;

// The image buttons; the command buttons keep their design indexes 0 to 3.
enum ImageButton : int {
    RestoreDefaults,
    VersionInformation,
    Cancel,
    Save,
    SelectAll,
    BackgroundColor,
    PictureFile,
};

// The scroll bars: H_RGB(1..3) keep their design indexes.
enum BarIndex : int {
    RedBar = 1,
    GreenBar,
    BlueBar,
    PcSpecBar,
    SpeedBar,
};

enum class Align { Left, Centre };

// A control as the code names it: its kind and its index within the kind
// (the item, option, ball, panel, bar or ImageButton; the labels are
// numbered in table order). Every control of the table has its own.
struct ControlId {
    ControlKind kind = ControlKind::Ground;
    int index = 0;
    friend constexpr bool operator==(ControlId, ControlId) = default;
};

// The controls a change made stale, to be repainted.
using Stale = std::vector<ControlId>;

struct Control {
    std::string name;  // as the design names it: "lbl_Cmd(3)", "Img_Opt_bk(2)"
    ControlKind kind;
    int index = 0;     // the item, option, ball, panel, bar or ImageButton
    gfx::Rect rect;    // window pixels
    std::string caption; // UTF-8, for the kinds that show text
    Align align = Align::Left;
    gfx::Pixel ink = palette::kInk;
    int text_dy = 0;   // the text's drop below the top of the rectangle

    ControlId id() const { return {kind, index}; }
};

// Every control, bottom first. The link label shows and opens
// `link_address`; without one there is no link.
std::vector<Control> build_control_table(std::string_view link_address = {});

// The table with each id resolved once to its row.
class ControlTable {
public:
    explicit ControlTable(std::string_view link_address = {});

    const std::vector<Control>& all() const { return m_controls; }
    // The control of an id; null when the table has none.
    const Control* find(ControlId id) const;
    // The control of a design name ("lbl_Cmd(3)"); null when there is none.
    // For readers of the table (tests, tools); the code goes by id.
    const Control* find(std::string_view name) const;
    // The topmost control at a window pixel, null outside the window.
    const Control* at(int x, int y) const;

private:
    std::vector<Control> m_controls;
    // Per kind, the row of each index (-1: none).
    std::array<std::vector<std::int16_t>, kControlKindCount> m_rows;
};

// The controls the keyboard's focus visits, in reading order: the dial; the
// action panel from "全て選択" down; the right-hand column from the order down
// to the speed; then the background panel row by row; the command buttons
// last. The close button has Escape instead.
std::vector<ControlId> build_focus_order(const ControlTable& table);

// Where the dialog stands on a monitor: centred, the halves of the
// difference truncated; on a monitor smaller than the dialog, moved just so
// far that the top bar and the close button stay on it, so that it can still
// be dragged and closed.
gfx::Rect dialog_placement(gfx::Rect monitor);

// Offsets from the dial's centre, in whole pixels, of ball n's swatch centre
// and of its selection mark (n = 1..11).
gfx::Point swatch_offset(int n);
gfx::Point mark_offset(int n);

// The edge of ball n's swatch: 72 for the centre ball, 48 for the others.
int swatch_size(int n);


} // namespace dialog
