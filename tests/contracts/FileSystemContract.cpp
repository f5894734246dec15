// File-system contract cases: finding by mask, existence, folders, moves, deletion, content,
// letter case, drives and malformed paths, as kernel32 behaves on a fixed NTFS drive.
#include "contracts/FileSystemContract.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace kestrover::testing {

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// FILETIME ticks of 2000-01-01 and 2200-01-01: any clock a test runs under lies between.
constexpr std::uint64_t kYear2000 = 125911584000000000ULL;
constexpr std::uint64_t kYear2200 = 189027936000000000ULL;

bool IsPlausibleTime(std::uint64_t fileTime) {
    return fileTime > kYear2000 && fileTime < kYear2200;
}

std::optional<FileEntry> FindEntry(const std::vector<FileEntry>& entries, std::string_view name) {
    for (const FileEntry& entry : entries) {
        if (entry.name == name) return entry;
    }
    return std::nullopt;
}

std::string DescribeError(const Error& error) { return "<error " + error.Describe() + ">"; }

// The drive root of a full path ("C:\").
std::string RootOf(const std::string& path) { return path.substr(0, 3); }

}  // namespace

::testing::AssertionResult FileSystemContract::WriteBytes(std::string_view path,
                                                          const std::vector<std::uint8_t>& bytes) {
    Result<std::unique_ptr<FileWriter>> writer = Port().CreateFile(path);
    if (!writer) {
        return ::testing::AssertionFailure()
               << "CreateFile(" << path << "): " << writer.error().Describe();
    }
    Status written = (*writer)->Write(bytes);
    if (!written) {
        return ::testing::AssertionFailure()
               << "Write(" << path << "): " << written.error().Describe();
    }
    Status closed = (*writer)->Close();
    if (!closed) {
        return ::testing::AssertionFailure()
               << "Close(" << path << "): " << closed.error().Describe();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult FileSystemContract::WriteText(std::string_view path,
                                                         std::string_view text) {
    return WriteBytes(path, Bytes(text));
}

::testing::AssertionResult FileSystemContract::MakeFolder(std::string_view path) {
    Status created = Port().CreateDirectory(path);
    if (!created) {
        return ::testing::AssertionFailure()
               << "CreateDirectory(" << path << "): " << created.error().Describe();
    }
    return ::testing::AssertionSuccess();
}

FileEntry FileSystemContract::EntryOf(std::string_view path) {
    std::optional<FileEntry> entry = Port().GetFileInfo(path);
    if (!entry) {
        ADD_FAILURE() << "GetFileInfo(" << path << ") found nothing";
        return {};
    }
    return *entry;
}

std::string FileSystemContract::ReadText(std::string_view path) {
    Result<std::vector<std::uint8_t>> content = Port().ReadFile(path);
    if (!content) return DescribeError(content.error());
    return std::string(content->begin(), content->end());
}

std::vector<std::string> FileSystemContract::FoundNames(std::string_view pattern) {
    Result<std::vector<FileEntry>> entries = Port().FindFiles(pattern);
    if (!entries) return {DescribeError(entries.error())};
    std::vector<std::string> names;
    for (const FileEntry& entry : *entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

// --- The scratch folder and its drive ---------------------------------------------------------

TEST_P(FileSystemContract, ScratchFolderExistsEmptyOnAFixedDrive) {
    EXPECT_TRUE(Port().DirectoryExists(Scratch()));
    EXPECT_FALSE(Port().FileExists(Scratch()));
    EXPECT_EQ(FoundNames(Path("*")), Names{});

    std::string root = RootOf(Scratch());
    ASSERT_EQ(root[1], ':');
    ASSERT_EQ(root[2], '\\');
    char letter = root[0];
    ASSERT_TRUE(letter >= 'A' && letter <= 'Z') << "drive letters are upper case: " << root;
    EXPECT_NE(Port().LogicalDrives() & (1u << (letter - 'A')), 0u);
    EXPECT_TRUE(Port().DirectoryExists(root));

    const std::string lowerRoot{static_cast<char>(letter - 'A' + 'a'), ':', '\\'};
    const std::string roots[] = {root, root.substr(0, 2), lowerRoot};
    for (const std::string& given : roots) {
        EXPECT_EQ(Port().GetDriveType(given), DriveType::Fixed) << given;
    }
}

TEST_P(FileSystemContract, DriveLettersMissingFromTheMaskHaveNoRoot) {
    std::uint32_t drives = Port().LogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if ((drives & (1u << (letter - 'A'))) != 0) continue;
        const std::string root{letter, ':', '\\'};
        EXPECT_EQ(Port().GetDriveType(root), DriveType::NoRootDirectory) << root;
        EXPECT_FALSE(Port().DirectoryExists(root)) << root;
        EXPECT_FALSE(Port().FindFiles(root + "*").ok()) << root;
    }
}

TEST_P(FileSystemContract, RootListingShowsTheScratchFolderWithoutDotEntries) {
    Names names = FoundNames(RootOf(Scratch()) + "*");
    std::string scratchName = Scratch().substr(3);
    EXPECT_NE(std::find(names.begin(), names.end(), scratchName), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "."), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), ".."), names.end());
}

