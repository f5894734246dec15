// The file-system contract run against the posix file system: a temporary host folder mapped
// as drive C:, with the scratch folder inside it.
#include <unistd.h>

#include "contracts/FileSystemContract.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TemporaryHostFolder.h"

namespace kestrover::testing {

namespace {

class PosixFileSystemHarness final : public FileSystemHarness {
public:
    PosixFileSystemHarness() {
        EXPECT_TRUE(host_.Made()) << "cannot make a temporary host folder";
        fileSystem_.MapDrive('C', host_.Host(), DriveType::Fixed);
        Status made = fileSystem_.CreateDirectory(scratch_);
        EXPECT_TRUE(made.ok()) << made.error().Describe();
    }

    FileSystemPort& Port() override { return fileSystem_; }
    std::string ScratchPath() override { return scratch_; }

private:
    TemporaryHostFolder host_;
    std::string scratch_ = "C:\\kestrover-fs-test-" + std::to_string(::getpid());
    PosixFileSystem fileSystem_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Posix, FileSystemContract,
                         ::testing::Values(FileSystemHarnessFactory{
                             "Posix", [] { return std::make_unique<PosixFileSystemHarness>(); }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace kestrover::testing
