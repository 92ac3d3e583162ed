#pragma once

#include "settings/settings.h"

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

// A fresh folder per test under the system's temporary folder, removed again
// at the end, and the whole-file helpers the settings tests share.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);

// UTF-8 to code page 932, failing the test when it cannot be converted.
std::string Sjis(std::string_view utf8);

// A settings value loaded from the file at `path`, starting from zero.
Settings Loaded(const std::string& path);

// The defaults, as a missing file loads them, with this speed.
Settings WithSpeed(int speed);

// The names of the entries of a folder.
std::set<std::string> Names(const std::filesystem::path& folder);
