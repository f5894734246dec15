// Backup file names: the default by page, the name dialog's outcome, unsafe names, and names
// that never replace an earlier backup.
#include <gtest/gtest.h>

#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "repair/BackupFileName.h"

namespace kestrover {
namespace {

constexpr std::string_view kFolder = "C:\\Kestrover\\Backup\\";

TEST(BackupFileNameTest, DefaultNameByPage) {
    struct Case {
        BackupPage page;
        std::string expected;  // the name in the backup folder
    };
    const Case cases[] = {
        {{BackupPageKind::Services, "Services"}, "Service-05-12-2026-17.42.10.reg"},
        {{BackupPageKind::Drivers, "Drivers"}, "Driver-05-12-2026-17.42.10.reg"},
        {{BackupPageKind::TitledList, "Startup/Run\\Once"}, "Startup-Run-Once.reg"},
        {{BackupPageKind::ApplicationSettings, "whatever"}, "Software.reg"},
        {{BackupPageKind::RegistryCleaner, "Registry"}, "Clean.reg"},
        {{BackupPageKind::Other, " Search results  [vendor] 12 found"}, "Search results.reg"},
        {{BackupPageKind::Other, "  Protected keys  "}, "Protected keys.reg"},
        // A title is no file name: a colon would write into an alternate stream of "History ".
        {{BackupPageKind::TitledList, "History : Recent"}, "History _ Recent.reg"},
        {{BackupPageKind::Other, "CON"}, "_CON.reg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BackupFileName(c.page, "05-12-2026", "17.42.10", kFolder),
                  std::string(kFolder) + c.expected)
            << c.page.title;
    }
}

TEST(BackupFileNameTest, ServicesPageOnFifthDecemberWithDayMonthYear) {
    MemoryClock clock;
    clock.SetShortDateFormat("dd/MM/yyyy");
    clock.SetTimeFormat("HH:mm:ss");
    const LocalDateTime at{2026, 12, 5, 17, 42, 10};
    EXPECT_EQ(BackupFileName({BackupPageKind::Services, "Services"}, BackupDateText(clock, at),
                             BackupTimeText(clock, at), kFolder),
              std::string(kFolder) + "Service-05-12-2026-17.42.10.reg");

    clock.SetShortDateFormat("M/d/yyyy");
    clock.SetTimeFormat("h:mm:ss tt");
    EXPECT_EQ(BackupDateText(clock, at), "12-5-2026");
    EXPECT_EQ(BackupTimeText(clock, at), "5.42.10 PM");
}

TEST(BackupFileNameTest, NameDialogOutcome) {
    const std::string proposed = std::string(kFolder) + "Clean.reg";
    struct Case {
        std::string edited;
        std::string expected;
    };
    const std::string folder(kFolder);
    const Case cases[] = {
        {"Clean.reg", proposed},                 // kept
        {"Mine", folder + "Mine.reg"},           // ".reg" appended
        {"  Mine.REG  ", folder + "Mine.REG"},   // trimmed; any case of ".reg" counts
        {"Mine.reg.txt", folder + "Mine.reg.txt.reg"},
        {"", proposed},                          // an emptied box keeps the proposal
        {"   ", proposed},
        // Typed in full: used as typed.
        {"D:\\Saved\\before clean", "D:\\Saved\\before clean.reg"},
        {"d:/saved/x.reg", "d:/saved/x.reg"},
        {"\\\\server\\share\\x", "\\\\server\\share\\x.reg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BackupPathFromDialog(proposed, c.edited, kFolder), c.expected)
            << "\"" << c.edited << "\"";
    }
}

TEST(BackupFileNameTest, UnsafeNamesStayInTheBackupFolder) {
    const std::string proposed = std::string(kFolder) + "Clean.reg";
    struct Case {
        std::string edited;
        std::string expected;  // the name in the backup folder
    };
    const Case cases[] = {
        {"..\\..\\Windows\\evil", ".._.._Windows_evil.reg"},
        {"../../x", ".._.._x.reg"},
        {"sub\\name", "sub_name.reg"},
        {"\\name", "_name.reg"},
        {"C:relative", "C_relative.reg"},  // a drive without a separator is no full path
        {"\\\\server", "__server.reg"},    // no share: no UNC path
        {"a<b>c\"d|e?f*g", "a_b_c_d_e_f_g.reg"},
        {"tab\there", "tab_here.reg"},
        {"..", "_.reg"},
        {"...", "_.reg"},
        {"CON", "_CON.reg"},
        {"nul.txt", "_nul.txt.reg"},
        {"com1", "_com1.reg"},
        {"LPT9 ", "_LPT9.reg"},
        {"aux .reg", "_aux .reg"},
        {"COM10", "COM10.reg"},   // no device
        {"console", "console.reg"},
    };
    for (const Case& c : cases) {
        std::string path = BackupPathFromDialog(proposed, c.edited, kFolder);
        EXPECT_EQ(path, std::string(kFolder) + c.expected) << "\"" << c.edited << "\"";
        EXPECT_EQ(path.find_first_of("\\/", kFolder.size()), std::string::npos) << path;
    }
}

TEST(BackupFileNameTest, FullPathTyped) {
    for (std::string_view text : {"C:\\x", "z:/x", "\\\\server\\share", "\\\\s\\share\\x.reg"}) {
        EXPECT_TRUE(IsFullPathTyped(text)) << text;
    }
    for (std::string_view text : {"C:", "C:x", "1:\\x", "\\x", "\\\\", "\\\\server", "\\\\server\\",
                                  "\\\\\\share\\x", "x\\y"}) {
        EXPECT_FALSE(IsFullPathTyped(text)) << text;
    }
}

class UniqueBackupPathTest : public ::testing::Test {
protected:
    std::optional<std::string> Unique(std::string_view name) {
        return UniqueBackupPath(files_, std::string(kFolder) + std::string(name), "05-12-2026",
                                "17.42.10");
    }
    void Take(std::string_view name) {
        ASSERT_TRUE(files_.AddFile(std::string(kFolder) + std::string(name), "x").ok());
    }

    MemoryFileSystem files_;
};

TEST_F(UniqueBackupPathTest, AFreeNameIsKept) {
    ASSERT_TRUE(files_.AddDirectories(kFolder).ok());
    EXPECT_EQ(Unique("Clean.reg"), std::string(kFolder) + "Clean.reg");
}

TEST_F(UniqueBackupPathTest, TakenNamesGetTheDateTimeThenACounter) {
    Take("clean.REG");  // names compare without case, as on Windows
    EXPECT_EQ(Unique("Clean.reg"), std::string(kFolder) + "Clean-05-12-2026-17.42.10.reg");
    Take("Clean-05-12-2026-17.42.10.reg");
    EXPECT_EQ(Unique("Clean.reg"), std::string(kFolder) + "Clean-05-12-2026-17.42.10 (2).reg");
    Take("Clean-05-12-2026-17.42.10 (2).reg");
    EXPECT_EQ(Unique("Clean.reg"), std::string(kFolder) + "Clean-05-12-2026-17.42.10 (3).reg");
}

TEST_F(UniqueBackupPathTest, ANameWithItsDateTimeGetsOnlyACounter) {
    Take("Service-05-12-2026-17.42.10.reg");
    EXPECT_EQ(Unique("Service-05-12-2026-17.42.10.reg"),
              std::string(kFolder) + "Service-05-12-2026-17.42.10 (2).reg");
}

TEST_F(UniqueBackupPathTest, AFolderOfThatNameIsTakenToo) {
    ASSERT_TRUE(files_.AddDirectories(std::string(kFolder) + "Clean.reg").ok());
    EXPECT_EQ(Unique("Clean.reg"), std::string(kFolder) + "Clean-05-12-2026-17.42.10.reg");
}

}  // namespace
}  // namespace kestrover
