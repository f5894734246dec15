// The program's start and stop without the window.
#include "app/ApplicationShell.h"

namespace kestrover {

namespace {

constexpr int kCompactWidth = 550;

}  // namespace

std::string DataFolderOf(std::string_view executablePath) {
    const std::size_t last = executablePath.find_last_of("\\:");
    if (last == std::string_view::npos) return {};
    return std::string(executablePath.substr(0, last + 1));
}

std::string PrepareBackupFolder(FileSystemPort& fileSystem, std::string_view dataFolder,
                                Status* created) {
    std::string folder = std::string(dataFolder) + "Backup";
    Status result;
    // A drive named without a folder ("D:") always exists.
    if (folder.back() != ':' && !fileSystem.DirectoryExists(folder)) {
        result = fileSystem.CreateDirectory(folder);
    }
    if (created) *created = result;
    return folder + "\\";
}

ApplicationShell::ApplicationShell(const Platform& platform, RegistryContext& registry)
    : platform_(platform), registry_(registry) {}

void ApplicationShell::FormCreate(const ShellStartOptions& options) {
    FileSystemPort& files = platform_.fileSystem;
    EnvironmentPort& environment = platform_.environment;
    const TextCodec& ansi = environment.AnsiCodePage();

    request_ = {};
    compactLayout_ = false;
    dataFolder_ = options.dataFolder.empty() ? DataFolderOf(environment.ExecutablePath())
                                             : options.dataFolder;

    pathVariables_ = FillPathVariables(environment, files, registry_);

    historyFile_ = dataFolder_ + "history.txt";
    favoritesFile_ = dataFolder_ + "regfav.ini";
    favorites_ = LoadTextList(files, favoritesFile_, ansi);
    SortNoCase(favorites_.lines);
    searchHistory_ = LoadTextList(files, historyFile_, ansi);

    languagesFolder_ = dataFolder_ + "languages\\";
    backupFolder_ = PrepareBackupFolder(files, dataFolder_);

    settingsFile_ = dataFolder_ + "lang.ini";
    settings_ = ReadWindowSettings(files, settingsFile_, environment.PrimaryScreenSize(), ansi);

    languageFile_.reset();
    const std::string languageFile = languagesFolder_ + settings_.currentLanguage;
    if (files.FileExists(languageFile)) languageFile_ = languageFile;

    request_ = ParseCommandLine(options.arguments);
}

StartRequest ApplicationShell::FormShow(MainWindowState& window, std::string_view aboutCaption) {
    window.page = Page::About;
    window.pageTitle = std::string(aboutCaption);
    window.resultListVisible = false;
    window.monitorView = false;
    if (request_.view != StartView::None) {
        compactLayout_ = true;
        settings_.placement.width = kCompactWidth;
    }
    return request_;
}

Status ApplicationShell::FormClose(const MainWindowState& window) {
    FileSystemPort& files = platform_.fileSystem;
    const TextCodec& ansi = platform_.environment.AnsiCodePage();

    Status first;
    auto keep = [&first](Status status) {
        if (first && !status) first = std::move(status);
    };
    keep(SaveTextList(files, historyFile_, searchHistory_, ansi));
    keep(SaveTextList(files, favoritesFile_, favorites_, ansi));

    // The process and monitor views run in the compact layout; their size is no size to
    // start with, so the next start is centred.
    const bool compactView = window.view == ActiveView::Processes ||
                             window.view == ActiveView::Monitor || window.monitorView;
    keep(WriteWindowSettings(files, settingsFile_, settings_,
                             compactView ? SavePlacement::No : SavePlacement::Yes, ansi));
    return first;
}

}  // namespace kestrover
