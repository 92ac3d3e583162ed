#pragma once

#include "settings/settings.h"

#include <string>

// The settings file: one section "Section" of 38 keys (settings_keys.h), in
// code page 932 on every platform. See profile.h for the reader and writer
// underneath, cp932.h for the conversion and number_text.h for what counts
// as a number. Paths are UTF-8.

// Where the settings file lives by default. On Windows: beside the program,
// `program_folder` + "\Orvelune.ini". Elsewhere: $XDG_CONFIG_HOME/orvelune/
// Orvelune.ini, with ~/.config when XDG_CONFIG_HOME is unset, empty or
// relative. The home is $HOME, or the user's home in the password database
// when HOME is unset, empty or relative; never the program's folder or the
// current one. "" when there is no home at all: the settings then load as
// defaults, and a save says why it cannot be made.
std::string default_ini_path(const std::string& program_folder);

// Fills every setting of `s` from the file at `ini_path` (a missing file
// reads as all defaults) and sets s.g_IniPath. A value that is present but
// not a number leaves the field as it was, so start from a zeroed Settings.
// A file that cannot be read (a folder, a FIFO or device, no permission,
// over 16 MB) reads as a missing one.
void LoadSettings(Settings& s, const std::string& ini_path);

// True when `path` names a regular file that can be opened for reading; a
// trailing path separator is dropped first. Never blocks: a FIFO or a device
// is no file here.
bool FileExists(std::string path);

struct SaveResult {
    bool ok = true;
    std::string error; // for a person to read, when !ok; the file is then unchanged
};

// The dialog's "save": all 38 keys from `values`, in order. The whole file is
// written beside the old one and then renamed over it (file_io.h), so a save
// that is interrupted, or that meets another save, leaves one whole file. Other sections, keys and
// comments in the file are kept. The bytes are exactly those that writing
// the 38 keys one by one into the old file would give.
//
// Nothing is written, and the result says why, when a value cannot be
// stored: a picture path with characters that code page 932 cannot carry
// (emoji, hangul, ...) or with a line break or NUL, which would cut the value
// or forge another key; when the old file exists but cannot be read (saving
// over it would lose its other sections); when the file is read-only; or
// when the folder or the file cannot be written.
SaveResult save_settings_file(const std::string& ini_path, const Settings& values);

// The dialog's "restore defaults": all 38 keys with their default texts.
SaveResult restore_default_settings_file(const std::string& ini_path);
