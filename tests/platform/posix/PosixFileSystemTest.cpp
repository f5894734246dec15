// What only the posix file system does: drive mappings, path translation both ways, names
// resolved on a real folder (conflicting spellings included), and attributes and times
// taken from the host.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TemporaryHostFolder.h"

namespace kestrover::testing {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::string Text(const Result<std::vector<std::uint8_t>>& content) {
    if (!content) return "<error " + content.error().Describe() + ">";
    return std::string(content->begin(), content->end());
}

std::vector<std::string> SortedNames(const Result<std::vector<FileEntry>>& entries) {
    if (!entries) return {"<error " + entries.error().Describe() + ">"};
    std::vector<std::string> names;
    for (const FileEntry& entry : *entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

mode_t HostMode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode;
}

class PosixFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Made());
        fileSystem_.MapDrive('C', host_.Host());
    }

    FileEntry Entry(std::string_view path) {
        std::optional<FileEntry> entry = fileSystem_.GetFileInfo(path);
        if (!entry) ADD_FAILURE() << "no entry for " << path;
        return entry.value_or(FileEntry{});
    }

    TemporaryHostFolder host_;
    PosixFileSystem fileSystem_;
};

TEST_F(PosixFileSystemTest, WindowsPathsBecomeHostPathsInTheStoredCase) {
    host_.Write("Windows/System32/shell32.dll", "MZ");
    const std::string root = host_.Host();

    const struct {
        const char* windows;
        std::string host;
    } cases[] = {
        {"C:\\WINDOWS\\system32\\SHELL32.DLL", root + "/Windows/System32/shell32.dll"},
        {"c:/windows/system32", root + "/Windows/System32"},
        {"C:\\Windows\\System32\\New\\File.txt", root + "/Windows/System32/New/File.txt"},
        {"C:\\windows\\Missing\\shell32.dll", root + "/Windows/Missing/shell32.dll"},
        {"C:\\Windows\\", root + "/Windows/"},
        {"C:\\", root},
        {"C:", root},
        // ".." never leaves the mapped folder.
        {"C:\\..\\..\\etc\\passwd", root + "/etc/passwd"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(fileSystem_.ToHostPath(test.windows), test.host) << test.windows;
    }
    for (const char* refused : {"D:\\Windows", "C:\\a\\\\b", "Windows\\System32", "", "C:\\a|b"}) {
        EXPECT_FALSE(fileSystem_.ToHostPath(refused)) << refused;
    }
}

TEST_F(PosixFileSystemTest, HostPathsBecomeWindowsPathsThroughTheDeepestMapping) {
    host_.MakeFolder("Windows/System32");
    fileSystem_.MapDrive('D', host_.Host("Windows/System32"), DriveType::Fixed);
    const std::string root = host_.Host();

    const struct {
        std::string host;
        std::optional<std::string> windows;
    } cases[] = {
        {root, "C:\\"},
        {root + "/", "C:\\"},
        {root + "/Windows", "C:\\Windows"},
        {root + "/Windows/notepad.exe", "C:\\Windows\\notepad.exe"},
        {root + "/Missing/./x/../File.TXT", "C:\\Missing\\File.TXT"},
        {root + "/Windows/System32/drivers/etc", "D:\\drivers\\etc"},
        {root + "/Windows/System32", "D:\\"},
        {root + "-sibling/file", std::nullopt},
        {"/", std::nullopt},
        {root + "/bad:name", std::nullopt},
        {root + "/back\\slash", std::nullopt},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(fileSystem_.ToWindowsPath(test.host), test.windows) << test.host;
    }
}

TEST_F(PosixFileSystemTest, AMappingThroughALinkTranslatesTheRealPathToo) {
    TemporaryHostFolder links;
    ASSERT_TRUE(links.Made());
    std::string link = links.Host("drive");
    ASSERT_EQ(::symlink(host_.Host().c_str(), link.c_str()), 0);
    PosixFileSystem fileSystem;
    fileSystem.MapDrive('E', link, DriveType::Fixed);

    std::string real = std::filesystem::canonical(host_.Path()).string();
    EXPECT_EQ(fileSystem.ToWindowsPath(link + "/a.txt"), "E:\\a.txt");
    EXPECT_EQ(fileSystem.ToWindowsPath(real + "/a.txt"), "E:\\a.txt");
}

TEST_F(PosixFileSystemTest, ConflictingSpellingsPreferTheExactOneThenByteOrder) {
    host_.Write("Foo", "upper");
    host_.Write("foo", "lower");
    host_.Write("Dir/Name.txt", "in Dir");
    host_.Write("dir/name.txt", "in dir");

    EXPECT_EQ(SortedNames(fileSystem_.FindFiles("C:\\*")),
              (std::vector<std::string>{"Dir", "Foo", "dir", "foo"}));
    const struct {
        const char* path;
        const char* content;
    } cases[] = {
        {"C:\\Foo", "upper"},
        {"C:\\foo", "lower"},
        {"C:\\FOO", "upper"},
        {"C:\\fOO", "upper"},
        {"C:\\dir\\name.txt", "in dir"},
        {"C:\\DIR\\NAME.TXT", "in Dir"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Text(fileSystem_.ReadFile(test.path)), test.content) << test.path;
    }
    EXPECT_EQ(Entry("C:\\FOO").name, "Foo");
    EXPECT_EQ(SortedNames(fileSystem_.FindFiles("C:\\FOO")), std::vector<std::string>{"Foo"});

    ASSERT_TRUE(fileSystem_.DeleteFile("C:\\FOO").ok());
    EXPECT_FALSE(host_.Exists("Foo"));
    EXPECT_EQ(Text(fileSystem_.ReadFile("C:\\FOO")), "lower");
}

TEST_F(PosixFileSystemTest, NewEntriesKeepTheirSpellingInsideExistingFolders) {
    host_.MakeFolder("program files");
    Result<std::unique_ptr<FileWriter>> writer =
        fileSystem_.CreateFile("C:\\Program Files\\New File.TXT");
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE((*writer)->Write(Bytes("visible before close")).ok());
    // Data reaches the host file as it is written.
    EXPECT_EQ(host_.Read("program files/New File.TXT"), "visible before close");
    ASSERT_TRUE((*writer)->Close().ok());

    ASSERT_TRUE(fileSystem_.CreateDirectory("C:\\PROGRAM FILES\\Kestrover").ok());
    EXPECT_TRUE(std::filesystem::is_directory(host_.Path() / "program files" / "Kestrover"));

    ASSERT_TRUE(fileSystem_
                    .MoveFile("C:\\Program Files\\new file.txt",
                              "C:\\PROGRAM FILES\\Kestrover\\Moved.Txt", ExistingTarget::Fail)
                    .ok());
    EXPECT_EQ(host_.Read("program files/Kestrover/Moved.Txt"), "visible before close");
}

TEST_F(PosixFileSystemTest, ReplacingGivesTheFileTheNewSpelling) {
    host_.Write("Settings.ini", "old");
    host_.Write("settings.tmp", "new");
    ASSERT_TRUE(
        fileSystem_.MoveFile("C:\\settings.tmp", "C:\\SETTINGS.INI", ExistingTarget::Replace).ok());
    EXPECT_EQ(SortedNames(fileSystem_.FindFiles("C:\\*")),
              std::vector<std::string>{"SETTINGS.INI"});
    EXPECT_EQ(host_.Read("SETTINGS.INI"), "new");
}

TEST_F(PosixFileSystemTest, AttributesComeFromTheHost) {
    host_.Write("plain.txt", "x");
    host_.Write(".hidden", "x");
    host_.Write("locked.txt", "x");
    ::chmod(host_.Host("locked.txt").c_str(), 0444);
    host_.MakeFolder("Folder");
    host_.MakeFolder(".git");
    ASSERT_EQ(::mkfifo(host_.Host("pipe").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("plain.txt", host_.Host("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", host_.Host("dangling").c_str()), 0);

    const struct {
        const char* name;
        std::uint32_t attributes;
    } cases[] = {
        {"plain.txt", FileAttribute::Archive},
        {".hidden", FileAttribute::Archive | FileAttribute::Hidden},
        {"locked.txt", FileAttribute::Archive | FileAttribute::ReadOnly},
        {"Folder", FileAttribute::Directory},
        {".git", FileAttribute::Directory | FileAttribute::Hidden},
        {"pipe", FileAttribute::Normal},
        {"link.txt", FileAttribute::Archive},
    };
    Result<std::vector<FileEntry>> entries = fileSystem_.FindFiles("C:\\*");
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ(entries->size(), std::size(cases)) << "a link to nowhere is not listed";
    for (const auto& test : cases) {
        auto entry = std::find_if(entries->begin(), entries->end(),
                                  [&](const FileEntry& e) { return e.name == test.name; });
        ASSERT_NE(entry, entries->end()) << test.name;
        EXPECT_EQ(entry->attributes, test.attributes) << test.name;
        EXPECT_EQ(Entry(std::string("C:\\") + test.name).attributes, test.attributes) << test.name;
    }
}

TEST_F(PosixFileSystemTest, TimesAreHostTimesInFileTimeTicks) {
    host_.Write("dated.txt", "x");
    // 2020-05-06 07:08:09.1234567 UTC for the last write, 2021-01-01 00:00:00 for the access.
    const timespec times[2] = {{1609459200, 0}, {1588748889, 123456700}};
    ASSERT_EQ(::utimensat(AT_FDCWD, host_.Host("dated.txt").c_str(), times, 0), 0);

    FileEntry entry = Entry("C:\\dated.txt");
    EXPECT_EQ(entry.lastWriteTime, 132332224891234567ULL);
    EXPECT_EQ(entry.lastAccessTime, 132539328000000000ULL);
    EXPECT_NE(entry.creationTime, 0u);
}

TEST_F(PosixFileSystemTest, HostNamesWindowsCannotHoldAreNotListed) {
    for (const char* name : {"a:b", "back\\slash", "star*", "quote\"",
                             "bad\xFF"
                             "byte",
                             "ok.txt"}) {
        host_.Write(name, "x");
    }
    EXPECT_EQ(SortedNames(fileSystem_.FindFiles("C:\\*")), std::vector<std::string>{"ok.txt"});
    EXPECT_EQ(SortedNames(fileSystem_.FindFiles("C:\\*b*")), std::vector<std::string>{});
}

TEST_F(PosixFileSystemTest, ReadOnlyMeansTheOwnerMayNotWrite) {
    host_.Write("file.txt", "x");
    host_.MakeFolder("Folder");
    mode_t folderMode = HostMode(host_.Host("Folder"));

    ASSERT_TRUE(fileSystem_.SetAttributes("C:\\file.txt", FileAttribute::ReadOnly).ok());
    EXPECT_EQ(HostMode(host_.Host("file.txt")) & 0222, 0u);
    // Root may write anyway; the file system refuses for it, as Windows would.
    EXPECT_EQ(fileSystem_.CreateFile("C:\\file.txt").code(), ErrorCode::AccessDenied);
    EXPECT_EQ(fileSystem_.DeleteFile("C:\\file.txt").code(), ErrorCode::AccessDenied);
    EXPECT_EQ(host_.Read("file.txt"), "x");

    ASSERT_TRUE(fileSystem_.SetAttributes("C:\\file.txt", FileAttribute::Normal).ok());
    EXPECT_NE(HostMode(host_.Host("file.txt")) & S_IWUSR, 0u);

    ASSERT_TRUE(fileSystem_.SetAttributes("C:\\Folder", FileAttribute::ReadOnly).ok());
    EXPECT_EQ(HostMode(host_.Host("Folder")), folderMode);
}

TEST_F(PosixFileSystemTest, DrivesAreTheMappings) {
    TemporaryHostFolder stick;
    ASSERT_TRUE(stick.Made());
    fileSystem_.MapDrive('e', stick.Host(), DriveType::Removable);
    EXPECT_EQ(fileSystem_.LogicalDrives(), (1u << 2) | (1u << 4));
    EXPECT_EQ(fileSystem_.GetDriveType("C:\\"), DriveType::Fixed);
    EXPECT_EQ(fileSystem_.GetDriveType("e:"), DriveType::Removable);
    EXPECT_EQ(fileSystem_.GetDriveType("F:\\"), DriveType::NoRootDirectory);
    EXPECT_EQ(fileSystem_.GetDriveType("C:\\Windows"), DriveType::NoRootDirectory);

    fileSystem_.UnmapDrive('E');
    EXPECT_EQ(fileSystem_.LogicalDrives(), 1u << 2);
    EXPECT_EQ(fileSystem_.GetDriveType("E:\\"), DriveType::NoRootDirectory);
    EXPECT_FALSE(fileSystem_.DirectoryExists("E:\\"));
}

// Moves between drives; when /dev/shm is another host file system, rename() cannot do them
// and the file is copied.
TEST_F(PosixFileSystemTest, FilesMoveBetweenDrivesButFoldersDoNot) {
    std::filesystem::path otherParent = "/dev/shm";
    struct stat here {
    }, there{};
    bool otherDevice = ::stat(host_.Host().c_str(), &here) == 0 &&
                       ::stat(otherParent.c_str(), &there) == 0 && here.st_dev != there.st_dev;
    TemporaryHostFolder other =
        otherDevice ? TemporaryHostFolder(otherParent) : TemporaryHostFolder();
    ASSERT_TRUE(other.Made());
    fileSystem_.MapDrive('D', other.Host(), DriveType::Fixed);
    host_.Write("file.txt", "travels");
    host_.Write("Folder/inner.txt", "stays");
    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, host_.Host("file.txt").c_str(), times, 0), 0);
    std::uint64_t lastWrite = Entry("C:\\file.txt").lastWriteTime;

    ASSERT_TRUE(fileSystem_.MoveFile("C:\\file.txt", "D:\\File.txt", ExistingTarget::Fail).ok());
    EXPECT_FALSE(host_.Exists("file.txt"));
    EXPECT_EQ(other.Read("File.txt"), "travels");
    EXPECT_EQ(Entry("D:\\file.txt").lastWriteTime, lastWrite);

    Status folder = fileSystem_.MoveFile("C:\\Folder", "D:\\Folder", ExistingTarget::Fail);
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.code(), ErrorCode::Io);
    EXPECT_EQ(host_.Read("Folder/inner.txt"), "stays");
    EXPECT_FALSE(other.Exists("Folder"));

    // Replacing across drives leaves no temporary file behind.
    host_.Write("again.txt", "second");
    ASSERT_TRUE(
        fileSystem_.MoveFile("C:\\again.txt", "D:\\FILE.TXT", ExistingTarget::Replace).ok());
    EXPECT_EQ(SortedNames(fileSystem_.FindFiles("D:\\*")), std::vector<std::string>{"FILE.TXT"});
    EXPECT_EQ(other.Read("FILE.TXT"), "second");
}

}  // namespace
}  // namespace kestrover::testing
