#pragma once

// What file_io.cpp and the settings file's place need from the system: a
// small interface with one implementation per platform, kept with the host
// backends (host/posix/posix_files.cpp, host/win32/win32_files.cpp), the only
// folders that include the system's headers. Those files are compiled into
// the settings library. Internal to it.
#include "settings/file_io.h"

#include <string>

namespace file_io::platform {

// Replaces `folder`/`name`, which is not a link, as replace_file describes;
// the folder exists. Runs on the caller's thread; a failure is returned,
// never thrown, and leaves nothing behind.
std::optional<ReplaceError> replace_in_folder(const std::filesystem::path& folder,
                                              const std::filesystem::path& name, std::string_view bytes);

#ifndef _WIN32
// The user's home folder as a full path: $HOME, or where the password
// database puts it when HOME is unset, empty or relative (a program started
// by a service or with a cleared environment); "" when neither gives a full
// path. Any thread. (Windows keeps the settings beside the program.)
std::string home_folder();
#endif

} // namespace file_io::platform
