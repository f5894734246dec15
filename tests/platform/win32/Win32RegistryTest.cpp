// The Win32 registry port under Wine: the contract suite, and what only the real registry shows
// (stored bytes kept exactly, native error codes, names the W functions cannot take).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32RegistryHarness.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract,
                         ::testing::Values(RegistryHarnessFactory{
                             "Win32", [] { return std::make_unique<Win32RegistryHarness>(); }}),
                         [](const ::testing::TestParamInfo<RegistryHarnessFactory>& info) {
                             return info.param.name;
                         });

class Win32RegistryTest : public ::testing::Test {
protected:
    std::unique_ptr<RegistryKey> Create(const std::string& relative,
                                        std::uint32_t access = KeyAccess::AllAccess) {
        auto key = harness_.Port().CreateKey(PredefinedKey::CurrentUser, Path(relative), access);
        EXPECT_TRUE(key.ok()) << relative << ": " << (key.ok() ? "" : key.error().Describe());
        return key.ok() ? std::move(key).value() : nullptr;
    }
    std::string Path(const std::string& relative) {
        return relative.empty() ? harness_.ScratchPath() : harness_.ScratchPath() + "\\" + relative;
    }

    Win32RegistryHarness harness_;
};

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

// RegSetValueExW adds a terminator to string data that lacks one when a zero happens to follow
// it in memory, and the reads size their buffers from the key information and retry when a
// value is larger: every case must read back the bytes it stored.
TEST_F(Win32RegistryTest, StoredBytesReadBackExactly) {
    struct Case {
        const char* name;
        std::uint32_t type;
        Bytes bytes;
    };
    const Case cases[] = {
        {"string unterminated", RegistryType::String, {'a', 0, 'b', 0}},
        {"string odd size", RegistryType::String, {'a', 0, 'b'}},
        {"string one byte", RegistryType::String, {'a'}},
        {"string empty", RegistryType::String, {}},
        {"string terminated", RegistryType::String, {'a', 0, 0, 0}},
        {"expand unterminated", RegistryType::ExpandString, {'%', 0, 'x', 0}},
        {"multi without final zero", RegistryType::MultiString, {'a', 0, 0, 0, 'b', 0}},
        {"binary empty", RegistryType::Binary, {}},
        {"binary large", RegistryType::Binary, Pattern(1000)},
        {"binary very large", RegistryType::Binary, Pattern(200000)},
        {"string large", RegistryType::String, Bytes(5000, 'x')},
        {"dword", RegistryType::Dword, {1, 2, 3, 4}},
        {"none", RegistryType::None, {9, 8}},
        {"unnamed type", 0x12345, {7}},
    };
    auto key = Create("Bytes");
    ASSERT_TRUE(key);
    for (const Case& c : cases) ASSERT_TRUE(key->SetValue(c.name, c.type, c.bytes).ok()) << c.name;

    auto values = key->Values();
    ASSERT_TRUE(values.ok());
    EXPECT_EQ(values->size(), std::size(cases));
    for (const Case& c : cases) {
        auto queried = key->QueryValue(c.name);
        ASSERT_TRUE(queried.ok()) << c.name;
        EXPECT_EQ(queried->type, c.type) << c.name;
        EXPECT_EQ(queried->bytes, c.bytes) << c.name;
        auto listed = std::find_if(values->begin(), values->end(),
                                   [&](const RegistryValue& v) { return v.name == c.name; });
        ASSERT_NE(listed, values->end()) << c.name;
        EXPECT_EQ(listed->data.type, c.type) << c.name;
        EXPECT_EQ(listed->data.bytes, c.bytes) << c.name;
    }
}

TEST_F(Win32RegistryTest, NamesBeyondAsciiAndLongNamesRoundTrip) {
    const std::string longName(300, 'n');
    const std::string names[] = {"Ünïcödé", "Имя ✓", "日本語", "emoji \xF0\x9F\x98\x80", longName};
    auto key = Create("Names");
    ASSERT_TRUE(key);
    for (const std::string& name : names) {
        ASSERT_TRUE(key->SetValue(name, RegistryType::Dword, Bytes{1, 0, 0, 0}).ok()) << name;
        if (name.size() < 256) {
            ASSERT_TRUE(Create("Names\\" + name)) << name;
        }
    }
    auto valueNames = key->ValueNames();
    ASSERT_TRUE(valueNames.ok());
    auto subkeyNames = key->SubkeyNames();
    ASSERT_TRUE(subkeyNames.ok());
    for (const std::string& name : names) {
        EXPECT_NE(std::find(valueNames->begin(), valueNames->end(), name), valueNames->end())
            << name;
        if (name.size() < 256) {
            EXPECT_NE(std::find(subkeyNames->begin(), subkeyNames->end(), name), subkeyNames->end())
                << name;
        }
    }
}