// --- Finding ----------------------------------------------------------------------------------

TEST_P(FileSystemContract, FindGivesNamesAttributesSizesAndTimes) {
    ASSERT_TRUE(WriteText(Path("Bar.txt"), "hello"));
    ASSERT_TRUE(WriteText(Path("empty.dat"), ""));
    ASSERT_TRUE(MakeFolder(Path("Sub")));
    ASSERT_TRUE(WriteText(Path("Sub\\inner.txt"), "not listed from above"));

    Result<std::vector<FileEntry>> entries = Port().FindFiles(Path("*"));
    ASSERT_TRUE(entries.ok()) << entries.error().Describe();
    EXPECT_EQ(FoundNames(Path("*")), (Names{"Bar.txt", "Sub", "empty.dat"}));

    std::optional<FileEntry> file = FindEntry(*entries, "Bar.txt");
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->IsDirectory());
    EXPECT_EQ(file->size, 5u);
    EXPECT_EQ(file->attributes & FileAttribute::ReadOnly, 0u);
    EXPECT_TRUE(IsPlausibleTime(file->creationTime)) << file->creationTime;
    EXPECT_TRUE(IsPlausibleTime(file->lastAccessTime)) << file->lastAccessTime;
    EXPECT_TRUE(IsPlausibleTime(file->lastWriteTime)) << file->lastWriteTime;

    std::optional<FileEntry> empty = FindEntry(*entries, "empty.dat");
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->IsDirectory());
    EXPECT_EQ(empty->size, 0u);

    std::optional<FileEntry> folder = FindEntry(*entries, "Sub");
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->IsDirectory());
    EXPECT_TRUE(IsPlausibleTime(folder->creationTime)) << folder->creationTime;
    EXPECT_TRUE(IsPlausibleTime(folder->lastWriteTime)) << folder->lastWriteTime;
}

TEST_P(FileSystemContract, FindMatchesMasksWithoutRegardToCase) {
    for (const char* file : {"a.txt", "B.TXT", "c.log", "readme", "data.txt.bak"}) {
        ASSERT_TRUE(WriteText(Path(file), file));
    }
    ASSERT_TRUE(MakeFolder(Path("docs.txt")));

    const struct {
        const char* mask;
        Names expected;
    } cases[] = {
        {"*", {"B.TXT", "a.txt", "c.log", "data.txt.bak", "docs.txt", "readme"}},
        {"*.*", {"B.TXT", "a.txt", "c.log", "data.txt.bak", "docs.txt", "readme"}},
        {"*.txt", {"B.TXT", "a.txt", "docs.txt"}},
        {"*.TXT", {"B.TXT", "a.txt", "docs.txt"}},
        {"?.txt", {"B.TXT", "a.txt"}},
        {"c.*", {"c.log"}},
        {"*.bak", {"data.txt.bak"}},
        {"d*", {"data.txt.bak", "docs.txt"}},
        {"readme", {"readme"}},
        {"README", {"readme"}},
        {"b.txt", {"B.TXT"}},
        {"nothing*", {}},
        {"missing.txt", {}},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(FoundNames(Path(test.mask)), test.expected) << "mask " << test.mask;
    }
}

TEST_P(FileSystemContract, FindFailsForAFolderThatIsNotThere) {
    ASSERT_TRUE(WriteText(Path("file.txt"), "x"));

    Result<std::vector<FileEntry>> missing = Port().FindFiles(Path("Missing\\*"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), ErrorCode::NotFound);
    EXPECT_FALSE(Port().FindFiles(Path("Missing\\Deeper\\*.txt")).ok());
    // A file is no folder to search in.
    EXPECT_FALSE(Port().FindFiles(Path("file.txt\\*")).ok());
}

