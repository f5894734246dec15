// Start and stop without the window: the data folder and its files, "lang.ini" with its
// defaults and its prefix-matched keys, the command-line switches, the lists kept across runs,
// and saves that never leave half a file.
#include "app/ApplicationShell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FaultyFileSystem.h"
#include "core/TextFile.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "support/MemoryPlatform.h"

namespace kestrover {
namespace {

constexpr const char* kDataFolder = "C:\\Program Files\\Kestrover\\";

std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class ApplicationShellTest : public ::testing::Test, protected testing::MemoryPlatformParts {
protected:
    ApplicationShellTest() {
        environment_.SetExecutablePath(std::string(kDataFolder) + "kestrover.exe");
        environment_.SetScreenSize({1920, 1080});
        EXPECT_TRUE(files_.AddDirectories(kDataFolder).ok());
    }

    std::string FileText(const std::string& name) {
        Result<std::vector<std::uint8_t>> bytes = files_.ReadFile(kDataFolder + name);
        return bytes ? Text(*bytes) : "<missing>";
    }
    void AddDataFile(const std::string& name, std::string_view content) {
        ASSERT_TRUE(files_.AddFile(kDataFolder + name, content).ok());
    }

    // A run from start to close: FormCreate, FormShow, then what the test does, then FormClose.
    Status Run(std::vector<std::string> arguments, ActiveView viewAtClose = ActiveView::None) {
        ApplicationShell shell(platform_, registry_);
        shell.FormCreate({std::move(arguments), {}});
        MainWindowState window;
        shell.FormShow(window, "About");
        window.view = viewAtClose;
        return shell.FormClose(window);
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
};

TEST(DataFolderOf, EndsAtTheLastBackslashOrColon) {
    EXPECT_EQ(DataFolderOf("C:\\Program Files\\Kestrover\\kestrover.exe"),
              "C:\\Program Files\\Kestrover\\");
    EXPECT_EQ(DataFolderOf("\\\\server\\share\\k.exe"), "\\\\server\\share\\");
    EXPECT_EQ(DataFolderOf("D:kestrover.exe"), "D:");
    EXPECT_EQ(DataFolderOf("kestrover.exe"), "");
}

TEST_F(ApplicationShellTest, AFirstStartFindsNothingAndKeepsTheDefaults) {
    ApplicationShell shell(platform_, registry_);
    shell.FormCreate({});

    EXPECT_EQ(shell.DataFolder(), kDataFolder);
    EXPECT_EQ(shell.LanguagesFolder(), std::string(kDataFolder) + "languages\\");
    EXPECT_EQ(shell.BackupFolder(), std::string(kDataFolder) + "Backup\\");
    EXPECT_TRUE(files_.DirectoryExists(shell.BackupFolder()));
    EXPECT_EQ(shell.HistoryFile(), std::string(kDataFolder) + "history.txt");
    EXPECT_EQ(shell.FavoritesFile(), std::string(kDataFolder) + "regfav.ini");
    EXPECT_TRUE(shell.Favorites().empty());
    EXPECT_TRUE(shell.SearchHistory().empty());
    EXPECT_EQ(shell.Settings().currentLanguage, "English.lng");
    EXPECT_EQ(shell.Settings().placement, (WindowPlacement{640, 335, 716, 460}));
    EXPECT_FALSE(shell.LanguageFileToApply());
    // No Firefox profiles.ini: both profiles name a folder every test calls missing.
    EXPECT_EQ(shell.Variables().firefoxProfile, "notfound-");
    EXPECT_EQ(shell.Variables().localFirefoxProfile, "notfound-");
    EXPECT_EQ(shell.PendingRequest().view, StartView::None);

    MainWindowState window;
    window.monitorView = true;
    window.resultListVisible = true;
    EXPECT_EQ(shell.FormShow(window, "About"), StartRequest{});
    EXPECT_EQ(window.page, Page::About);
    EXPECT_EQ(window.pageTitle, "About");
    EXPECT_FALSE(window.monitorView);
    EXPECT_FALSE(window.resultListVisible);
    EXPECT_FALSE(shell.CompactLayout());
    EXPECT_EQ(shell.Settings().placement.width, 716);
}

TEST_F(ApplicationShellTest, AnotherDataFolderHoldsEveryFile) {
    ASSERT_TRUE(files_.AddDirectories("C:\\Data").ok());
    ASSERT_TRUE(files_.AddFile("C:\\Data\\lang.ini", "width = 800\r\n").ok());
    ApplicationShell shell(platform_, registry_);
    shell.FormCreate({{}, "C:\\Data\\"});
    EXPECT_EQ(shell.BackupFolder(), "C:\\Data\\Backup\\");
    EXPECT_TRUE(files_.DirectoryExists("C:\\Data\\Backup"));
    EXPECT_EQ(shell.Settings().placement.width, 800);
    EXPECT_FALSE(files_.DirectoryExists(std::string(kDataFolder) + "Backup"));
}

TEST_F(ApplicationShellTest, BackupFolderIsCreatedOnlyWhenMissing) {
    // An existing folder keeps what it holds.
    AddDataFile("Backup\\Registry.reg", "REGEDIT4\r\n");
    Status created;
    EXPECT_EQ(PrepareBackupFolder(files_, kDataFolder, &created),
              std::string(kDataFolder) + "Backup\\");
    EXPECT_TRUE(created.ok());
    EXPECT_EQ(FileText("Backup\\Registry.reg"), "REGEDIT4\r\n");

    // A file in the folder's place: the path is still given, the failure is not reported by
    // the start, which goes on.
    ASSERT_TRUE(files_.AddFile("C:\\Other\\Backup", "not a folder").ok());
    EXPECT_EQ(PrepareBackupFolder(files_, "C:\\Other\\", &created), "C:\\Other\\Backup\\");
    EXPECT_FALSE(created.ok());
    ApplicationShell shell(platform_, registry_);
    shell.FormCreate({{}, "C:\\Other\\"});
    EXPECT_EQ(shell.BackupFolder(), "C:\\Other\\Backup\\");
}

TEST_F(ApplicationShellTest, LangIniValuesAndTheirDefaults) {
    struct Case {
        const char* name;
        const char* langIni;  // nullptr: no file
        ScreenSize screen;
        std::string language;
        WindowPlacement placement;
        bool languageFileApplied;
    };
    const Case cases[] = {
        {"no file", nullptr, {1920, 1080}, "English.lng", {640, 335, 716, 460}, false},
        // Centred with integer division, whatever the screen.
        {"odd screen", nullptr, {1365, 767}, "English.lng", {362, 178, 716, 460}, false},
        {"only current_lang, an existing language", "current_lang = Deutsch.lng\r\n",
         {1920, 1080}, "Deutsch.lng", {640, 335, 716, 460}, true},
        {"only current_lang, a missing language", "current_lang = Klingon.lng\r\n",
         {1920, 1080}, "Klingon.lng", {640, 335, 716, 460}, false},
        {"every key", "current_lang = Deutsch.lng\r\nposx = 10\r\nposy = 20\r\nwidth = 900\r\nheight = 700\r\n",
         {1920, 1080}, "Deutsch.lng", {10, 20, 900, 700}, true},
        // Keys are matched by a line's first characters: posx2 comes first and wins.
        {"posx2 before posx", "posx2 = 5\r\nposx = 100\r\n", {1920, 1080}, "English.lng",
         {5, 335, 716, 460}, false},
        {"values that are no numbers", "posx = ten\r\nposy = 12px\r\nwidth =\r\nheight = 4.5\r\n",
         {1920, 1080}, "English.lng", {640, 335, 716, 460}, false},
        {"negative and signed numbers, blanks around them", "  posx=  -8 \r\n\r\nposy =+7\r\n",
         {1920, 1080}, "English.lng", {-8, 7, 716, 460}, false},
        {"an empty language keeps the default", "current_lang =\r\nwidth = 640\r\n", {1920, 1080},
         "English.lng", {640, 335, 640, 460}, false},
        {"keys in any case", "CURRENT_LANG = Deutsch.lng\r\nPosY = 3\r\n", {1920, 1080},
         "Deutsch.lng", {640, 3, 716, 460}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        ASSERT_TRUE(files.AddFile(std::string(kDataFolder) + "languages\\Deutsch.lng", "[x]\r\n").ok());
        if (c.langIni) {
            ASSERT_TRUE(files.AddFile(std::string(kDataFolder) + "lang.ini", c.langIni).ok());
        }
        environment_.SetScreenSize(c.screen);
        Platform platform{memory_, files, environment_, clock_, shell_, security_};
        ApplicationShell shell(platform, registry_);
        shell.FormCreate({});
        EXPECT_EQ(shell.Settings().currentLanguage, c.language);
        EXPECT_EQ(shell.Settings().placement, c.placement);
        EXPECT_EQ(shell.LanguageFileToApply().has_value(), c.languageFileApplied);
        if (c.languageFileApplied) {
            EXPECT_EQ(*shell.LanguageFileToApply(), std::string(kDataFolder) + "languages\\Deutsch.lng");
        }
    }
}

TEST(ParseCommandLine, OneSwitchAtMostInAnyCase) {
    struct Case {
        std::vector<std::string> arguments;
        StartRequest request;
    };
    const StartRequest none{};
    const StartRequest processes{StartView::ProcessList, true, true};
    const StartRequest monitor{StartView::Monitor, true, true};
    const Case cases[] = {
        {{}, none},
        {{"/p"}, processes},
        {{"/P"}, processes},
        {{"/m"}, monitor},
        {{"/mp"}, {StartView::Monitor, false, true}},
        {{"/MF"}, {StartView::Monitor, true, false}},
        {{"/p", "/m"}, none},
        {{"/m", "extra"}, none},
        {{"p"}, none},
        {{"-p"}, none},
        {{"/p "}, none},
        {{"/x"}, none},
        {{""}, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(ParseCommandLine(c.arguments), c.request);
    }
}

TEST_F(ApplicationShellTest, CloseWritesLangIniLinesAndLeavesOutThePositionOfCompactViews) {
    struct Case {
        const char* name;
        ActiveView view;
        bool monitorView;
        std::string expected;
    };
    const std::string full =
        "current_lang = Deutsch.lng\r\nposx = 11\r\nposy = 22\r\nwidth = 733\r\nheight = 444\r\n";
    const Case cases[] = {
        {"no view", ActiveView::None, false, full},
        {"result list", ActiveView::RegistryResults, false, full},
        {"process view", ActiveView::Processes, false, "current_lang = Deutsch.lng\r\n"},
        {"monitor view", ActiveView::Monitor, false, "current_lang = Deutsch.lng\r\n"},
        {"monitor flag", ActiveView::None, true, "current_lang = Deutsch.lng\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplicationShell shell(platform_, registry_);
        shell.FormCreate({});
        shell.Settings().currentLanguage = "Deutsch.lng";
        shell.Settings().placement = {11, 22, 733, 444};
        MainWindowState window;
        window.view = c.view;
        window.monitorView = c.monitorView;
        EXPECT_TRUE(shell.FormClose(window).ok());
        EXPECT_EQ(FileText("lang.ini"), c.expected);
    }
}

TEST_F(ApplicationShellTest, ARunStartedForACompactViewLeavesTheNextStartCentred) {
    for (const char* startSwitch : {"/p", "/m", "/mf"}) {
        SCOPED_TRACE(startSwitch);
        AddDataFile("lang.ini", "current_lang = Deutsch.lng\r\nposx = 1\r\nposy = 2\r\nwidth = 900\r\nheight = 800\r\n");

        ApplicationShell shell(platform_, registry_);
        shell.FormCreate({{startSwitch}, {}});
        MainWindowState window;
        const StartRequest request = shell.FormShow(window, "About");
        EXPECT_NE(request.view, StartView::None);
        EXPECT_TRUE(shell.CompactLayout());
        EXPECT_EQ(shell.Settings().placement.width, 550);
        // The requested view opens, as the process list or the monitor does.
        if (request.view == StartView::ProcessList) {
            window.view = ActiveView::Processes;
        } else {
            window.view = ActiveView::Monitor;
            window.monitorView = true;
        }
        ASSERT_TRUE(shell.FormClose(window).ok());
        EXPECT_EQ(FileText("lang.ini"), "current_lang = Deutsch.lng\r\n");

        ApplicationShell next(platform_, registry_);
        next.FormCreate({});
        EXPECT_EQ(next.Settings().placement, (WindowPlacement{640, 335, 716, 460}));
        EXPECT_EQ(next.Settings().currentLanguage, "Deutsch.lng");
    }
}

TEST_F(ApplicationShellTest, FavoritesAndSearchHistoryLiveAcrossRuns) {
    AddDataFile("regfav.ini", "zeta|0|1|Software\\Zeta\r\nAlpha|0|2|SOFTWARE\\Alpha\r\nbeta|1|1|Software\r\n");
    AddDataFile("history.txt", "run\r\nShell Folders\r\n");

    ApplicationShell first(platform_, registry_);
    first.FormCreate({});
    // Favorites are sorted by name without regard to case; the history keeps its order.
    EXPECT_EQ(first.Favorites(), (std::vector<std::string>{"Alpha|0|2|SOFTWARE\\Alpha",
                                                           "beta|1|1|Software",
                                                           "zeta|0|1|Software\\Zeta"}));
    EXPECT_EQ(first.SearchHistory(), (std::vector<std::string>{"run", "Shell Folders"}));
    first.Favorites().push_back("Mine|0|1|Software\\Mine");
    // A search text the ANSI code page cannot hold is kept whole.
    first.SearchHistory().push_back("\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87");  // "Ключ"
    ASSERT_TRUE(first.FormClose(MainWindowState{}).ok());

    ApplicationShell second(platform_, registry_);
    second.FormCreate({});
    EXPECT_EQ(second.Favorites(), (std::vector<std::string>{"Alpha|0|2|SOFTWARE\\Alpha",
                                                            "beta|1|1|Software",
                                                            "Mine|0|1|Software\\Mine",
                                                            "zeta|0|1|Software\\Zeta"}));
    EXPECT_EQ(second.SearchHistory(),
              (std::vector<std::string>{"run", "Shell Folders", "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87"}));
    // The list is saved in the order the run left it; the next start sorts it.
    EXPECT_EQ(FileText("regfav.ini"),
              "Alpha|0|2|SOFTWARE\\Alpha\r\nbeta|1|1|Software\r\nzeta|0|1|Software\\Zeta\r\n"
              "Mine|0|1|Software\\Mine\r\n");
}

TEST_F(ApplicationShellTest, AFailedSaveLeavesTheOldFileWholeAndTheOthersAreStillSaved) {
    AddDataFile("history.txt", "old search\r\n");
    AddDataFile("regfav.ini", "Old|0|1|Software\r\n");
    AddDataFile("lang.ini", "current_lang = English.lng\r\nposx = 1\r\nposy = 2\r\nwidth = 800\r\nheight = 600\r\n");

    ApplicationShell shell(platform_, registry_);
    shell.FormCreate({});
    // Taken after the start, which tidies the file's blanks away.
    const std::string oldLangIni = FileText("lang.ini");
    shell.SearchHistory().push_back("new search");
    shell.Favorites().push_back("New|0|1|Software\\New");
    shell.Settings().placement.left = 99;

    // A full disk: every save fails half-way, and no file is left cut short.
    files_.FailWritesAfter(8);
    EXPECT_EQ(shell.FormClose(MainWindowState{}).code(), ErrorCode::Io);
    EXPECT_EQ(FileText("history.txt"), "old search\r\n");
    EXPECT_EQ(FileText("regfav.ini"), "Old|0|1|Software\r\n");
    EXPECT_EQ(FileText("lang.ini"), oldLangIni);
    for (const char* name : {"history.txt", "regfav.ini", "lang.ini"}) {
        EXPECT_FALSE(files_.FileExists(TemporaryFileNameFor(kDataFolder + std::string(name))))
            << name;
    }

    // The first save cannot create its file: the others still go through.
    files_.FailWritesAfter(-1);
    files_.FailNextFileCreation();
    EXPECT_EQ(shell.FormClose(MainWindowState{}).code(), ErrorCode::AccessDenied);
    EXPECT_EQ(FileText("history.txt"), "old search\r\n");
    EXPECT_EQ(FileText("regfav.ini"), "Old|0|1|Software\r\nNew|0|1|Software\\New\r\n");
    EXPECT_EQ(FileText("lang.ini"),
              "current_lang = English.lng\r\nposx = 99\r\nposy = 2\r\nwidth = 800\r\nheight = 600\r\n");
}

TEST_F(ApplicationShellTest, ListsThatCouldNotBeReadAreNotOverwrittenWithNothing) {
    AddDataFile("history.txt", "old search\r\n");
    AddDataFile("regfav.ini", "Old|0|1|Software\r\n");
    testing_support::FaultyFileSystem faulty(files_);
    faulty.FailReads(ErrorCode::AccessDenied);
    Platform platform{memory_, faulty, environment_, clock_, shell_, security_};

    ApplicationShell shell(platform, registry_);
    shell.FormCreate({});
    EXPECT_TRUE(shell.Favorites().empty());
    EXPECT_TRUE(shell.SearchHistory().empty());
    EXPECT_EQ(shell.Settings().placement, (WindowPlacement{640, 335, 716, 460}));

    EXPECT_EQ(shell.FormClose(MainWindowState{}).code(), ErrorCode::AccessDenied);
    EXPECT_EQ(FileText("history.txt"), "old search\r\n");
    EXPECT_EQ(FileText("regfav.ini"), "Old|0|1|Software\r\n");
    // The window's own settings are still written.
    EXPECT_EQ(FileText("lang.ini"),
              "current_lang = English.lng\r\nposx = 640\r\nposy = 335\r\nwidth = 716\r\nheight = 460\r\n");
}

TEST_F(ApplicationShellTest, ALanguageNameOutsideTheAnsiCodePageSurvivesTheRewrite) {
    const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.lng";  // "日本語.lng"
    AddDataFile("languages\\" + name, "[x]\r\n");
    {
        ApplicationShell shell(platform_, registry_);
        shell.FormCreate({});
        shell.Settings().currentLanguage = name;
        ASSERT_TRUE(shell.FormClose(MainWindowState{}).ok());
    }
    ApplicationShell shell(platform_, registry_);
    shell.FormCreate({});
    EXPECT_EQ(shell.Settings().currentLanguage, name);
    ASSERT_TRUE(shell.LanguageFileToApply());
}

}  // namespace
}  // namespace kestrover
