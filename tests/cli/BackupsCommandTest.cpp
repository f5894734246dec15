// kestrover-cli backups: list in the page's order (text and JSON), view changes nothing,
// restore by name, by full path and --last, names that would leave the backup folder, and
// deleting with its question.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/BackupsCommand.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "registry/RegistryProvider.h"
#include "support/ScriptedPrompts.h"

namespace kestrover::cli {
namespace {

constexpr const char* kDataFolder = "C:\\Kestrover\\";
constexpr const char* kBackupFolder = "C:\\Kestrover\\Backup\\";

class MemoryNativePlatform final : public NativePlatform {
public:
    Platform Ports() override {
        return Platform{registry, files, environment, clock, shell, security};
    }

    MemoryRegistry registry{true};
    MemoryFileSystem files;
    MemoryEnvironment environment;
    MemoryClock clock;
    MemoryShell shell;
    MemorySecurity security{registry};
};

std::string Section(std::string_view key, std::string_view name, std::string_view text) {
    return "\r\n[HKEY_CURRENT_USER\\" + std::string(key) + "]\r\n\"" + std::string(name) + "\"=\"" +
           std::string(text) + "\"\r\n";
}

class BackupsCommandTest : public ::testing::Test {
protected:
    void AddBackup(const std::string& path, const std::string& body,
                   const LocalDateTime& written = {2026, 3, 5, 9, 7, 3}) {
        ASSERT_TRUE(native_.files.AddFile(path, "REGEDIT4\r\n" + body).ok()) << path;
        const std::uint64_t time = DateTimeToFileTime(written);
        ASSERT_TRUE(native_.files.SetFileTimes(path, time, time, time).ok()) << path;
    }

    int Run(BackupsAction action, std::vector<std::string> names = {}, bool last = false,
            bool json = false) {
        out_.str("");
        err_.str("");
        BackupsOptions options;
        options.action = action;
        options.names = std::move(names);
        options.last = last;
        options.json = json;
        return RunBackups(native_, kDataFolder, options, prompts_, out_, err_);
    }

    std::optional<std::string> ReadValue(std::string_view key, std::string_view name) {
        RegistryContext context{native_.registry, {true, true}, nullptr};
        RegistryProvider reg(context);
        reg.SetRootKey(RegRoot::CurrentUser);
        if (!reg.OpenKeyReadOnly("\\" + std::string(key)) || !reg.ValueExists(name)) {
            return std::nullopt;
        }
        return reg.ReadString(name);
    }

    bool Exists(const std::string& name) {
        return native_.files.FileExists(std::string(kBackupFolder) + name);
    }

