// The result list: adding findings and the entries it refuses, the filter, the selection
// commands, row heights and the context menu.
#include <gtest/gtest.h>

#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultList.h"

namespace kestrover {
namespace {

CategoryFlags FlagsOf(std::initializer_list<int> numbers) {
    CategoryFlags flags;
    for (int number : numbers) flags.Set(static_cast<ResultCategory>(number));
    return flags;
}

// A registry with writable keys, a write-protected vendor key (and its subkey: the
// protection is inherited there as Windows does by default) and a classes-root extension.
class ResultListTest : public ::testing::Test {
protected:
    ResultListTest() : context_{registry_, {true, true}}, list_(context_) {
        for (const char* path : {"Software\\Vendor\\App", "Software\\Locked\\Sub",
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                 "Software\\Classes\\.oldext", "Software\\do.not.delete"}) {
            EXPECT_TRUE(registry_.CreateKey(RegRoot::LocalMachine, path, KeyAccess::AllAccess).ok());
        }
        EXPECT_TRUE(registry_.CreateKey(RegRoot::CurrentUser, "Software\\Tool", KeyAccess::AllAccess).ok());
        EXPECT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Locked", true));
        EXPECT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Locked\\Sub", true));
    }

    bool Add(std::string_view text, int rootIndex, std::initializer_list<int> categories,
             FindingDetail detail = {}) {
        CategoryFlags flags = FlagsOf(categories);
        bool added = list_.AddScanEntry(text, rootIndex, flags, detail);
        EXPECT_FALSE(flags.Any()) << "flags left set after " << text;
        return added;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ResultRow& row : list_.Rows()) texts.push_back(row.text);
        return texts;
    }

    MemoryRegistry registry_;
    RegistryContext context_;
    ResultList list_;
};

TEST_F(ResultListTest, AddsStripeRootMarkersAndDetail) {
    ASSERT_TRUE(Add("Software\\Vendor\\App", 2, {6}, {"empty-software-key", ""}));
    ASSERT_TRUE(Add("Software\\Tool||Run|||C:\\Old\\tool.exe", 1, {6, 1},
                    {"missing-data-file", "C:\\Old\\tool.exe"}));
    ASSERT_TRUE(Add("\\.oldext", 0, {4}));
    ASSERT_TRUE(Add("Software\\Vendor\\App||Search", 2, {}));

    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "0|2|Software\\Vendor\\App²²6",
                           "1|1|Software\\Tool||Run|||C:\\Old\\tool.exe²²1²²6",
                           "0|0|\\.oldext²²4",
                           "1|2|Software\\Vendor\\App||Search",
                       }));
    EXPECT_EQ(list_.Row(1).detail.rule, "missing-data-file");
    EXPECT_EQ(list_.Row(1).detail.testedPath, "C:\\Old\\tool.exe");
    ASSERT_EQ(list_.Index().Count(), 4u);
    EXPECT_EQ(list_.Index().Rows()[1].text, list_.Row(1).text);
    EXPECT_EQ(list_.Index().Rows()[1].detail.testedPath, "C:\\Old\\tool.exe");
    EXPECT_EQ(list_.CountText(), "4 Items");

    list_.SetItemsText("Einträge");
    EXPECT_TRUE(Add("Software\\Vendor", 2, {6}));
    EXPECT_EQ(list_.CountText(), "5 Einträge");
}

TEST_F(ResultListTest, DropsDoNotDeleteInAnyCaseAndClearsTheFlags) {
    const char* dropped[] = {
        "Software\\do.not.delete",
        "Software\\Vendor\\App||DO.NOT.DELETE",
        "Software\\Vendor\\App||v|||C:\\Do.Not.Delete\\x.exe",
    };
    for (const char* text : dropped) {
        EXPECT_FALSE(Add(text, 2, {6, 1})) << text;
    }
    EXPECT_EQ(list_.RowCount(), 0u);
    EXPECT_EQ(list_.Index().Count(), 0u);
    EXPECT_EQ(list_.CountText(), "");
    EXPECT_EQ(list_.NextStripe(), 0) << "a drop does not flip the stripe";

    // The next finding of the same key, reported with no flag of its own, carries no
    // category left over from the dropped one.
    CategoryFlags flags = FlagsOf({1});
    EXPECT_FALSE(list_.AddScanEntry("Software\\Vendor\\App||do.not.delete", 2, flags, {}));
    EXPECT_TRUE(list_.AddScanEntry("Software\\Vendor\\App||Other", 2, flags, {}));
    EXPECT_EQ(Texts(), std::vector<std::string>{"0|2|Software\\Vendor\\App||Other"});
}

