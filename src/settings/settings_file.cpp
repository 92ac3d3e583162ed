#include "settings/settings_file.h"

#include "settings/cp932.h"
#include "settings/file_io.h"
#include "settings/file_io_platform.h"
#include "settings/number_text.h"
#include "settings/profile.h"
#include "settings/setting_choices.h"
#include "settings/settings_keys.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// The table's texts are all code page 932 characters (a test checks it).
std::string file_text(std::string_view utf8) { return cp932::from_utf8(utf8).value_or(std::string()); }

// The 16-bit field a number key fills, or nullptr for the other kinds; for a
// const Settings the pointer is const too.
template <class SettingsT>
auto integer_field(SettingsT& s, const SettingKey& k) -> decltype(&s.g_OrderMode)
{
    switch (k.kind) {
    case SettingKind::ActionEnabled: return &s.g_ActionEnabled[std::size_t(k.slot)];
    case SettingKind::OrderMode: return &s.g_OrderMode;
    case SettingKind::Speed: return &s.g_Speed;
    case SettingKind::BackgroundMode: return &s.g_BackgroundMode;
    case SettingKind::BackgroundArrangement: return &s.g_BackgroundArrangement;
    case SettingKind::PcSpec: return &s.g_PcSpec;
    default: return nullptr;
    }
}

// Characters 1-3, 5-7 and 9-11 of the colour text; the separators are not
// looked at. A field that is not a number leaves that component as it was.
void apply_color_text(Settings& s, int slot, std::string_view text)
{
    auto slot_index = std::size_t(slot);
    std::int16_t* components[] = {&s.g_BallRed[slot_index], &s.g_BallGreen[slot_index], &s.g_BallBlue[slot_index]};
    for (std::size_t c = 0; c < 3; ++c)
        if (auto v = number_text::integer_part(number_text::char_slice(text, 1 + 4 * c, 3)))
            *components[c] = *v;
}

// The value text the save writes for one key.
std::string saved_text(const Settings& s, const SettingKey& k)
{
    auto slot = std::size_t(k.slot);
    switch (k.kind) {
    case SettingKind::BallColor:
        return number_text::color_text(s.g_BallRed[slot], s.g_BallGreen[slot], s.g_BallBlue[slot]);
    case SettingKind::BackgroundColor: return number_text::signed_text(s.g_BackgroundColor);
    case SettingKind::BackgroundPicturePath: return std::string(number_text::trim(s.g_BackgroundPicturePath, " "));
    default: return number_text::signed_text(*integer_field(s, k));
    }
}

// A settings file is a few kilobytes; anything past this is not one, and
// reading it whole could exhaust memory.
constexpr std::size_t kMaxSettingsFileBytes = 16 * 1024 * 1024;

using KeyValues = std::vector<std::pair<std::string_view, std::string>>; // UTF-8 key, UTF-8 value

std::string read_failure(file_io::ReadStatus status, const std::string& ini_path)
{
    switch (status) {
    case file_io::ReadStatus::Folder: return "設定ファイルの場所がフォルダーです: " + ini_path;
    case file_io::ReadStatus::TooLarge: return "設定ファイルが大きすぎます: " + ini_path;
    default: return "設定ファイルを読めません: " + ini_path;
    }
}

std::string save_failure(const file_io::ReplaceError& error, const std::string& ini_path)
{
    using Step = file_io::ReplaceError::Step;
    std::string what;
    switch (error.step) {
    case Step::Folder: what = "フォルダーを作れません"; break;
    case Step::NotAFile: what = "ファイルではないものがあります"; break;
    case Step::ReadOnly: what = "読み取り専用です"; break;
    case Step::Temporary: what = "一時ファイルを作れません"; break;
    case Step::Write: what = "一時ファイルに書けません"; break;
    case Step::Rename: what = "置き換えられません"; break;
    }
    if (error.code)
        what += ": " + error.code.message();
    return "設定ファイルを保存できませんでした: " + ini_path + " (" + what + ")";
}

// Applies the values to the file's text, exactly as the same sequence of
// single-key writes would, and then replaces the file in one step. A value
// that code page 932 cannot carry, or that holds a line break or a NUL
// (which would end the value early or forge another key), is refused before
// anything is written.
SaveResult write_keys(const std::string& ini_path, const KeyValues& values)
{
    if (ini_path.empty())
        return {false, "ホームフォルダーが見つからないため、設定を保存できませんでした。"};
    std::vector<std::pair<std::string, std::string>> encoded;
    for (const auto& [key, value] : values) {
        auto bytes = cp932::from_utf8(value);
        if (!bytes || value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            return {false, "「" + std::string(key) + "」の値には設定ファイル (Shift_JIS) に書けない文字が"
                               "含まれているため、設定を保存できませんでした。"};
        encoded.emplace_back(file_text(key), std::move(*bytes));
    }

    std::string old;
    file_io::ReadStatus status = file_io::read_file(ini_path, kMaxSettingsFileBytes, old);
    if (status != file_io::ReadStatus::Read && status != file_io::ReadStatus::Missing)
        return {false, read_failure(status, ini_path)};
    profile::ProfileText text(std::move(old));
    // A file saved as UTF-8 or UTF-16 is written back in code page 932; one
    // whose other lines hold characters the code page lacks would lose them.
    if (!text.converted_exactly())
        return {false, "設定ファイルに Shift_JIS で書けない文字があり、保存するとその文字が失われるため、"
                       "保存しませんでした: " + ini_path};
    text.set_all(file_text(kSettingsSection), encoded);
    if (auto error = file_io::replace_file(ini_path, text.bytes()))
        return {false, save_failure(*error, ini_path)};
    return {};
}

} // namespace

