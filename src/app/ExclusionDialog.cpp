// The exclusion dialog's model: rows, editors, the list commands, import and closing.
#include "app/ExclusionDialog.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "core/Text.h"
#include "registry/RegRoot.h"

namespace kestrover {

namespace {

constexpr int kRootCount = 4;

std::string RootNameOf(int rootIndex) {
    const std::optional<RegRoot> root = RootFromIndex(rootIndex);
    if (!root || rootIndex >= kRootCount) return {};
    return std::string(RootFullName(*root));
}

}  // namespace

const std::vector<std::string>& ExclusionRootNames() {
    static const std::vector<std::string> names = {RootNameOf(0), RootNameOf(1), RootNameOf(2),
                                                   RootNameOf(3)};
    return names;
}

ExclusionDialog::ExclusionDialog(ExclusionFile& exclusions, Prompts& prompts,
                                 std::string programFolder, ExclusionDialogTexts texts)
    : exclusions_(exclusions), prompts_(prompts), texts_(std::move(texts)) {
    importRequest_.proposedPath = std::move(programFolder) + "Exclude.ini";
    columns_ = {texts_.rootColumn, "Keys"};
    sort_.SortBy(0);  // the first column, descending, until a column is clicked
}

std::string ExclusionDialog::RowKey(int rootIndex, std::string_view entry) {
    std::string key(1, static_cast<char>('0' + rootIndex));
    key += '|';
    key += AsciiLower(entry);
    return key;
}

int ExclusionDialog::RootIndexOfName(std::string_view rootName) {
    const std::vector<std::string>& names = ExclusionRootNames();
    for (int index = 0; index < kRootCount; ++index) {
        if (names[static_cast<std::size_t>(index)] == rootName) return index;
    }
    return -1;
}

void ExclusionDialog::Open(std::string_view keysCaption) {
    columns_ = {texts_.rootColumn, std::string(keysCaption)};
    rows_.clear();
    selected_.reset();
    visible_.reset();
    fileUnreadable_ = false;
    Result<std::vector<std::string>> lines = exclusions_.Read(CleanUpPass::Apply);
    if (!lines) {
        fileUnreadable_ = lines.code() != ErrorCode::NotFound;
        return;
    }
    rows_.reserve(lines->size());
    for (const std::string& line : *lines) {
        // The row shows the line as the scan reads it: the first character is the root, the
        // path starts at the third, whatever the separator between them is. (Reading the root
        // from the text before a "|" would put a "2/Software\X" line under the classes root
        // and rewrite it so at OK.)
        ExclusionLineParts parts = SplitExclusionLine(line);
        rows_.push_back({RootNameOf(parts.rootIndex), std::move(parts.keyPath)});
    }
}

void ExclusionDialog::SelectRow(std::size_t row) {
    if (row >= rows_.size()) return;
    selected_ = row;
    const int rootIndex = RootIndexOfName(rows_[row].root);
    if (rootIndex >= 0) cbK = rootIndex;
    enK = rows_[row].entry;
}

std::optional<std::string> ExclusionDialog::EditedPath() const {
    if (cbK < 0 || cbK >= kRootCount) return std::nullopt;
    std::string_view path = enK;
    if (path.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (TrimView(path).empty()) return std::nullopt;
    return std::string(path);
}

bool ExclusionDialog::btExAddClick() {
    const std::optional<std::string> path = EditedPath();
    if (!path) return false;
    const std::string candidate = RowKey(cbK, *path);
    for (const ExclusionRow& row : rows_) {
        const int rootIndex = RootIndexOfName(row.root);
        if (rootIndex == cbK && RowKey(rootIndex, row.entry) == candidate) return false;
    }
    rows_.push_back({RootNameOf(cbK), *path});
    selected_ = rows_.size() - 1;
    visible_ = selected_;
    return true;
}

bool ExclusionDialog::btExModClick() {
    if (!selected_) return false;
    const std::optional<std::string> path = EditedPath();
    if (!path) return false;
    rows_[*selected_] = {RootNameOf(cbK), *path};
    return true;
}

bool ExclusionDialog::btExDelClick() {
    if (!selected_) return false;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    selected_.reset();
    visible_.reset();
    return true;
}

void ExclusionDialog::EXLDblClick(std::size_t row) {
    if (row >= rows_.size() || !openInRegistryEditor) return;
    openInRegistryEditor(rows_[row].root, rows_[row].entry);
}

void ExclusionDialog::EXLColumnClick(int column) {
    if (column < 0 || column > 1) return;
    sort_.ColumnClick(column);
    auto textOf = [column](const ExclusionRow& row) -> const std::string& {
        return column == 0 ? row.root : row.entry;
    };
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return sort_.Directed(CompareCaptions(textOf(rows_[a]), textOf(rows_[b]))) < 0;
    });
    std::vector<ExclusionRow> sorted;
    sorted.reserve(rows_.size());
    std::optional<std::size_t> selected;
    for (std::size_t position = 0; position < order.size(); ++position) {
        if (selected_ && order[position] == *selected_) selected = position;
        sorted.push_back(std::move(rows_[order[position]]));
    }
    rows_ = std::move(sorted);
    selected_ = selected;
    visible_.reset();
}

std::size_t ExclusionDialog::btEximpClick() {
    if (!chooseImportFile) return 0;
    const std::optional<std::string> chosen = chooseImportFile(importRequest_);
    if (!chosen) return 0;
    FileSystemPort& source = importFileSystem ? *importFileSystem : exclusions_.FileSystem();

    std::size_t count = 0;
    Result<MergedExclusions> merged = exclusions_.Merge(source, *chosen);
    if (merged && !merged->added.empty()) {
        std::vector<std::string> lines = merged->lines;
        SortExclusionLines(lines);
        if (exclusions_.Write(lines)) count = merged->added.size();
    }
    prompts_.ShowMessage(texts_.caption, std::to_string(count) + " " + texts_.itemsImported);
    if (count == 0) return 0;

    std::unordered_set<std::string> shown;
    shown.reserve(rows_.size() + count);
    for (const ExclusionRow& row : rows_) {
        shown.insert(RowKey(RootIndexOfName(row.root), row.entry));
    }
    for (const std::string& line : merged->added) {
        ExclusionLineParts parts = SplitExclusionLine(line);
        if (!shown.insert(RowKey(parts.rootIndex, parts.keyPath)).second) continue;
        rows_.push_back({RootNameOf(parts.rootIndex), std::move(parts.keyPath)});
    }
    // The file is readable now: it was just read and written.
    fileUnreadable_ = false;
    return count;
}

Status ExclusionDialog::Close(DialogResult result) {
    if (result == DialogResult::Ok) {
        if (fileUnreadable_) {
            return MakeError(ErrorCode::AccessDenied,
                             "not writing " + exclusions_.Path() +
                                 ": it could not be read when the dialog opened");
        }
        std::vector<std::string> lines;
        lines.reserve(rows_.size());
        for (const ExclusionRow& row : rows_) {
            const int rootIndex = RootIndexOfName(row.root);
            if (rootIndex < 0) continue;
            lines.push_back(std::string(1, static_cast<char>('0' + rootIndex)) + "|" + row.entry);
        }
        SortExclusionLines(lines);
        // Writing the sorted rows is the write of the rows and the normalising pass in one.
        return exclusions_.Write(lines);
    }
    return exclusions_.Normalize(CleanUpPass::Skip);
}

}  // namespace kestrover
