// The backups page.
#include "gui/BackupsPageView.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "gui/ControlIds.h"
#include "gui/Glyphs.h"
#include "gui/LanguageFile.h"
#include "gui/RedrawSuspension.h"
#include "gui/MenuPainter.h"

namespace kestrover::gui {

namespace {

// Trees of more nodes than this open collapsed; their keys open on a click.
constexpr std::size_t kExpandedNodeLimit = 400;

Glyph GlyphOf(ExportNodeStatus status) {
    switch (status) {
        case ExportNodeStatus::RootIcon: return Glyph::KeyInBackup;
        case ExportNodeStatus::Created: return Glyph::KeyCreated;
        case ExportNodeStatus::Writable: return Glyph::KeyWritable;
        case ExportNodeStatus::Failed: return Glyph::KeyFailed;
        case ExportNodeStatus::Restored: return Glyph::ValueRestored;
        case ExportNodeStatus::ViewOnly: return Glyph::ValueViewOnly;
        case ExportNodeStatus::TooLong: return Glyph::ValueTooLong;
    }
    return Glyph::KeyInBackup;
}

HTREEITEM InsertNode(HWND tree, HTREEITEM parent, const std::string& text, Glyph glyph,
                     std::size_t index) {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = wide.data();
    insert.item.iImage = static_cast<int>(glyph);
    insert.item.iSelectedImage = static_cast<int>(glyph);
    insert.item.lParam = static_cast<LPARAM>(index);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

}  // namespace

void BackupsPageView::Create(HWND parent) {
    const CaptionTable& captions = host_.Captions();
    auto button = [&](int id, CaptionId caption) {
        HWND control = CreateControl(parent, WC_BUTTONW, id, WS_TABSTOP | BS_PUSHBUTTON);
        SetText(control, captions.Text(caption));
        return control;
    };
    restore_ = button(idBtRestore, CaptionId::btRestore);
    stop_ = button(idBtRestoreStop, CaptionId::btrstop);
    protect_ = button(idBtProtect, CaptionId::btprotect);
    hint_ = CreateControl(parent, WC_STATICW, idBackupHint, SS_LEFT | SS_ENDELLIPSIS);
    SetText(hint_, captions.Text(CaptionId::backupHint));

    list_ = CreateControl(parent, WC_LISTVIEWW, idBackupList,
                          WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                          WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    const CaptionId columns[] = {CaptionId::colBackupName, CaptionId::colBackupDate,
                                 CaptionId::colBackupSize};
    for (int column = 0; column < 3; ++column) {
        std::wstring text = Wide(captions.Text(columns[column]));
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        entry.fmt = column == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        entry.cx = 100;
        entry.pszText = text.data();
        entry.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&entry));
    }
    tree_ = CreateControl(parent, WC_TREEVIEWW, idBackupTree,
                          WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                              TVS_SHOWSELALWAYS,
                          WS_EX_CLIENTEDGE);
    ApplyFonts();
}

void BackupsPageView::ApplyCaptions() {
    const CaptionTable& captions = host_.Captions();
    SetText(restore_, captions.Text(CaptionId::btRestore));
    SetText(stop_, captions.Text(CaptionId::btrstop));
    SetText(protect_, captions.Text(CaptionId::btprotect));
    SetText(hint_, captions.Text(CaptionId::backupHint));
    const CaptionId columns[] = {CaptionId::colBackupName, CaptionId::colBackupDate,
                                 CaptionId::colBackupSize};
    for (int column = 0; column < 3; ++column) {
        std::wstring text = Wide(captions.Text(columns[column]));
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT;
        entry.pszText = text.data();
        SendMessageW(list_, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&entry));
    }
}

void BackupsPageView::ApplyFonts() {
    const GuiResources& resources = host_.Resources();
    for (HWND control : {restore_, stop_, protect_, hint_, list_, tree_}) {
        SetFont(control, resources.Normal());
    }
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(resources.glyphs.get()));
    SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(resources.glyphs.get()));
    const Dpi dpi = resources.dpi;
    const int widths[] = {dpi(230), dpi(170), dpi(90)};
    for (int column = 0; column < 3; ++column) {
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, widths[column]);
    }
}

