// The dialog's commands: the four command buttons, the close button, select
// all, the picture file and the link. Save and restore defaults are the only
// writers of the settings file.
#include "dialog/ball_p.h"

#include "settings/cp932.h"
#include "settings/file_io.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

#include <filesystem>
#include <system_error>

using namespace dialog;

namespace {

// The title every message of the dialog carries.
constexpr std::string_view kMessageTitle = "球体の色とｱｸｼｮﾝの設定";
constexpr std::string_view kNoActionMessage = "ｱｸｼｮﾝの種類は最低一つ必要です。";

// Why a chosen picture path cannot be kept, or nothing when it can. The
// settings file holds code page 932 text of at most 255 bytes a value, with
// no line breaks, and loses the blanks around a value; a path that does not
// survive that would be saved mangled and name another file, or none.
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

// The chooser opens in the folder of the picture chosen before; without
// one, in the user's pictures folder (the host's choice).
std::string initial_folder_for(const std::string& picture)
{
    if (picture.empty())
        return {};
    const std::filesystem::path folder = file_io::path_from_utf8(picture).parent_path();
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        return {};
    const std::u8string text = folder.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

void Ball_P::warn(const std::string& text)
{
    host.message_box(window.get(), text, kMessageTitle, host::MessageStyle::Exclamation);
}

void Ball_P::press_image_button(int button)
{
    m_pressed_button = button;
    for (const Control& c : m_controls)
        if ((c.kind == ControlKind::ButtonFace || c.kind == ControlKind::ButtonCaption) && c.index == button)
            invalidate(c);
}

void Ball_P::release_image_button(int button)
{
    if (m_pressed_button == button)
        m_pressed_button.reset();
    for (const Control& c : m_controls)
        if ((c.kind == ControlKind::ButtonFace || c.kind == ControlKind::ButtonCaption) && c.index == button)
            invalidate(c);
    // The released face goes on the screen before the command runs (which
    // may open a chooser or close the dialog).
    flush();
}

void Ball_P::lbl_Cmd_MouseDown(int i) { press_image_button(i); }

// The release acts wherever the pointer now is: a press on a button
// followed by a release elsewhere still runs its command.
void Ball_P::lbl_Cmd_MouseUp(int i)
{
    release_image_button(i);
    switch (i) {
    case ImageButton::RestoreDefaults: {
        // Only the file: the controls stay as they are, and the defaults
        // take effect at the next start. A file that could not be written
        // keeps the dialog open with nothing lost.
        const SaveResult result = restore_default_settings_file(settings.g_IniPath);
        if (!result.ok) {
            warn(result.error);
            return;
        }
        unload(DialogOutcome::DefaultsRestored);
        break;
    }
    case ImageButton::VersionInformation:
        if (seams.show_version) {
            // The card is modal: input that still reaches us while it plays
            // (the keyboard focus stays here) is dropped, as a window under
            // a modal one gets none.
            m_card_shown = true;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{m_card_shown};
            seams.show_version(*this);
        }
        break;
    case ImageButton::Cancel: unload(DialogOutcome::Cancelled); break;
    case ImageButton::Save: {
        // Every action is looked at: any one enabled is enough.
        bool missing = true;
        for (int n = 1; n <= 20; ++n)
            if (settings.g_ActionEnabled[std::size_t(n)] == 1)
                missing = false;
        if (missing) {
            warn(std::string(kNoActionMessage));
            return;
        }
        if (SaveAllSettings())
            unload(DialogOutcome::Saved);
        break;
    }
    default: break;
    }
}

bool Ball_P::SaveAllSettings()
{
    // What the dialog shows: the working colours, the dial's colour, the
    // bars and the path; the check items and options are the settings'
    // own values already.
    Settings values = settings;
    for (std::size_t n = 1; n <= 11; ++n) {
        values.g_BallRed[n] = EditRed[n];
        values.g_BallGreen[n] = EditGreen[n];
        values.g_BallBlue[n] = EditBlue[n];
    }
    values.g_BackgroundColor = DisplayBackColor;
    values.g_Speed = std::int16_t(HS_Fast.value());
    values.g_PcSpec = std::int16_t(PC_Spec.value());
    values.g_BackgroundPicturePath = m_path_text;
    // A failure is never reported as success: the user learns what failed,
    // the file keeps its old bytes and the dialog stays open.
    const SaveResult result = save_settings_file(settings.g_IniPath, values);
    if (!result.ok) {
        warn(result.error);
        return false;
    }
    return true;
}

void Ball_P::ImgExit_MouseDown()
{
    m_exit_pressed = true;
    invalidate("ImgExit");
}

void Ball_P::ImgExit_MouseUp()
{
    m_exit_pressed = false;
    invalidate("ImgExit");
    flush();
    unload(DialogOutcome::Cancelled);
}

void Ball_P::lbl_All_MouseDown() { press_image_button(ImageButton::SelectAll); }

// Every action on; there is no command that clears them all.
void Ball_P::lbl_All_MouseUp()
{
    release_image_button(ImageButton::SelectAll);
    for (int n = 1; n <= 20; ++n) {
        settings.g_ActionEnabled[std::size_t(n)] = 1;
        invalidate("Img_Action_Kind(" + std::to_string(n) + ")");
    }
}

void Ball_P::lbl_Path_MouseDown() { press_image_button(ImageButton::PictureFile); }

// The path cannot be typed: this chooser is the only way to change it.
// Choosing a file neither selects the picture background nor checks that
// the file can be read; the loader handles a picture that has gone.
void Ball_P::lbl_Path_MouseUp()
{
    release_image_button(ImageButton::PictureFile);
    if (!window)
        return;
    host::PictureFileRequest request;
    request.title = "背景にする画像ファイルを選択 ";
    request.filter_name = "画像ﾌｧｲﾙ (bmp gif jpg wmf)";
    request.filter_patterns = "*.bmp;*.gif;*.jpg;*.wmf";
    request.initial_folder = initial_folder_for(m_path_text);
    const std::optional<std::string> chosen = host.choose_picture_file(window.get(), request);
    if (!chosen || !window)
        return;
    if (const std::optional<std::string> refusal = picture_path_refusal(*chosen)) {
        warn(*refusal);
        return;
    }
    m_path_text = *chosen;
    invalidate("BK_Path");
}

void Ball_P::lbl_URL_Click()
{
    if (const Control* link = control("lbl_URL"))
        host.open_url(link->caption);
}
