// The registry search page: the search text (FindT) with its history, "Search !" (cherche),
// "Clear search history", the roots to search, what to match and how, and the group "Fix
// registry security : " with "Search Protected Keys only". The hits fill the registry page's
// result list, which the page shows below its options with the list's toolbar and menu.
#pragma once

#include "gui/RegistryPageView.h"
#include "gui/ViewHost.h"

namespace kestrover::gui {

class SearchPageView {
public:
    // How far below the page's top the result list's toolbar starts (96-DPI pixels).
    static constexpr int kListTop = 158;

    SearchPageView(ViewHost& host, RegistryPageView& list) : host_(host), list_(list) {}

    void Create(HWND parent);
    void ApplyFonts();
    void ApplyCaptions();
    void Layout(const RECT& area);
    void Show(bool visible);
    // Check boxes, the search text, the history and the enabled controls from the models.
    void Render();

    // btRechClick: the page with its title; the main window shows it.
    void Open();
    // cherche1Click, with the Shift key as it is at the click.
    void Search();
    // The Stop button while a search runs.
    void StopSearch();

    bool OnCommand(int id, int code);

private:
    // The history list into the search box's drop-down, its text kept.
    void FillHistory();
    bool FocusInSearchText() const;
    void SetSearchText(const std::string& text);

    ViewHost& host_;
    RegistryPageView& list_;
    HWND searchForLabel_ = nullptr;
    HWND findT_ = nullptr;
    HWND search_ = nullptr;
    HWND clearHistory_ = nullptr;
    HWND rootsGroup_ = nullptr;
    HWND classesRoot_ = nullptr;
    HWND currentUser_ = nullptr;
    HWND localMachine_ = nullptr;
    HWND users_ = nullptr;
    HWND optionsGroup_ = nullptr;
    HWND keys_ = nullptr;
    HWND values_ = nullptr;
    HWND data_ = nullptr;
    HWND wholeWord_ = nullptr;
    HWND groupSimilar_ = nullptr;
    HWND securityGroup_ = nullptr;
    HWND protected_ = nullptr;
    HWND protectedHint_ = nullptr;
    RECT area_{};
    bool visible_ = false;
    // Set while the program itself changes the search box, whose notifications then describe
    // no typing.
    bool ignoreTextChange_ = false;
};

}  // namespace kestrover::gui
