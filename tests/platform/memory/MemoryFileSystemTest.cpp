// What only the in-memory file system does: fault injection, drives of every type, its clock,
// open files, and the attributes kept exactly as set.
#include <gtest/gtest.h>

#include "platform/memory/MemoryFileSystem.h"

namespace kestrover {
namespace {

// 2026-01-01 00:00:00 UTC, and one second, in FILETIME ticks.
constexpr std::uint64_t kClockStart = 134116992000000000ULL;
constexpr std::uint64_t kSecond = 10000000ULL;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::string Text(const Result<std::vector<std::uint8_t>>& content) {
    if (!content) return "<error " + content.error().Describe() + ">";
    return std::string(content->begin(), content->end());
}

class MemoryFileSystemTest : public ::testing::Test {
protected:
    std::unique_ptr<FileWriter> Open(std::string_view path) {
        Result<std::unique_ptr<FileWriter>> writer = fileSystem_.CreateFile(path);
        EXPECT_TRUE(writer.ok()) << path;
        return writer.ok() ? std::move(*writer) : nullptr;
    }
    FileEntry Entry(std::string_view path) {
        std::optional<FileEntry> entry = fileSystem_.GetFileInfo(path);
        if (!entry) ADD_FAILURE() << "no entry for " << path;
        return entry.value_or(FileEntry{});
    }

    MemoryFileSystem fileSystem_;
};

TEST_F(MemoryFileSystemTest, StartsWithAnEmptyFixedDriveC) {
    EXPECT_EQ(fileSystem_.LogicalDrives(), 1u << 2);
    EXPECT_EQ(fileSystem_.GetDriveType("C:\\"), DriveType::Fixed);
    EXPECT_TRUE(fileSystem_.DirectoryExists("C:\\"));
    EXPECT_TRUE(fileSystem_.FindFiles("C:\\*")->empty());
}

TEST_F(MemoryFileSystemTest, DrivesComeWithTypesAndGoWithTheirContent) {
    fileSystem_.AddDrive('D', DriveType::Removable);
    fileSystem_.AddDrive('n', DriveType::Remote);
    fileSystem_.AddDrive('E', DriveType::CdRom);
    ASSERT_TRUE(fileSystem_.AddFile("D:\\stick\\photo.jpg", "jpeg").ok());
    EXPECT_EQ(fileSystem_.LogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4) | (1u << 13));

    const struct {
        const char* root;
        DriveType type;
    } cases[] = {
        {"C:\\", DriveType::Fixed},           {"D:\\", DriveType::Removable},
        {"d:", DriveType::Removable},         {"D:/", DriveType::Removable},
        {"N:\\", DriveType::Remote},          {"E:\\", DriveType::CdRom},
        {"F:\\", DriveType::NoRootDirectory}, {"D:\\stick", DriveType::NoRootDirectory},
        {"", DriveType::NoRootDirectory},     {"stick", DriveType::NoRootDirectory},
    };
    for (const auto& test : cases)
        EXPECT_EQ(fileSystem_.GetDriveType(test.root), test.type) << test.root;

    // Adding a drive again only changes its type.
    fileSystem_.AddDrive('D', DriveType::Fixed);
    EXPECT_EQ(fileSystem_.GetDriveType("D:\\"), DriveType::Fixed);
    EXPECT_TRUE(fileSystem_.FileExists("D:\\stick\\photo.jpg"));

    fileSystem_.RemoveDrive('D');
    EXPECT_EQ(fileSystem_.GetDriveType("D:\\"), DriveType::NoRootDirectory);
    EXPECT_EQ(fileSystem_.LogicalDrives() & (1u << 3), 0u);
    EXPECT_FALSE(fileSystem_.FileExists("D:\\stick\\photo.jpg"));
    EXPECT_EQ(fileSystem_.FindFiles("D:\\*").code(), ErrorCode::NotFound);
    EXPECT_FALSE(fileSystem_.CreateDirectory("D:\\new").ok());
    fileSystem_.AddDrive('D', DriveType::Removable);
    EXPECT_FALSE(fileSystem_.DirectoryExists("D:\\stick"));
}

TEST_F(MemoryFileSystemTest, FilesMoveAcrossDrivesButFoldersDoNot) {
    fileSystem_.AddDrive('D', DriveType::Fixed);
    ASSERT_TRUE(fileSystem_.AddFile("C:\\from\\file.txt", "content").ok());
    ASSERT_TRUE(fileSystem_.AddFile("C:\\from\\folder\\inner.txt", "inner").ok());

    ASSERT_TRUE(
        fileSystem_.MoveFile("C:\\from\\file.txt", "D:\\file.txt", ExistingTarget::Fail).ok());
    EXPECT_EQ(Text(fileSystem_.ReadFile("D:\\file.txt")), "content");
    EXPECT_FALSE(fileSystem_.FileExists("C:\\from\\file.txt"));

    Status folder = fileSystem_.MoveFile("C:\\from\\folder", "D:\\folder", ExistingTarget::Fail);
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.code(), ErrorCode::Io);
    EXPECT_TRUE(fileSystem_.FileExists("C:\\from\\folder\\inner.txt"));
    EXPECT_FALSE(fileSystem_.DirectoryExists("D:\\folder"));
}

