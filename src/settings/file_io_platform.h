#pragma once

// What file_io.cpp needs from the system, one implementation per platform
// (file_io_posix.cpp, file_io_windows.cpp). Internal to the settings library.
#include "settings/file_io.h"

namespace file_io::platform {

// Replaces `folder`/`name`, which is not a link, as replace_file describes;
// the folder exists.
std::optional<ReplaceError> replace_in_folder(const std::filesystem::path& folder,
                                              const std::filesystem::path& name, std::string_view bytes);

} // namespace file_io::platform
