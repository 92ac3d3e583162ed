// The readme the settings dialog's link opens, found from the program's
// folder as each way of installing lays it out.
#include "startup/readme_address.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(ReadmeAddress, FoundBesideTheInstalledProgramAsAFileAddressAndNothingElsewhere)
{
    const fs::path root = fs::temp_directory_path() / "orvelune-readme-test";
    fs::remove_all(root);
    // The readme made (or none), the program's folder, the address's end.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"usr/share/doc/orvelune/README.md", "usr/bin", "/usr/share/doc/orvelune/README.md"},
        {"my saver/share/doc/orvelune/README.md", "my saver/bin", "/my%20saver/share/doc/orvelune/README.md"},
        {"画面/readme-ja.txt", "画面", "/%E7%94%BB%E9%9D%A2/readme-ja.txt"},
        {nullptr, "build/bin", nullptr},
    };
    for (const auto& [readme, folder, expected] : cases) {
        fs::create_directories(root / fs::path(reinterpret_cast<const char8_t*>(folder)));
        if (readme) {
            const fs::path made = root / fs::path(reinterpret_cast<const char8_t*>(readme));
            fs::create_directories(made.parent_path());
            std::ofstream(made) << "readme\n";
        }
        const std::u8string utf8 = (root / fs::path(reinterpret_cast<const char8_t*>(folder))).u8string();
        EXPECT_EQ(installed_readme_address(std::string(utf8.begin(), utf8.end())),
                  expected ? file_address(root.string()) + expected : "")
            << folder;
    }
    fs::remove_all(root);
    EXPECT_EQ(file_address("C:\\Program Files\\Orvelune\\readme-ja.txt"),
              "file:///C:/Program%20Files/Orvelune/readme-ja.txt");
}

} // namespace