TEST_F(MemoryFileSystemTest, TheNextCreationFailsOnceWhenAsked) {
    fileSystem_.FailNextFileCreation();
    Result<std::unique_ptr<FileWriter>> refused = fileSystem_.CreateFile("C:\\backup.reg");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.code(), ErrorCode::AccessDenied);
    EXPECT_FALSE(fileSystem_.FileExists("C:\\backup.reg"));

    // Folders are not files; set-up helpers are not the program's own creations.
    fileSystem_.FailNextFileCreation();
    EXPECT_TRUE(fileSystem_.CreateDirectory("C:\\Backup").ok());
    EXPECT_TRUE(fileSystem_.AddFile("C:\\Backup\\old.reg", "REGEDIT4").ok());
    EXPECT_FALSE(fileSystem_.CreateFile("C:\\Backup\\new.reg").ok());
    EXPECT_TRUE(fileSystem_.CreateFile("C:\\Backup\\new.reg").ok());
}

TEST_F(MemoryFileSystemTest, AFullDiskKeepsWhatFitAndRefusesTheRest) {
    fileSystem_.FailWritesAfter(10);
    std::unique_ptr<FileWriter> writer = Open("C:\\full.txt");
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->Write(Bytes("123456")).ok());
    Status crossing = writer->Write(Bytes("789abc"));
    ASSERT_FALSE(crossing.ok());
    EXPECT_EQ(crossing.code(), ErrorCode::Io);
    EXPECT_FALSE(writer->Write(Bytes("x")).ok());
    EXPECT_TRUE(writer->Write({}).ok());
    EXPECT_TRUE(writer->Close().ok());
    EXPECT_EQ(Text(fileSystem_.ReadFile("C:\\full.txt")), "123456789a");

    // The limit is for all files together, and -1 lifts it.
    std::unique_ptr<FileWriter> other = Open("C:\\other.txt");
    EXPECT_FALSE(other->Write(Bytes("y")).ok());
    fileSystem_.FailWritesAfter(-1);
    EXPECT_TRUE(other->Write(Bytes("y")).ok());
    EXPECT_TRUE(other->Close().ok());
    EXPECT_EQ(Text(fileSystem_.ReadFile("C:\\other.txt")), "y");
}

TEST_F(MemoryFileSystemTest, TheClockStartsIn2026AndTicksASecondPerChange) {
    ASSERT_TRUE(fileSystem_.CreateDirectory("C:\\Folder").ok());
    FileEntry folder = Entry("C:\\Folder");
    EXPECT_EQ(folder.creationTime, kClockStart);
    EXPECT_EQ(folder.lastWriteTime, kClockStart);

    std::unique_ptr<FileWriter> writer = Open("C:\\Folder\\file.txt");
    FileEntry created = Entry("C:\\Folder\\file.txt");
    EXPECT_EQ(created.creationTime, kClockStart + kSecond);
    EXPECT_EQ(created.lastAccessTime, kClockStart + kSecond);
    EXPECT_EQ(created.lastWriteTime, kClockStart + kSecond);
    // A new entry changes its folder too.
    EXPECT_EQ(Entry("C:\\Folder").lastWriteTime, kClockStart + kSecond);

    ASSERT_TRUE(writer->Write(Bytes("a")).ok());
    ASSERT_TRUE(writer->Write(Bytes("b")).ok());
    ASSERT_TRUE(writer->Close().ok());
    FileEntry written = Entry("C:\\Folder\\file.txt");
    EXPECT_EQ(written.creationTime, kClockStart + kSecond);
    EXPECT_EQ(written.lastWriteTime, kClockStart + 3 * kSecond);

    // Moving keeps the file's times.
    ASSERT_TRUE(
        fileSystem_.MoveFile("C:\\Folder\\file.txt", "C:\\file.txt", ExistingTarget::Fail).ok());
    EXPECT_EQ(Entry("C:\\file.txt").lastWriteTime, kClockStart + 3 * kSecond);
    EXPECT_EQ(Entry("C:\\Folder").lastWriteTime, kClockStart + 4 * kSecond);

    fileSystem_.SetClock(kClockStart + 1000 * kSecond);
    ASSERT_TRUE(fileSystem_.AddFile("C:\\later.txt", "later").ok());
    EXPECT_EQ(Entry("C:\\later.txt").creationTime, kClockStart + 1000 * kSecond);

    ASSERT_TRUE(fileSystem_.SetFileTimes("C:\\later.txt", 1, 2, 3).ok());
    FileEntry set = Entry("C:\\later.txt");
    EXPECT_EQ(set.creationTime, 1u);
    EXPECT_EQ(set.lastAccessTime, 2u);
    EXPECT_EQ(set.lastWriteTime, 3u);
    EXPECT_EQ(fileSystem_.SetFileTimes("C:\\missing.txt", 1, 2, 3).code(), ErrorCode::NotFound);
}