// --- Existence and entries --------------------------------------------------------------------

TEST_P(FileSystemContract, FileAndFolderExistence) {
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(WriteText(Path("Folder\\File.txt"), "x"));
    std::string forwardScratch = Scratch();
    std::replace(forwardScratch.begin(), forwardScratch.end(), '\\', '/');

    const struct {
        std::string path;
        bool isFile;
        bool isFolder;
    } cases[] = {
        {Path("Folder\\File.txt"), true, false},
        {Path("FOLDER\\file.TXT"), true, false},
        {forwardScratch + "/Folder/File.txt", true, false},
        {Path("Folder"), false, true},
        {Path("folder"), false, true},
        {Path("Folder\\"), false, true},
        {forwardScratch + "/Folder", false, true},
        {Path("Folder\\File.txt\\"), false, false},
        {Path("Folder\\Missing.txt"), false, false},
        {Path("Missing\\File.txt"), false, false},
        {Path("Folder\\File.txt\\Below"), false, false},
        {Path("Folder\\*.txt"), false, false},
        {Path("F*"), false, false},
        {Path("Folder\\File.tx?"), false, false},
        {RootOf(Scratch()), false, true},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Port().FileExists(test.path), test.isFile) << test.path;
        EXPECT_EQ(Port().DirectoryExists(test.path), test.isFolder) << test.path;
    }
}

TEST_P(FileSystemContract, FileInfoGivesTheStoredEntry) {
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(WriteText(Path("Folder\\Mixed Case.Txt"), "twelve bytes"));

    std::optional<FileEntry> file = Port().GetFileInfo(Path("folder\\MIXED CASE.TXT"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, "Mixed Case.Txt");
    EXPECT_EQ(file->size, 12u);
    EXPECT_FALSE(file->IsDirectory());
    EXPECT_TRUE(IsPlausibleTime(file->lastWriteTime));

    std::optional<FileEntry> folder = Port().GetFileInfo(Path("FOLDER"));
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->name, "Folder");
    EXPECT_TRUE(folder->IsDirectory());

    EXPECT_FALSE(Port().GetFileInfo(Path("Folder\\Missing.txt")));
    EXPECT_FALSE(Port().GetFileInfo(Path("Missing\\Mixed Case.Txt")));
    EXPECT_FALSE(Port().GetFileInfo(Path("Folder\\Mixed Case.Txt\\")));
    EXPECT_FALSE(Port().GetFileInfo(Path("Folder\\*.txt")));
}

TEST_P(FileSystemContract, NamesMatchWithoutRegardToCaseBeyondAscii) {
    ASSERT_TRUE(MakeFolder(Path("Ärger")));
    ASSERT_TRUE(WriteText(Path("Ärger\\Файл.txt"), "unicode"));

    EXPECT_TRUE(Port().DirectoryExists(Path("äRGER")));
    EXPECT_TRUE(Port().FileExists(Path("ärger\\ФАЙЛ.TXT")));
    EXPECT_EQ(ReadText(Path("ÄRGER\\файл.txt")), "unicode");
    EXPECT_EQ(FoundNames(Path("ärger\\ф*")), Names{"Файл.txt"});
}

// --- Letter case ------------------------------------------------------------------------------

TEST_P(FileSystemContract, EveryOperationFindsAnEntryWhateverItsCase) {
    ASSERT_TRUE(MakeFolder(Path("foo")));
    ASSERT_TRUE(WriteText(Path("foo\\Bar.txt"), "original"));

    EXPECT_TRUE(Port().FileExists(Path("FOO\\bar.TXT")));
    EXPECT_EQ(ReadText(Path("FOO\\bar.TXT")), "original");

    // Writing through another spelling overwrites the file and keeps its name.
    ASSERT_TRUE(WriteText(Path("Foo\\BAR.txt"), "rewritten"));
    EXPECT_EQ(FoundNames(Path("foo\\*")), Names{"Bar.txt"});
    EXPECT_EQ(ReadText(Path("foo\\Bar.txt")), "rewritten");

    // A new entry below a folder reached by another spelling lands in that folder, as given.
    ASSERT_TRUE(WriteText(Path("FOO\\New.TXT"), "new"));
    ASSERT_TRUE(MakeFolder(Path("fOO\\Inner")));
    EXPECT_EQ(FoundNames(Path("foo\\*")), (Names{"Bar.txt", "Inner", "New.TXT"}));
    EXPECT_EQ(FoundNames(Path("*")), Names{"foo"});

    ASSERT_TRUE(Port().SetAttributes(Path("FOO\\BAR.TXT"), FileAttribute::ReadOnly).ok());
    EXPECT_NE(EntryOf(Path("foo\\Bar.txt")).attributes & FileAttribute::ReadOnly, 0u);
    ASSERT_TRUE(Port().SetAttributes(Path("FOO\\BAR.TXT"), FileAttribute::Normal).ok());

    ASSERT_TRUE(
        Port().MoveFile(Path("FOO\\BAR.TXT"), Path("foo\\Moved.txt"), ExistingTarget::Fail).ok());
    ASSERT_TRUE(Port().DeleteFile(Path("FOO\\MOVED.TXT")).ok());
    ASSERT_TRUE(Port().RemoveDirectory(Path("FOO\\INNER")).ok());
    EXPECT_EQ(FoundNames(Path("foo\\*")), Names{"New.TXT"});
}

