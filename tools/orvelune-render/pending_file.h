#pragma once

#include <filesystem>
#include <string>

// A file the tool writes whole or not at all. What is written goes to a new
// file beside the target (in its folder, so that the rename never crosses
// file systems), which takes the target's place only when complete. A run
// that fails, or that a signal ends (SIGINT, SIGTERM, SIGHUP), removes its
// own unfinished file and leaves whatever was at the target as it was: an
// earlier clip is never lost to a run that wrote nothing better.
//
// A target that is a symbolic link is written through it: the file it
// names is replaced and the link stays. A target that is something other
// than a file or a folder (a FIFO, /dev/null, a terminal) cannot be
// replaced: it is written in place, as before.
class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile() { discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Makes the new file, empty. False, with a reason in `error`, when the
    // folder cannot hold it or the target is a folder.
    bool open(const std::string& target, std::string& error);
    // Where to write until commit(): the new file's path.
    const std::string& path() const { return m_path; }
    // Puts the new file in the target's place; false, with a reason in
    // `error`, when it cannot be (the new file is then removed).
    bool commit(std::string& error);
    // Removes the new file, if it is still there.
    void discard();

private:
    std::string m_target; // links followed
    std::string m_path;
    bool m_in_place = false;
    bool m_keeps_permissions = false; // those of the file it replaces
    std::filesystem::perms m_permissions = std::filesystem::perms::none;
    int m_slot = -1; // where the signal handler finds the path
};

// Whether two paths name the same file: the same file system object when
// both exist (however they are spelled, through links or hard links), else
// the same full path once the links in it are followed.
bool same_file(const std::string& a, const std::string& b);
