#pragma once

#include <string>
#include <string_view>

namespace host {

// A full Windows path in the form the system's wide-character file
// functions open at any length: Windows refuses an ordinary path of
// MAX_PATH (260) characters or more, but takes one of up to 32767 after the
// prefix "\\?\" ("\\?\UNC\server\share\..." for a network path). Behind the
// prefix the system no longer tidies the path, so this does: '/' becomes
// '\', repeated separators become one, "." goes and ".." takes back the
// component before it (never the drive or the server's share). A path that
// has the prefix already, a device path ("\\.\...") and a path that is not
// full (relative, or relative to a drive's current folder or root) come
// back unchanged, the last to be made full by the system first.
std::wstring long_path_form(std::wstring_view path);

} // namespace host
