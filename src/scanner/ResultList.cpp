// The result list's rows: adding findings, filtering, selection and the context menu state.
#include "scanner/ResultList.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover {

namespace {

constexpr std::string_view kDoNotDelete = "do.not.delete";
constexpr int kBaseRowHeight = 40;
constexpr int kLineHeight = 14;

// Inventory entries and protected-key hits carry their marker in the key part, before any
// value part, and are added without category flags; they name keys the user may not be able
// to change, and are listed without the write test.
bool CarriesOwnMarker(std::string_view text, const CategoryFlags& flags) {
    if (flags.Any()) return false;
    std::size_t marker = text.find(kCategoryMarker);
    if (marker == std::string_view::npos) return false;
    std::size_t value = text.find(kValueSeparator);
    return value == std::string_view::npos || marker < value;
}

// Orders whole texts ignoring ASCII case, bytes deciding ties.
bool TextBefore(const ResultRow& a, const ResultRow& b) {
    std::string lowerA = AsciiLower(a.text);
    std::string lowerB = AsciiLower(b.text);
    if (lowerA != lowerB) return lowerA < lowerB;
    return a.text < b.text;
}

}  // namespace

void RowTextIndex::Add(std::string text, FindingDetail detail) {
    rows_.push_back(IndexedRow{std::move(text), std::move(detail)});
}

bool RowTextIndex::Remove(std::string_view text) {
    auto found = std::find_if(rows_.begin(), rows_.end(),
                              [&](const IndexedRow& row) { return row.text == text; });
    if (found == rows_.end()) return false;
    rows_.erase(found);
    return true;
}

bool RowTextIndex::ReplaceText(std::string_view text, std::string newText) {
    auto found = std::find_if(rows_.begin(), rows_.end(),
                              [&](const IndexedRow& row) { return row.text == text; });
    if (found == rows_.end()) return false;
    found->text = std::move(newText);
    return true;
}

int ResultRowHeight(std::string_view entry) {
    int height = kBaseRowHeight;
    if (entry.find(kValueSeparator) != std::string_view::npos) height += kLineHeight;
    if (entry.find(kCategoryMarker) != std::string_view::npos) height += kLineHeight;
    return height;
}

ResultList::ResultList(RegistryContext& registry) : registry_(registry) {}

bool ResultList::AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                              const FindingDetail& detail) {
    if (toolsList_) return toolsList_->AddScanEntry(text, rootIndex, flags, detail);

    // Whatever happens below, the flags belong to this entry only: a dropped entry must not
    // hand its category to the next finding of the same key.
    CategoryFlags entryFlags = flags;
    flags.Clear();

    if (ContainsNoCase(text, kDoNotDelete)) return false;

    bool ownMarker = CarriesOwnMarker(text, entryFlags);
    // A finding whose own text holds the marker would read back with its key path or value
    // name cut at it, and a deletion would then act on another key or value.
    if (!ownMarker && text.find(kCategoryMarker) != std::string_view::npos) return false;

    std::string stored = std::string(text) + CategoryMarkers(entryFlags);
    std::string entry = BuildScanEntry(stripe_, rootIndex, stored);

    if (!ownMarker) {
        // The key the row names, exactly as a deletion will read it back. A row that does not
        // read back as the text it was built from (a name ending in "²" joins the category
        // marker) would make a deletion act on a neighbour: it is not listed.
        ScanEntry parsed = ParseScanEntry(entry);
        std::string readBack =
            parsed.hasData    ? MakeEntryText(parsed.keyPath, parsed.valueName, parsed.data)
            : parsed.hasValue ? MakeEntryText(parsed.keyPath, parsed.valueName)
                              : MakeEntryText(parsed.keyPath);
        if (readBack != text) return false;
        if (!parsed.keyPath.empty() && !KeyOpensForWriting(rootIndex, parsed.keyPath)) {
            return false;
        }
    }

    // The stripe alternates between rows that are listed, not between findings.
    stripe_ = stripe_ == 0 ? 1 : 0;
    rows_.push_back(ResultRow{entry, detail, false});
    index_.Add(std::move(entry), detail);
    UpdateCountText();
    return true;
}