std::string default_ini_path(const std::string& program_folder)
{
#ifdef _WIN32
    // Always adds the separator, even when the folder already ends in one
    // (a drive root gives "C:\\Orvelune.ini", which Windows accepts).
    return program_folder + "\\Orvelune.ini";
#else
    (void)program_folder; // the settings are the user's, never the program's
    // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory rules
    // say; a relative HOME too, which would put the file in whatever folder
    // the program was started from.
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else if (std::string home = file_io::platform::home_folder(); !home.empty())
        base = home + "/.config";
    else
        return {};
    return base + "/orvelune/Orvelune.ini";
#endif
}

bool FileExists(std::string path)
{
    // One trailing separator is dropped; "/" counts as one too, since it is
    // the separator on Linux and Windows accepts it as well.
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    if (path.empty())
        return false;
    // Only a regular file counts: a folder opens on Linux, yet it is no
    // picture, and a FIFO would hang whoever reads it.
    file_io::InputFile file;
    return file.open(path) == file_io::ReadStatus::Read;
}

void LoadSettings(Settings& s, const std::string& ini_path)
{
    s.g_IniPath = ini_path;
    for (int slot = 1; slot <= 11; ++slot)
        s.g_DefaultColorText[std::size_t(slot)] = std::string(default_color_text(slot));

    // An unreadable file reads like a missing one: every default applies.
    std::string bytes;
    if (file_io::read_file(ini_path, kMaxSettingsFileBytes, bytes) != file_io::ReadStatus::Read)
        bytes.clear();
    std::vector<std::string> keys;
    for (const SettingKey& k : kSettingKeys)
        keys.push_back(file_text(k.key));
    const std::vector<std::string> values = profile::ProfileText(std::move(bytes)).get_all(file_text(kSettingsSection), keys);
    auto read = [&](const SettingKey& k) { return cp932::to_utf8(values[std::size_t(&k - kSettingKeys.data())]); };

    // The colours come from the file only when all eleven keys have a value;
    // one empty or missing key gives every ball its default colour.
    bool all_colors = true;
    for (const SettingKey& k : kSettingKeys) {
        if (k.kind != SettingKind::BallColor)
            continue;
        std::string value = read(k);
        if (value.empty()) {
            all_colors = false;
            break;
        }
        apply_color_text(s, k.slot, value);
    }
    if (!all_colors)
        for (int slot = 1; slot <= 11; ++slot)
            apply_color_text(s, slot, s.g_DefaultColorText[std::size_t(slot)]);

    // A value that is not a number, or out of range, leaves the field as it
    // was; an empty or missing one gives the default.
    for (const SettingKey& k : kSettingKeys) {
        if (k.kind == SettingKind::BallColor)
            continue;
        std::string value = read(k);
        std::string_view source = value.empty() ? k.default_text : std::string_view(value);
        if (k.kind == SettingKind::BackgroundPicturePath) {
            s.g_BackgroundPicturePath = value;
        } else if (k.kind == SettingKind::BackgroundColor) {
            if (auto v = number_text::rounded_int32(source))
                s.g_BackgroundColor = *v;
        } else if (auto v = number_text::integer_part(source)) {
            *integer_field(s, k) = *v;
        }
    }

    s.g_SpeedFactor = speed_factor_for(s.g_Speed);
    // The picture path is kept as written, unopened: a path on a network
    // mount that stopped answering would hold the loader (and so the saver,
    // the dialog and start-up) for good. Pattern 4 without a file at its
    // path shows the ball grid; the saver's decoder finds that out.
}

SaveResult save_settings_file(const std::string& ini_path, const Settings& values)
{
    KeyValues key_values;
    for (const SettingKey& k : kSettingKeys)
        key_values.emplace_back(k.key, saved_text(values, k));
    return write_keys(ini_path, key_values);
}

SaveResult restore_default_settings_file(const std::string& ini_path)
{
    KeyValues key_values;
    for (const SettingKey& k : kSettingKeys)
        key_values.emplace_back(k.key, std::string(k.default_text));
    return write_keys(ini_path, key_values);
}
