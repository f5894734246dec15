// kestrover-cli clean and export-results over a memory platform: the dry run prints the plan a
// run carries out, JSON, the exit status when the backup fails, names, and the export.
#include "cli/CleanCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "registry/RegistryProvider.h"
#include "support/MemoryPlatform.h"
#include "support/ScriptedPrompts.h"

namespace kestrover::cli {
namespace {

constexpr std::string_view kDataFolder = "C:\\Kestrover\\";
constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A Run list with one program that exists and one that is gone.
struct CleanBench : testing::MemoryPlatformParts {
    CleanBench() {
        environment_.SetVariable("windir", "C:\\Windows");
        environment_.SetVariable("systemroot", "C:\\Windows");
        EXPECT_TRUE(files_.AddFile("C:\\Program Files\\Good\\good.exe", "x").ok());
        EXPECT_TRUE(files_.AddDirectories(kDataFolder).ok());
        RegistryProvider reg(registry_);
        EXPECT_TRUE(reg.OpenKey("\\" + std::string(kRunKey), true));
        reg.WriteString("Good", "C:\\Program Files\\Good\\good.exe");
        reg.WriteString("Gone", "C:\\Program Files\\Gone\\gone.exe");
    }

    int Clean(const CleanOptions& options) {
        out_.str("");
        err_.str("");
        return RunClean(platform_, kDataFolder, options, prompts_, out_, err_);
    }
    bool GoneExists() {
        RegistryProvider reg(registry_);
        return reg.OpenKeyReadOnly("\\" + std::string(kRunKey)) && reg.ValueExists("Gone");
    }
    std::string BackupPath(std::string_view name) {
        return std::string(kDataFolder) + "Backup\\" + std::string(name);
    }
    // The printed lines about entries and the backup, with the outcome word taken out.
    static std::vector<std::string> PlanLines(const std::string& output) {
        std::vector<std::string> lines;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);) {
            for (std::string_view outcome : {"planned     ", "deleted     "}) {
                if (line.starts_with(outcome)) lines.push_back(line.substr(outcome.size()));
            }
            if (line.starts_with("Backup file: ")) lines.push_back(line);
        }
        return lines;
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
    testing::ScriptedPrompts prompts_;
    std::ostringstream out_;
    std::ostringstream err_;
};

class CleanCommandTest : public ::testing::Test, public CleanBench {};

TEST_F(CleanCommandTest, TheDryRunPrintsThePlanTheRunCarriesOut) {
    CleanOptions options;
    options.dryRun = true;
    ASSERT_EQ(Clean(options), 0) << err_.str();
    const std::string plan = out_.str();
    EXPECT_NE(plan.find("planned     HKEY_CURRENT_USER\\" + std::string(kRunKey) + "  [Gone]  ("),
              std::string::npos)
        << plan;
    EXPECT_NE(plan.find("Backup file: " + BackupPath("Clean.reg")), std::string::npos) << plan;
    EXPECT_TRUE(GoneExists());
    EXPECT_FALSE(files_.DirectoryExists(BackupPath("")));
    EXPECT_TRUE(prompts_.Calls().empty());  // a dry run asks nothing

    options.dryRun = false;
    ASSERT_EQ(Clean(options), 0) << err_.str();
    EXPECT_EQ(PlanLines(out_.str()), PlanLines(plan)) << out_.str();
    EXPECT_FALSE(GoneExists());
    EXPECT_TRUE(files_.FileExists(BackupPath("Clean.reg")));

    // The next plan names the file the next run writes, beside the first.
    options.dryRun = true;
    ASSERT_EQ(Clean(options), 0);
    EXPECT_NE(out_.str().find("Nothing to clean"), std::string::npos) << out_.str();
}

TEST_F(CleanCommandTest, JsonGivesEachEntryWithRuleCategoryAndOutcome) {
    CleanOptions options;
    options.json = true;
    ASSERT_EQ(Clean(options), 0) << err_.str();
    nlohmann::json document = nlohmann::json::parse(out_.str());
    EXPECT_EQ(document["backup"], BackupPath("Clean.reg"));
    EXPECT_EQ(document["deleted"], 1);
    ASSERT_EQ(document["entries"].size(), 1u);
    const nlohmann::json& entry = document["entries"][0];
    EXPECT_EQ(entry["value"], "Gone");
    EXPECT_EQ(entry["category"], 1);
    EXPECT_EQ(entry["category_text"], "File or Path does not exist");
    EXPECT_FALSE(entry["rule"].get<std::string>().empty());
    EXPECT_EQ(entry["outcome"], "deleted");
    EXPECT_TRUE(entry["reason"].is_null());
}

TEST(CleanCommandStatusTest, ExitStatusAndMessages) {
    struct Case {
        const char* name;
        std::function<void(CleanBench&, CleanOptions&)> setUp;
        int status;
        bool goneLeft;
        std::string say;  // on standard error, or in the output
    };
    const Case cases[] = {
        {"backup cannot be created",
         [](CleanBench& t, CleanOptions&) {
             ASSERT_TRUE(t.files_.AddDirectories(t.BackupPath("")).ok());
             t.files_.FailNextFileCreation();
         },
         1, true, "nothing was deleted"},
        {"disk full while writing the backup",
         [](CleanBench& t, CleanOptions&) { t.files_.FailWritesAfter(30); }, 1, true,
         "nothing was deleted"},
        {"confirmation declined",
         [](CleanBench& t, CleanOptions&) { t.prompts_.QueueAnswer(PromptAnswer::Cancel); },
         1, true, "cancelled"},
        {"no backup", [](CleanBench&, CleanOptions& o) { o.noBackup = true; }, 0, false,
         "Backup file: none"},
        {"nothing of that colour", [](CleanBench&, CleanOptions& o) {
             o.select = FindingSelection::Red;
         },
         0, true, "Nothing to clean"},
        {"unknown root", [](CleanBench&, CleanOptions& o) { o.roots = "cu,xx"; }, 2, true,
         "unknown root"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CleanBench test;
        CleanOptions options;
        c.setUp(test, options);
        EXPECT_EQ(test.Clean(options), c.status);
        EXPECT_EQ(test.GoneExists(), c.goneLeft);
        EXPECT_NE((test.out_.str() + test.err_.str()).find(c.say), std::string::npos)
            << test.out_.str() << test.err_.str();
        if (c.goneLeft) {
            EXPECT_FALSE(test.files_.FileExists(test.BackupPath("Clean.reg")));
        }
    }
}

TEST_F(CleanCommandTest, ABackupNameStaysInTheBackupFolder) {
    CleanOptions options;
    options.backupName = "..\\..\\Windows\\evil";
    ASSERT_EQ(Clean(options), 0) << err_.str();
    EXPECT_TRUE(files_.FileExists(BackupPath(".._.._Windows_evil.reg")));
    EXPECT_FALSE(files_.FileExists("C:\\Windows\\evil.reg"));
}

TEST_F(CleanCommandTest, ExportResultsWritesTheFileAndDeletesNothing) {
    CleanOptions options;
    ASSERT_EQ(RunExportResults(platform_, kDataFolder, options, prompts_, out_, err_), 0)
        << err_.str();
    EXPECT_EQ(out_.str(), "Exported 1 entries to " + BackupPath("Clean.reg") + "\n");
    EXPECT_TRUE(GoneExists());
    auto bytes = files_.ReadFile(BackupPath("Clean.reg"));
    ASSERT_TRUE(bytes.ok());
    std::string text(bytes->begin(), bytes->end());
    EXPECT_NE(text.find("\"Gone\"="), std::string::npos) << text;
    EXPECT_EQ(text.find("\"Good\"="), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrover::cli
