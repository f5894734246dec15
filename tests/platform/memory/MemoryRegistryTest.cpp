// The in-memory registry: the contract suite, and what only the in-memory registry models
// (HKEY_CLASSES_ROOT as HKLM\Software\Classes, redirection rules, fault injection).
#include <gtest/gtest.h>

#include "contracts/RegistryContract.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"

namespace kestrover::testing {
namespace {

class MemoryRegistryHarness final : public RegistryHarness {
public:
    explicit MemoryRegistryHarness(bool windows64) : registry_(windows64), windows64_(windows64) {
        auto created = registry_.CreateKey(PredefinedKey::CurrentUser, kScratch, KeyAccess::AllAccess);
        EXPECT_TRUE(created.ok());
    }
    RegistryPort& Port() override { return registry_; }
    std::string ScratchPath() override { return kScratch; }
    bool Is64BitWindows() override { return windows64_; }
    bool DenyRead(PredefinedKey root, const std::string& path) override {
        return registry_.SetReadDenied(root, path, true);
    }
    bool DenyWrite(PredefinedKey root, const std::string& path) override {
        return registry_.SetWriteDenied(root, path, true);
    }
    bool FailNextWrite() override {
        registry_.FailNextWrite();
        return true;
    }

private:
    static constexpr const char* kScratch = "Software\\KestroverContract";
    MemoryRegistry registry_;
    bool windows64_;
};

INSTANTIATE_TEST_SUITE_P(
    Memory, RegistryContract,
    ::testing::Values(
        RegistryHarnessFactory{"Memory64",
                               [] { return std::make_unique<MemoryRegistryHarness>(true); }},
        RegistryHarnessFactory{"Memory32",
                               [] { return std::make_unique<MemoryRegistryHarness>(false); }}),
    [](const ::testing::TestParamInfo<RegistryHarnessFactory>& info) { return info.param.name; });

TEST(MemoryRegistry, ClassesRootIsLocalMachineClasses) {
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}};
    RegistryProvider classes(context);
    classes.SetRootKey(RegRoot::ClassesRoot);
    ASSERT_TRUE(classes.OpenKey(".txt", true));
    classes.WriteString("", "txtfile");

    RegistryProvider machine(context);
    machine.SetRootKey(RegRoot::LocalMachine);
    ASSERT_TRUE(machine.OpenKeyReadOnly("SOFTWARE\\Classes\\.TXT"));
    EXPECT_EQ(machine.ReadString(""), "txtfile");
    EXPECT_TRUE(classes.OpenKeyReadOnly("\\"));
    std::vector<std::string> names;
    classes.GetKeyNames(names);
    EXPECT_EQ(names, std::vector<std::string>{".txt"});
}

TEST(MemoryRegistry, ThirtyTwoBitViewRedirection) {
    struct Case {
        PredefinedKey root;
        const char* requested;
        const char* stored;  // path in the 64-bit view of HKLM (or the root's own tree)
    };
    const Case cases[] = {
        {PredefinedKey::LocalMachine, "Software", "Software\\Wow6432Node"},
        {PredefinedKey::LocalMachine, "Software\\Vendor\\App", "Software\\Wow6432Node\\Vendor\\App"},
        {PredefinedKey::LocalMachine, "SOFTWARE\\Wow6432Node\\X", "SOFTWARE\\Wow6432Node\\X"},
        {PredefinedKey::LocalMachine, "Software\\Classes\\.txt", "Software\\Classes\\.txt"},
        {PredefinedKey::LocalMachine, "Software\\Classes\\CLSID\\{1}",
         "Software\\Classes\\Wow6432Node\\CLSID\\{1}"},
        {PredefinedKey::LocalMachine, "System\\CurrentControlSet", "System\\CurrentControlSet"},
        {PredefinedKey::ClassesRoot, "CLSID\\{2}", "Software\\Classes\\Wow6432Node\\CLSID\\{2}"},
        {PredefinedKey::ClassesRoot, "Interface", "Software\\Classes\\Wow6432Node\\Interface"},
        {PredefinedKey::ClassesRoot, "txtfile\\shell", "Software\\Classes\\txtfile\\shell"},
        {PredefinedKey::CurrentUser, "Software\\Classes\\CLSID",
         "Software\\Classes\\Wow6432Node\\CLSID"},
        {PredefinedKey::CurrentUser, "Software\\Vendor", "Software\\Vendor"},
        {PredefinedKey::Users, "S-1-5-21-1_Classes\\CLSID", "S-1-5-21-1_Classes\\Wow6432Node\\CLSID"},
    };
    MemoryRegistry registry(true);
    for (const Case& c : cases) {
        auto resolved = registry.Resolve(c.root, c.requested, KeyAccess::Read | KeyAccess::Wow64_32Key);
        ASSERT_TRUE(resolved.has_value()) << c.requested;
        std::string joined;
        for (const std::string& component : resolved->components) {
            if (!joined.empty()) joined += '\\';
            joined += component;
        }
        EXPECT_EQ(joined, c.stored) << c.requested;
        // The 64-bit view and 32-bit Windows see the path as it is (classes root aside).
        auto plain = registry.Resolve(c.root, c.requested, KeyAccess::Read | KeyAccess::Wow64_64Key);
        EXPECT_EQ(plain->components.back(), std::string(c.requested).substr(
                                                std::string(c.requested).rfind('\\') + 1))
            << c.requested;
    }
    MemoryRegistry windows32(false);
    auto ignored = windows32.Resolve(PredefinedKey::LocalMachine, "Software\\X", KeyAccess::Wow64_32Key);
    EXPECT_EQ(ignored->components.size(), 2u);
}

