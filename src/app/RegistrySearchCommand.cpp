// The search page and its "Search !" button in registry mode.
#include "app/RegistrySearchCommand.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover {

SearchOptions SearchOptionsOf(const SearchPage& page, const MainWindowState& window) {
    SearchOptions options;
    options.keys = page.ckOK;
    options.values = page.ckVal;
    options.data = page.ckDon;
    options.wholeWord = page.ckOnlyW;
    options.groupSimilarKeys = page.ckRoot;
    options.classesRoot = page.ckcr;
    options.currentUser = page.ckcu;
    options.localMachine = page.cklm;
    options.users = page.cku;
    options.protectedKeysOnly = window.searchProtectedKeys;
    return options;
}

bool SearchButtonEnabled(const MainWindowState& window) {
    return !window.busy && (window.searchProtectedKeys || !window.searchText.empty());
}

RegistrySearchCommand::RegistrySearchCommand(Platform& platform, RegistryContext& registry,
                                             MainWindowState& window, ResultList& results,
                                             SearchPage& page, SavedTextList& history,
                                             std::string historyFile)
    : platform_(platform),
      registry_(registry),
      window_(window),
      results_(results),
      page_(page),
      history_(history),
      historyFile_(std::move(historyFile)) {}

void RegistrySearchCommand::btRechClick() {
    window_.ResetView();
    results_.ResetView();
    window_.page = Page::Registry;
    window_.pageTitle = texts.searchButton;
    window_.status.text.clear();
    window_.title.clear();
}

SearchCommandReport RegistrySearchCommand::cherche1Click(ShiftKey shift) {
    const std::string text = window_.searchText;
    window_.pageTitle = texts.searchButton + " [ " + text + " ]";
    window_.progressVisible = true;
    window_.ResetView();
    results_.ResetView();
    window_.DisableAllButtons();
    window_.view = ActiveView::RegistryResults;
    window_.resultListVisible = true;
    window_.stopButtonVisible = true;

    SearchCallbacks callbacks;
    callbacks.showTitle = [this](std::string_view title) { window_.title = title; };
    callbacks.showStatus = [this](std::string_view status) { window_.status.text = status; };
    callbacks.setProgressMaximum = [this](std::int64_t value) { window_.progressMaximum = value; };
    callbacks.setProgressPosition = [this](std::int64_t value) {
        window_.progressPosition = value;
    };
    callbacks.pumpMessages = [this] {
        if (pumpMessages) pumpMessages();
        if (window_.stopRequested && running_) running_->Stop();
    };
    RegistrySearch search(registry_, platform_.fileSystem, results_, callbacks);
    search.SetDefaultValueText(texts.defaultValue);
    results_.SetItemsText(texts.items);
    // The stop button reaches the walk only while it runs, even when the search throws.
    struct RunningSearch {
        RegistrySearch*& slot;
        ~RunningSearch() { slot = nullptr; }
    } running{running_};
    running_ = &search;
    SearchCommandReport report;
    report.search = search.Run(text, SearchOptionsOf(page_, window_), shift);
    running_ = nullptr;

    window_.total = std::to_string(results_.RowCount()) + " " + texts.items;
    window_.root = window_.total;
    window_.status.text.clear();
    window_.title.clear();

    // The history keeps each text once, whatever its case. The protected-keys list searches
    // for no text, and an empty line is no search to offer again.
    const bool known =
        std::any_of(history_.lines.begin(), history_.lines.end(),
                    [&](const std::string& line) { return EqualsNoCase(line, text); });
    if (!text.empty() && !known) {
        history_.lines.push_back(text);
        report.historyChanged = true;
        report.historySaved = SaveTextList(platform_.fileSystem, historyFile_, history_,
                                           platform_.environment.AnsiCodePage());
    }

    window_.progressPosition = 0;
    window_.progressVisible = false;
    window_.stopButtonVisible = false;
    window_.EnableAllButtons();
    return report;
}

void RegistrySearchCommand::StopScan() {
    window_.stopRequested = true;
    if (running_) running_->Stop();
    window_.searchBoxEnabled = !window_.searchProtectedKeys;
    window_.EnableAllButtons();
}

void RegistrySearchCommand::FindTChange(std::string_view text) { window_.searchText = text; }

void RegistrySearchCommand::FindTKeyUp(SearchBoxKey key) {
    if (key == SearchBoxKey::Escape) window_.searchText.clear();
}

void RegistrySearchCommand::btEffHist1Click() { history_.lines.clear(); }

void RegistrySearchCommand::ckProtectedClick(bool checked) {
    window_.searchProtectedKeys = checked;
    if (checked) window_.searchText.clear();
    window_.searchBoxEnabled = !checked;
}

}  // namespace kestrover
