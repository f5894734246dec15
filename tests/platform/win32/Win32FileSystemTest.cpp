// The Win32 file-system port under Wine: the contract suite on a scratch folder below C:\, and
// what only the real system shows: long paths and their "\\?\" form, and paths beyond any limit.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "contracts/FileSystemContract.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::testing {
namespace {

using win32::ToWide;

// Removes a folder with everything in it, read-only entries included. It works on the
// "\\?\" form directly, so that it cleans up even what the port under test left behind.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    win32::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &data)) {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            EXPECT_TRUE(::DeleteFileW(path.c_str())) << "error " << ::GetLastError();
        }
    }
    find.reset();
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(::RemoveDirectoryW(folder.c_str())) << "error " << ::GetLastError();
}

class Win32FileSystemHarness final : public FileSystemHarness {
public:
    Win32FileSystemHarness() {
        static std::atomic<int> counter{0};
        scratchPath_ = "C:\\KestroverFs-" + std::to_string(::GetCurrentProcessId()) + "-" +
                       std::to_string(++counter);
        EXPECT_TRUE(::CreateDirectoryW(ToWide(scratchPath_).c_str(), nullptr))
            << "creating " << scratchPath_ << ": error " << ::GetLastError();
    }
    ~Win32FileSystemHarness() override { RemoveTree(L"\\\\?\\" + ToWide(scratchPath_)); }

    FileSystemPort& Port() override { return fileSystem_; }
    std::string ScratchPath() override { return scratchPath_; }

private:
    Win32FileSystem fileSystem_;
    std::string scratchPath_;
};

INSTANTIATE_TEST_SUITE_P(Win32, FileSystemContract,
                         ::testing::Values(FileSystemHarnessFactory{
                             "Win32", [] { return std::make_unique<Win32FileSystemHarness>(); }}),
                         [](const ::testing::TestParamInfo<FileSystemHarnessFactory>& info) {
                             return info.param.name;
                         });

std::string Repeat(std::string_view piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
}

std::wstring Wide(const std::string& text) { return ToWide(text); }

TEST(Win32FileSystemPath, LongAbsolutePathsTakeThePrefixedForm) {
    const std::string name(100, 'n');
    const std::string longTail = name + "\\" + name + "\\" + name;  // 302 characters
    struct Case {
        const char* what;
        std::string given;
        std::wstring expected;
    };
    const Case cases[] = {
        {"short stays", "C:\\Windows\\win.ini", L"C:\\Windows\\win.ini"},
        {"short keeps slashes", "C:/Windows/win.ini", L"C:/Windows/win.ini"},
        {"long on a drive", "C:\\" + longTail, Wide("\\\\?\\C:\\" + longTail)},
        {"long with slashes and dots", "c:/x/../" + name + "/./" + name + "/" + name,
         Wide("\\\\?\\c:\\" + longTail)},
        {"long UNC", "\\\\server\\share\\" + longTail,
         Wide("\\\\?\\UNC\\server\\share\\" + longTail)},
        {"long already prefixed", "\\\\?\\C:\\" + longTail, Wide("\\\\?\\C:\\" + longTail)},
        {"long relative stays", longTail, Wide(longTail)},
    };
    for (const Case& c : cases) {
        Result<std::wstring> path = Win32FileSystem::SystemPath(c.given);
        ASSERT_TRUE(path.ok()) << c.what;
        EXPECT_TRUE(*path == c.expected) << c.what;
    }
}

TEST(Win32FileSystemPath, PathsNoSystemCanHoldAreRefused) {
    const std::string refused[] = {
        std::string("C:\\file\0.txt", 12), "C:\\" + std::string(32765, 'a'),  // 32768 characters
        "C:\\" + std::string(70000, 'a'),        // would wrap a 16-bit byte count
        "C:\\" + Repeat("\xE2\x9C\x93", 33000),  // counted in UTF-16, not bytes
    };
    for (const std::string& path : refused) {
        Result<std::wstring> converted = Win32FileSystem::SystemPath(path);
        ASSERT_FALSE(converted.ok()) << path.size();
        EXPECT_EQ(converted.code(), ErrorCode::InvalidData) << path.size();
    }
    // The limit holds for the "\\?\" form a long path takes: four characters go to the prefix.
    EXPECT_TRUE(Win32FileSystem::SystemPath("C:\\" + std::string(32760, 'a')).ok());
    EXPECT_FALSE(Win32FileSystem::SystemPath("C:\\" + std::string(32761, 'a')).ok());
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    std::string Path(const std::string& relative) {
        return harness_.ScratchPath() + "\\" + relative;
    }

    Win32FileSystemHarness harness_;
    FileSystemPort& fileSystem_ = harness_.Port();
};

