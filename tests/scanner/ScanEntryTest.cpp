// Result-list row texts: building, parsing back, category numbers, texts and colours.
#include <gtest/gtest.h>

#include "scanner/ResultCategory.h"
#include "scanner/ScanEntry.h"

namespace kestrover {
namespace {

CategoryFlags FlagsOf(std::initializer_list<int> numbers) {
    CategoryFlags flags;
    for (int number : numbers) flags.Set(static_cast<ResultCategory>(number));
    return flags;
}

TEST(ScanEntryText, EntryTextsAndMarkers) {
    EXPECT_EQ(MakeEntryText("Software\\X"), "Software\\X");
    EXPECT_EQ(MakeEntryText("Software\\X", "Tool"), "Software\\X||Tool");
    EXPECT_EQ(MakeEntryText("Software\\X", "", "C:\\a.exe"), "Software\\X|||||C:\\a.exe");

    EXPECT_EQ(CategoryMarkers(FlagsOf({})), "");
    // Flag order is the category order, whatever order the rules set them in.
    EXPECT_EQ(CategoryMarkers(FlagsOf({6, 1})), "²²1²²6");
    EXPECT_EQ(CategoryMarkers(FlagsOf({9, 0})), "²²0²²9");
    CategoryFlags suppressOnly;
    suppressOnly.suppressMissingFile = true;
    EXPECT_EQ(CategoryMarkers(suppressOnly), "") << "the eleventh flag has no marker";

    EXPECT_EQ(BuildScanEntry(0, 2, "Software\\X²²6"), "0|2|Software\\X²²6");
    EXPECT_EQ(BuildScanEntry(1, 0, "\\.foo²²4"), "1|0|\\.foo²²4");
}

TEST(ScanEntryParse, TableOfEntries) {
    struct Case {
        const char* entry;
        int stripe;
        int rootIndex;
        std::optional<RegRoot> root;
        const char* rootName;
        const char* keyPath;
        bool hasValue;
        const char* valueName;
        bool hasData;
        const char* data;
        int category;
    };
    const Case cases[] = {
        {"0|2|Software\\X", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "Software\\X", false,
         "", false, "", 12},
        {"1|1|Software\\Run||Tool|||C:\\Old\\tool.exe²²1", 1, 1, RegRoot::CurrentUser,
         "HKEY_CURRENT_USER", "Software\\Run", true, "Tool", true, "C:\\Old\\tool.exe", 1},
        {"0|0|\\.foo²²4", 0, 0, RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "\\.foo", false, "",
         false, "", 4},
        {"0|3|S-1-5-21\\Software\\V||v²²6", 0, 3, RegRoot::Users, "HKEY_USERS",
         "S-1-5-21\\Software\\V", true, "v", false, "", 6},
        {"0|4|System\\X", 0, 4, RegRoot::CurrentConfig, "HKEY_CURRENT_CONFIG", "System\\X", false, "",
         false, "", 12},
        // The default value has an empty name.
        {"1|2|K|||||C:\\d.exe²²1", 1, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", true, "",
         true, "C:\\d.exe", 1},
        {"1|2|K||", 1, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", true, "", false, "", 12},
        // Two markers: no readable category.
        {"0|2|K²²1²²6", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", false, "", false, "",
         12},
        // A failed deletion appended "0".
        {"0|2|K||v²²10", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", true, "v", false,
         "", 10},
        {"0|2|K||v²²60", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", true, "v", false,
         "", 60},
        {"0|2|K||v²²00", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", true, "v", false,
         "", 0},
        {"0|2|Software\\P²²100", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "Software\\P",
         false, "", false, "", 100},
        {"0|2|K²²6x", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", false, "", false, "",
         12},
        {"0|2|K²²", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "K", false, "", false, "", 12},
        // A key name with a single bar stays whole.
        {"0|2|Software\\A|B||v", 0, 2, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "Software\\A|B",
         true, "v", false, "", 12},
        // A value name beginning with a bar.
        {"0|1|K|||x|||d", 0, 1, RegRoot::CurrentUser, "HKEY_CURRENT_USER", "K", true, "|x", true, "d",
         12},
        // A root text that is no number reads as 0 but names no root: nothing may act on it.
        {"0|x|K", 0, 0, std::nullopt, "", "K", false, "", false, "", 12},
        {"0|5|K", 0, 5, std::nullopt, "", "K", false, "", false, "", 12},
        {"0|02|K", 0, 2, std::nullopt, "", "K", false, "", false, "", 12},
        {"", 0, 0, std::nullopt, "", "", false, "", false, "", 12},
        {"0|", 0, 0, std::nullopt, "", "", false, "", false, "", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        ScanEntry parsed = ParseScanEntry(c.entry);
        EXPECT_EQ(parsed.stripe, c.stripe);
        EXPECT_EQ(parsed.rootIndex, c.rootIndex);
        EXPECT_EQ(parsed.root, c.root);
        EXPECT_EQ(parsed.rootName, c.rootName);
        EXPECT_EQ(parsed.keyPath, c.keyPath);
        EXPECT_EQ(parsed.hasValue, c.hasValue);
        EXPECT_EQ(parsed.valueName, c.valueName);
        EXPECT_EQ(parsed.hasData, c.hasData);
        EXPECT_EQ(parsed.data, c.data);
        EXPECT_EQ(parsed.category, c.category);
        EXPECT_EQ(CategoryNumberOf(c.entry), c.category);
        EXPECT_FALSE(parsed.inventoryText.has_value());
    }
}

TEST(ScanEntryParse, InventoryEntryCarriesItsSummary) {
    ScanEntry parsed = ParseScanEntry("1|2|Software\\Vendor²²²App - Tools - Help ...");
    EXPECT_EQ(parsed.keyPath, "Software\\Vendor");
    EXPECT_FALSE(parsed.hasValue);
    ASSERT_TRUE(parsed.inventoryText.has_value());
    EXPECT_EQ(*parsed.inventoryText, "App - Tools - Help ...");
    EXPECT_EQ(parsed.category, 12) << "the summary is no category number";

    ScanEntry plain = ParseScanEntry("1|2|Software\\Vendor²²6");
    EXPECT_FALSE(plain.inventoryText.has_value());
}

TEST(ScanEntryParse, RoundTripsWhatTheScanBuilds) {
    struct Case {
        int stripe;
        int rootIndex;
        const char* keyPath;
        std::optional<const char*> valueName;
        std::optional<const char*> data;
        std::initializer_list<int> flags;
        int category;
    };
    const Case cases[] = {
        {0, 0, "\\.oldext", std::nullopt, std::nullopt, {4}, 4},
        {1, 0, "\\CLSID\\{0000-1111}", std::nullopt, std::nullopt, {9}, 9},
        {0, 1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Updater",
         "C:\\Program Files\\Old\\upd.exe /q", {1}, 1},
        {1, 2, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
         "C:\\Windows\\System32\\gone.dll", std::nullopt, {0}, 0},
        {0, 2, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tool.exe", std::nullopt,
         std::nullopt, {7}, 7},
        {1, 3, "S-1-5-21-1\\Software\\Vendor", std::nullopt, std::nullopt, {6}, 6},
        {0, 2, "Software\\X", "", "C:\\x y\\z.exe", {1}, 1},
        {1, 1, "Software\\Two", "v", "C:\\v.exe", {1, 6}, 12},
        {0, 1, "Software\\None", "v", "", {}, 12},
        {0, 2, "Software\\Odd name; with = signs & ü", "name with spaces", "%SystemRoot%\\a.dll",
         {1}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyPath);
        std::string text = !c.valueName ? MakeEntryText(c.keyPath)
                           : !c.data    ? MakeEntryText(c.keyPath, *c.valueName)
                                        : MakeEntryText(c.keyPath, *c.valueName, *c.data);
        CategoryFlags flags = FlagsOf(c.flags);
        std::string entry = BuildScanEntry(c.stripe, c.rootIndex, text + CategoryMarkers(flags));
        ScanEntry parsed = ParseScanEntry(entry);
        EXPECT_EQ(parsed.stripe, c.stripe);
        EXPECT_EQ(parsed.root, RootFromIndex(c.rootIndex));
        EXPECT_EQ(parsed.keyPath, c.keyPath);
        EXPECT_EQ(parsed.hasValue, c.valueName.has_value());
        EXPECT_EQ(parsed.valueName, c.valueName.value_or(""));
        EXPECT_EQ(parsed.hasData, c.data.has_value());
        EXPECT_EQ(parsed.data, c.data.value_or(""));
        EXPECT_EQ(parsed.category, c.category);
    }
}

TEST(ResultCategoryTable, TextsColoursAndImages) {
    struct Case {
        int number;
        bool hasLine;
        const char* text;
        std::uint32_t colour;
        int stateImage;
    };
    const Case cases[] = {
        {0, true, "DLL file does not exist", 0x008000, 0},
        {1, true, "File or Path does not exist", 0x008000, 0},
        {2, true, "Helpfile does not exist", 0x008000, 0},
        {3, true, "Obsolete Start Menu item", 0x008000, 0},
        {4, true, "Extension not used", 0x0000FF, 0},
        {5, true, "Filetype not used", 0x0000FF, 0},
        {6, true, "Obsolete entry", 0x008000, 0},
        {7, true, "Invalid application path", 0x0000FF, 0},
        {8, true, "\"Open With\" entry unused", 0x0000FF, 0},
        {9, true, "Invalid ActiveX/COM entry (CLSID)", 0x0000FF, 0},
        {100, true, "Protected  Key", 0x000080, 32},
        {12, false, "", 0x808080, 0},
        // After a failed deletion: the text of a tenth, maroon for 10, black for the rest.
        {10, true, "File or Path does not exist", 0x000080, 32},
        {20, true, "Helpfile does not exist", 0x000000, 32},
        {60, true, "Obsolete entry", 0x000000, 32},
        {90, true, "Invalid ActiveX/COM entry (CLSID)", 0x000000, 32},
        {11, false, "", 0x808080, 32},
        {1000, false, "", 0x808080, 32},
    };
    const CategoryTexts texts = CategoryTexts::Defaults();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        CategoryAppearance appearance = DescribeCategory(c.number, texts);
        EXPECT_EQ(appearance.hasLine, c.hasLine);
        EXPECT_EQ(appearance.text, c.text);
        if (c.hasLine) {
            EXPECT_EQ(appearance.colour, c.colour);
        }
        EXPECT_EQ(appearance.stateImage, c.stateImage);
    }
}

TEST(ResultCategoryTable, TextsComeFromTheLanguageTable) {
    CategoryTexts texts = CategoryTexts::Defaults();
    texts.categories[1] = "Datei fehlt";
    texts.protectedKey = "Geschützt";
    EXPECT_EQ(DescribeCategory(1, texts).text, "Datei fehlt");
    EXPECT_EQ(DescribeCategory(10, texts).text, "Datei fehlt");
    EXPECT_EQ(DescribeCategory(100, texts).text, "Geschützt");
}

TEST(ResultCategoryTable, GreenAndRedGroups) {
    for (int number : {0, 1, 2, 3, 6}) {
        EXPECT_TRUE(IsGreenCategory(number)) << number;
        EXPECT_FALSE(IsRedCategory(number)) << number;
    }
    for (int number : {4, 5, 7, 8, 9}) {
        EXPECT_TRUE(IsRedCategory(number)) << number;
        EXPECT_FALSE(IsGreenCategory(number)) << number;
    }
    for (int number : {-1, 10, 12, 40, 60, 100}) {
        EXPECT_FALSE(IsGreenCategory(number)) << number;
        EXPECT_FALSE(IsRedCategory(number)) << number;
    }
}

}  // namespace
}  // namespace kestrover
