// The registry cleaning page (PanReg): "GO !" with the root and ActiveX boxes, "Backup before
// deletion", the result list (LB) drawn row by row, its toolbar (select, select all with its
// count, invert, filter) and its context menu (ResMnu).
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gui/ViewHost.h"

namespace kestrover::gui {

class RegistryPageView {
public:
    explicit RegistryPageView(ViewHost& host) : host_(host) {}

    void Create(HWND parent);
    void ApplyFonts();
    // Every caption again from the table, after a language change.
    void ApplyCaptions();
    void Layout(const RECT& area);
    void Show(bool visible);
    // The search page shows the list, with its toolbar, below its own options: listTop is how
    // far below the page's top the toolbar starts (96-DPI pixels); nothing puts it back in its
    // place on this page.
    void PlaceListBelow(std::optional<int> listTop);
    // Empties the filter box without filtering: a new list is shown whole.
    void ClearFilter();
    // Check boxes, enabled buttons, captions and the list's visibility from the models.
    void Render();

    // The list's items from the model's rows: all of them again, or only those added since
    // the last call (a scan only adds).
    void RefillList();
    void AppendNewRows();

    // The commands a click, a key or a menu item runs.
    void GoClean();
    void StopScan();
    void DeleteSelected();
    void SelectAll();
    void UnselectAll();
    void InvertSelection();

    bool OnCommand(int id, int code);
    bool OnMeasureItem(MEASUREITEMSTRUCT& item);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    bool OnContextMenu(HWND control, POINT screen);

    HWND List() const { return list_; }

private:
    void ReadSelectionFromList();
    void PushSelectionToList();
    void ShowMenu(HMENU menu, POINT screen);
    void RunMenuCommand(int id);
    void ApplyFilter();
    void OpenFocusedInRegistryEditor();
    // mnApplSettings: the software-key inventory in the result list.
    void ShowApplicationSettings();
    std::optional<std::size_t> FocusedRow() const;
    bool ValueIsString(std::size_t row);
    void UpdateHorizontalExtent(std::size_t fromRow);

    ViewHost& host_;
    HWND go_ = nullptr;
    HWND classesRoot_ = nullptr;
    HWND currentUser_ = nullptr;
    HWND localMachine_ = nullptr;
    HWND users_ = nullptr;
    HWND activeX_ = nullptr;
    HWND backup_ = nullptr;
    HWND backupsButton_ = nullptr;
    HWND exclude_ = nullptr;              // btExclude: the exclusion dialog
    HWND applicationSettings_ = nullptr;  // mnApplSettings: the software keys in the list
    HWND find_ = nullptr;                 // btFind: the search page
    HWND favorites_ = nullptr;            // btFavorites: the favorites menu
    std::optional<int> listTop_;          // the list's place on the search page
    // The shortcut row under "GO !": the page's other commands, laid out left to right in
    // this order, each as wide as its caption.
    std::vector<HWND> shortcuts_;
    HWND introduction_ = nullptr;
    HWND select_ = nullptr;
    HWND selectAll_ = nullptr;
    HWND invert_ = nullptr;
    HWND filterLabel_ = nullptr;
    HWND filter_ = nullptr;
    HWND list_ = nullptr;
    RECT area_{};  // where the page was last laid out
    bool visible_ = false;
    bool ignoreFilterChange_ = false;
    int horizontalExtent_ = 0;
    // Whether each row's value is of a string kind, read once per row from the registry.
    std::unordered_map<std::string, bool> stringValues_;
};

}  // namespace kestrover::gui
