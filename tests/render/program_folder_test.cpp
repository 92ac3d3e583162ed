// The program's folder, which the render tool shares with the saver: the
// folder of the program file itself, wherever the process stands.
#include "host/program.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramWhateverTheCurrentFolder)
{
    const fs::path before = fs::current_path();
    const fs::path folder = host::program_folder();
    fs::current_path(fs::temp_directory_path());
    const fs::path elsewhere = host::program_folder();
    fs::current_path(before);

    EXPECT_TRUE(folder.is_absolute()) << folder;
    EXPECT_TRUE(fs::is_regular_file(folder / "test_render")) << folder;
    EXPECT_EQ(elsewhere, folder);
}

} // namespace
