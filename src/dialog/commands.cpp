// The dialog's commands; see commands.h. Save and restore defaults are the
// only writers of the settings file.
#include "dialog/commands.h"

#include "settings/cp932.h"
#include "settings/file_io.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

#include <filesystem>
#include <system_error>

namespace dialog {

namespace {

// The title every message of the dialog carries.
constexpr std::string_view kMessageTitle = "球体の色とｱｸｼｮﾝの設定";
constexpr std::string_view kNoActionMessage = "ｱｸｼｮﾝの種類は最低一つ必要です。";

// The chooser opens in the folder of the picture chosen before; without
// one, in the user's pictures folder (the host's choice). Whether that
// folder is still there is the host's to find, in bounded time: a folder on
// a network mount that stopped answering would hold whoever looks at it.
std::string initial_folder_for(const std::string& picture)
{
    if (picture.empty())
        return {};
    const std::filesystem::path folder = file_io::path_from_utf8(picture).parent_path();
    if (folder.empty())
        return {};
    const std::u8string text = folder.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

// The settings file holds code page 932 text of at most 255 bytes a value,
// with no line breaks, and loses the blanks around a value; a path that does
// not survive that would be saved mangled and name another file, or none.
std::optional<std::string> picture_path_refusal(const std::string& path)
{
    const std::optional<std::string> bytes = cp932::from_utf8(path);
    const bool breaks = path.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
    const bool blank_ends = !path.empty() && (path.front() == ' ' || path.back() == ' '
                                              || path.front() == '\t' || path.back() == '\t');
    if (!bytes || breaks || blank_ends)
        return "このファイルの名前には、設定ファイル (Shift_JIS) に書けない文字が含まれているため、"
               "背景の画像にできません。\n\n" + path;
    if (bytes->size() > profile::kMaxValueBytes)
        return "このファイルのパスは長すぎるため (設定ファイルに書けるのは 255 バイトまで)、"
               "背景の画像にできません。\n\n" + path;
    return std::nullopt;
}

void warn(host::Host& host, host::Window* owner, const std::string& text)
{
    host.message_box(owner, text, kMessageTitle, host::MessageStyle::Exclamation);
}

bool SaveAllSettings(const DialogModel& model, host::Host& host, host::Window* owner)
{
    if (!model.any_action_enabled()) {
        warn(host, owner, std::string(kNoActionMessage));
        return false;
    }
    // A failure is never reported as success: the user learns what failed,
    // the file keeps its old bytes and the dialog stays open.
    const SaveResult result = save_settings_file(model.settings().g_IniPath, model.values_to_save());
    if (!result.ok) {
        warn(host, owner, result.error);
        return false;
    }
    return true;
}

bool restore_defaults(const DialogModel& model, host::Host& host, host::Window* owner)
{
    const SaveResult result = restore_default_settings_file(model.settings().g_IniPath);
    if (!result.ok) {
        warn(host, owner, result.error);
        return false;
    }
    return true;
}

std::optional<gfx::ColorRef> choose_dial_colour(host::Host& host, host::Window* owner)
{
    return host.choose_color(owner, 0);
}

// The path cannot be typed: this chooser is the only way to change it.
// Choosing a file neither selects the picture background nor checks that
// the file can be read; the loader handles a picture that has gone.
std::optional<std::string> choose_picture_path(const DialogModel& model, host::Host& host, host::Window* owner)
{
    host::PictureFileRequest request;
    request.title = "背景にする画像ファイルを選択 ";
    request.filter_name = "画像ﾌｧｲﾙ (bmp gif jpg wmf)";
    request.filter_patterns = "*.bmp;*.gif;*.jpg;*.wmf";
    request.initial_folder = initial_folder_for(model.BK_Path());
    return host.choose_picture_file(owner, request);
}

} // namespace dialog