// --- Folders ----------------------------------------------------------------------------------

TEST_P(FileSystemContract, CreateFolderNeedsItsParentAndRefusesExistingNames) {
    ASSERT_TRUE(MakeFolder(Path("New")));
    EXPECT_TRUE(Port().DirectoryExists(Path("New")));
    EXPECT_EQ(FoundNames(Path("*")), Names{"New"});
    ASSERT_TRUE(MakeFolder(Path("New\\Child")));
    EXPECT_TRUE(Port().DirectoryExists(Path("New\\Child")));
    ASSERT_TRUE(MakeFolder(Path("Trailing\\")));
    EXPECT_TRUE(Port().DirectoryExists(Path("Trailing")));
    ASSERT_TRUE(WriteText(Path("file.txt"), "x"));

    const struct {
        std::string path;
        ErrorCode code;
    } refused[] = {
        {Path("New"), ErrorCode::AlreadyExists},
        {Path("NEW"), ErrorCode::AlreadyExists},
        {Path("file.txt"), ErrorCode::AlreadyExists},
        {Path("Missing\\Child"), ErrorCode::NotFound},
    };
    for (const auto& test : refused) {
        Status created = Port().CreateDirectory(test.path);
        ASSERT_FALSE(created.ok()) << test.path;
        EXPECT_EQ(created.code(), test.code) << test.path << ": " << created.error().Describe();
    }
    EXPECT_FALSE(Port().DirectoryExists(Path("Missing")));
    EXPECT_TRUE(Port().FileExists(Path("file.txt")));
    EXPECT_FALSE(Port().CreateDirectory(Path("file.txt\\Child")).ok());
    EXPECT_EQ(FoundNames(Path("*")), (Names{"New", "Trailing", "file.txt"}));
}

TEST_P(FileSystemContract, RemoveFolderTakesOnlyEmptyFolders) {
    ASSERT_TRUE(MakeFolder(Path("Empty")));
    ASSERT_TRUE(MakeFolder(Path("Full")));
    ASSERT_TRUE(WriteText(Path("Full\\file.txt"), "x"));
    ASSERT_TRUE(MakeFolder(Path("Nested")));
    ASSERT_TRUE(MakeFolder(Path("Nested\\Inner")));

    ASSERT_TRUE(Port().RemoveDirectory(Path("Empty")).ok());
    EXPECT_FALSE(Port().DirectoryExists(Path("Empty")));

    EXPECT_FALSE(Port().RemoveDirectory(Path("Full")).ok());
    EXPECT_FALSE(Port().RemoveDirectory(Path("Nested")).ok());
    EXPECT_TRUE(Port().FileExists(Path("Full\\file.txt")));
    EXPECT_TRUE(Port().DirectoryExists(Path("Nested\\Inner")));

    Status missing = Port().RemoveDirectory(Path("Empty"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), ErrorCode::NotFound);

    EXPECT_FALSE(Port().RemoveDirectory(Path("Full\\file.txt")).ok());
    EXPECT_TRUE(Port().FileExists(Path("Full\\file.txt")));
}

// --- Moving -----------------------------------------------------------------------------------

