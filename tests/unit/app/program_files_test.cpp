// Where the program finds its data: beside its bin/ folder once installed,
// the source tree's resources when run from the build folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/program_files.h"
#include "common/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using orvex::app::dataDirectoryFor;

const fs::path kSourceResources = fs::path(ORVEX_SOURCE_DIR) / "resources";

TEST(ProgramFiles, DataFolderFollowsTheProgramsPlace) {
    TempFolder root;
    const fs::path installedData = root.path() / "usr/share/orvex-readersetup";
    fs::create_directories(installedData);
    fs::create_directories(root.path() / "opt/bin");

    // Installed under a prefix: that prefix's data folder, wherever the prefix is.
    EXPECT_EQ(dataDirectoryFor((root.path() / "usr/bin/OrvexReaderSetup").string()), installedData.string());
    // Installed, but the data folder is missing: never the source tree.
    const std::string withoutData = dataDirectoryFor((root.path() / "opt/bin/orvexctl").string());
    EXPECT_NE(withoutData, kSourceResources.string());
    EXPECT_TRUE(withoutData.ends_with("share/orvex-readersetup")) << withoutData;
    // Run from a build folder: the source tree's resources.
    EXPECT_EQ(dataDirectoryFor((root.path() / "build/orvexctl").string()), kSourceResources.string());
}

TEST(ProgramFiles, TestsFromTheBuildFolderReadTheSourceStringTable) {
    EXPECT_EQ(fs::path(orvex::app::programDataDirectory()), kSourceResources);
}

}  // namespace
