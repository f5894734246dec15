// The backups page: the list of backup files (lvb) with its sortable columns, the content tree
// (TVB) with a status picture per node, "Restore", "Stop", "Show Protected", and the list's
// context menu that deletes backup files.
#pragma once

#include <vector>

#include "gui/ViewHost.h"

namespace kestrover::gui {

class BackupsPageView {
public:
    explicit BackupsPageView(ViewHost& host) : host_(host) {}

    void Create(HWND parent);
    void ApplyFonts();
    // Every caption again from the table, after a language change.
    void ApplyCaptions();
    void Layout(const RECT& area);
    void Show(bool visible);
    void Render();

    // btBackClick: the page opens with the list filled.
    void Open();
    // The list and the tree from the model.
    void RefillList();
    void FillTree();

    bool OnCommand(int id, int code);
    bool OnNotify(const NMHDR& header, LRESULT& result);
    bool OnContextMenu(HWND control, POINT screen);

    HWND List() const { return list_; }
    HWND Tree() const { return tree_; }

private:
    void View();
    void Restore();
    void DeleteSelectedBackups();
    void OpenTreeNode();

    ViewHost& host_;
    HWND restore_ = nullptr;
    HWND stop_ = nullptr;
    HWND protect_ = nullptr;
    HWND hint_ = nullptr;
    HWND list_ = nullptr;
    HWND tree_ = nullptr;
    bool visible_ = false;
    bool filling_ = false;  // the list's own notifications are not the user's selection
    // The tree items' nodes: an item's parameter is its index here.
    std::vector<TreeNodeIndex> nodes_;
};

}  // namespace kestrover::gui
