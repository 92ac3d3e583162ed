// The lock file that lets one saver or settings dialog run per display, for
// the desktop hosts. The kernel arbitrates the lock (an open file
// description lock), so of any number of starts at once exactly one gets it,
// and it lets go when the process ends, however it ends. The file's name is
// never followed: whatever is there that is not a regular file is replaced.
#pragma once

#include "host/host.h"

#include <string>

namespace host::x11 {

// `file_name` in a folder only this user can write to ($XDG_RUNTIME_DIR, or
// a private folder of ours under /tmp); "" with the reason in `error` when
// there is no such folder.
std::string instance_lock_path(const std::string& file_name, std::string& error);
// The same in `folder` when that is a folder only this user can write to,
// else in the private folder under /tmp, whatever $XDG_RUNTIME_DIR says: for
// a lock whose place must not depend on how a start's environment was set.
std::string instance_lock_path_in(const char* folder, const std::string& file_name,
                                  std::string& error);

// Takes the lock on the file at `path` (made, or replaced when it is no
// regular file) and keeps its descriptor in `held_fd`; Claimed at once when
// `held_fd` already holds one. Unavailable (with a message on standard error)
// when the file cannot be had, HeldElsewhere when another process holds it.
InstanceClaim claim_instance_lock(const std::string& path, int& held_fd);

// Whether another process holds the lock at `path`; only looks, never makes
// or replaces the file.
bool instance_lock_held_elsewhere(const std::string& path);

} // namespace host::x11