    MemoryNativePlatform native_;
    testing::ScriptedPrompts prompts_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(BackupsCommandTest, ListShowsNameDateAndSizeNewestFirst) {
    EXPECT_EQ(Run(BackupsAction::List), 0);
    EXPECT_EQ(out_.str(), "No backups in C:\\Kestrover\\Backup\\\n");

    AddBackup(std::string(kBackupFolder) + "Old.reg", Section("Software\\A", "v", "1"),
              {2026, 1, 2, 3, 4, 5});
    AddBackup(std::string(kBackupFolder) + "New.reg", Section("Software\\B", "v", "2"),
              {2026, 3, 5, 9, 7, 3});
    ASSERT_TRUE(native_.files.AddFile(std::string(kBackupFolder) + "readme.txt", "x").ok());
    EXPECT_EQ(Run(BackupsAction::List), 0);
    EXPECT_EQ(out_.str(),
              "Name     Date                   Size\n"
              "New.reg  2026/03/05   09:07:03  53 bytes\n"
              "Old.reg  2026/01/02   03:04:05  53 bytes\n"
              "2 backups in C:\\Kestrover\\Backup\\\n");

    EXPECT_EQ(Run(BackupsAction::List, {}, false, true), 0);
    const nlohmann::json list = nlohmann::json::parse(out_.str());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["name"], "New.reg");
    EXPECT_EQ(list[0]["path"], "C:\\Kestrover\\Backup\\New.reg");
    EXPECT_EQ(list[0]["date"], "2026/03/05   09:07:03");
    EXPECT_EQ(list[0]["size"], "53 bytes");
    EXPECT_EQ(list[0]["size_bytes"], 53);
    EXPECT_EQ(list[0]["modified"], "2026-03-05T09:07:03");
    EXPECT_EQ(list[0]["last_write_time"], DateTimeToFileTime({2026, 3, 5, 9, 7, 3}));
    EXPECT_EQ(list[1]["name"], "Old.reg");
}

TEST_F(BackupsCommandTest, ViewChangesNothingRestoreWritesBack) {
    AddBackup(std::string(kBackupFolder) + "Clean.reg",
              Section("Software\\Vendor", "Path", "C:\\\\a.exe"));
    const std::uint64_t changes = native_.registry.ChangeCount();
    EXPECT_EQ(Run(BackupsAction::View, {"Clean"}), 0) << err_.str();
    EXPECT_EQ(native_.registry.ChangeCount(), changes);
    EXPECT_EQ(out_.str(),
              "Backup C:\\Kestrover\\Backup\\Clean.reg\n"
              "  [HKEY_CURRENT_USER\\Software\\Vendor]\n"
              "      Path=C:\\a.exe\n"
              "1 key, 1 value\n");

    EXPECT_EQ(Run(BackupsAction::Restore, {"Clean.reg"}), 0) << err_.str();
    EXPECT_EQ(ReadValue("Software\\Vendor", "Path"), "C:\\a.exe");
    EXPECT_NE(out_.str().find("+ [HKEY_CURRENT_USER\\Software\\Vendor]"), std::string::npos)
        << out_.str();
    EXPECT_TRUE(prompts_.Calls().empty()) << "a restore asks nothing";
}

TEST_F(BackupsCommandTest, RestoreLastTakesTheNewestBackup) {
    EXPECT_EQ(Run(BackupsAction::Restore, {}, true), 1);
    EXPECT_NE(err_.str().find("no backups"), std::string::npos) << err_.str();

    AddBackup(std::string(kBackupFolder) + "First.reg", Section("Software\\First", "v", "1"),
              {2026, 3, 5, 9, 0, 0});
    AddBackup(std::string(kBackupFolder) + "Second.reg", Section("Software\\Second", "v", "2"),
              {2026, 3, 5, 10, 0, 0});
    EXPECT_EQ(Run(BackupsAction::Restore, {}, true), 0) << err_.str();
    EXPECT_EQ(ReadValue("Software\\Second", "v"), "2");
    EXPECT_FALSE(ReadValue("Software\\First", "v").has_value());
    EXPECT_EQ(out_.str().rfind("Restoring C:\\Kestrover\\Backup\\Second.reg\n", 0), 0u);

    EXPECT_EQ(Run(BackupsAction::Restore, {"First"}, true), 2);
    EXPECT_FALSE(ReadValue("Software\\First", "v").has_value());
}

TEST_F(BackupsCommandTest, RestoreFailuresGiveStatusOne) {
    struct Case {
        const char* what;
        std::string body;
        const char* message;
    };
    RegistryContext context{native_.registry, {true, true}, nullptr};
    RegistryProvider reg(context);
    reg.SetRootKey(RegRoot::CurrentUser);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Locked", true));
    ASSERT_TRUE(
        native_.registry.SetWriteDenied(PredefinedKey::CurrentUser, "Software\\Locked", true));
    const Case cases[] = {
        {"a key that cannot be written", Section("Software\\Locked", "v", "1"), "marked !"},
        {"bad data", "[HKEY_CURRENT_USER\\Software\\Bad]\r\n\"v\"=hex:zz\r\n", "bad data"},
        {"junk", "this is no backup\r\n\"v\"=\"1\"\r\n", "marked ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AddBackup(std::string(kBackupFolder) + "Case.reg", c.body);
        EXPECT_EQ(Run(BackupsAction::Restore, {"Case"}), 1);
        EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
        ASSERT_TRUE(native_.files.DeleteFile(std::string(kBackupFolder) + "Case.reg").ok());
    }
    EXPECT_EQ(Run(BackupsAction::Restore, {"Missing"}), 1);
    EXPECT_NE(err_.str().find("no such backup"), std::string::npos) << err_.str();
}

TEST_F(BackupsCommandTest, NamesThatLeaveTheBackupFolderAreRefused) {
    // Real files where a careless name would reach.
    AddBackup(std::string(kDataFolder) + "Outside.reg", Section("Software\\Outside", "v", "1"));
    AddBackup(std::string(kDataFolder) + "lang.ini", "current_lang = English\r\n");
    for (const char* name :
         {"..\\Outside", "../Outside.reg", "..", "Sub\\x.reg", "C:Outside.reg", "CON", "a|b", ""}) {
        SCOPED_TRACE(name);
        for (BackupsAction action :
             {BackupsAction::View, BackupsAction::Restore, BackupsAction::Delete}) {
            EXPECT_EQ(Run(action, {name}), 2);
        }
        EXPECT_FALSE(ReadValue("Software\\Outside", "v").has_value());
        EXPECT_TRUE(native_.files.FileExists(std::string(kDataFolder) + "Outside.reg"));
    }
    EXPECT_TRUE(prompts_.Calls().empty());

    // A full path is taken as typed; delete still takes backup files only.
    EXPECT_EQ(Run(BackupsAction::Restore, {"C:\\Kestrover\\Outside.reg"}), 0) << err_.str();
    EXPECT_EQ(ReadValue("Software\\Outside", "v"), "1");
    EXPECT_EQ(Run(BackupsAction::Delete, {"C:\\Kestrover\\lang.ini"}), 2);
    EXPECT_TRUE(native_.files.FileExists(std::string(kDataFolder) + "lang.ini"));
}

TEST_F(BackupsCommandTest, DeleteAsksThenDeletesEveryNamedBackup) {
    for (const char* name : {"A.reg", "B.reg", "C.reg", "Locked.reg"}) {
        AddBackup(std::string(kBackupFolder) + name, Section("Software\\X", "v", "1"));
    }
    ASSERT_TRUE(
        native_.files
            .SetAttributes(std::string(kBackupFolder) + "Locked.reg", FileAttribute::ReadOnly)
            .ok());

    prompts_.QueueAnswer(PromptAnswer::Cancel);
    EXPECT_EQ(Run(BackupsAction::Delete, {"A", "B.reg"}), 1);
    EXPECT_TRUE(Exists("A.reg"));
    EXPECT_TRUE(Exists("B.reg"));
    ASSERT_EQ(prompts_.Calls().size(), 1u);
    EXPECT_EQ(prompts_.Calls()[0].caption, "Warning : File suppression !");
    EXPECT_EQ(prompts_.Calls()[0].text.rfind("Delete all selected items ?", 0), 0u);
    EXPECT_NE(prompts_.Calls()[0].text.find("C:\\Kestrover\\Backup\\B.reg"), std::string::npos);

    EXPECT_EQ(Run(BackupsAction::Delete, {"A", "B.reg", "a.REG"}), 0) << err_.str();
    EXPECT_FALSE(Exists("A.reg"));
    EXPECT_FALSE(Exists("B.reg"));
    EXPECT_TRUE(Exists("C.reg"));

    // A missing name and a file that cannot be deleted fail the command; the rest goes.
    EXPECT_EQ(Run(BackupsAction::Delete, {"Missing", "Locked", "C"}), 1);
    EXPECT_NE(err_.str().find("no such backup: C:\\Kestrover\\Backup\\Missing.reg"),
              std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("Locked.reg cannot be deleted"), std::string::npos) << err_.str();
    EXPECT_TRUE(Exists("Locked.reg"));
    EXPECT_FALSE(Exists("C.reg"));
}

}  // namespace
}  // namespace kestrover::cli