TEST_P(FileSystemContract, MoveRenamesAndMovesFilesAndFolders) {
    ASSERT_TRUE(MakeFolder(Path("From")));
    ASSERT_TRUE(MakeFolder(Path("To")));
    ASSERT_TRUE(WriteText(Path("From\\a.txt"), "a"));
    ASSERT_TRUE(WriteText(Path("From\\b.txt"), "b"));
    ASSERT_TRUE(MakeFolder(Path("From\\Folder")));
    ASSERT_TRUE(WriteText(Path("From\\Folder\\inside.txt"), "inside"));

    const struct {
        const char* from;
        const char* to;
    } moves[] = {
        {"From\\a.txt", "From\\renamed.txt"},  // rename in place
        {"From\\b.txt", "To\\b.txt"},          // into another folder
        {"From\\Folder", "From\\Renamed"},     // a folder with its content
        {"From\\Renamed", "To\\Moved"},        // a folder into another folder
    };
    for (const auto& move : moves) {
        Status moved = Port().MoveFile(Path(move.from), Path(move.to), ExistingTarget::Fail);
        ASSERT_TRUE(moved.ok()) << move.from << " -> " << move.to << ": "
                                << moved.error().Describe();
        EXPECT_FALSE(Port().GetFileInfo(Path(move.from))) << move.from;
        EXPECT_TRUE(Port().GetFileInfo(Path(move.to))) << move.to;
    }
    EXPECT_EQ(FoundNames(Path("From\\*")), Names{"renamed.txt"});
    EXPECT_EQ(FoundNames(Path("To\\*")), (Names{"Moved", "b.txt"}));
    EXPECT_EQ(ReadText(Path("From\\renamed.txt")), "a");
    EXPECT_EQ(ReadText(Path("To\\b.txt")), "b");
    EXPECT_EQ(ReadText(Path("To\\Moved\\inside.txt")), "inside");
}

TEST_P(FileSystemContract, MoveChangesOnlyTheLetterCase) {
    ASSERT_TRUE(WriteText(Path("name.txt"), "content"));
    ASSERT_TRUE(MakeFolder(Path("folder")));

    ASSERT_TRUE(Port().MoveFile(Path("name.txt"), Path("NAME.TXT"), ExistingTarget::Fail).ok());
    ASSERT_TRUE(Port().MoveFile(Path("folder"), Path("Folder"), ExistingTarget::Fail).ok());
    EXPECT_EQ(FoundNames(Path("*")), (Names{"Folder", "NAME.TXT"}));
    EXPECT_EQ(ReadText(Path("name.txt")), "content");
}

TEST_P(FileSystemContract, MoveOntoAnExistingFileNeedsReplace) {
    ASSERT_TRUE(WriteText(Path("new.ini"), "new settings"));
    ASSERT_TRUE(WriteText(Path("settings.ini"), "old settings"));

    Status refused = Port().MoveFile(Path("new.ini"), Path("settings.ini"), ExistingTarget::Fail);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.code(), ErrorCode::AlreadyExists);
    EXPECT_EQ(ReadText(Path("new.ini")), "new settings");
    EXPECT_EQ(ReadText(Path("settings.ini")), "old settings");

    ASSERT_TRUE(
        Port().MoveFile(Path("new.ini"), Path("settings.ini"), ExistingTarget::Replace).ok());
    EXPECT_EQ(ReadText(Path("settings.ini")), "new settings");
    EXPECT_EQ(FoundNames(Path("*")), Names{"settings.ini"});

    // Replace without a file to replace is a plain move.
    ASSERT_TRUE(
        Port().MoveFile(Path("settings.ini"), Path("other.ini"), ExistingTarget::Replace).ok());
    EXPECT_EQ(FoundNames(Path("*")), Names{"other.ini"});
}

