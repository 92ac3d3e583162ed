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
    const fs::path root = fs::temp_directory_path() / ("orvelune-readme-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(root);
    struct Case {
        const char* readme; // made under the root; null: none
        const char* program_folder;
        std::string expected; // after "file://" and the root
    };
    const Case cases[] = {
        {"usr/share/doc/orvelune/README.md", "usr/bin", "/usr/share/doc/orvelune/README.md"},
        {"opt/my saver/share/doc/orvelune/README.md", "opt/my saver/bin", "/opt/my%20saver/share/doc/orvelune/README.md"},
        {"スクリーンセーバー/readme-ja.txt", "スクリーンセーバー",
         "/%E3%82%B9%E3%82%AF%E3%83%AA%E3%83%BC%E3%83%B3%E3%82%BB%E3%83%BC%E3%83%90%E3%83%BC/readme-ja.txt"},
        {nullptr, "build/bin", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program_folder);
        fs::create_directories(root / fs::path(reinterpret_cast<const char8_t*>(c.program_folder)));
        if (c.readme) {
            const fs::path readme = root / fs::path(reinterpret_cast<const char8_t*>(c.readme));
            fs::create_directories(readme.parent_path());
            std::ofstream(readme) << "readme\n";
        }
        const fs::path folder = root / fs::path(reinterpret_cast<const char8_t*>(c.program_folder));
        const std::u8string utf8 = folder.u8string();
        const std::string address = installed_readme_address(std::string(utf8.begin(), utf8.end()));
        EXPECT_EQ(address, c.expected.empty() ? "" : file_address(root.string()) + c.expected);
    }
    fs::remove_all(root);
    EXPECT_EQ(file_address("C:\\Program Files\\Orvelune\\readme-ja.txt"),
              "file:///C:/Program%20Files/Orvelune/readme-ja.txt");
}

} // namespace
