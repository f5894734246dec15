// The search page of the registry: showing it (btRechClick), the search box and its history, the
// options, and "Search !" (cherche1Click) in registry mode, which fills the result list with the
// hits of the registry search, keeping the main window's state as the search goes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/MainWindowState.h"
#include "app/SavedTextList.h"
#include "platform/ports/Platform.h"
#include "registry/RegistryProvider.h"
#include "repair/RegistrySearch.h"
#include "scanner/ResultList.h"

namespace kestrover {

// The search page's check boxes. The search box is MainWindowState::searchText (enabled by
// searchBoxEnabled), and "Search Protected Keys only" is MainWindowState::searchProtectedKeys.
struct SearchPage {
    // The roots searched.
    bool ckcr = true;  // "HKEY_CLASSES_ROOT"
    bool ckcu = true;  // "HKEY_CURRENT_USER"
    bool cklm = true;  // "HKEY_LOCAL_MACHINE"
    bool cku = false;  // "HKEY_USERS"
    // What is matched, and how.
    bool ckOK = true;      // "&Keys"
    bool ckVal = true;     // "&Values"
    bool ckDon = true;     // "&Data"
    bool ckOnlyW = false;  // "&Match whole word"
    bool ckRoot = true;    // "&Group similar keys"
};

// Language texts the search uses, with their built-in defaults.
struct SearchTexts {
    std::string searchButton = "Search !";   // the caption of "Search !"
    std::string items = "Items";             // msgitems
    std::string defaultValue = "(default)";  // lbDefault
};

// The options a search runs with, from the page and the window.
SearchOptions SearchOptionsOf(const SearchPage& page, const MainWindowState& window);

// "Search !" is enabled while nothing runs and there is a text to search for, or the
// protected-keys box is checked (which needs none).
bool SearchButtonEnabled(const MainWindowState& window);

// The keys the search box reacts to.
enum class SearchBoxKey { Escape, Other };

struct SearchCommandReport {
    SearchReport search;
    bool historyChanged = false;  // the text was new: added and the file saved
    Status historySaved;          // the save's outcome (failures are not shown)
};

class RegistrySearchCommand {
public:
    // history is the search history the window keeps for the whole run, saved to historyFile
    // ("history.txt" in the data folder) after a search adds to it.
    RegistrySearchCommand(Platform& platform, RegistryContext& registry, MainWindowState& window,
                          ResultList& results, SearchPage& page, SavedTextList& history,
                          std::string historyFile);

    // btRechClick: the search page: the view reset, the page title from the search button's
    // caption, the status labels cleared.
    void btRechClick();
    // cherche1Click in registry mode: the view reset, the busy state, the search over the
    // checked roots, the count, and the history. shift is the Shift key held when it started
    // (protected keys of the system are then listed too).
    SearchCommandReport cherche1Click(ShiftKey shift = ShiftKey::Up);
    // StopScan during a search: the walk ends before its next value or subkey.
    void StopScan();

    // FindTChange: the search box's text changed.
    void FindTChange(std::string_view text);
    // FindTKeyUp: Escape empties the box.
    void FindTKeyUp(SearchBoxKey key);
    // btEffHist1Click: empties the history (the file follows at the next new search or at
    // close).
    void btEffHist1Click();
    // ckProtectedClick: checking the box empties and disables the search box; unchecking
    // enables it again.
    void ckProtectedClick(bool checked);

    SearchTexts texts;
    // Lets the window process pending messages during the walk (the GUI sets it).
    std::function<void()> pumpMessages;

private:
    Platform& platform_;
    RegistryContext& registry_;
    MainWindowState& window_;
    ResultList& results_;
    SearchPage& page_;
    SavedTextList& history_;
    std::string historyFile_;
    RegistrySearch* running_ = nullptr;
};

}  // namespace kestrover