TEST_P(FileSystemContract, MoveRefusesWhatWindowsRefuses) {
    ASSERT_TRUE(WriteText(Path("file.txt"), "file"));
    ASSERT_TRUE(WriteText(Path("locked.txt"), "locked"));
    ASSERT_TRUE(Port().SetAttributes(Path("locked.txt"), FileAttribute::ReadOnly).ok());
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(WriteText(Path("Folder\\inside.txt"), "inside"));
    ASSERT_TRUE(MakeFolder(Path("Other")));

    const struct {
        const char* from;
        const char* to;
        ExistingTarget existing;
    } refused[] = {
        {"missing.txt", "anything.txt", ExistingTarget::Replace},
        {"file.txt", "Missing\\file.txt", ExistingTarget::Fail},
        {"file.txt", "Folder", ExistingTarget::Replace},      // a folder is not replaced
        {"file.txt", "locked.txt", ExistingTarget::Replace},  // nor is a read-only file
        {"Folder", "Other", ExistingTarget::Fail},
        {"Folder", "Other", ExistingTarget::Replace},
        {"Folder", "file.txt", ExistingTarget::Replace},
        {"Folder", "Folder\\Below", ExistingTarget::Fail},  // into itself
    };
    for (const auto& move : refused) {
        EXPECT_FALSE(Port().MoveFile(Path(move.from), Path(move.to), move.existing).ok())
            << move.from << " -> " << move.to;
    }
    Status missing = Port().MoveFile(Path("missing.txt"), Path("x.txt"), ExistingTarget::Fail);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), ErrorCode::NotFound);

    EXPECT_EQ(FoundNames(Path("*")), (Names{"Folder", "Other", "file.txt", "locked.txt"}));
    EXPECT_EQ(ReadText(Path("file.txt")), "file");
    EXPECT_EQ(ReadText(Path("locked.txt")), "locked");
    EXPECT_EQ(FoundNames(Path("Folder\\*")), Names{"inside.txt"});
    EXPECT_EQ(FoundNames(Path("Other\\*")), Names{});
    ASSERT_TRUE(Port().SetAttributes(Path("locked.txt"), FileAttribute::Normal).ok());
}

// --- Deleting and attributes ------------------------------------------------------------------

TEST_P(FileSystemContract, DeleteTakesFilesButNotFoldersOrReadOnlyFiles) {
    ASSERT_TRUE(WriteText(Path("file.txt"), "x"));
    ASSERT_TRUE(WriteText(Path("locked.txt"), "x"));
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(Port().SetAttributes(Path("locked.txt"), FileAttribute::ReadOnly).ok());

    ASSERT_TRUE(Port().DeleteFile(Path("file.txt")).ok());
    EXPECT_FALSE(Port().FileExists(Path("file.txt")));

    const struct {
        const char* path;
        ErrorCode code;
    } refused[] = {
        {"file.txt", ErrorCode::NotFound},
        {"Missing\\file.txt", ErrorCode::NotFound},
        {"Folder", ErrorCode::AccessDenied},
        {"locked.txt", ErrorCode::AccessDenied},
    };
    for (const auto& test : refused) {
        Status deleted = Port().DeleteFile(Path(test.path));
        ASSERT_FALSE(deleted.ok()) << test.path;
        EXPECT_EQ(deleted.code(), test.code) << test.path << ": " << deleted.error().Describe();
    }
    EXPECT_TRUE(Port().DirectoryExists(Path("Folder")));
    EXPECT_TRUE(Port().FileExists(Path("locked.txt")));

    ASSERT_TRUE(Port().SetAttributes(Path("locked.txt"), FileAttribute::Normal).ok());
    ASSERT_TRUE(Port().DeleteFile(Path("locked.txt")).ok());
    EXPECT_EQ(FoundNames(Path("*")), Names{"Folder"});
}

TEST_P(FileSystemContract, ReadOnlyAttributeComesAndGoes) {
    ASSERT_TRUE(WriteText(Path("file.txt"), "x"));
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    auto attributes = [&](const char* name) { return EntryOf(Path(name)).attributes; };

    EXPECT_EQ(attributes("file.txt") & (FileAttribute::ReadOnly | FileAttribute::Directory), 0u);
    ASSERT_TRUE(Port().SetAttributes(Path("file.txt"), FileAttribute::ReadOnly).ok());
    EXPECT_NE(attributes("file.txt") & FileAttribute::ReadOnly, 0u);
    ASSERT_TRUE(Port().SetAttributes(Path("file.txt"), FileAttribute::Normal).ok());
    EXPECT_EQ(attributes("file.txt") & FileAttribute::ReadOnly, 0u);

    // The folder bit is no attribute one sets: a folder stays a folder.
    ASSERT_TRUE(Port().SetAttributes(Path("Folder"), FileAttribute::Normal).ok());
    EXPECT_NE(attributes("Folder") & FileAttribute::Directory, 0u);
    ASSERT_TRUE(Port().SetAttributes(Path("file.txt"), FileAttribute::Normal).ok());
    EXPECT_TRUE(Port().FileExists(Path("file.txt")));

    Status missing = Port().SetAttributes(Path("missing.txt"), FileAttribute::Normal);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), ErrorCode::NotFound);
}

// --- Content ----------------------------------------------------------------------------------

