// "Open in explorer": the path a result entry names (data, else a value name that is a path),
// quotes and switches gone, folder variables expanded; and the command on the focused row.
#include <gtest/gtest.h>

#include "app/OpenInExplorerCommand.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemoryShell.h"

namespace kestrover {
namespace {

PathVariables Folders() {
    PathVariables variables;
    variables.systemRoot = "C:\\Windows";
    variables.windowsFolder = "C:\\Windows";
    variables.systemDrive = "C:";
    variables.programFiles = "C:\\Program Files";
    variables.programFilesX86 = "C:\\Program Files (x86)";
    variables.commonProgramFiles = "C:\\Program Files\\Common Files";
    variables.userProfile = "C:\\Users\\ann";
    variables.applicationData = "C:\\Users\\ann\\AppData\\Roaming";
    variables.localApplicationData = "C:\\Users\\ann\\AppData\\Local";
    return variables;
}

TEST(OpenInExplorerCommandTest, PathOfEntry) {
    struct Case {
        const char* entry;
        std::optional<std::string> path;
    } cases[] = {
        {"0|1|Software\\Run||Tool|||\"C:\\Program Files\\Tool\\tool.exe\" /tray /x:\\y",
         "C:\\Program Files\\Tool\\tool.exe"},
        {"1|2|Software\\Vendor||Path|||C:\\Vendor\\Data\\²²1", "C:\\Vendor\\Data\\"},
        {"0|1|Software\\Run||Updater|||%ProgramFiles%\\Up\\UP.EXE -q",
         "C:\\Program Files\\Up\\UP.EXE"},
        {"0|1|Software\\X||Icon|||%SystemRoot%\\system32\\x.dll,-2",
         "C:\\Windows\\system32\\x.dll,-2"},
        {"0|1|Software\\X||P|||%APPDATA%\\a\\%windir%\\b",
         "C:\\Users\\ann\\AppData\\Roaming\\a\\C:\\Windows\\b"},
        // A variable whose folder is not known stays: no path from the drive's root.
        {"0|1|Software\\X||P|||%CommonProgramFiles(x86)%\\Shared\\s.dll",
         "%CommonProgramFiles(x86)%\\Shared\\s.dll"},
        // The shared DLLs name the file by the value; their data is a count.
        {"0|2|Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs||C:\\Old\\old.dll|||²²0",
         "C:\\Old\\old.dll"},
        // Neither data nor name is a path: the key path alone never is one.
        {"0|2|Software\\Vendor\\App²²6", std::nullopt},
        {"0|1|Software\\X||Name|||plain text", std::nullopt},
        {"0|1|Software\\X||C:\\Note|||\"\"", "C:\\Note"},
    };
    const PathVariables folders = Folders();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(ExplorerPathOfEntry(ParseScanEntry(c.entry), folders), c.path);
    }
}

TEST(OpenInExplorerCommandTest, ShowsTheFocusedRowsPathOnly) {
    MemoryRegistry registry;
    ASSERT_TRUE(
        registry.CreateKey(RegRoot::CurrentUser, "Software\\Run", KeyAccess::AllAccess).ok());
    RegistryContext context{registry, {true, true}};
    ResultList results(context);
    CategoryFlags flags;
    ASSERT_TRUE(results.AddScanEntry("Software\\Run", 1, flags, {}));
    ASSERT_TRUE(
        results.AddScanEntry("Software\\Run||Tool|||\"%windir%\\tool.exe\" /s", 1, flags, {}));
    MemoryShell shell;
    const PathVariables folders = Folders();

    EXPECT_FALSE(OpeninexplorerClick(results, std::nullopt, folders, shell));
    EXPECT_FALSE(OpeninexplorerClick(results, 5, folders, shell));
    EXPECT_FALSE(OpeninexplorerClick(results, 0, folders, shell)) << "a key names no file";
    EXPECT_TRUE(shell.ExplorerSelections().empty());

    // Selection does not matter: the focused row is the one shown.
    results.SetSelected(0, true);
    ASSERT_TRUE(OpeninexplorerClick(results, 1, folders, shell));
    EXPECT_EQ(shell.ExplorerSelections(), std::vector<std::string>{"C:\\Windows\\tool.exe"});
}

}  // namespace
}  // namespace kestrover
