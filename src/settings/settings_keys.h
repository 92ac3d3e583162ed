#pragma once

#include <array>
#include <optional>
#include <string_view>

// The 38 keys of the settings file, in the order they are written, with the
// text that "restore defaults" writes for each. The loader, both writers and
// the tests all walk this one table. Key texts are UTF-8 here and go to the
// file as their code page 932 bytes; note the half-width katakana ("ｱｸｼｮﾝ",
// "ﾊﾟﾀｰﾝ", "ﾌｧｲﾙ", "ｽﾍﾟｯｸ"), whose bytes differ from the full-width ones.

enum class SettingKind {
    BallColor,             // "RRR-GGG-BBB" into g_BallRed/Green/Blue[slot]
    ActionEnabled,         // number into g_ActionEnabled[slot]
    OrderMode,             // number into g_OrderMode
    BackgroundColor,       // 32-bit number into g_BackgroundColor
    Speed,                 // number into g_Speed (and so g_SpeedFactor)
    BackgroundMode,        // number into g_BackgroundMode
    BackgroundArrangement, // number into g_BackgroundArrangement
    BackgroundPicturePath, // text into g_BackgroundPicturePath
    PcSpec,                // number into g_PcSpec
};

// The values a setting is used with; the saver takes a value outside them at
// the nearer bound (the file keeps what it holds).
struct SettingRange {
    int lowest;
    int highest;
};

// How the settings dialog's scroll bar offers a setting: the value at its
// left and right ends, and the steps of an arrow and of a press on the track.
struct BarScale {
    int min;
    int max;
    int small_change;
    int large_change;
};

// Each colour component from 0 to 127.
inline constexpr BarScale kComponentBar{0, 127, 1, 10};

struct SettingKey {
    std::string_view key;          // UTF-8
    SettingKind kind;
    int slot;                      // 1..11 for colours, 1..20 for actions, else 0
    std::string_view default_text; // what "restore defaults" writes; an empty value reads as this too
    // Keys without a range are used as they are read.
    std::optional<SettingRange> range = std::nullopt;
    // Keys the dialog shows on a scroll bar.
    std::optional<BarScale> bar = std::nullopt;
};

// The one section of the file.
inline constexpr std::string_view kSettingsSection = "Section";

