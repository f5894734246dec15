// One result entry exported and deleted by what it names, and the read-back of a backup that
// decides whether it may be deleted.
#include <gtest/gtest.h>

#include "core/TextFile.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "repair/BackupContents.h"
#include "repair/ResultEntryDeletion.h"

namespace kestrover {
namespace {

constexpr std::string_view kDefault = "(default)";
constexpr std::string_view kVendor = "Software\\Vendor";

ScanEntry Entry(std::string_view text, int rootIndex = 1) {
    return ParseScanEntry(BuildScanEntry(0, rootIndex, text));
}

// HKEY_CURRENT_USER\Software\Vendor: @="d", "Named"="x", "Other"="y", and Sub with "Inner"="z".
struct VendorRegistry {
    VendorRegistry() {
        RegistryProvider reg(registry_);
        EXPECT_TRUE(reg.OpenKey("\\Software\\Vendor\\Sub", true));
        reg.WriteString("Inner", "z");
        EXPECT_TRUE(reg.OpenKey("\\Software\\Vendor", false));
        reg.WriteString("", "d");
        reg.WriteString("Named", "x");
        reg.WriteString("Other", "y");
    }

    bool ValueExists(std::string_view path, std::string_view name) {
        RegistryProvider reg(registry_);
        return reg.OpenKeyReadOnly("\\" + std::string(path)) && reg.ValueExists(name);
    }
    bool KeyExists(std::string_view path) {
        RegistryProvider reg(registry_);
        return reg.KeyExists("\\" + std::string(path));
    }

    // The export file one entry gives, without its "REGEDIT4" line.
    std::string ExportText(const ScanEntry& entry) {
        RegExportWriter writer(registry_, files_);
        EXPECT_TRUE(writer.BeginExportFile("C:\\entry.reg"));
        ExportResultEntry(writer, entry, kDefault);
        EXPECT_TRUE(writer.EndExportFile().ok());
        auto bytes = files_.ReadFile("C:\\entry.reg");
        std::string text(bytes->begin(), bytes->end());
        return text.substr(text.find("\r\n") + 2);
    }

    BackupContents Read(std::string_view text) {
        EXPECT_TRUE(files_.AddFile("C:\\backup.reg", text).ok());
        auto contents = BackupContents::Read(registry_, files_, "C:\\backup.reg");
        EXPECT_TRUE(contents.ok());
        return std::move(contents).value();
    }