// The W functions take zero-terminated names: "A\0B" must not reach the key or value "A".
TEST_F(Win32RegistryTest, NamesWithZeroCharactersAreRefused) {
    const std::string withZero("A\0B", 3);
    auto key = Create("Zero");
    ASSERT_TRUE(key);
    ASSERT_TRUE(Create("Zero\\A"));
    ASSERT_TRUE(key->SetValue("A", RegistryType::Dword, Bytes{1, 0, 0, 0}).ok());

    EXPECT_EQ(key->DeleteSubkey(withZero, 0).code(), ErrorCode::InvalidData);
    EXPECT_EQ(key->DeleteValue(withZero).code(), ErrorCode::InvalidData);
    EXPECT_EQ(key->QueryValue(withZero).code(), ErrorCode::InvalidData);
    EXPECT_EQ(key->SetValue(withZero, RegistryType::Dword, Bytes{2, 0, 0, 0}).code(),
              ErrorCode::InvalidData);
    auto& port = harness_.Port();
    EXPECT_EQ(
        port.OpenKey(PredefinedKey::CurrentUser, Path("Zero\\") + withZero, KeyAccess::Read).code(),
        ErrorCode::InvalidData);
    EXPECT_EQ(
        port.CreateKey(PredefinedKey::CurrentUser, Path("Zero\\") + withZero, KeyAccess::AllAccess)
            .code(),
        ErrorCode::InvalidData);

    auto value = key->QueryValue("A");
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(value->bytes, (Bytes{1, 0, 0, 0}));
    EXPECT_TRUE(port.OpenKey(PredefinedKey::CurrentUser, Path("Zero\\A"), KeyAccess::Read).ok());
}

TEST_F(Win32RegistryTest, FailuresCarryTheirCodes) {
    auto& port = harness_.Port();
    auto missing = port.OpenKey(PredefinedKey::CurrentUser, Path("Missing"), KeyAccess::Read);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), ErrorCode::NotFound);
    EXPECT_EQ(missing.error().nativeCode, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(missing.error().context.find("HKEY_CURRENT_USER\\" + Path("Missing")),
              std::string::npos)
        << missing.error().context;

    auto parent = Create("Parent");
    ASSERT_TRUE(parent);
    ASSERT_TRUE(Create("Parent\\Child\\Grandchild"));
    EXPECT_EQ(parent->QueryValue("Missing").code(), ErrorCode::NotFound);
    EXPECT_EQ(parent->DeleteValue("Missing").code(), ErrorCode::NotFound);
    EXPECT_EQ(parent->DeleteSubkey("Missing", 0).code(), ErrorCode::NotFound);
    // Windows deletes only keys without subkeys, and refuses others as access denied.
    EXPECT_EQ(parent->DeleteSubkey("Child", 0).code(), ErrorCode::AccessDenied);
    // An empty name would delete the open key itself.
    EXPECT_EQ(parent->DeleteSubkey("", 0).code(), ErrorCode::InvalidData);
    EXPECT_TRUE(
        port.OpenKey(PredefinedKey::CurrentUser, Path("Parent\\Child\\Grandchild"), KeyAccess::Read)
            .ok());

    // The rights a key was opened with are checked on every call.
    auto readOnly = port.OpenKey(PredefinedKey::CurrentUser, Path("Parent"), KeyAccess::Read);
    ASSERT_TRUE(readOnly.ok());
    EXPECT_EQ((*readOnly)->SetValue("v", RegistryType::Dword, Bytes{1, 0, 0, 0}).code(),
              ErrorCode::AccessDenied);
    auto enumerateOnly =
        port.OpenKey(PredefinedKey::CurrentUser, Path("Parent"), KeyAccess::QueryValue);
    ASSERT_TRUE(enumerateOnly.ok());
    EXPECT_EQ((*enumerateOnly)->SubkeyNames().code(), ErrorCode::AccessDenied);
}

TEST_F(Win32RegistryTest, PredefinedKeysAreTheSystemRoots) {
    struct Case {
        PredefinedKey root;
        HKEY handle;
    };
    const Case cases[] = {
        {PredefinedKey::ClassesRoot, HKEY_CLASSES_ROOT},
        {PredefinedKey::CurrentUser, HKEY_CURRENT_USER},
        {PredefinedKey::LocalMachine, HKEY_LOCAL_MACHINE},
        {PredefinedKey::Users, HKEY_USERS},
        {PredefinedKey::PerformanceData, HKEY_PERFORMANCE_DATA},
        {PredefinedKey::CurrentConfig, HKEY_CURRENT_CONFIG},
        {PredefinedKey::DynData, HKEY_DYN_DATA},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Win32Registry::RootHandle(c.root), c.handle)
            << static_cast<std::uint32_t>(c.root);
    }
    // The roots open, and well-known keys of a fresh system are found below them.
    auto& port = harness_.Port();
    EXPECT_TRUE(port.OpenKey(PredefinedKey::LocalMachine,
                             "Software\\Microsoft\\Windows\\CurrentVersion",
                             KeyAccess::Read | KeyAccess::Wow64_64Key)
                    .ok());
    EXPECT_TRUE(port.OpenKey(PredefinedKey::ClassesRoot, "", KeyAccess::Read).ok());
    auto classes = port.OpenKey(PredefinedKey::ClassesRoot, "CLSID", KeyAccess::Read);
    ASSERT_TRUE(classes.ok());
    auto clsids = (*classes)->SubkeyNames();
    ASSERT_TRUE(clsids.ok());
    EXPECT_GT(clsids->size(), 10u);
}

}  // namespace
}  // namespace kestrover::testing