TEST_P(FileSystemContract, WrittenBytesReadBackExactly) {
    std::vector<std::uint8_t> bytes;
    for (int round = 0; round < 3; ++round) {
        for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<std::uint8_t>(value));
        bytes.insert(bytes.end(), 7, 0);  // runs of zeros, and a CR LF that must stay two bytes
        bytes.push_back('\r');
        bytes.push_back('\n');
    }
    std::vector<std::uint8_t> large(300000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 31);

    const struct {
        const char* name;
        std::vector<std::uint8_t> content;
    } cases[] = {
        {"empty.bin", {}},
        {"zero.bin", {0}},
        {"binary.bin", bytes},
        {"large.bin", large},
    };
    for (const auto& test : cases) {
        ASSERT_TRUE(WriteBytes(Path(test.name), test.content));
        Result<std::vector<std::uint8_t>> read = Port().ReadFile(Path(test.name));
        ASSERT_TRUE(read.ok()) << test.name << ": " << read.error().Describe();
        EXPECT_EQ(*read, test.content) << test.name;
        EXPECT_EQ(EntryOf(Path(test.name)).size, test.content.size()) << test.name;
    }
}

TEST_P(FileSystemContract, WritesInPiecesFormOneFile) {
    Result<std::unique_ptr<FileWriter>> writer = Port().CreateFile(Path("pieces.txt"));
    ASSERT_TRUE(writer.ok()) << writer.error().Describe();
    for (std::string_view piece : {"first ", "", "second ", "third"}) {
        ASSERT_TRUE((*writer)->Write(Bytes(piece)).ok());
    }
    ASSERT_TRUE((*writer)->Close().ok());
    EXPECT_EQ(ReadText(Path("pieces.txt")), "first second third");
    EXPECT_FALSE((*writer)->Write(Bytes("after close")).ok());
    EXPECT_EQ(ReadText(Path("pieces.txt")), "first second third");
}

TEST_P(FileSystemContract, AWriterDroppedWithoutCloseKeepsItsData) {
    {
        Result<std::unique_ptr<FileWriter>> writer = Port().CreateFile(Path("dropped.txt"));
        ASSERT_TRUE(writer.ok()) << writer.error().Describe();
        ASSERT_TRUE((*writer)->Write(Bytes("kept")).ok());
    }
    EXPECT_EQ(ReadText(Path("dropped.txt")), "kept");
    // With the writer gone, nothing holds the file any more.
    EXPECT_TRUE(Port().DeleteFile(Path("dropped.txt")).ok());
}