    MemoryRegistry memory_{true};
    RegistryContext registry_{memory_, {true, true}, nullptr};
    MemoryFileSystem files_;
};

TEST(ResultEntryDeletionTest, TheFourCasesAndWhatTheBackupHolds) {
    struct Case {
        std::string text;
        DeletionCase deletion;
        std::string exported;
        // What is left afterwards.
        bool defaultValue, named, other, key, sub;
    };
    const std::string whole =
        "\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n@=\"d\"\r\n\"Named\"=\"x\"\r\n\"Other\"=\"y\"\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\Sub]\r\n\"Inner\"=\"z\"\r\n";
    const Case cases[] = {
        {MakeEntryText(kVendor, kDefault), DeletionCase::DefaultValueShown, whole,
         false, true, true, true, true},
        {MakeEntryText(kVendor, "Named"), DeletionCase::NamedValue,
         "\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"Named\"=\"x\"\r\n"
         "\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\Sub]\r\n",
         true, false, true, true, true},
        {MakeEntryText(kVendor, "", "C:\\gone\\app.exe"), DeletionCase::DefaultValue, whole,
         false, true, true, true, true},
        {MakeEntryText(kVendor), DeletionCase::WholeKey, whole, false, false, false, false, false},
        // A finding about the default value with no data to show names that value, not the
        // key with everything below it.
        {MakeEntryText(kVendor, ""), DeletionCase::DefaultValue, whole,
         false, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        VendorRegistry fresh;  // each case on the same starting registry
        ScanEntry entry = Entry(c.text);
        EXPECT_EQ(ClassifyDeletion(entry, kDefault), c.deletion);
        EXPECT_EQ(fresh.ExportText(entry), c.exported);
        EXPECT_TRUE(ResultEntryExists(fresh.registry_, entry, kDefault));
        EXPECT_EQ(DeleteResultEntry(fresh.registry_, entry, kDefault), DeletionOutcome::Deleted);
        EXPECT_FALSE(ResultEntryExists(fresh.registry_, entry, kDefault));
        EXPECT_EQ(fresh.ValueExists(kVendor, ""), c.defaultValue);
        EXPECT_EQ(fresh.ValueExists(kVendor, "Named"), c.named);
        EXPECT_EQ(fresh.ValueExists(kVendor, "Other"), c.other);
        EXPECT_EQ(fresh.KeyExists(kVendor), c.key);
        EXPECT_EQ(fresh.KeyExists("Software\\Vendor\\Sub"), c.sub);
        EXPECT_TRUE(fresh.KeyExists("Software"));
        // A second time there is nothing left to delete.
        EXPECT_EQ(DeleteResultEntry(fresh.registry_, entry, kDefault), DeletionOutcome::Missing);
    }
}

TEST(ResultEntryDeletionTest, MissingAndRefused) {
    VendorRegistry vendor;
    MemoryRegistry& memory_ = vendor.memory_;
    RegistryContext& registry_ = vendor.registry_;
    struct Case {
        std::string text;
        int rootIndex;
        DeletionOutcome outcome;
    };
    ASSERT_TRUE(memory_.SetWriteDenied(PredefinedKey::CurrentUser, "Software\\Vendor\\Sub", true));
    const Case cases[] = {
        {MakeEntryText(kVendor, "Gone"), 1, DeletionOutcome::Missing},
        {MakeEntryText("Software\\Nowhere", "Named"), 1, DeletionOutcome::Missing},
        {MakeEntryText("Software\\Nowhere"), 1, DeletionOutcome::Missing},
        {MakeEntryText(kVendor, "Named"), 2, DeletionOutcome::Missing},  // another root
        {MakeEntryText("Software\\Vendor\\Sub", "Inner"), 1, DeletionOutcome::Failed},
        {MakeEntryText("Software\\Vendor\\Sub"), 1, DeletionOutcome::Failed},
        // Entries that name no key: a root digit that is none, the root itself.
        {MakeEntryText(kVendor, "Named"), 7, DeletionOutcome::Failed},
        {MakeEntryText(""), 1, DeletionOutcome::Failed},
        {MakeEntryText("", "Named"), 1, DeletionOutcome::Failed},
    };
    for (const Case& c : cases) {
        ScanEntry entry = Entry(c.text, c.rootIndex);
        EXPECT_EQ(DeleteResultEntry(registry_, entry, kDefault), c.outcome)
            << c.text << " under root " << c.rootIndex;
    }
    EXPECT_TRUE(vendor.ValueExists(kVendor, "Named"));
    EXPECT_TRUE(vendor.ValueExists("Software\\Vendor\\Sub", "Inner"));
    // An entry that names no key exports nothing: not the whole root.
    EXPECT_EQ(vendor.ExportText(Entry(MakeEntryText(""))), "");
    EXPECT_EQ(ClassifyDeletion(Entry(MakeEntryText(kVendor), 7), kDefault), DeletionCase::Nothing);
}

// A search or scan row for a real value named "(default)" reads like a row for the key's
// default value: deleting it must not take away the other one.
TEST(ResultEntryDeletionTest, ARealValueNamedLikeTheDefaultTextIsNeverMistaken) {
    VendorRegistry vendor;
    {
        RegistryProvider reg(vendor.registry_);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor", false));
        reg.WriteString(kDefault, "C:\\gone\\app.exe");
    }
    const ScanEntry entry = Entry(MakeEntryText(kVendor, kDefault, "C:\\gone\\app.exe"));
    EXPECT_EQ(DeleteResultEntry(vendor.registry_, entry, kDefault), DeletionOutcome::Failed);
    EXPECT_TRUE(vendor.ValueExists(kVendor, ""));
    EXPECT_TRUE(vendor.ValueExists(kVendor, kDefault));

    // Without the real value, the row names the default value as before.
    {
        RegistryProvider reg(vendor.registry_);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor", false));
        ASSERT_TRUE(reg.DeleteValue(kDefault));
    }
    EXPECT_EQ(DeleteResultEntry(vendor.registry_, entry, kDefault), DeletionOutcome::Deleted);
    EXPECT_FALSE(vendor.ValueExists(kVendor, ""));
    EXPECT_TRUE(vendor.ValueExists(kVendor, "Named"));
}

TEST(BackupContentsTest, ValuesAndKeysAsTheFileWouldRestoreThem) {
    VendorRegistry vendor;
    RegistryContext& registry_ = vendor.registry_;
    BackupContents contents = vendor.Read(
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n@=\"d\"\r\n\"Named\"=\"x\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor name]\r\n\"Q\"=\"1\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor\\Sub]\r\n\"Inner\"=\"z\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor_x]\r\n\"W\"=\"1\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Broken]\r\n\"A\"=hex:zz\r\n\"B\"=\"b\"\r\n\r\n"
        "[HKEY_NOWHERE\\Software\\Vendor]\r\n\"Other\"=\"y\"\r\n");
    const RegRoot user = RegRoot::CurrentUser;
    EXPECT_TRUE(contents.HoldsKey(user, "software\\VENDOR"));
    EXPECT_FALSE(contents.HoldsKey(RegRoot::LocalMachine, "Software\\Vendor"));
    EXPECT_TRUE(contents.HoldsValue(user, kVendor, ""));
    EXPECT_TRUE(contents.HoldsValue(user, kVendor, "Named"));
    EXPECT_FALSE(contents.HoldsValue(user, kVendor, "Name"));
    EXPECT_FALSE(contents.HoldsValue(user, kVendor, "Other"));  // only under a root never restored
    // Below the key: itself and Sub, not its neighbours "Vendor name" and "Vendor_x".
    EXPECT_EQ(contents.ValueCountBelow(user, kVendor), 3u);
    // A value that does not read back ends the restore of its section.
    EXPECT_FALSE(contents.HoldsValue(user, "Software\\Broken", "B"));
    EXPECT_EQ(contents.ValueCountBelow(user, "Software"), std::nullopt);

    // The whole key is held only while the registry has no more values below it than the file.
    EXPECT_FALSE(contents.HoldsEntry(registry_, Entry(MakeEntryText(kVendor)), kDefault));
    RegistryProvider reg(registry_);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor", false));
    ASSERT_TRUE(reg.DeleteValue("Other"));
    EXPECT_TRUE(contents.HoldsEntry(registry_, Entry(MakeEntryText(kVendor)), kDefault));
    EXPECT_TRUE(contents.HoldsEntry(registry_, Entry(MakeEntryText(kVendor, kDefault)), kDefault));
    EXPECT_TRUE(contents.HoldsEntry(registry_, Entry(MakeEntryText(kVendor, "", "x")), kDefault));
    EXPECT_FALSE(contents.HoldsEntry(registry_, Entry(MakeEntryText(kVendor, "Other")), kDefault));
}

}  // namespace
}  // namespace kestrover