TEST_F(MemoryFileSystemTest, AttributesAreKeptAsSetWithTheFolderBitAsItWas) {
    ASSERT_TRUE(fileSystem_.AddFile("C:\\file.txt", "x").ok());
    ASSERT_TRUE(fileSystem_.AddDirectories("C:\\Folder").ok());
    EXPECT_EQ(Entry("C:\\file.txt").attributes, FileAttribute::Archive);
    EXPECT_EQ(Entry("C:\\Folder").attributes, FileAttribute::Directory);

    const struct {
        const char* path;
        std::uint32_t given;
        std::uint32_t reported;
    } cases[] = {
        {"C:\\file.txt", FileAttribute::Hidden | FileAttribute::System,
         FileAttribute::Hidden | FileAttribute::System},
        {"C:\\file.txt", 0, FileAttribute::Normal},
        {"C:\\file.txt", FileAttribute::Normal, FileAttribute::Normal},
        {"C:\\file.txt", FileAttribute::Directory | FileAttribute::ReadOnly,
         FileAttribute::ReadOnly},
        {"C:\\Folder", FileAttribute::Normal, FileAttribute::Directory},
        {"C:\\Folder", FileAttribute::Hidden, FileAttribute::Directory | FileAttribute::Hidden},
        {"C:\\Folder", FileAttribute::ReadOnly, FileAttribute::Directory | FileAttribute::ReadOnly},
    };
    for (const auto& test : cases) {
        ASSERT_TRUE(fileSystem_.SetAttributes(test.path, test.given).ok());
        EXPECT_EQ(Entry(test.path).attributes, test.reported) << test.path << " " << test.given;
    }
    EXPECT_TRUE(fileSystem_.FileExists("C:\\file.txt"));
    EXPECT_TRUE(fileSystem_.DirectoryExists("C:\\Folder"));

    // Writing a file again marks it for backup.
    ASSERT_TRUE(fileSystem_.SetAttributes("C:\\file.txt", FileAttribute::Hidden).ok());
    ASSERT_TRUE(Open("C:\\file.txt")->Close().ok());
    EXPECT_EQ(Entry("C:\\file.txt").attributes, FileAttribute::Hidden | FileAttribute::Archive);
}

TEST_F(MemoryFileSystemTest, AnOpenFileCannotBeDeletedMovedOrReopened) {
    ASSERT_TRUE(fileSystem_.AddDirectories("C:\\Folder").ok());
    std::unique_ptr<FileWriter> writer = Open("C:\\Folder\\open.txt");
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Write(Bytes("partial")).ok());
    ASSERT_TRUE(fileSystem_.AddFile("C:\\other.txt", "other").ok());

    // Data reaches the file as it is written.
    EXPECT_EQ(Text(fileSystem_.ReadFile("C:\\Folder\\open.txt")), "partial");

    EXPECT_EQ(fileSystem_.DeleteFile("C:\\Folder\\open.txt").code(), ErrorCode::AccessDenied);
    EXPECT_EQ(
        fileSystem_.MoveFile("C:\\Folder\\open.txt", "C:\\moved.txt", ExistingTarget::Fail).code(),
        ErrorCode::AccessDenied);
    EXPECT_EQ(fileSystem_.MoveFile("C:\\other.txt", "C:\\Folder\\open.txt", ExistingTarget::Replace)
                  .code(),
              ErrorCode::AccessDenied);
    EXPECT_EQ(fileSystem_.MoveFile("C:\\Folder", "C:\\Renamed", ExistingTarget::Fail).code(),
              ErrorCode::AccessDenied);
    EXPECT_EQ(fileSystem_.CreateFile("C:\\Folder\\OPEN.TXT").code(), ErrorCode::AccessDenied);

    ASSERT_TRUE(writer->Close().ok());
    EXPECT_FALSE(writer->Close().ok());
    EXPECT_TRUE(fileSystem_.MoveFile("C:\\Folder", "C:\\Renamed", ExistingTarget::Fail).ok());
    EXPECT_TRUE(fileSystem_.DeleteFile("C:\\Renamed\\open.txt").ok());
}

