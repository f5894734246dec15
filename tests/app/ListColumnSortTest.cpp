// The list views' column sort: the click state and the comparison of sizes, numbers, dates and
// texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ListColumnSort.h"

namespace kestrover {
namespace {

// Every text sorts before every later one, both ways round, and equals itself.
void ExpectAscending(const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(CompareSubItems(texts[i], texts[i]), 0) << texts[i];
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            EXPECT_LT(CompareSubItems(texts[i], texts[j]), 0) << texts[i] << " | " << texts[j];
            EXPECT_GT(CompareSubItems(texts[j], texts[i]), 0) << texts[j] << " | " << texts[i];
        }
    }
}

TEST(ListColumnSortTest, SameColumnReversesAnotherKeepsTheDirection) {
    ListColumnSort sort;
    EXPECT_EQ(sort.Column(), ListColumnSort::kNoColumn);
    EXPECT_FALSE(sort.Ascending());
    struct Step {
        int click;
        int column;
        bool ascending;
    };
    const Step steps[] = {{1, 1, false}, {1, 1, true},  {2, 2, true},
                          {2, 2, false}, {0, 0, false}, {0, 0, true}};
    for (const Step& step : steps) {
        sort.ColumnClick(step.click);
        EXPECT_EQ(sort.Column(), step.column) << "click on " << step.click;
        EXPECT_EQ(sort.Ascending(), step.ascending) << "click on " << step.click;
    }
    sort.ClearDirection();
    EXPECT_FALSE(sort.Ascending());
    EXPECT_EQ(sort.Column(), 0);
}

TEST(ListColumnSortTest, SizesSortByMagnitudeAcrossUnits) {
    ExpectAscending({"0 bytes", "9 bytes", "512 bytes", "1023 bytes", "1.00 KB", "2.00 KB",
                     "9.99 KB", "10.50 KB", "1023.99 KB", "1.00 MB", "3.00 MB", "12.00 MB",
                     "1023.00 MB", "1.00 GB", "512.25 GB", "1.00 TB", "2048.00 TB"});
}

TEST(ListColumnSortTest, SizeCutAtTildeAndCaseIgnored) {
    EXPECT_LT(CompareSubItems("2.00 kb~C:\\a.tmp", "3.00 MB"), 0);
    EXPECT_GT(CompareSubItems("10.00 KB~x", "9.00 KB"), 0);
    EXPECT_EQ(CompareSubItems("2.00 KB", "2.00 kb"), 0);
}

TEST(ListColumnSortTest, PlainNumbersByMagnitude) {
    ExpectAscending({"0", "2", "10", "99", "100", "65535", "4294967296"});
}

TEST(ListColumnSortTest, DatesAndTextsAsTextIgnoringCase) {
    ExpectAscending({"2025/12/31   23:59:59", "2026/01/01   00:00:00", "2026/03/05   09:07:03",
                     "2026/03/05   09:07:04", "2026/11/30   08:00:00"});
    ExpectAscending({"Adobe", "apple pie", "Microsoft", "zeta"});
    EXPECT_EQ(CompareSubItems("Running", "RUNNING"), 0);
}

TEST(ListColumnSortTest, WordsAfterABlankAreNoUnits) {
    // " b", " kb" ... inside ordinary texts ("Boot", "Kbd") do not make them sizes.
    ExpectAscending({"Adobe Reader", "Keyboard Kbd driver", "Windows Boot Manager", "Zip Backup"});
}

TEST(ListColumnSortTest, NumbersBeforeTexts) {
    // A plain number weighs as megabytes; columns hold one or the other.
    ExpectAscending({"512 bytes", "2.00 KB", "7", "Auto", "disabled"});
}

TEST(ListColumnSortTest, CaptionsIgnoreCase) {
    EXPECT_EQ(CompareCaptions("Clean.reg", "CLEAN.REG"), 0);
    EXPECT_LT(CompareCaptions("clean.reg", "Service.reg"), 0);
    EXPECT_LT(CompareCaptions("Clean", "clean.reg"), 0);
    EXPECT_GT(CompareCaptions("b", "A"), 0);
    // Column 0 compares captions: "10" before "9" there.
    ListColumnSort sort;
    sort.ColumnClick(0);
    sort.ColumnClick(0);
    EXPECT_LT(sort.Compare("10", "9"), 0);
}

TEST(ListColumnSortTest, SortFollowsTheDirection) {
    struct Row {
        std::string name;
        std::string size;
    };
    std::vector<Row> rows = {{"b.reg", "3.00 MB"}, {"a.reg", "512 bytes"}, {"c.reg", "2.00 KB"}};
    auto textOf = [](const Row& row, int column) -> const std::string& {
        return column == 0 ? row.name : row.size;
    };
    auto order = [&] {
        std::string names;
        for (const Row& row : rows) names += row.name.front();
        return names;
    };
    ListColumnSort sort;
    sort.Sort(rows, textOf);
    EXPECT_EQ(order(), "bac") << "no column clicked yet";
    sort.ColumnClick(1);  // direction flag clear: largest first
    sort.Sort(rows, textOf);
    EXPECT_EQ(order(), "bca");
    sort.ColumnClick(1);
    sort.Sort(rows, textOf);
    EXPECT_EQ(order(), "acb");
    sort.ColumnClick(0);  // keeps the direction
    sort.Sort(rows, textOf);
    EXPECT_EQ(order(), "abc");
}

}  // namespace
}  // namespace kestrover
