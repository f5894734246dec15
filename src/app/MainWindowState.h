// The main window's state without its widgets: the active view, the stop flag, the busy state,
// the labels, the progress bar and the page. The Win32 window renders it; the commands change
// it; tests read it back.
#pragma once

#include <cstdint>
#include <string>

namespace kestrover {

// The views that can fill the shared lists; exactly one, or none, is active.
enum class ActiveView {
    None,
    RegistryResults,  // the result list: scan, inventory, search
    JunkFiles,
    StartupEntries,
    Services,
    Drivers,
    InstalledApplications,
    InternetExplorerAddOns,
    ChromeExtensions,
    Processes,
    Monitor,
};

enum class Page { Registry, Privacy, Applications, Tools, About };

struct LabelState {
    std::string text;
    std::uint32_t colour = 0x808080;  // grey, as after a view reset
};

struct MainWindowState {
    static constexpr std::uint32_t kStatusGrey = 0x808080;
    static constexpr std::uint32_t kStatusRed = 0x0000FF;

    Page page = Page::About;
    std::string pageTitle;
    ActiveView view = ActiveView::None;
    bool monitorView = false;
    bool stopRequested = false;
    bool busy = false;      // page buttons and the other long-operation buttons disabled
    bool scanMode = false;  // the walker applies the cleaning rules (cleared by a view reset)
    // The result list holds the software-key inventory ("Applications settings"); its
    // backups are named after it (cleared by a view reset).
    bool softwareInventory = false;

    LabelState status;
    std::string title = "Kestrover";
    std::string total;  // "N Items"
    std::string root;   // the same count beside the list

    bool progressVisible = false;
    std::int64_t progressPosition = 0;
    std::int64_t progressMaximum = 0;

    bool resultListVisible = false;
    bool stopButtonVisible = false;
    bool searchBoxEnabled = true;
    std::string searchText;
    // The search page's "Search Protected Keys only" box; a scan unchecks it.
    bool searchProtectedKeys = false;

    // Leaves whatever view was active: clears the view flags and the stop flag, the labels and
    // the status colour; the caller clears the lists it owns.
    void ResetView();
    // The busy state every long operation enters and leaves.
    void DisableAllButtons() { busy = true; }
    void EnableAllButtons() { busy = false; }
};

}  // namespace kestrover
