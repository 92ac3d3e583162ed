#include "dialog/controls.h"

#include "engine/ball_geometry.h"

#include "gfx/numeric.h"
#include "settings/action_captions.h"
#include "settings/settings.h"

#include <algorithm>
#include <cmath>

namespace dialog {

namespace {

// The panels Pic_1(0..5) in Pic_C, with their titles.
struct PanelSpec {
    gfx::Rect rect;
    std::string_view title;
};
constexpr PanelSpec kPanels[6] = {
    {{332, 12, 193, 365}, "ｱｸｼｮﾝの種類"},
    {{12, 332, 513, 137}, "背景の設定"},
    {{536, 12, 145, 61}, "処理ﾊﾟﾀｰﾝ"},
    {{536, 84, 145, 97}, "球の色指定"},
    {{536, 192, 145, 65}, "PCのｽﾍﾟｯｸ"},
    {{536, 268, 145, 65}, "ｱｸｼｮﾝの速さ"},
};

constexpr std::string_view kBackgroundCaptions[4] = {
    "背景に球のｸﾞﾗﾃﾞｰｼｮﾝ (球の数はﾗﾝﾀﾞﾑ)",
    "背景に単一色　 ======>",
    "起動時の画面",
    "好きな画像を使う",
};
// Each background caption ends before whatever stands to its right (the
// colour button beside option 2, the arrangement marks beside option 4).
constexpr int kBackgroundCaptionWidths[4] = {250, 140, 104, 104};

// Command buttons: x in Pic_C and the y of each, with their captions.
constexpr int kCommandX = 556;
constexpr int kCommandY[4] = {352, 376, 424, 448};
constexpr std::string_view kCommandCaptions[4] = {"初期設定に戻す", "ﾊﾟｰｼﾞｮﾝ情報", "ｷｬﾝｾﾙ", "設 定"};

// Caption labels of the image buttons start four pixels below the face's
// top and keep a one-pixel rim at the sides, so a press on the face's rim
// misses them.
constexpr int kCaptionDrop = 4;
constexpr int kCaptionHeight = 13;
constexpr int kScaleLabelDrop = 2; // side labels of a bar: their text centred on the bar

std::string indexed(std::string_view name, int i) { return std::string(name) + "(" + std::to_string(i) + ")"; }

gfx::Rect in_pic_c(int x, int y, int w, int h) { return {kPicC.x + x, kPicC.y + y, w, h}; }

gfx::Rect in_panel(int panel, int x, int y, int w, int h)
{
    const gfx::Rect p = kPanels[panel].rect;
    return in_pic_c(p.x + x, p.y + y, w, h);
}

} // namespace

// The dial's centre lies on a half pixel (154.5); swatch and mark positions
// are whole pixels rounded down from the exact products, with the clock's
// 15-digit constants, as the tables of the layout have them.
gfx::Point swatch_offset(int n)
{
    if (n == 11)
        return {0, 0};
    const double theta = gfx::clock_angle(n * 6);
    return {gfx::floor_int(kRingRadius * std::cos(theta)),
            gfx::floor_int(kRingRadius * std::sin(theta))};
}

gfx::Point mark_offset(int n)
{
    const double theta = n == 11 ? gfx::kTwoPi - gfx::kHalfPi : gfx::clock_angle(n * 6);
    const double r = n == 11 ? 50 : 128;
    return {gfx::floor_int(r * std::cos(theta)), gfx::floor_int(r * std::sin(theta))};
}

int swatch_size(int n) { return n == 11 ? kLargeBallSize : kSmallBallSize; }

std::vector<ControlId> build_focus_order(const ControlTable& table)
{
    using Stop = ControlId;
    std::vector<Stop> stops = {{ControlKind::Dial, 0}, {ControlKind::ButtonCaption, ImageButton::SelectAll}};
    for (int k = 1; k <= 20; ++k)
        stops.push_back({ControlKind::CheckCaption, k});
    for (Stop s : {Stop{ControlKind::OrderCaption, 1}, {ControlKind::OrderCaption, 2},
                   {ControlKind::ScrollBar, BarIndex::RedBar}, {ControlKind::ScrollBar, BarIndex::GreenBar},
                   {ControlKind::ScrollBar, BarIndex::BlueBar}, {ControlKind::ScrollBar, BarIndex::PcSpecBar},
                   {ControlKind::ScrollBar, BarIndex::SpeedBar},
                   // The background panel's rows: option 1; option 2 with the
                   // colour button and the link beside it; option 3; option 4
                   // with the arrangement beside it; the picture file.
                   {ControlKind::BackgroundCaption, 1}, {ControlKind::BackgroundCaption, 2},
                   {ControlKind::ButtonCaption, ImageButton::BackgroundColor}, {ControlKind::Link, 0},
                   {ControlKind::BackgroundCaption, 3}, {ControlKind::BackgroundCaption, 4},
                   {ControlKind::ArrangementCaption, 1}, {ControlKind::ArrangementCaption, 2},
                   {ControlKind::ButtonCaption, ImageButton::PictureFile}})
        stops.push_back(s);
    for (int i = ImageButton::RestoreDefaults; i <= ImageButton::Save; ++i)
        stops.push_back({ControlKind::ButtonCaption, i});

    std::vector<ControlId> order;
    for (Stop s : stops)
        if (table.find(s))
            order.push_back(s);
    return order;
}

gfx::Rect dialog_placement(gfx::Rect monitor)
{
    gfx::Rect r{monitor.x + (monitor.width - kWindowWidth) / 2, monitor.y + (monitor.height - kWindowHeight) / 2,
                kWindowWidth, kWindowHeight};
    // The close button's right edge (its pressed face is a pixel wider) and
    // the bar's top come onto the monitor; the left edge then goes further
    // off, which only hides ground of the top bar and the dial's left side.
    constexpr int kCloseRight = kCloseButton.x + kCloseButton.width + 1;
    r.x = std::min(r.x, monitor.x + monitor.width - kCloseRight);
    r.y = std::max(r.y, monitor.y);
    return r;
}

std::vector<Control> build_control_table(std::string_view link_address)
{
    std::vector<Control> t;
    auto add = [&t](std::string name, ControlKind kind, int index, gfx::Rect rect) -> Control& {
        Control c;
        c.name = std::move(name);
        c.kind = kind;
        c.index = index;
        c.rect = rect;
        t.push_back(std::move(c));
        return t.back();
    };
    auto label = [&](std::string name, gfx::Rect rect, std::string_view text) -> Control& {
        Control& c = add(std::move(name), ControlKind::Label, 0, rect);
        c.caption = text;
        return c;
    };
    auto image_button = [&](std::string face, std::string caption_name, int button, gfx::Rect rect,
                            std::string_view caption) {
        add(std::move(face), ControlKind::ButtonFace, button, rect);
        Control& c = add(std::move(caption_name), ControlKind::ButtonCaption, button,
                         {rect.x + 1, rect.y + kCaptionDrop, rect.width - 2, kCaptionHeight});
        c.caption = caption;
        c.align = Align::Centre;
    };
    // One of a group of option marks: the 13 x 13 mark Img_`name`(index) at
    // (x, y) of `panel`, its caption lbl_`name`(index) 16 pixels to the right.
    auto option = [&](std::string_view name, ControlKind mark, ControlKind caption_kind, int index, int panel,
                      int x, int y, int caption_width, std::string_view caption) {
        add(indexed("Img_" + std::string(name), index), mark, index, in_panel(panel, x, y, 13, 13));
        add(indexed("lbl_" + std::string(name), index), caption_kind, index,
            in_panel(panel, x + 16, y, caption_width, kCaptionHeight))
            .caption = caption;
    };

    // The top bar and what lies on it.
    add("Image1", ControlKind::TopBar, 0, {0, 0, kWindowWidth, 22});
    label("lbl_Title", {12, 4, 240, kCaptionHeight}, "Orveluneの設定").ink = palette::kPlateText;
    add("ImgExit", ControlKind::CloseButton, 0, kCloseButton);

    // The main surface, the dial and its swatches.
    add("Pic_C", ControlKind::Ground, 0, kPicC);
    add("Display", ControlKind::Dial, 0, kDisplay);
    for (int n = 1; n <= 11; ++n) {
        const int size = swatch_size(n);
        const gfx::Point offset = swatch_offset(n);
        // Half the dial's width plus the offset, less half the swatch, rounded down.
        const int x = gfx::floor_int(kDisplay.width / 2.0 + offset.x - size / 2);
        const int y = gfx::floor_int(kDisplay.height / 2.0 + offset.y - size / 2);
        add(indexed("Pic_Mas", n), ControlKind::Swatch, n, {kDisplay.x + x, kDisplay.y + y, size, size});
    }

    // The panels, each with its title plate and title. The action panel
    // reaches down over the background panel's corner, so it lies above it.
    for (int i : {1, 0, 2, 3, 4, 5}) {
        const gfx::Rect p = kPanels[i].rect;
        add(indexed("Pic_1", i), ControlKind::Panel, i, in_pic_c(p.x, p.y, p.width, p.height));
        add(indexed("Img_T", i), ControlKind::TitlePlate, i, in_panel(i, 8, 8, 95, 22));
        Control& title = label(indexed("lbl_Title", i), in_panel(i, 8, 12, 95, kCaptionHeight),
                               kPanels[i].title);
        title.align = Align::Centre;
        title.ink = palette::kPlateText;

        switch (i) {
        case 0: // action kinds
            image_button("Img_All", "lbl_All", ImageButton::SelectAll, in_panel(0, 116, 8, 65, 20), "全て選択");
            for (int k = 1; k <= 20; ++k) {
                const int y = 36 + 16 * (k - 1);
                add(indexed("Img_Action_Kind", k), ControlKind::CheckMark, k, in_panel(0, 8, y, 12, 12));
                add(indexed("lbl_Action_Kind", k), ControlKind::CheckCaption, k,
                    in_panel(0, 24, y, 160, kCaptionHeight))
                    .caption = ::kActionCaptions[k - 1];
            }
            break;
        case 1: // background
            for (int k = 1; k <= 4; ++k)
                option("Opt_bk", ControlKind::BackgroundMark, ControlKind::BackgroundCaption, k, 1, 8,
                       36 + 16 * (k - 1), kBackgroundCaptionWidths[k - 1], kBackgroundCaptions[k - 1]);
            image_button("Img_C", "lbl_C", ImageButton::BackgroundColor, in_panel(1, 168, 52, 89, 20), "背景色");
            option("Opt_bk_G", ControlKind::ArrangementMark, ControlKind::ArrangementCaption, 1, 1, 136, 84, 36,
                   "中央");
            option("Opt_bk_G", ControlKind::ArrangementMark, ControlKind::ArrangementCaption, 2, 1, 192, 84, 48,
                   "並べる");
            image_button("Img_Path", "lbl_Path", ImageButton::PictureFile, in_panel(1, 24, 104, 33, 20), "...");
            add("BK_Path", ControlKind::PathBox, 0, in_panel(1, 60, 104, 437, 17));
            if (!link_address.empty()) {
                Control& link = add("lbl_URL", ControlKind::Link, 0, in_panel(1, 284, 60, 214, kCaptionHeight));
                link.caption = link_address;
                link.ink = palette::kLink;
            }
            break;
        case 2: // processing pattern
            option("Opt_Ptn", ControlKind::OrderMark, ControlKind::OrderCaption, 1, 2, 8, 36, 36, "順次");
            option("Opt_Ptn", ControlKind::OrderMark, ControlKind::OrderCaption, 2, 2, 64, 36, 56, "ﾗﾝﾀﾞﾑ");
            break;
        case 3: { // ball colour
            constexpr std::string_view kNames[3] = {"赤", "緑", "青"};
            constexpr gfx::Pixel kInks[3] = {palette::kRed, palette::kGreen, palette::kBlue};
            for (int j = 1; j <= 3; ++j) {
                const int y = 36 + 16 * (j - 1);
                Control& c = label(indexed("lbl_RGB", j), in_panel(3, 8, y, 14, 17), kNames[j - 1]);
                c.ink = kInks[j - 1];
                c.text_dy = kScaleLabelDrop;
                add(indexed("H_RGB", j), ControlKind::ScrollBar, j, in_panel(3, 24, y, 101, 17));
            }
            break;
        }
        case 4: // the machine-speed scale (the pause between frames)
            label("lbl_Low", in_panel(4, 12, 36, 16, 17), "低").text_dy = kScaleLabelDrop;
            add("PC_Spec", ControlKind::ScrollBar, BarIndex::PcSpecBar, in_panel(4, 32, 36, 77, 17));
            label("lbl_High", in_panel(4, 116, 36, 16, 17), "高").text_dy = kScaleLabelDrop;
            break;
        case 5: // action speed
            label("lbl_Fast", in_panel(5, 12, 36, 16, 17), "速").text_dy = kScaleLabelDrop;
            add("HS_Fast", ControlKind::ScrollBar, BarIndex::SpeedBar, in_panel(5, 32, 36, 77, 17));
            label("lbl_Slow", in_panel(5, 116, 36, 16, 17), "遅").text_dy = kScaleLabelDrop;
            break;
        }
    }

    for (int i = 0; i < 4; ++i)
        image_button(indexed("Img_Cmd", i), indexed("lbl_Cmd", i), i,
                     in_pic_c(kCommandX, kCommandY[i], 125, 20), kCommandCaptions[i]);
    // The command captions are 123 x 17.
    for (Control& c : t)
        if (c.kind == ControlKind::ButtonCaption && c.index <= ImageButton::Save)
            c.rect.height = 17;

    add("Rim", ControlKind::WindowRim, 0, {0, 0, kWindowWidth, kWindowHeight});
    // The labels are numbered in table order, so each has an id of its own.
    int labels = 0;
    for (Control& c : t)
        if (c.kind == ControlKind::Label)
            c.index = labels++;
    return t;
}

ControlTable::ControlTable(std::string_view link_address) : m_controls(build_control_table(link_address))
{
    for (std::size_t row = 0; row < m_controls.size(); ++row) {
        const Control& c = m_controls[row];
        std::vector<std::int16_t>& rows = m_rows[std::size_t(c.kind)];
        if (rows.size() <= std::size_t(c.index))
            rows.resize(std::size_t(c.index) + 1, -1);
        rows[std::size_t(c.index)] = std::int16_t(row);
    }
}

const Control* ControlTable::find(ControlId id) const
{
    const auto kind = std::size_t(id.kind);
    if (kind >= m_rows.size() || id.index < 0 || std::size_t(id.index) >= m_rows[kind].size())
        return nullptr;
    const std::int16_t row = m_rows[kind][std::size_t(id.index)];
    return row < 0 ? nullptr : &m_controls[std::size_t(row)];
}

const Control* ControlTable::find(std::string_view name) const
{
    for (const Control& c : m_controls)
        if (c.name == name)
            return &c;
    return nullptr;
}

const Control* ControlTable::at(int x, int y) const
{
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
        if (it->kind != ControlKind::WindowRim && it->rect.contains(gfx::Point{x, y}))
            return &*it;
    return nullptr;
}

} // namespace dialog