TEST(MemoryRegistry, AccessMasksFollowTheViewFlags) {
    struct Case {
        RegistryViewFlags flags;
        std::uint32_t instanceAccess;
        std::uint32_t readOnlyOpen;
        std::uint32_t accessAfterReadOnly;
    };
    const Case cases[] = {
        // Both flags: the 64-bit view everywhere.
        {{true, true}, 0xF013F, 0x20119, 0xF013F},
        // 64-bit Windows, 32-bit view wanted: instances carry KEY_WOW64_32KEY, and this
        // 64-bit process asks for the 32-bit view on read-only opens as well.
        {{true, false}, 0xF023F, 0x20219, 0x20019},
        // 32-bit Windows: one view; instances still carry KEY_WOW64_32KEY, which it ignores.
        {{false, false}, 0xF023F, 0x20019, 0x20019},
    };
    for (const Case& c : cases) {
        MemoryRegistry registry(c.flags.is64BitWindows);
        RegistryContext context{registry, c.flags};
        RegistryProvider reg(context);
        EXPECT_EQ(reg.Access(), c.instanceAccess);
        ASSERT_TRUE(reg.OpenKey("Software\\A", true));
        EXPECT_EQ(registry.AccessLog().back().access,
                  c.flags.is64BitWindows && c.flags.use64BitView ? 0xF013Fu : c.instanceAccess);
        registry.ClearAccessLog();
        ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\A"));
        EXPECT_EQ(registry.AccessLog().back().access, c.readOnlyOpen);
        EXPECT_EQ(reg.Access(), c.accessAfterReadOnly);
    }
}

TEST(MemoryRegistry, SubkeysSortByUpperCasedNames) {
    // Windows compares upper-cased names, so "_" (after "Z") sorts after every letter; Wine
    // compares lower-cased ones and lists it first.
    MemoryRegistry registry;
    for (const char* name : {"_under", "beta", "Alpha", "[x]", "9"}) {
        ASSERT_TRUE(registry.CreateKey(PredefinedKey::CurrentUser, std::string("Order\\") + name,
                                       KeyAccess::AllAccess).ok());
    }
    auto key = registry.OpenKey(PredefinedKey::CurrentUser, "Order", KeyAccess::Read);
    EXPECT_EQ(key.value()->SubkeyNames().value(),
              (std::vector<std::string>{"9", "Alpha", "beta", "[x]", "_under"}));
}

TEST(MemoryRegistry, HandleOfADeletedKeyFails) {
    MemoryRegistry registry;
    auto key = registry.CreateKey(PredefinedKey::CurrentUser, "Software\\Gone", KeyAccess::AllAccess);
    ASSERT_TRUE(key.ok());
    auto parent = registry.OpenKey(PredefinedKey::CurrentUser, "Software", KeyAccess::AllAccess);
    ASSERT_TRUE(parent.ok());
    ASSERT_TRUE(parent.value()->DeleteSubkey("Gone", 0).ok());
    EXPECT_FALSE(key.value()->SubkeyNames().ok());
    const std::uint8_t byte = 1;
    EXPECT_FALSE(key.value()->SetValue("v", RegistryType::Binary, {&byte, 1}).ok());
}

TEST(MemoryRegistry, KeysWithSubkeysAreNotDeletedDirectly) {
    MemoryRegistry registry;
    ASSERT_TRUE(registry.CreateKey(PredefinedKey::CurrentUser, "Software\\P\\C", KeyAccess::AllAccess).ok());
    auto software = registry.OpenKey(PredefinedKey::CurrentUser, "Software", KeyAccess::Read);
    EXPECT_EQ(software.value()->DeleteSubkey("P", 0).code(), ErrorCode::AccessDenied);
    EXPECT_EQ(software.value()->DeleteSubkey("Q", 0).code(), ErrorCode::NotFound);
    // Rights the key was not opened with are refused.
    const std::uint8_t byte = 1;
    EXPECT_EQ(software.value()->SetValue("v", RegistryType::Binary, {&byte, 1}).code(),
              ErrorCode::AccessDenied);
    EXPECT_EQ(registry.KeyCount(), 5u);  // HKLM\Software\Classes and HKCU\Software\P\C
}

TEST(MemoryRegistry, FailNextWriteRefusesKeyCreationOnce) {
    MemoryRegistry registry;
    registry.FailNextWrite();
    EXPECT_EQ(registry.CreateKey(PredefinedKey::CurrentUser, "New", KeyAccess::AllAccess).code(),
              ErrorCode::AccessDenied);
    EXPECT_TRUE(registry.CreateKey(PredefinedKey::CurrentUser, "New", KeyAccess::AllAccess).ok());
}

}  // namespace
}  // namespace kestrover::testing

namespace kestrover::testing {
namespace {

TEST(MemoryRegistry, ChangeCountMovesOnEveryChangeOnly) {
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}};
    RegistryProvider reg(context);
    std::uint64_t before = registry.ChangeCount();
    ASSERT_TRUE(reg.OpenKey("Software\\Counted", true));
    EXPECT_GT(registry.ChangeCount(), before);
    before = registry.ChangeCount();
    // Opening, reading and enumerating change nothing.
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Counted"));
    std::vector<std::string> names;
    reg.GetValueNames(names);
    EXPECT_EQ(registry.ChangeCount(), before);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Counted", false));
    reg.WriteString("v", "1");
    EXPECT_GT(registry.ChangeCount(), before);
    before = registry.ChangeCount();
    EXPECT_TRUE(reg.DeleteValue("v"));
    EXPECT_GT(registry.ChangeCount(), before);
    before = registry.ChangeCount();
    EXPECT_TRUE(reg.DeleteKey("\\Software\\Counted"));
    EXPECT_GT(registry.ChangeCount(), before);
}

}  // namespace
}  // namespace kestrover::testing
