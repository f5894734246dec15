// The backup store: which files are backups, their date and size texts, the newest one, the
// names a user may give, deleting.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "repair/BackupStore.h"

namespace kestrover {
namespace {

constexpr const char* kFolder = "C:\\Kestrover\\Backup\\";

class BackupStoreTest : public ::testing::Test {
protected:
    void AddBackup(const std::string& name, std::size_t size, const LocalDateTime& written) {
        const std::string path = kFolder + name;
        ASSERT_TRUE(files_.AddFile(path, std::string(size, 'x')).ok()) << path;
        const std::uint64_t time = DateTimeToFileTime(written);
        ASSERT_TRUE(files_.SetFileTimes(path, time, time, time).ok()) << path;
    }

    std::vector<std::string> ListedNames() {
        std::vector<std::string> names;
        for (const BackupFile& backup : store_.List()) names.push_back(backup.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    MemoryFileSystem files_;
    MemoryClock clock_;
    BackupStore store_{files_, clock_, kFolder};
};

TEST_F(BackupStoreTest, OnlyRegFilesDirectlyInTheFolderAreBackups) {
    for (const char* name :
         {"Clean.reg", "UPPER.REG", "notes.txt", "x.reg.txt", "b.regx", "reg", "Sub\\inner.reg"}) {
        AddBackup(name, 10, {2026, 1, 2, 3, 4, 5});
    }
    ASSERT_TRUE(files_.AddDirectories(std::string(kFolder) + "folder.reg").ok());
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"Clean.reg", "UPPER.REG"}));
}

TEST_F(BackupStoreTest, FolderWithoutBackupsListsNothing) {
    EXPECT_TRUE(store_.List().empty()) << "missing folder";
    for (const char* name : {"readme.txt", "Clean.reg.bak", "data.bin", "REG"}) {
        AddBackup(name, 3, {2026, 1, 2, 3, 4, 5});
    }
    EXPECT_TRUE(store_.List().empty()) << "folder of other files";
}

TEST_F(BackupStoreTest, RowTextsShowLocalDateAndSize) {
    struct Case {
        const char* what;
        LocalDateTime written;  // UTC
        int utcOffsetMinutes;
        const char* timeFormat;
        std::size_t size;
        const char* dateText;
        const char* sizeText;
    };
    const Case cases[] = {
        {"plain", {2026, 3, 5, 9, 7, 3}, 0, "HH:mm:ss", 512, "2026/03/05   09:07:03", "512 bytes"},
        {"local time",
         {2026, 3, 5, 8, 7, 3},
         60,
         "HH:mm:ss",
         2048,
         "2026/03/05   09:07:03",
         "2.00 KB"},
        {"12-hour clock",
         {2026, 3, 5, 21, 7, 3},
         0,
         "h:mm:ss tt",
         3145728,
         "2026/03/05   9:07:03 PM",
         "3.00 MB"},
        {"the local day, not the UTC one",
         {2026, 3, 4, 23, 30, 0},
         60,
         "HH:mm:ss",
         0,
         "2026/03/05   00:30:00",
         "0 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFileSystem files;
        MemoryClock clock;
        clock.SetUtcOffsetMinutes(c.utcOffsetMinutes);
        clock.SetTimeFormat(c.timeFormat);
        const std::string path = std::string(kFolder) + "Clean.reg";
        ASSERT_TRUE(files.AddFile(path, std::string(c.size, 'x')).ok());
        const std::uint64_t time = DateTimeToFileTime(c.written);
        ASSERT_TRUE(files.SetFileTimes(path, time, time, time).ok());
        const std::vector<BackupFile> rows = BackupStore(files, clock, kFolder).List();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].dateText, c.dateText);
        EXPECT_EQ(rows[0].sizeText, c.sizeText);
        EXPECT_EQ(rows[0].size, c.size);
        EXPECT_EQ(rows[0].lastWriteTime, time);
    }
}

