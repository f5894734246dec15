// The column sort of the list views (backup list, tools list, the monitor's file list): one
// sort state for the whole program, and the comparison of two rows' texts in a column.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

namespace kestrover {

// Captions (column 0) compared as text ignoring case; negative when a sorts first.
int CompareCaptions(std::string_view a, std::string_view b);

// Sub-item texts (every other column): sizes ("512 bytes", "2.00 KB", "3.00 MB", cut at a "~")
// and whole numbers by magnitude, a whole number weighing as megabytes; every other text as
// text ignoring case. Sizes and numbers sort before texts, so that a column mixing both still
// has one order.
int CompareSubItems(std::string_view a, std::string_view b);

class ListColumnSort {
public:
    static constexpr int kNoColumn = -1;

    // lvbColumnClick: clicking the column clicked last reverses the direction; another column
    // becomes the sort column and keeps the direction.
    void ColumnClick(int column);
    // The direction flag is cleared when the backups page opens.
    void ClearDirection() { ascending_ = false; }
    // Makes column the sort column with the direction flag clear, whatever was clicked before.
    void SortBy(int column) {
        column_ = column;
        ascending_ = false;
    }

    int Column() const { return column_; }
    // The direction flag: set, the rows compare as CompareCaptions/CompareSubItems say; clear,
    // the other way round.
    bool Ascending() const { return ascending_; }

    // Two rows' texts in the sort column, the direction applied.
    int Compare(std::string_view a, std::string_view b) const {
        return Directed(column_ == 0 ? CompareCaptions(a, b) : CompareSubItems(a, b));
    }
    int Directed(int comparison) const { return ascending_ ? comparison : -comparison; }

    // Sorts rows by the sort column; textOf(row, column) gives a row's text in a column. Rows
    // that compare equal keep their order. Nothing moves before a column was clicked.
    template <class Row, class TextOf>
    void Sort(std::vector<Row>& rows, TextOf textOf) const {
        if (column_ == kNoColumn) return;
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
            return Compare(textOf(a, column_), textOf(b, column_)) < 0;
        });
    }

private:
    int column_ = kNoColumn;
    bool ascending_ = false;
};

}  // namespace kestrover