bool ResultList::KeyOpensForWriting(int rootIndex, std::string_view keyPath) {
    std::optional<RegRoot> root = RootFromIndex(rootIndex);
    if (!root) return false;
    RegistryProvider provider(registry_);
    provider.SetRootKey(*root);
    return provider.OpenKey(keyPath, false);
}

void ResultList::UpdateCountText() {
    countText_ = std::to_string(rows_.size()) + " " + itemsText_;
}

void ResultList::ApplyFilter(std::string_view filter) {
    rows_.clear();
    for (const IndexedRow& indexed : index_.Rows()) {
        if (!filter.empty() && !ContainsNoCase(indexed.text, filter)) continue;
        rows_.push_back(ResultRow{indexed.text, indexed.detail, false});
    }
    std::stable_sort(rows_.begin(), rows_.end(), TextBefore);
    UpdateCountText();
}

void ResultList::SetSelected(std::size_t row, bool selected) { rows_.at(row).selected = selected; }

std::size_t ResultList::SelectedCount() const {
    return static_cast<std::size_t>(
        std::count_if(rows_.begin(), rows_.end(), [](const ResultRow& row) { return row.selected; }));
}

void ResultList::SelectAll() {
    for (ResultRow& row : rows_) row.selected = true;
}

void ResultList::UnselectAll() {
    for (ResultRow& row : rows_) row.selected = false;
}

void ResultList::InvertSelection() {
    for (ResultRow& row : rows_) row.selected = !row.selected;
}

void ResultList::SelectAllGreen() {
    for (ResultRow& row : rows_) row.selected = IsGreenCategory(CategoryNumberOf(row.text));
}

void ResultList::SelectAllRed() {
    for (ResultRow& row : rows_) row.selected = IsRedCategory(CategoryNumberOf(row.text));
}

std::string ResultList::SelectAllCaption(std::string_view baseText) const {
    std::size_t selected = SelectedCount();
    std::string caption(baseText);
    if (selected == 0) return caption;
    caption += " (" + std::to_string(selected) + ")";
    return caption;
}

ResultMenuState ResultList::ContextMenuState(std::optional<std::size_t> focusedRow,
                                             ProtectedKeysSearch protectedKeys,
                                             ShiftKey shift) const {
    ResultMenuState state;
    bool anySelected = SelectedCount() > 0;
    state.openInRegedit = anySelected;
    state.exportSelected = anySelected;
    state.addToExclusionList = anySelected;
    state.deleteSelected = anySelected;
    state.addToFavorites = anySelected && protectedKeys == ProtectedKeysSearch::Off;
    state.takeOwnership = protectedKeys == ProtectedKeysSearch::On || shift == ShiftKey::Held;
    // Any focused row can be shown in Explorer when it names a path, the first one included.
    if (focusedRow && *focusedRow < rows_.size()) {
        const std::string& text = rows_[*focusedRow].text;
        state.openInExplorer = text.find(":\\") != std::string::npos ||
                               text.find("%\\") != std::string::npos;
    }
    return state;
}

std::optional<std::size_t> ResultList::FindRow(std::string_view text) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].text == text) return row;
    }
    return std::nullopt;
}

void ResultList::RemoveRow(std::size_t row) {
    index_.Remove(rows_.at(row).text);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    UpdateCountText();
}

void ResultList::MarkNotDeleted(std::size_t row) {
    ResultRow& marked = rows_.at(row);
    if (marked.text.find(kCategoryMarker) == std::string::npos) return;
    std::string text = marked.text + "0";
    index_.ReplaceText(marked.text, text);
    marked.text = std::move(text);
}

void ResultList::ResetView() {
    rows_.clear();
    index_.Clear();
    countText_.clear();
}

}  // namespace kestrover