TEST_F(BackupStoreTest, NewestBackupByTimeThenName) {
    EXPECT_FALSE(NewestBackup({}).has_value());
    AddBackup("Old.reg", 1, {2026, 1, 1, 10, 0, 0});
    AddBackup("Clean-B.reg", 1, {2026, 6, 1, 10, 0, 0});
    AddBackup("Clean-A.reg", 1, {2026, 6, 1, 10, 0, 0});
    AddBackup("Older.reg", 1, {2025, 12, 31, 23, 59, 59});
    const auto newest = NewestBackup(store_.List());
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->name, "Clean-B.reg");
}

TEST_F(BackupStoreTest, NamesStayInsideTheBackupFolder) {
    struct Case {
        const char* name;
        const char* path;  // nullptr: refused
    };
    const Case cases[] = {
        {"Clean", "C:\\Kestrover\\Backup\\Clean.reg"},
        {"Clean.reg", "C:\\Kestrover\\Backup\\Clean.reg"},
        {"Clean.REG", "C:\\Kestrover\\Backup\\Clean.REG"},
        {"Service-05-12-2026-17.42.10", "C:\\Kestrover\\Backup\\Service-05-12-2026-17.42.10.reg"},
        {"notes.txt", "C:\\Kestrover\\Backup\\notes.txt.reg"},
        {"", nullptr},
        {"..", nullptr},
        {"..\\lang.ini", nullptr},
        {"../Clean.reg", nullptr},
        {"Sub\\Clean.reg", nullptr},
        {"a..b", nullptr},
        {"C:Clean.reg", nullptr},
        {"C:\\Windows\\win.reg", nullptr},
        {"\\\\server\\share\\x.reg", nullptr},
        {"a<b>.reg", nullptr},
        {"what?.reg", nullptr},
        {"star*", nullptr},
        {"pipe|", nullptr},
        {"quote\"", nullptr},
        {"tab\there", nullptr},
        {"CON", nullptr},
        {"nul.reg", nullptr},
        {"Com1.reg", nullptr},
        {"LPT9", nullptr},
    };
    for (const Case& c : cases) {
        const auto path = store_.PathOfName(c.name);
        if (c.path == nullptr) {
            EXPECT_FALSE(path.ok()) << "\"" << c.name << "\" gave " << (path ? *path : "");
            if (!path.ok()) {
                EXPECT_EQ(path.code(), ErrorCode::InvalidData) << c.name;
            }
            continue;
        }
        ASSERT_TRUE(path.ok()) << c.name << ": " << path.error().Describe();
        EXPECT_EQ(*path, c.path);
    }
    // Names that are not devices, though they begin like one.
    for (const char* name : {"CONSOLE", "Console-1.reg", "COM10", "Auxiliary", "nullable"}) {
        EXPECT_TRUE(store_.PathOfName(name).ok()) << name;
    }
}

TEST_F(BackupStoreTest, FullWindowsPaths) {
    struct Case {
        const char* text;
        bool full;
    };
    const Case cases[] = {
        {"C:\\Backup\\x.reg", true},
        {"d:/x.reg", true},
        {"\\\\server\\share\\x.reg", true},
        {"//server/share", true},
        {"x.reg", false},
        {"C:x.reg", false},
        {"\\x.reg", false},
        {"..\\x.reg", false},
        {"1:\\x.reg", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFullWindowsPath(c.text), c.full) << c.text;
}

TEST_F(BackupStoreTest, DeleteRemovesTheFileAndReportsFailure) {
    AddBackup("Gone.reg", 5, {2026, 1, 1, 0, 0, 0});
    AddBackup("Kept.reg", 5, {2026, 1, 1, 0, 0, 0});
    ASSERT_TRUE(
        files_.SetAttributes(std::string(kFolder) + "Kept.reg", FileAttribute::ReadOnly).ok());
    EXPECT_TRUE(store_.Delete("Gone.reg").ok());
    EXPECT_FALSE(store_.Delete("Kept.reg").ok());
    EXPECT_FALSE(store_.Delete("Missing.reg").ok());
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"Kept.reg"}));
}

}  // namespace
}  // namespace kestrover
