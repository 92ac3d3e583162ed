#pragma once

#include "dialog/model.h"
#include "host/host.h"

#include <optional>
#include <string>

// The dialog's commands that reach past the window: the settings file, the
// system's choosers and the readme. Each runs to the end and says what
// came of it; the window then closes or repaints. `owner` is the dialog's
// window, which the choosers and messages stand over.
namespace dialog {

// Tells the user, with the dialog's message title and icon.
void warn(host::Host& host, host::Window* owner, const std::string& text);

// "設 定": writes every setting the dialog shows. False (after telling the
// user why) when no action is enabled or the file could not be written,
// which leaves it as it was.
bool SaveAllSettings(const DialogModel& model, host::Host& host, host::Window* owner);

// "初期設定に戻す": only the file; the controls stay as they are, and the
// defaults take effect at the next start. False (after telling the user
// why) when the file could not be written.
bool restore_defaults(const DialogModel& model, host::Host& host, host::Window* owner);

// "背景色": the colour chooser, opened at black whatever the ball's colour
// is now. Nothing when it was cancelled.
std::optional<gfx::ColorRef> choose_dial_colour(host::Host& host, host::Window* owner);

// "...": the picture chooser, opened in the folder of the picture chosen
// before. Nothing when it was cancelled. The choice is kept only when
// picture_path_refusal has nothing against it.
std::optional<std::string> choose_picture_path(const DialogModel& model, host::Host& host, host::Window* owner);

// Why a chosen picture path cannot be kept, or nothing when it can.
std::optional<std::string> picture_path_refusal(const std::string& path);

} // namespace dialog
