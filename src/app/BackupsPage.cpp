// The backups page without its widgets.
#include "app/BackupsPage.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover {

namespace {

constexpr int kNameColumn = 0;
constexpr int kDateColumn = 1;
constexpr int kSizeColumn = 2;

int CompareTimes(std::uint64_t a, std::uint64_t b) { return (a > b) - (a < b); }

// A node text without the brackets of its header.
std::string_view KeyText(std::string_view header) {
    if (!header.empty() && header.front() == '[') header.remove_prefix(1);
    if (!header.empty() && header.back() == ']') header.remove_suffix(1);
    return header;
}

}  // namespace

BackupsPage::BackupsPage(Platform& platform, RegistryContext& registry, MainWindowState& window,
                         ListColumnSort& listSort, Prompts& prompts, std::string backupFolder)
    : window_(window),
      listSort_(listSort),
      prompts_(prompts),
      store_(platform.fileSystem, platform.clock, std::move(backupFolder)),
      reader_(registry, platform.fileSystem) {
    reader_.pumpMessages = [this] { prompts_.PumpEvents(); };
    reader_.progress = [this](std::size_t position, std::size_t maximum) {
        progressPosition_ = position;
        progressMaximum_ = maximum;
    };
}

void BackupsPage::btBackClick() {
    window_.ResetView();
    window_.pageTitle = texts.pageTitle;
    window_.status.text = texts.hint;
    rows_.clear();
    tree_.clear();
    protectEnabled_ = false;
    for (BackupFile& file : store_.List()) rows_.push_back(BackupRow{std::move(file), false});
    // Newest first on every visit. Sorting "as a click on the date column would" toggles the
    // direction when the date column was the last one clicked, so the order would flip
    // between the first visit and the next ones.
    listSort_.SortBy(kDateColumn);
    SortRows();
    ShowCount();
    lvbChange();
}

void BackupsPage::lvbColumnClick(int column) {
    listSort_.ColumnClick(column);
    SortRows();
}

void BackupsPage::SortRows() {
    const int column = listSort_.Column();
    if (column == ListColumnSort::kNoColumn) return;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const BackupRow& a, const BackupRow& b) {
        int comparison = 0;
        switch (column) {
            case kNameColumn:
                comparison = CompareCaptions(a.file.name, b.file.name);
                break;
            case kDateColumn:
                // By the time itself: the time text sorts wrongly as text in the 12-hour and
                // unpadded formats ("9:07:03 PM" against "10:15:00 AM").
                comparison = CompareTimes(a.file.lastWriteTime, b.file.lastWriteTime);
                if (comparison == 0) comparison = CompareSubItems(a.file.dateText, b.file.dateText);
                break;
            case kSizeColumn:
                comparison = CompareSubItems(a.file.sizeText, b.file.sizeText);
                break;
            default:
                break;
        }
        return listSort_.Directed(comparison) < 0;
    });
}

void BackupsPage::ShowCount() { window_.title = std::to_string(rows_.size()) + " " + texts.items; }

void BackupsPage::lvbChange() { restoreEnabled_ = SelectedRow().has_value() && !loading_; }

Status BackupsPage::lvbDblClick() { return Load(LoadMode::ViewOnly); }

Status BackupsPage::btrgo2Click() { return Load(LoadMode::Restore); }

Status BackupsPage::Load(LoadMode mode) {
    // The reader pumps messages, so a double-click or a click on "Restore" can arrive during
    // a load; a second load inside the first would pull the tree from under it.
    if (loading_) return MakeError(ErrorCode::Unsupported, "a backup is being read");
    const std::optional<std::size_t> row = SelectedRow();
    if (!row) return {};
    const std::string path = store_.PathOf(rows_[*row].file.name);

    loading_ = true;
    restoreEnabled_ = false;
    stopEnabled_ = true;
    progressVisible_ = true;
    progressPosition_ = 0;
    progressMaximum_ = 0;
    tree_.clear();
    reader_.defaultText = texts.defaultText;
    reader_.tooLongText = texts.tooLongText;
    prompts_.PumpEvents();
    Status loaded = reader_.LoadExportFile(path, mode);

    tree_ = reader_.Nodes();
    loading_ = false;
    stopEnabled_ = false;
    progressVisible_ = false;
    progressPosition_ = 0;
    progressMaximum_ = 0;
    protectEnabled_ = reader_.Failed();
    lvbChange();
    return loaded;
}

void BackupsPage::btrstop2Click() {
    reader_.RequestStop();
    prompts_.PumpEvents();
}

void BackupsPage::btProtect2Click() {
    if (!protectEnabled_ || loading_) return;
    // From the last key to the first, as the tree is walked; a failed key keeps its values.
    for (std::size_t index = tree_.size(); index-- > 0;) {
        if (tree_[index].status != ExportNodeStatus::Failed) {
            tree_.erase(tree_.begin() + static_cast<std::ptrdiff_t>(index));
        }
    }
    protectEnabled_ = false;
}

void BackupsPage::TVBDblClick(TreeNodeIndex index) {
    const std::vector<ExportNode>& tree = Tree();
    if (index.key >= tree.size()) return;
    const ExportNode& key = tree[index.key];
    std::string valueName;
    if (index.value) {
        if (*index.value >= key.children.size()) return;
        const ExportNode& value = key.children[*index.value];
        if (value.status == ExportNodeStatus::TooLong) return;
        std::string name = Trim(std::string_view(value.text).substr(0, value.text.find('=')));
        std::erase(name, '"');
        valueName = name == "@" ? texts.defaultText : name;
    } else if (!key.children.empty()) {
        return;  // a key with values opens and closes its branch instead
    }
    // A header this program never restores (no known root, junk) names nothing to open.
    if (!key.root || !openInRegistryEditor) return;
    const std::string_view keyText = KeyText(key.text);
    const std::size_t backslash = keyText.find('\\');
    RegistryEditorTarget target;
    target.root = *key.root;
    target.rootName = std::string(keyText.substr(0, backslash));
    if (backslash != std::string_view::npos) target.keyPath = keyText.substr(backslash + 1);
    target.valueName = std::move(valueName);
    openInRegistryEditor(target);
}

void BackupsPage::mnDeleteBackupClick() {
    if (!SelectedRow()) return;
    if (!prompts_.Confirm(texts.deleteCaption, texts.confirmDelete)) return;
    for (std::size_t index = rows_.size(); index-- > 0;) {
        if (!rows_[index].selected) continue;
        if (store_.Delete(rows_[index].file.name)) {
            rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
        }
    }
    ShowCount();
    lvbChange();
}

void BackupsPage::SelectRow(std::size_t index, bool selected) {
    if (index >= rows_.size()) return;
    rows_[index].selected = selected;
    lvbChange();
}

void BackupsPage::SelectOnly(std::size_t index) {
    for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].selected = i == index;
    lvbChange();
}

void BackupsPage::ClearSelection() {
    for (BackupRow& row : rows_) row.selected = false;
    lvbChange();
}

std::optional<std::size_t> BackupsPage::SelectedRow() const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].selected) return i;
    }
    return std::nullopt;
}

}  // namespace kestrover