// Folders nested past MAX_PATH work through every operation, without the caller adding the
// "\\?\" prefix.
TEST_F(Win32FileSystemTest, EveryOperationWorksBeyondMaxPath) {
    std::string folder = harness_.ScratchPath();
    for (int level = 0; level < 5; ++level) {
        folder += "\\" + std::string(60, static_cast<char>('a' + level));
        ASSERT_TRUE(fileSystem_.CreateDirectory(folder).ok()) << folder.size();
    }
    ASSERT_GT(folder.size(), static_cast<std::size_t>(MAX_PATH));
    const std::string file = folder + "\\file.txt";

    auto writer = fileSystem_.CreateFile(file);
    ASSERT_TRUE(writer.ok()) << writer.error().Describe();
    const std::vector<std::uint8_t> content = {'l', 'o', 'n', 'g'};
    ASSERT_TRUE((*writer)->Write(content).ok());
    ASSERT_TRUE((*writer)->Close().ok());

    EXPECT_TRUE(fileSystem_.FileExists(file));
    EXPECT_TRUE(fileSystem_.DirectoryExists(folder));
    auto read = fileSystem_.ReadFile(file);
    ASSERT_TRUE(read.ok()) << read.error().Describe();
    EXPECT_EQ(*read, content);
    auto info = fileSystem_.GetFileInfo(file);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "file.txt");
    EXPECT_EQ(info->size, 4u);
    auto found = fileSystem_.FindFiles(folder + "\\*.txt");
    ASSERT_TRUE(found.ok()) << found.error().Describe();
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().name, "file.txt");

    ASSERT_TRUE(fileSystem_.SetAttributes(file, FileAttribute::ReadOnly).ok());
    EXPECT_EQ(fileSystem_.DeleteFile(file).code(), ErrorCode::AccessDenied);
    ASSERT_TRUE(fileSystem_.SetAttributes(file, FileAttribute::Normal).ok());
    const std::string moved = folder + "\\moved.txt";
    ASSERT_TRUE(fileSystem_.MoveFile(file, moved, ExistingTarget::Replace).ok());
    EXPECT_FALSE(fileSystem_.FileExists(file));
    ASSERT_TRUE(fileSystem_.DeleteFile(moved).ok());
    EXPECT_TRUE(fileSystem_.RemoveDirectory(folder).ok());
    EXPECT_FALSE(fileSystem_.DirectoryExists(folder));
}

// Beyond the system's 32767 characters every operation fails with an error, never a crash, and
// never on a shorter path the system cut the long one to.
TEST_F(Win32FileSystemTest, PathsBeyondTheSystemLimitFail) {
    ASSERT_TRUE(fileSystem_.CreateDirectory(Path("a")).ok());
    const std::string paths[] = {
        Path("a") + std::string(40000, '\\'),
        Path(std::string(32800, 'a')),
        Path("a" + Repeat("\\a", 40000)),
        Path("a" + Repeat("\\..", 40000)),
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path.size());
        EXPECT_EQ(fileSystem_.CreateDirectory(path).code(), ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.RemoveDirectory(path).code(), ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.DeleteFile(path).code(), ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.SetAttributes(path, FileAttribute::ReadOnly).code(),
                  ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.ReadFile(path).code(), ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.CreateFile(path).code(), ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.FindFiles(path + "\\*").code(), ErrorCode::InvalidData);
        EXPECT_EQ(fileSystem_.MoveFile(Path("a"), path, ExistingTarget::Fail).code(),
                  ErrorCode::InvalidData);
        EXPECT_FALSE(fileSystem_.FileExists(path));
        EXPECT_FALSE(fileSystem_.DirectoryExists(path));
        EXPECT_FALSE(fileSystem_.GetFileInfo(path));
    }
    EXPECT_TRUE(fileSystem_.DirectoryExists(Path("a")));
}

TEST_F(Win32FileSystemTest, WriterClosesOnce) {
    auto writer = fileSystem_.CreateFile(Path("once.txt"));
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE((*writer)->Close().ok());
    EXPECT_FALSE((*writer)->Close().ok());
    // The file is free again: it can be replaced at once.
    EXPECT_TRUE(fileSystem_.DeleteFile(Path("once.txt")).ok());
}

TEST_F(Win32FileSystemTest, WineDrivesAreThere) {
    std::uint32_t drives = fileSystem_.LogicalDrives();
    EXPECT_NE(drives & (1u << ('C' - 'A')), 0u);
    EXPECT_EQ(fileSystem_.GetDriveType("C:\\"), DriveType::Fixed);
    auto root = fileSystem_.GetFileInfo("C:\\");
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->IsDirectory());
}

}  // namespace
}  // namespace kestrover::testing