TEST_F(MemoryFileSystemTest, AWriterOutlivesItsDrive) {
    fileSystem_.AddDrive('D', DriveType::Removable);
    Result<std::unique_ptr<FileWriter>> writer = fileSystem_.CreateFile("D:\\file.txt");
    ASSERT_TRUE(writer.ok());
    fileSystem_.RemoveDrive('D');
    EXPECT_TRUE((*writer)->Write(Bytes("into the void")).ok());
    EXPECT_TRUE((*writer)->Close().ok());
}

TEST_F(MemoryFileSystemTest, SetUpHelpersBuildTheTree) {
    ASSERT_TRUE(fileSystem_.AddDirectories("C:\\a\\b\\c").ok());
    ASSERT_TRUE(fileSystem_.AddDirectories("C:\\A\\B\\c").ok());  // already there
    ASSERT_TRUE(fileSystem_.AddFile("c:/Windows/System32/shell32.dll", "MZ").ok());
    EXPECT_TRUE(fileSystem_.DirectoryExists("C:\\a\\b\\c"));
    EXPECT_EQ(Text(fileSystem_.ReadFile("C:\\WINDOWS\\system32\\SHELL32.DLL")), "MZ");
    EXPECT_EQ(Entry("C:\\windows").name, "Windows");

    ASSERT_TRUE(fileSystem_.AddFile("C:\\Windows\\System32\\shell32.dll", "MZ again").ok());
    EXPECT_EQ(Text(fileSystem_.ReadFile("C:\\Windows\\System32\\shell32.dll")), "MZ again");

    EXPECT_FALSE(fileSystem_.AddFile("C:\\a\\b", "a folder is in the way").ok());
    EXPECT_FALSE(fileSystem_.AddFile("C:\\Windows\\System32\\shell32.dll\\x", "a file is").ok());
    EXPECT_FALSE(fileSystem_.AddDirectories("C:\\Windows\\System32\\shell32.dll").ok());
    EXPECT_FALSE(fileSystem_.AddFile("Q:\\no\\drive.txt", "").ok());
    EXPECT_FALSE(fileSystem_.AddFile("C:\\bad\\\\path.txt", "").ok());
    EXPECT_TRUE(fileSystem_.DirectoryExists("C:\\a\\b"));
    EXPECT_FALSE(fileSystem_.DirectoryExists("C:\\bad"));
}

// The in-memory file system refuses doubled separators rather than folding them.
TEST_F(MemoryFileSystemTest, DoubledSeparatorsAreInvalidPaths) {
    ASSERT_TRUE(fileSystem_.AddFile("C:\\a\\b.txt", "x").ok());
    EXPECT_FALSE(fileSystem_.FileExists("C:\\a\\\\b.txt"));
    EXPECT_FALSE(fileSystem_.DirectoryExists("C:\\\\a"));
    EXPECT_EQ(fileSystem_.CreateFile("C:\\a\\\\c.txt").code(), ErrorCode::InvalidData);
    EXPECT_EQ(fileSystem_.FindFiles("C:\\\\a\\*").code(), ErrorCode::InvalidData);
    EXPECT_EQ(fileSystem_.DeleteFile("C:\\a\\\\b.txt").code(), ErrorCode::InvalidData);
    EXPECT_TRUE(fileSystem_.FileExists("C:\\a\\b.txt"));
}

TEST_F(MemoryFileSystemTest, ErrorsCarryTheWin32Codes) {
    ASSERT_TRUE(fileSystem_.AddFile("C:\\Full\\file.txt", "x").ok());
    const struct {
        Status status;
        ErrorCode code;
        std::uint32_t win32;
    } cases[] = {
        {fileSystem_.DeleteFile("C:\\missing.txt"), ErrorCode::NotFound, 2},
        {fileSystem_.CreateDirectory("C:\\Missing\\New"), ErrorCode::NotFound, 3},
        {fileSystem_.DeleteFile("C:\\Full"), ErrorCode::AccessDenied, 5},
        {fileSystem_.RemoveDirectory("C:\\Full"), ErrorCode::Io, 145},
        {fileSystem_.CreateDirectory("C:\\Full"), ErrorCode::AlreadyExists, 183},
        {fileSystem_.RemoveDirectory("C:\\Full\\file.txt"), ErrorCode::InvalidData, 267},
        {fileSystem_.DeleteFile("C:\\bad|name"), ErrorCode::InvalidData, 123},
    };
    for (const auto& test : cases) {
        ASSERT_FALSE(test.status.ok());
        EXPECT_EQ(test.status.code(), test.code) << test.status.error().Describe();
        EXPECT_EQ(test.status.error().nativeCode, test.win32) << test.status.error().Describe();
    }
}

}  // namespace
}  // namespace kestrover