void BackupsPageView::Layout(const RECT& area) {
    const Dpi dpi = host_.Resources().dpi;
    const int left = area.left;
    const int top = area.top;
    const int width = area.right - area.left;
    const int buttonHeight = dpi(26);
    MoveControl(restore_, left, top, dpi(92), buttonHeight);
    MoveControl(stop_, left + dpi(98), top, dpi(76), buttonHeight);
    MoveControl(protect_, left + dpi(180), top, dpi(120), buttonHeight);
    MoveControl(hint_, left, top + dpi(34), width, dpi(16));
    const int listTop = top + dpi(54);
    const int remaining = std::max(0, static_cast<int>(area.bottom) - listTop);
    const int listHeight = std::max(dpi(80), remaining * 2 / 5);
    MoveControl(list_, left, listTop, width, listHeight);
    const int treeTop = listTop + listHeight + dpi(6);
    MoveControl(tree_, left, treeTop, width, std::max(0, static_cast<int>(area.bottom) - treeTop));
}

void BackupsPageView::Show(bool visible) {
    visible_ = visible;
    for (HWND control : {restore_, stop_, protect_, hint_, list_, tree_}) {
        SetVisible(control, visible);
    }
    Render();
}

void BackupsPageView::Render() {
    const BackupsPage* page = host_.Model().backups.get();
    if (page == nullptr) return;
    SetEnabled(restore_, page->RestoreEnabled());
    SetEnabled(stop_, page->StopEnabled());
    SetEnabled(protect_, page->ProtectEnabled());
}

void BackupsPageView::Open() {
    MainWindowModel& model = host_.Model();
    if (!model.backups) return;
    model.backups->texts.pageTitle = WithoutMnemonic(host_.Captions().Text(CaptionId::btBackup));
    model.backups->texts.hint = host_.Captions().Text(CaptionId::backupHint);
    model.backups->texts.items = host_.Captions().Text(CaptionId::msgitems);
    model.backups->texts.defaultText = host_.Captions().Text(CaptionId::lbDefault);
    model.backups->texts.tooLongText = host_.Captions().Text(CaptionId::lbTooLong);
    model.backups->texts.confirmDelete = host_.Captions().Text(CaptionId::dbConfirmDelete);
    model.backups->btBackClick();
    RefillList();
    FillTree();
}

void BackupsPageView::RefillList() {
    const BackupsPage* page = host_.Model().backups.get();
    if (page == nullptr) return;
    filling_ = true;
    std::optional<RedrawSuspension> suspended(std::in_place, list_);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    const std::vector<BackupRow>& rows = page->Rows();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const BackupRow& row = rows[index];
        std::wstring name = Wide(row.file.name);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = static_cast<int>(index);
        item.pszText = name.data();
        item.iImage = static_cast<int>(Glyph::BackupFile);
        item.state = row.selected ? LVIS_SELECTED : 0;
        item.stateMask = LVIS_SELECTED;
        const int position =
            static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        std::wstring date = Wide(row.file.dateText);
        std::wstring size = Wide(row.file.sizeText);
        LVITEMW sub{};
        sub.iSubItem = 1;
        sub.pszText = date.data();
        SendMessageW(list_, LVM_SETITEMTEXTW, position, reinterpret_cast<LPARAM>(&sub));
        sub.iSubItem = 2;
        sub.pszText = size.data();
        SendMessageW(list_, LVM_SETITEMTEXTW, position, reinterpret_cast<LPARAM>(&sub));
    }
    // The sort column shows its direction in the header.
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < 3; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == host_.Model().listSort.Column()) {
            item.fmt |= host_.Model().listSort.Ascending() ? HDF_SORTUP : HDF_SORTDOWN;
        }
        SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
    suspended.reset();
    filling_ = false;
}

void BackupsPageView::FillTree() {
    const BackupsPage* page = host_.Model().backups.get();
    if (page == nullptr) return;
    const RedrawSuspension suspended(tree_);
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    nodes_.clear();
    const std::vector<ExportNode>& tree = page->Tree();
    std::size_t total = 0;
    for (const ExportNode& key : tree) total += 1 + key.children.size();
    const bool expand = total <= kExpandedNodeLimit;
    for (std::size_t keyIndex = 0; keyIndex < tree.size(); ++keyIndex) {
        const ExportNode& key = tree[keyIndex];
        nodes_.push_back(TreeNodeIndex{keyIndex, std::nullopt});
        HTREEITEM keyItem =
            InsertNode(tree_, TVI_ROOT, key.text, GlyphOf(key.status), nodes_.size() - 1);
        for (std::size_t valueIndex = 0; valueIndex < key.children.size(); ++valueIndex) {
            const ExportNode& value = key.children[valueIndex];
            nodes_.push_back(TreeNodeIndex{keyIndex, valueIndex});
            InsertNode(tree_, keyItem, value.text, GlyphOf(value.status), nodes_.size() - 1);
        }
        if (expand) {
            SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(keyItem));
        }
    }
}

