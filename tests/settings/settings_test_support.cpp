#include "settings_test_support.h"

#include "settings/cp932.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = fs::temp_directory_path()
            / ("orvelune-settings-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Sjis(std::string_view utf8)
{
    auto bytes = cp932::from_utf8(utf8);
    EXPECT_TRUE(bytes.has_value()) << "expected " << utf8 << " to convert to code page 932";
    return bytes.value_or("");
}

Settings Loaded(const std::string& path)
{
    Settings s;
    LoadSettings(s, path);
    return s;
}

Settings WithSpeed(int speed)
{
    TempFolder none;
    Settings s = Loaded(none.file("missing.ini"));
    s.g_Speed = std::int16_t(speed);
    return s;
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}
