// The file-system contract run against the in-memory file system.
#include "contracts/FileSystemContract.h"
#include "platform/memory/MemoryFileSystem.h"

namespace kestrover::testing {

namespace {

class MemoryFileSystemHarness final : public FileSystemHarness {
public:
    MemoryFileSystemHarness() {
        Status made = fileSystem_.AddDirectories(kScratch);
        EXPECT_TRUE(made.ok());
    }

    FileSystemPort& Port() override { return fileSystem_; }
    std::string ScratchPath() override { return kScratch; }

private:
    static constexpr const char* kScratch = "C:\\kestrover-fs-test";
    MemoryFileSystem fileSystem_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Memory, FileSystemContract,
                         ::testing::Values(FileSystemHarnessFactory{
                             "Memory", [] { return std::make_unique<MemoryFileSystemHarness>(); }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace kestrover::testing
