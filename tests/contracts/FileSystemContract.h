// The file-system contract: one suite of FileSystemPort tests, run against every file-system
// port (memory everywhere, posix on Linux, Win32 under Wine). It assumes only what Windows
// does: no listing order, no exact times, no particular drive but the scratch folder's.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/FileSystemPort.h"

namespace kestrover::testing {

// What a file-system implementation offers the contract suite.
class FileSystemHarness {
public:
    virtual ~FileSystemHarness() = default;

    virtual FileSystemPort& Port() = 0;
    // An empty scratch folder on a fixed drive, as a full Windows path without a trailing
    // backslash ("C:\kestrover-fs-test-123"). It exists for the life of the harness and is
    // removed with everything in it afterwards, read-only files included.
    virtual std::string ScratchPath() = 0;
};

struct FileSystemHarnessFactory {
    std::string name;
    std::function<std::unique_ptr<FileSystemHarness>()> make;
};

inline std::string PrintToString(const FileSystemHarnessFactory& factory) { return factory.name; }

class FileSystemContract : public ::testing::TestWithParam<FileSystemHarnessFactory> {
protected:
    void SetUp() override { harness_ = GetParam().make(); }
    void TearDown() override { harness_.reset(); }

    FileSystemPort& Port() { return harness_->Port(); }
    std::string Scratch() { return harness_->ScratchPath(); }
    // A path below the scratch folder: Path("a\\b.txt") is "<scratch>\a\b.txt".
    std::string Path(std::string_view relative) { return Scratch() + "\\" + std::string(relative); }

    // Helpers that fail the test at the caller's line (use with ASSERT_TRUE / EXPECT_TRUE).
    ::testing::AssertionResult WriteBytes(std::string_view path,
                                          const std::vector<std::uint8_t>& bytes);
    ::testing::AssertionResult WriteText(std::string_view path, std::string_view text);
    ::testing::AssertionResult MakeFolder(std::string_view path);
    // The entry GetFileInfo gives; a failure at the caller's line and an empty entry when
    // there is none.
    FileEntry EntryOf(std::string_view path);
    // The file's content as text, or "<error ...>" when it cannot be read.
    std::string ReadText(std::string_view path);
    // Names FindFiles gives for the pattern, sorted bytewise; {"<error ...>"} when it fails.
    std::vector<std::string> FoundNames(std::string_view pattern);

private:
    std::unique_ptr<FileSystemHarness> harness_;
};

// Instantiate with: INSTANTIATE_TEST_SUITE_P(Memory, FileSystemContract,
//     ::testing::Values(FileSystemHarnessFactory{"Memory", [] { return ...; }}),
//     [](const auto& info) { return info.param.name; });

}  // namespace kestrover::testing
