// The "GO !" command: the scan fills the result list and the window's state follows it.
#include <gtest/gtest.h>

#include "app/RegistryScanCommand.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "scanner/ScanEntry.h"
#include "support/MemoryPlatform.h"

namespace kestrover {
namespace {

class RegistryScanCommandTest : public ::testing::Test, protected testing::MemoryPlatformParts {
protected:
    RegistryScanCommandTest() {
        environment_.SetVariable("windir", "C:\\Windows");
        environment_.SetVariable("systemroot", "C:\\Windows");
        EXPECT_TRUE(files_.AddFile("C:\\Program Files\\Good\\good.exe", "x").ok());
        RegistryProvider reg(registry_);
        EXPECT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run", true));
        reg.WriteString("Good", "C:\\Program Files\\Good\\good.exe");
        reg.WriteString("Gone", "C:\\Program Files\\Gone\\gone.exe");
        variables_ = FillPathVariables(environment_, files_, registry_);
    }

    ScanReport Scan(const ScanOptions& options) {
        RegistryScanCommand command(platform_, registry_, window_, results_, variables_,
                                    "C:\\Program Files\\Kestrover\\");
        std::int64_t clock = 0;
        command.nowMilliseconds = [&clock] { return clock += 1000; };
        command.pumpMessages = pump_;
        return command.GoClean(options);
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
    MainWindowState window_;
    ResultList results_{registry_};
    PathVariables variables_;
    std::function<void()> pump_;
};

TEST_F(RegistryScanCommandTest, ScanFillsTheListAndLeavesTheWindowFree) {
    window_.searchText = "old search";
    ScanReport report = Scan(ScanOptions{});
    EXPECT_FALSE(report.stopped);
    ASSERT_FALSE(results_.Rows().empty());
    for (const ResultRow& row : results_.Rows()) {
        EXPECT_EQ(ParseScanEntry(row.text).valueName, "Gone") << row.text;
    }
    EXPECT_EQ(window_.view, ActiveView::RegistryResults);
    EXPECT_TRUE(window_.scanMode);
    EXPECT_TRUE(window_.resultListVisible);
    EXPECT_FALSE(window_.busy);
    EXPECT_FALSE(window_.progressVisible);
    EXPECT_FALSE(window_.stopButtonVisible);
    EXPECT_TRUE(window_.searchBoxEnabled);
    EXPECT_EQ(window_.searchText, "");
    EXPECT_EQ(window_.progressPosition, 0);
    EXPECT_EQ(window_.status.text, report.elapsedText);
    EXPECT_EQ(window_.total, results_.CountText());
    EXPECT_FALSE(window_.total.empty());
}

TEST_F(RegistryScanCommandTest, NoRootChosenRunsNoPass) {
    ScanOptions options;
    for (ScanBox box : {ScanBox::clCR, ScanBox::clCU, ScanBox::clLM, ScanBox::clU}) {
        options.SetChecked(box, false);
    }
    ScanReport report = Scan(options);
    EXPECT_TRUE(results_.Rows().empty());
    EXPECT_EQ(window_.status.text, report.elapsedText);
    EXPECT_FALSE(window_.busy);
}

TEST_F(RegistryScanCommandTest, StopFromTheWindowEndsTheScanAndFreesTheWindow) {
    pump_ = [this] { window_.stopRequested = true; };
    ScanReport report = Scan(ScanOptions{});
    EXPECT_TRUE(report.stopped);
    EXPECT_FALSE(window_.busy);
    EXPECT_FALSE(window_.stopButtonVisible);
    // The next press starts from a clear stop flag and scans everything again.
    pump_ = nullptr;
    ScanReport again = Scan(ScanOptions{});
    EXPECT_FALSE(again.stopped);
    EXPECT_FALSE(results_.Rows().empty());
}

}  // namespace
}  // namespace kestrover
