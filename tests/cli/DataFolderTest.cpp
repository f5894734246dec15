// The command line's data folder on the system this build runs on: the executable's folder by
// default, any folder with --data-dir, always reachable through the ports' file system.
#include "cli/DataFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/ApplicationShell.h"
#include "scanner/FileReference.h"

namespace kestrover::cli {
namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        host_ = fs::temp_directory_path() / ("kestrover-data-" + std::to_string(random()));
        fs::create_directories(host_);
        std::ofstream(host_ / "probe.txt") << "probe";
        auto platform = CreateNativePlatform({});
        ASSERT_TRUE(platform.ok());
        native_ = std::move(*platform);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(host_, ignored);
    }

    fs::path host_;
    std::unique_ptr<NativePlatform> native_;
};

TEST_F(DataFolderTest, TheExecutablesFolderByDefault) {
    Result<std::string> folder = OpenDataFolder(*native_, "");
    ASSERT_TRUE(folder.ok()) << folder.error().Describe();
    EXPECT_EQ(folder->back(), '\\');
    FileSystemPort& files = native_->Ports().fileSystem;
    EXPECT_TRUE(files.DirectoryExists(*folder));
    const std::string executable = native_->Ports().environment.ExecutablePath();
    EXPECT_EQ(DataFolderOf(executable), *folder);
    EXPECT_TRUE(files.FileExists(executable)) << executable;
}

TEST_F(DataFolderTest, AGivenFolderIsReachedThroughThePorts) {
    Result<std::string> folder = OpenDataFolder(*native_, host_.string());
    ASSERT_TRUE(folder.ok()) << folder.error().Describe();
    EXPECT_EQ(folder->back(), '\\');
    FileSystemPort& files = native_->Ports().fileSystem;
    EXPECT_TRUE(files.FileExists(*folder + "probe.txt"));

    // What the program writes there lands in the folder given.
    const std::string backup = PrepareBackupFolder(files, *folder);
    EXPECT_TRUE(fs::is_directory(host_ / "Backup")) << backup;

    // Asking again gives the same folder, and a trailing separator changes nothing.
    EXPECT_EQ(OpenDataFolder(*native_, host_.string()).value(), *folder);
    EXPECT_EQ(OpenDataFolder(*native_, (host_ / "").string()).value(), *folder);

#ifndef _WIN32
    // On Linux the folder is a drive of its own that the scan does not take for a local
    // disk, so its files are never judged as the machine's.
    const std::string root = folder->substr(0, 3);
    const std::vector<std::string> local = BuildLocalDrives(files);
    EXPECT_EQ(std::find(local.begin(), local.end(), root), local.end()) << root;
#endif
}

TEST_F(DataFolderTest, ARelativeFolderIsMadeAbsolute) {
    const fs::path previous = fs::current_path();
    fs::current_path(host_);
    Result<std::string> relative = OpenDataFolder(*native_, ".");
    fs::current_path(previous);
    ASSERT_TRUE(relative.ok()) << relative.error().Describe();
    EXPECT_TRUE(native_->Ports().fileSystem.FileExists(*relative + "probe.txt")) << *relative;
    EXPECT_EQ(OpenDataFolder(*native_, host_.string()).value(), *relative);
}

TEST_F(DataFolderTest, AMissingFolderIsRefusedAndNeverCreated) {
    const fs::path missing = host_ / "missing";
    Result<std::string> folder = OpenDataFolder(*native_, missing.string());
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.code(), ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(missing));

    // A file is no folder.
    EXPECT_EQ(OpenDataFolder(*native_, (host_ / "probe.txt").string()).code(), ErrorCode::NotFound);
}

#ifndef _WIN32
TEST_F(DataFolderTest, AFolderInsideAMappedDriveKeepsThatDrivesPath) {
    fs::create_directories(host_ / "data");
    NativePlatformOptions options;
    options.drives.push_back({'C', host_.string()});
    auto platform = CreateNativePlatform(options);
    ASSERT_TRUE(platform.ok());
    Result<std::string> folder = OpenDataFolder(**platform, (host_ / "data").string());
    ASSERT_TRUE(folder.ok()) << folder.error().Describe();
    EXPECT_EQ(*folder, "C:\\data\\");
}
#endif

}  // namespace
}  // namespace kestrover::cli