TEST_F(ResultListTest, WriteProtectedKeysListNothing) {
    struct Case {
        const char* text;
        int rootIndex;
        std::initializer_list<int> flags;
        bool added;
    };
    const Case cases[] = {
        {"Software\\Locked", 2, {6}, false},
        {"Software\\Locked||v|||C:\\gone.exe", 2, {1}, false},
        {"Software\\Locked\\Sub||v", 2, {1}, false},
        {"Software\\Locked\\Sub", 2, {}, false},
        // A key that no longer opens at all is not listed either.
        {"Software\\Missing||v", 2, {1}, false},
        // The root digit decides where the key is looked for.
        {"Software\\Vendor\\App", 1, {6}, false},
        {"Software\\Vendor\\App", 7, {6}, false},
        // Writable keys beside them are listed.
        {"Software\\Vendor\\App||v|||C:\\gone.exe", 2, {1}, true},
        {"Software\\Vendor", 2, {6}, true},
        {"Software\\Tool", 1, {6}, true},
        // Classes-root keys from the top-level pass carry a leading backslash.
        {"\\.oldext", 0, {4}, true},
        // Inventory entries and protected-key hits carry their marker already and skip the test.
        {"Software\\Locked²²²Sub", 2, {}, true},
        {"Software\\Locked²²100", 2, {}, true},
        // An empty key path (the root itself) is not tested.
        {"", 2, {}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Add(c.text, c.rootIndex, c.flags), c.added) << c.text << " root " << c.rootIndex;
    }
    for (const ResultRow& row : list_.Rows()) {
        ScanEntry parsed = ParseScanEntry(row.text);
        if (parsed.keyPath.rfind("Software\\Locked", 0) == 0) {
            EXPECT_TRUE(parsed.inventoryText || parsed.category == 100) << row.text;
        }
    }
}

TEST_F(ResultListTest, WriteTestOpensTheKeyTheRowNames) {
    // A key whose name holds a single bar: the row names "Software\Pipe|Name", and that key is
    // the one tested, not "Software\Pipe".
    ASSERT_TRUE(registry_.CreateKey(RegRoot::LocalMachine, "Software\\Pipe", KeyAccess::AllAccess).ok());
    ASSERT_TRUE(
        registry_.CreateKey(RegRoot::LocalMachine, "Software\\Pipe|Name", KeyAccess::AllAccess).ok());
    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Pipe|Name", true));
    EXPECT_FALSE(Add("Software\\Pipe|Name||v", 2, {1}));

    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Pipe|Name", false));
    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Pipe", true));
    EXPECT_TRUE(Add("Software\\Pipe|Name||v", 2, {1}));
}

TEST_F(ResultListTest, FindingsWhoseTextHoldsTheMarkerAreDropped) {
    // Read back, such a row would name another key or value: "Software\Vendor" for a finding
    // of the key "Software\Vendor²²6x".
    ASSERT_TRUE(
        registry_.CreateKey(RegRoot::LocalMachine, "Software\\Vendor²²6x", KeyAccess::AllAccess).ok());
    EXPECT_FALSE(Add("Software\\Vendor²²6x", 2, {6}));
    EXPECT_FALSE(Add("Software\\Vendor||name²²x|||C:\\gone.exe", 2, {1}));
    EXPECT_FALSE(Add("Software\\Vendor||v|||C:\\a²²5", 2, {}))
        << "a hit whose data ends like a marker would be picked by Select all Red";
    // The same findings with ordinary names are listed.
    EXPECT_TRUE(Add("Software\\Vendor", 2, {6}));
    EXPECT_TRUE(Add("Software\\Vendor||name|||C:\\gone.exe", 2, {1}));
    EXPECT_EQ(list_.RowCount(), 2u);
}

TEST_F(ResultListTest, StripeAlternatesBetweenListedRows) {
    ASSERT_TRUE(Add("Software\\Vendor", 2, {6}));
    ASSERT_FALSE(Add("Software\\Locked", 2, {6}));
    ASSERT_FALSE(Add("Software\\do.not.delete", 2, {6}));
    ASSERT_TRUE(Add("Software\\Vendor\\App", 2, {6}));
    ASSERT_TRUE(Add("Software\\Tool", 1, {6}));
    ASSERT_FALSE(Add("Software\\Locked\\Sub", 2, {6}));
    ASSERT_TRUE(Add("\\.oldext", 0, {4}));
    std::string stripes;
    for (const ResultRow& row : list_.Rows()) stripes += row.text.front();
    EXPECT_EQ(stripes, "0101");

    // The view reset clears rows, index and count but keeps the toggle: the next scan goes on
    // from where this one stopped.
    list_.ResetView();
    EXPECT_EQ(list_.RowCount(), 0u);
    EXPECT_EQ(list_.Index().Count(), 0u);
    EXPECT_EQ(list_.CountText(), "");
    ASSERT_TRUE(Add("Software\\Vendor", 2, {6}));
    EXPECT_EQ(list_.Row(0).text.front(), '0');
    list_.ResetView();
    ASSERT_TRUE(Add("Software\\Vendor", 2, {6}));
    EXPECT_EQ(list_.Row(0).text.front(), '1');
}