TEST_P(FileSystemContract, CreatingAnExistingFileStartsItAfresh) {
    ASSERT_TRUE(WriteText(Path("file.txt"), "a long first content"));
    std::uint64_t firstWrite = EntryOf(Path("file.txt")).lastWriteTime;

    // Some file systems keep times to a few milliseconds; rewrite until the time moves on.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::uint64_t lastWrite = firstWrite;
    while (lastWrite == firstWrite && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(WriteText(Path("file.txt"), "short"));
        lastWrite = EntryOf(Path("file.txt")).lastWriteTime;
        if (lastWrite == firstWrite) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(lastWrite, firstWrite);
    EXPECT_EQ(ReadText(Path("file.txt")), "short");
    EXPECT_EQ(EntryOf(Path("file.txt")).size, 5u);
    EXPECT_EQ(FoundNames(Path("*")), Names{"file.txt"});
}

TEST_P(FileSystemContract, CreateAndReadRefuseFoldersMissingParentsAndReadOnlyFiles) {
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(WriteText(Path("locked.txt"), "locked"));
    ASSERT_TRUE(Port().SetAttributes(Path("locked.txt"), FileAttribute::ReadOnly).ok());

    for (const char* refused : {"Folder", "Missing\\new.txt", "locked.txt", "locked.txt\\new"}) {
        EXPECT_FALSE(Port().CreateFile(Path(refused)).ok()) << refused;
    }
    EXPECT_TRUE(Port().DirectoryExists(Path("Folder")));
    EXPECT_FALSE(Port().DirectoryExists(Path("Missing")));
    EXPECT_EQ(ReadText(Path("locked.txt")), "locked");

    Result<std::vector<std::uint8_t>> missing = Port().ReadFile(Path("missing.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), ErrorCode::NotFound);
    EXPECT_FALSE(Port().ReadFile(Path("Folder")).ok());
    EXPECT_FALSE(Port().ReadFile(Path("Missing\\file.txt")).ok());

    ASSERT_TRUE(Port().SetAttributes(Path("locked.txt"), FileAttribute::Normal).ok());
}

// --- Malformed paths --------------------------------------------------------------------------

// Every operation on a path that cannot name anything fails without touching what exists.
TEST_P(FileSystemContract, MalformedPathsFailWithoutHarm) {
    ASSERT_TRUE(WriteText(Path("file.txt"), "kept"));
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    std::string longName(32000, 'a');
    std::string deepPath = Scratch();
    while (deepPath.size() < 32000) deepPath += "\\a";

    const std::string paths[] = {
        "",
        Path(longName),
        Path(longName + "\\file.txt"),
        deepPath,
        deepPath + "\\file.txt",
        Path("file.txt\\"),
        Path("file.txt\\inner.txt"),
        Path("bad<name>.txt"),
        Path("bad|name.txt"),
        Path("*.txt"),
        Path("file.tx?"),
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path.size() > 200 ? path.substr(0, 60) + "... (" +
                                             std::to_string(path.size()) + " characters)"
                                       : path);
        EXPECT_FALSE(Port().FileExists(path));
        EXPECT_FALSE(Port().GetFileInfo(path));
        EXPECT_FALSE(Port().ReadFile(path).ok());
        EXPECT_FALSE(Port().CreateFile(path).ok());
        EXPECT_FALSE(Port().DeleteFile(path).ok());
        EXPECT_FALSE(Port().MoveFile(path, Path("moved.txt"), ExistingTarget::Replace).ok());
        EXPECT_FALSE(Port().MoveFile(Path("file.txt"), path, ExistingTarget::Fail).ok());
        EXPECT_FALSE(Port().DirectoryExists(path));
        EXPECT_FALSE(Port().CreateDirectory(path).ok());
        EXPECT_FALSE(Port().RemoveDirectory(path).ok());
        // "\*" alone would be the root of the current drive.
        if (path.empty()) continue;
        Result<std::vector<FileEntry>> found = Port().FindFiles(path + "\\*");
        if (found.ok()) {
            EXPECT_TRUE(found->empty());
        }
    }
    EXPECT_EQ(FoundNames(Path("*")), (Names{"Folder", "file.txt"}));
    EXPECT_EQ(ReadText(Path("file.txt")), "kept");
}

// A folder named with a trailing backslash is still the folder, but names no file.
TEST_P(FileSystemContract, TrailingBackslashNamesOnlyAFolder) {
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(WriteText(Path("Folder\\inner.txt"), "x"));
    std::string folder = Path("Folder\\");

    EXPECT_TRUE(Port().DirectoryExists(folder));
    EXPECT_FALSE(Port().FileExists(folder));
    EXPECT_FALSE(Port().ReadFile(folder).ok());
    EXPECT_FALSE(Port().CreateFile(folder).ok());
    EXPECT_FALSE(Port().DeleteFile(folder).ok());
    Result<std::vector<FileEntry>> found = Port().FindFiles(folder);
    if (found.ok()) {
        EXPECT_TRUE(found->empty());
    }
    EXPECT_EQ(FoundNames(Path("Folder\\*")), Names{"inner.txt"});
}

// Win32 folds runs of backslashes into one; other implementations may refuse such paths. Either
// way the path must not reach anything but the entry the folded path names.
TEST_P(FileSystemContract, DoubledBackslashesFoldOrFail) {
    ASSERT_TRUE(MakeFolder(Path("Folder")));
    ASSERT_TRUE(WriteText(Path("Folder\\file.txt"), "kept"));
    std::string doubled = Scratch() + "\\\\Folder\\\\file.txt";

    if (Port().FileExists(doubled)) {
        EXPECT_EQ(ReadText(doubled), "kept");
    }
    Result<std::unique_ptr<FileWriter>> writer = Port().CreateFile(Scratch() + "\\\\new.txt");
    if (writer.ok()) {
        ASSERT_TRUE((*writer)->Close().ok());
    }
    EXPECT_EQ(Port().FileExists(Path("new.txt")), writer.ok());
    Status created = Port().CreateDirectory(Scratch() + "\\\\Folder\\\\Inner");
    EXPECT_EQ(Port().DirectoryExists(Path("Folder\\Inner")), created.ok());
    std::vector<std::string> expected{"Folder"};
    if (writer.ok()) expected.push_back("new.txt");
    EXPECT_EQ(FoundNames(Path("*")), expected);
}

}  // namespace kestrover::testing