inline constexpr std::array<SettingKey, 38> kSettingKeys = {{
    // The default colour table: red, green, blue of each ball, "000" each.
    {"球色_01", SettingKind::BallColor, 1, "000-000-088", std::nullopt, kComponentBar},
    {"球色_02", SettingKind::BallColor, 2, "000-048-000", std::nullopt, kComponentBar},
    {"球色_03", SettingKind::BallColor, 3, "076-000-000", std::nullopt, kComponentBar},
    {"球色_04", SettingKind::BallColor, 4, "082-026-000", std::nullopt, kComponentBar},
    {"球色_05", SettingKind::BallColor, 5, "080-000-070", std::nullopt, kComponentBar},
    {"球色_06", SettingKind::BallColor, 6, "000-048-062", std::nullopt, kComponentBar},
    {"球色_07", SettingKind::BallColor, 7, "068-042-004", std::nullopt, kComponentBar},
    {"球色_08", SettingKind::BallColor, 8, "070-048-048", std::nullopt, kComponentBar},
    {"球色_09", SettingKind::BallColor, 9, "080-030-030", std::nullopt, kComponentBar},
    {"球色_10", SettingKind::BallColor, 10, "072-032-056", std::nullopt, kComponentBar},
    {"球色_11", SettingKind::BallColor, 11, "000-000-088", std::nullopt, kComponentBar},
    {"ｱｸｼｮﾝ_01", SettingKind::ActionEnabled, 1, "1"},
    {"ｱｸｼｮﾝ_02", SettingKind::ActionEnabled, 2, "1"},
    {"ｱｸｼｮﾝ_03", SettingKind::ActionEnabled, 3, "1"},
    {"ｱｸｼｮﾝ_04", SettingKind::ActionEnabled, 4, "1"},
    {"ｱｸｼｮﾝ_05", SettingKind::ActionEnabled, 5, "1"},
    {"ｱｸｼｮﾝ_06", SettingKind::ActionEnabled, 6, "1"},
    {"ｱｸｼｮﾝ_07", SettingKind::ActionEnabled, 7, "1"},
    {"ｱｸｼｮﾝ_08", SettingKind::ActionEnabled, 8, "1"},
    {"ｱｸｼｮﾝ_09", SettingKind::ActionEnabled, 9, "1"},
    {"ｱｸｼｮﾝ_10", SettingKind::ActionEnabled, 10, "1"},
    {"ｱｸｼｮﾝ_11", SettingKind::ActionEnabled, 11, "1"},
    {"ｱｸｼｮﾝ_12", SettingKind::ActionEnabled, 12, "1"},
    {"ｱｸｼｮﾝ_13", SettingKind::ActionEnabled, 13, "1"},
    {"ｱｸｼｮﾝ_14", SettingKind::ActionEnabled, 14, "1"},
    {"ｱｸｼｮﾝ_15", SettingKind::ActionEnabled, 15, "1"},
    {"ｱｸｼｮﾝ_16", SettingKind::ActionEnabled, 16, "1"},
    {"ｱｸｼｮﾝ_17", SettingKind::ActionEnabled, 17, "1"},
    {"ｱｸｼｮﾝ_18", SettingKind::ActionEnabled, 18, "1"},
    {"ｱｸｼｮﾝ_19", SettingKind::ActionEnabled, 19, "1"},
    {"ｱｸｼｮﾝ_20", SettingKind::ActionEnabled, 20, "1"},
    {"処理ﾊﾟﾀｰﾝ", SettingKind::OrderMode, 0, "2"},        // 2: random order
    {"背景色", SettingKind::BackgroundColor, 0, " 0"},      // black, as a signed number text
    // The speed is the frame count of every glide and the divisor of every
    // per-frame step, and the curve actions scale their angular steps by the
    // speed factor derived from it. A speed below 1 would divide by zero (or
    // glide backwards with a negative count); a speed of 35 or more gives a
    // factor of 0 or below, with which a curve whose angle must reach a bound
    // never gets there. The dialog offers 10 ("速", left) to 30 ("遅",
    // right); the saver runs 1 to 30.
    {"速さ", SettingKind::Speed, 0, "15", SettingRange{1, 30}, BarScale{10, 30, 1, 5}},
    {"背景ﾊﾟﾀｰﾝ", SettingKind::BackgroundMode, 0, "2"},    // 2: single colour
    {"背景配列ﾊﾟﾀｰﾝ", SettingKind::BackgroundArrangement, 0, "1"}, // 1: centred
    {"背景画像ﾌｧｲﾙ", SettingKind::BackgroundPicturePath, 0, ""},
    // The pause after every frame in milliseconds. A negative pause means no
    // pause; beyond one second per frame the saver would look frozen and
    // ignore the mouse for that long between frames, so the pause stops there.
    // The dialog offers 0 ("低") to 100 ("高").
    {"PCｽﾍﾟｯｸ", SettingKind::PcSpec, 0, "50", SettingRange{0, 1000}, BarScale{0, 100, 1, 10}},
}};

// The default colour text of a ball slot (1..11).
constexpr std::string_view default_color_text(int slot) { return kSettingKeys[std::size_t(slot - 1)].default_text; }

// The range of the (first) key of a kind; a kind without one has none.
constexpr std::optional<SettingRange> setting_range(SettingKind kind)
{
    for (const SettingKey& k : kSettingKeys)
        if (k.kind == kind)
            return k.range;
    return std::nullopt;
}

// The scroll bar of the (first) key of a kind; a kind the dialog shows no
// bar for has none.
constexpr std::optional<BarScale> setting_bar(SettingKind kind)
{
    for (const SettingKey& k : kSettingKeys)
        if (k.kind == kind)
            return k.bar;
    return std::nullopt;
}
