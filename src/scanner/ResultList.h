// ResultList: the rows of the registry result list without their drawing — adding findings
// (with the drops that keep unsafe entries out), the row text index and its filter, selection
// and the selection commands, row heights and the context menu's enabled items.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/RegistryProvider.h"
#include "scanner/ResultCategory.h"
#include "scanner/ScanEntry.h"
#include "scanner/ScanEntrySink.h"

namespace kestrover {

// One added text with why it was reported.
struct IndexedRow {
    std::string text;
    FindingDetail detail;
};

// Every text added to the result list (and, later, every tools-list row), kept beside the
// lists: the list filter rebuilds the visible rows from it.
class RowTextIndex {
public:
    void Add(std::string text, FindingDetail detail = {});
    void Clear() { rows_.clear(); }
    // The first record with this text is removed, or given the new text; false when none has it.
    bool Remove(std::string_view text);
    bool ReplaceText(std::string_view text, std::string newText);
    std::size_t Count() const { return rows_.size(); }
    const std::vector<IndexedRow>& Rows() const { return rows_; }

private:
    std::vector<IndexedRow> rows_;
};

struct ResultRow {
    std::string text;  // the stored ScanEntry text
    FindingDetail detail;
    bool selected = false;
};

// Which items of the list's context menu are enabled.
struct ResultMenuState {
    bool openInRegedit = false;
    bool openInExplorer = false;
    bool exportSelected = false;
    bool addToFavorites = false;
    bool addToExclusionList = false;
    bool takeOwnership = false;
    bool deleteSelected = false;
    bool startupEntries = false;  // tools-list items: never on the registry list
    bool services = false;
};

enum class ProtectedKeysSearch { Off, On };  // the search option "Search Protected Keys only"
enum class ShiftKey { Up, Held };

// Row height in pixels: 40, plus 14 for a value line ("||"), plus 14 for a category line.
int ResultRowHeight(std::string_view entry);

class ResultList final : public ScanEntrySink {
public:
    // The registry the write-access test opens keys in.
    explicit ResultList(RegistryContext& registry);

    // Adds one finding (see ScanEntrySink). Dropped, with the flags cleared all the same:
    // texts containing "do.not.delete" in any case; findings whose key cannot be opened for
    // writing; findings whose text holds the marker "²²" itself (their key or value name would
    // not read back from the row).
    bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                      const FindingDetail& detail) override;

    // While the tools list is the active view, entries go to it instead (null: this list).
    void SetToolsListSink(ScanEntrySink* toolsList) { toolsList_ = toolsList; }

    // The "Items" word of the count text, from the language table.
    void SetItemsText(std::string text) { itemsText_ = std::move(text); }
    const CategoryTexts& Texts() const { return categoryTexts_; }
    void SetCategoryTexts(CategoryTexts texts) { categoryTexts_ = std::move(texts); }

    std::size_t RowCount() const { return rows_.size(); }
    const ResultRow& Row(std::size_t row) const { return rows_.at(row); }
    const std::vector<ResultRow>& Rows() const { return rows_; }
    const RowTextIndex& Index() const { return index_; }
    // "N Items" as the count labels show it; empty until the first add or filter.
    const std::string& CountText() const { return countText_; }
    // The stripe digit the next added entry gets.
    int NextStripe() const { return stripe_; }

    // Rebuilds the rows from the index: only texts containing filter (ignoring case) when it
    // is not empty, sorted by their whole text; selection is cleared.
    void ApplyFilter(std::string_view filter);

    void SetSelected(std::size_t row, bool selected);
    bool IsSelected(std::size_t row) const { return rows_.at(row).selected; }
    std::size_t SelectedCount() const;
    void SelectAll();
    void UnselectAll();
    void InvertSelection();
    void SelectAllGreen();
    void SelectAllRed();
    // "base (N)" with N selected rows; base alone with none.
    std::string SelectAllCaption(std::string_view baseText) const;

    ResultMenuState ContextMenuState(std::optional<std::size_t> focusedRow,
                                     ProtectedKeysSearch protectedKeys, ShiftKey shift) const;

    // The first row holding exactly this stored text.
    std::optional<std::size_t> FindRow(std::string_view text) const;
    // A deleted entry: the row goes, and its index record with it so that no later filter
    // brings it back; the count text follows.
    void RemoveRow(std::size_t row);
    // An entry whose deletion failed stays, with "0" appended to its stored text (in the row
    // and in its index record), which turns its category number into ten times itself. A row
    // without a category marker keeps its text: there the "0" would join its key path, value
    // name or data, and a second deletion would act on another key or value.
    void MarkNotDeleted(std::size_t row);

    // The view reset: rows, index and count text are cleared; the stripe toggle is kept.
    void ResetView();

private:
    bool KeyOpensForWriting(int rootIndex, std::string_view keyPath);
    void UpdateCountText();

    RegistryContext& registry_;
    ScanEntrySink* toolsList_ = nullptr;
    std::vector<ResultRow> rows_;
    RowTextIndex index_;
    int stripe_ = 0;
    std::string itemsText_ = "Items";
    std::string countText_;
    CategoryTexts categoryTexts_ = CategoryTexts::Defaults();
};

}  // namespace kestrover