TEST_F(ResultListTest, ColourSelectionAndTwoMarkers) {
    ASSERT_TRUE(Add("Software\\Vendor", 2, {6}));                             // green
    ASSERT_TRUE(Add("Software\\Vendor\\App||v|||C:\\gone.exe", 2, {1}));      // green
    ASSERT_TRUE(Add("\\.oldext", 0, {4}));                                    // red
    ASSERT_TRUE(Add("Software\\Tool||v|||C:\\gone.exe", 1, {1, 6}));          // neither
    ASSERT_TRUE(Add("Software\\Vendor\\App||Search", 2, {}));                 // neither
    ASSERT_TRUE(Add("Software\\Locked²²100", 2, {}));                         // neither

    auto selected = [this] {
        std::vector<bool> flags;
        for (const ResultRow& row : list_.Rows()) flags.push_back(row.selected);
        return flags;
    };
    list_.SelectAllGreen();
    EXPECT_EQ(selected(), (std::vector<bool>{true, true, false, false, false, false}));
    list_.SelectAllRed();
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, true, false, false, false}));

    // The entry with two markers shows no category line.
    ScanEntry twoMarkers = ParseScanEntry(list_.Row(3).text);
    EXPECT_FALSE(DescribeCategory(twoMarkers.category, list_.Texts()).hasLine);
}

TEST_F(ResultListTest, SelectAllRedAfterOnlyMissingFilesSelectsNothing) {
    ASSERT_TRUE(Add("Software\\Vendor\\App||a|||C:\\a.exe", 2, {1}));
    ASSERT_TRUE(Add("Software\\Tool||b|||C:\\b.exe", 1, {1}));
    ASSERT_TRUE(Add("Software\\Microsoft\\Windows\\CurrentVersion\\Run||c|||C:\\c.exe", 2, {1}));
    list_.SelectAll();
    list_.SelectAllRed();
    EXPECT_EQ(list_.SelectedCount(), 0u);
    EXPECT_EQ(list_.SelectAllCaption("Select All"), "Select All");
    list_.SelectAllGreen();
    EXPECT_EQ(list_.SelectedCount(), 3u);
}

TEST_F(ResultListTest, SelectionCommandsAndCaption) {
    for (const char* key : {"Software\\Vendor", "Software\\Vendor\\App", "\\.oldext"}) {
        ASSERT_TRUE(Add(key, key[0] == '\\' ? 0 : 2, {6}));
    }
    EXPECT_EQ(list_.SelectAllCaption("Select All"), "Select All");
    list_.SetSelected(1, true);
    EXPECT_EQ(list_.SelectAllCaption("Select All"), "Select All (1)");
    list_.InvertSelection();
    EXPECT_FALSE(list_.IsSelected(1));
    EXPECT_TRUE(list_.IsSelected(0));
    EXPECT_TRUE(list_.IsSelected(2));
    EXPECT_EQ(list_.SelectAllCaption("Select All"), "Select All (2)");
    list_.SelectAll();
    EXPECT_EQ(list_.SelectAllCaption("Alles"), "Alles (3)");
    list_.UnselectAll();
    EXPECT_EQ(list_.SelectedCount(), 0u);
}

TEST(ResultRowHeight, ByLines) {
    struct Case {
        const char* entry;
        int height;
    };
    const Case cases[] = {
        {"0|2|Software\\X", 40},
        {"0|2|Software\\X||v", 54},
        {"0|2|Software\\X²²6", 54},
        {"0|2|Software\\X||v|||C:\\a.exe²²1", 68},
        {"0|2|Software\\X||v|||C:\\a.exe²²1²²6", 68},
        {"0|2|Software\\Vendor²²²A - B", 54},
    };
    for (const Case& c : cases) EXPECT_EQ(ResultRowHeight(c.entry), c.height) << c.entry;
}

