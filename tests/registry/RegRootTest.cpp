// Roots, root numbers, key path texts and the small path operations of the scanner.
#include <gtest/gtest.h>

#include "registry/KeyPaths.h"
#include "registry/RegRoot.h"
#include "registry/RegValueKind.h"
#include "registry/RegistryProvider.h"

namespace kestrover {
namespace {

TEST(RegRoot, TableOfRoots) {
    struct Case {
        RegRoot root;
        std::uint32_t handle;
        const char* fullName;
        const char* shortName;
        std::optional<int> index;
    };
    const Case cases[] = {
        {RegRoot::ClassesRoot, 0x80000000, "HKEY_CLASSES_ROOT", "HKCR", 0},
        {RegRoot::CurrentUser, 0x80000001, "HKEY_CURRENT_USER", "HKCU", 1},
        {RegRoot::LocalMachine, 0x80000002, "HKEY_LOCAL_MACHINE", "HKLM", 2},
        {RegRoot::Users, 0x80000003, "HKEY_USERS", "HKU", 3},
        {RegRoot::PerformanceData, 0x80000004, "HKEY_PERFORMANCE_DATA", "", std::nullopt},
        {RegRoot::CurrentConfig, 0x80000005, "HKEY_CURRENT_CONFIG", "HKCC", 4},
        {RegRoot::DynData, 0x80000006, "HKEY_DYN_DATA", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(c.root), c.handle);
        EXPECT_EQ(RootFullName(c.root), c.fullName);
        EXPECT_EQ(RootShortName(c.root), c.shortName);
        EXPECT_EQ(RootIndex(c.root), c.index) << c.fullName;
        if (c.index) {
            EXPECT_EQ(RootFromIndex(*c.index), c.root);
            EXPECT_EQ(RootFromIndexDigit(static_cast<char>('0' + *c.index)), c.root);
        }
    }
    for (int unset : {-1, 5, 9, 10}) EXPECT_FALSE(RootFromIndex(unset).has_value()) << unset;
    EXPECT_FALSE(RootFromIndexDigit('x').has_value());
    EXPECT_FALSE(RootFromIndexDigit('7').has_value());
    EXPECT_EQ(RootFullName(static_cast<RegRoot>(0x12345678)), "");
}

TEST(RegRoot, ParseKeyPathTexts) {
    struct Case {
        const char* text;
        RootNames names;
        std::optional<RegPath> expected;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\X", RootNames::FullOnly,
         RegPath{RegRoot::LocalMachine, "Software\\X"}},
        {"hkey_current_user\\Software", RootNames::FullOnly, RegPath{RegRoot::CurrentUser, "Software"}},
        {"HKEY_CLASSES_ROOT", RootNames::FullOnly, RegPath{RegRoot::ClassesRoot, ""}},
        {"HKEY_USERS\\", RootNames::FullOnly, RegPath{RegRoot::Users, ""}},
        {"HKEY_CURRENT_CONFIG\\System\\", RootNames::FullOnly,
         RegPath{RegRoot::CurrentConfig, "System\\"}},
        {"HKEY_PERFORMANCE_DATA\\X", RootNames::FullOnly, std::nullopt},
        {"HKEY_NOWHERE\\X", RootNames::FullOnly, std::nullopt},
        {"Software\\Microsoft", RootNames::FullOnly, std::nullopt},
        {"", RootNames::FullOnly, std::nullopt},
        {"\\", RootNames::FullOnly, std::nullopt},
        {"HKLM\\Software", RootNames::FullOnly, std::nullopt},
        {"HKLM\\Software", RootNames::FullOrShort, RegPath{RegRoot::LocalMachine, "Software"}},
        {"hkcu", RootNames::FullOrShort, RegPath{RegRoot::CurrentUser, ""}},
        {"HKEY_USERS\\.DEFAULT", RootNames::FullOrShort, RegPath{RegRoot::Users, ".DEFAULT"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseKeyPath(c.text, c.names), c.expected) << c.text;
    }
    EXPECT_EQ((RegPath{RegRoot::LocalMachine, "Software\\X"}).FullText(),
              "HKEY_LOCAL_MACHINE\\Software\\X");
    EXPECT_EQ((RegPath{RegRoot::Users, ""}).FullText(), "HKEY_USERS");
}

TEST(KeyPaths, LastParentAndFileNamePart) {
    struct Case {
        const char* text;
        const char* last;
        const char* parent;
        const char* fileName;
    };
    const Case cases[] = {
        {"Software\\Vendor\\App", "App", "Software\\Vendor", "app"},
        {"Software", "Software", "", "software"},
        {"", "", "", ""},
        {"Software\\", "", "Software", ""},
        {"C:\\Program Files\\App.EXE", "App.EXE", "C:\\Program Files", "app.exe"},
        {"C:App.exe", "C:App.exe", "", "app.exe"},
        {"\\\\server\\share\\File.TXT", "File.TXT", "\\\\server\\share", "file.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LastKeyName(c.text), c.last) << c.text;
        EXPECT_EQ(ParentKeyPath(c.text), c.parent) << c.text;
        EXPECT_EQ(FileNamePart(c.text), c.fileName) << c.text;
    }
}

TEST(RegValueKind, ConversionBothWays) {
    struct Case {
        RegValueKind kind;
        int number;
        std::uint32_t type;
    };
    const Case cases[] = {
        {RegValueKind::Unknown, 0, RegistryType::None},
        {RegValueKind::String, 1, RegistryType::String},
        {RegValueKind::ExpandString, 2, RegistryType::ExpandString},
        {RegValueKind::MultiString, 3, RegistryType::MultiString},
        {RegValueKind::Integer, 4, RegistryType::Dword},
        {RegValueKind::Binary, 5, RegistryType::Binary},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(c.kind), c.number);
        EXPECT_EQ(KindFromRegistryType(c.type), c.kind);
        EXPECT_EQ(RegistryTypeFromKind(c.kind), c.type);
    }
    for (std::uint32_t other : {RegistryType::Qword, RegistryType::ResourceList,
                                RegistryType::Link, RegistryType::DwordBigEndian, 0x1234u}) {
        EXPECT_EQ(KindFromRegistryType(other), RegValueKind::Unknown) << other;
    }
}

TEST(RegistryViewFlags, FromTheArchitectureText) {
    struct Case {
        const char* text;
        bool is64;
    };
    const Case cases[] = {{"64-bit", true}, {"64 bits", true}, {"x64", true},
                          {"32-bit", false}, {"", false}};
    for (const Case& c : cases) {
        RegistryViewFlags flags = ViewFlagsFromArchitecture(c.text);
        EXPECT_EQ(flags.is64BitWindows, c.is64) << c.text;
        EXPECT_EQ(flags.use64BitView, c.is64) << c.text;
    }
}

}  // namespace
}  // namespace kestrover