void BackupsPageView::View() {
    MainWindowModel& model = host_.Model();
    if (!model.backups || model.backups->Loading()) return;
    host_.RunLong([&] { (void)model.backups->lvbDblClick(); });
    FillTree();
    host_.RenderAll();
}

void BackupsPageView::Restore() {
    MainWindowModel& model = host_.Model();
    if (!model.backups || model.backups->Loading()) return;
    host_.RunLong([&] { (void)model.backups->btrgo2Click(); });
    FillTree();
    host_.RenderAll();
}

void BackupsPageView::DeleteSelectedBackups() {
    MainWindowModel& model = host_.Model();
    if (!model.backups || model.backups->Loading()) return;
    model.backups->mnDeleteBackupClick();
    RefillList();
    host_.RenderAll();
}

void BackupsPageView::OpenTreeNode() {
    MainWindowModel& model = host_.Model();
    if (!model.backups) return;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) return;
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return;
    const auto index = static_cast<std::size_t>(data.lParam);
    if (index >= nodes_.size()) return;
    model.backups->TVBDblClick(nodes_[index]);
}

bool BackupsPageView::OnCommand(int id, int code) {
    (void)code;
    MainWindowModel& model = host_.Model();
    switch (id) {
        case idBtRestore: Restore(); return true;
        case idBtRestoreStop:
            if (model.backups) model.backups->btrstop2Click();
            host_.RenderAll();
            return true;
        case idBtProtect:
            if (model.backups) model.backups->btProtect2Click();
            FillTree();
            host_.RenderAll();
            return true;
        case idMnDeleteBackup: DeleteSelectedBackups(); return true;
        default: return false;
    }
}

bool BackupsPageView::OnNotify(const NMHDR& header, LRESULT& result) {
    MainWindowModel& model = host_.Model();
    if (header.idFrom == idBackupList) {
        result = 0;
        switch (header.code) {
            case LVN_ITEMCHANGED: {
                const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
                if (filling_ || !model.backups || (change.uChanged & LVIF_STATE) == 0) return true;
                const bool was = (change.uOldState & LVIS_SELECTED) != 0;
                const bool is = (change.uNewState & LVIS_SELECTED) != 0;
                if (was == is) return true;
                if (change.iItem < 0) {
                    if (!is) model.backups->ClearSelection();
                } else {
                    model.backups->SelectRow(static_cast<std::size_t>(change.iItem), is);
                }
                host_.RenderAll();
                return true;
            }
            case LVN_COLUMNCLICK: {
                const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
                if (!model.backups) return true;
                model.backups->lvbColumnClick(click.iSubItem);
                RefillList();
                return true;
            }
            case NM_DBLCLK: View(); return true;
            default: return false;
        }
    }
    if (header.idFrom == idBackupTree) {
        if (header.code == NM_DBLCLK) {
            OpenTreeNode();
            result = 0;  // the tree still opens and closes a key's branch
            return true;
        }
        return false;
    }
    return false;
}

bool BackupsPageView::OnContextMenu(HWND control, POINT screen) {
    if (control != list_) return false;
    MainWindowModel& model = host_.Model();
    if (!model.backups) return true;
    if (screen.x == -1 && screen.y == -1) {
        RECT rect{};
        GetWindowRect(list_, &rect);
        screen = POINT{rect.left + host_.Resources().dpi(20), rect.top + host_.Resources().dpi(40)};
    }
    UniqueMenu menu(CreatePopupMenu());
    const bool enabled = model.backups->SelectedRow().has_value() && !model.backups->Loading();
    AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), idMnDeleteBackup,
                Wide(host_.Captions().Text(CaptionId::mnDelFile)).c_str());
    MenuPainter::Adopt(menu.get(), {{idMnDeleteBackup, MenuIcon::Of(Glyph::MenuDelete)}});
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       screen.x, screen.y, 0, host_.Frame(), nullptr));
    if (chosen == idMnDeleteBackup) DeleteSelectedBackups();
    return true;
}

}  // namespace kestrover::gui