TEST_F(ResultListTest, FilterNarrowsAndSortsFromTheIndex) {
    ASSERT_TRUE(Add("Software\\Vendor\\App||v|||C:\\Gone\\b.exe", 2, {1}, {"missing-data-file", "C:\\Gone\\b.exe"}));
    ASSERT_TRUE(Add("Software\\Tool||w|||C:\\gone\\a.exe", 1, {1}, {"missing-data-file", "C:\\gone\\a.exe"}));
    ASSERT_TRUE(Add("\\.oldext", 0, {4}, {"unused-file-type", ""}));
    ASSERT_TRUE(Add("Software\\Vendor", 2, {6}, {"empty-software-key", ""}));
    list_.SetSelected(0, true);

    list_.ApplyFilter("GONE");
    // Sorted by the whole text: the stripe digit first.
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "0|2|Software\\Vendor\\App||v|||C:\\Gone\\b.exe²²1",
                           "1|1|Software\\Tool||w|||C:\\gone\\a.exe²²1",
                       }));
    EXPECT_EQ(list_.Row(1).detail.testedPath, "C:\\gone\\a.exe") << "details follow their rows";
    EXPECT_EQ(list_.SelectedCount(), 0u);
    EXPECT_EQ(list_.CountText(), "2 Items");
    EXPECT_EQ(list_.Index().Count(), 4u) << "the filter never changes the index";

    list_.ApplyFilter("no such text");
    EXPECT_EQ(list_.RowCount(), 0u);
    EXPECT_EQ(list_.CountText(), "0 Items");

    list_.ApplyFilter("");
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "0|0|\\.oldext²²4",
                           "0|2|Software\\Vendor\\App||v|||C:\\Gone\\b.exe²²1",
                           "1|1|Software\\Tool||w|||C:\\gone\\a.exe²²1",
                           "1|2|Software\\Vendor²²6",
                       }));
    EXPECT_EQ(list_.Row(3).detail.rule, "empty-software-key");
}

TEST_F(ResultListTest, ContextMenuItems) {
    ASSERT_TRUE(Add("Software\\Vendor\\App||v|||C:\\gone.exe", 2, {1}));
    ASSERT_TRUE(Add("Software\\Tool||v|||%windir%\\gone.exe", 1, {1}));
    ASSERT_TRUE(Add("Software\\Vendor", 2, {6}));

    struct Case {
        bool selectRow;
        std::optional<std::size_t> focused;
        ProtectedKeysSearch protectedKeys;
        ShiftKey shift;
        bool selectedItems;  // regedit, export, exclusion, delete
        bool favorites;
        bool explorer;
        bool ownership;
    };
    const Case cases[] = {
        {false, std::nullopt, ProtectedKeysSearch::Off, ShiftKey::Up, false, false, false, false},
        {true, 2, ProtectedKeysSearch::Off, ShiftKey::Up, true, true, false, false},
        {true, 1, ProtectedKeysSearch::Off, ShiftKey::Up, true, true, true, false},
        // The first row names a path too and can be shown like any other.
        {true, 0, ProtectedKeysSearch::Off, ShiftKey::Up, true, true, true, false},
        {true, 0, ProtectedKeysSearch::On, ShiftKey::Up, true, false, true, true},
        {false, 2, ProtectedKeysSearch::Off, ShiftKey::Held, false, false, false, true},
        {false, 7, ProtectedKeysSearch::Off, ShiftKey::Up, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focused ? static_cast<int>(*c.focused) : -1);
        list_.UnselectAll();
        if (c.selectRow) list_.SetSelected(2, true);
        ResultMenuState state = list_.ContextMenuState(c.focused, c.protectedKeys, c.shift);
        EXPECT_EQ(state.openInRegedit, c.selectedItems);
        EXPECT_EQ(state.exportSelected, c.selectedItems);
        EXPECT_EQ(state.addToExclusionList, c.selectedItems);
        EXPECT_EQ(state.deleteSelected, c.selectedItems);
        EXPECT_EQ(state.addToFavorites, c.favorites);
        EXPECT_EQ(state.openInExplorer, c.explorer);
        EXPECT_EQ(state.takeOwnership, c.ownership);
        EXPECT_FALSE(state.startupEntries);
        EXPECT_FALSE(state.services);
    }
}

// Records what the tools list would receive.
class RecordingSink final : public ScanEntrySink {
public:
    bool AddScanEntry(std::string_view text, int, CategoryFlags& flags, const FindingDetail&) override {
        texts.emplace_back(text);
        flags.Clear();
        return true;
    }
    std::vector<std::string> texts;
};

TEST_F(ResultListTest, ToolsListModeHandsEntriesOn) {
    RecordingSink tools;
    list_.SetToolsListSink(&tools);
    EXPECT_TRUE(Add("Software\\Microsoft\\Windows\\CurrentVersion\\Run||Updater|||C:\\u.exe", 2, {}));
    EXPECT_EQ(tools.texts.size(), 1u);
    EXPECT_EQ(list_.RowCount(), 0u);
    list_.SetToolsListSink(nullptr);
    EXPECT_TRUE(Add("Software\\Vendor", 2, {6}));
    EXPECT_EQ(list_.RowCount(), 1u);
}

}  // namespace
}  // namespace kestrover
