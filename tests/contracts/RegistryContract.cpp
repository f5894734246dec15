// The registry contract: RegistryProvider behaviour every registry port must give.
#include "contracts/RegistryContract.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/KestroverError.h"
#include "core/Text.h"
#include "registry/KeyPaths.h"
#include "registry/RegistryProvider.h"

namespace kestrover::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Provider {
public:
    explicit Provider(RegistryPort& port, RegistryViewFlags views = {true, true})
        : context_{port, views}, provider_(context_) {}
    RegistryProvider* operator->() { return &provider_; }
    RegistryProvider& operator*() { return provider_; }
    RegistryContext& Context() { return context_; }

private:
    RegistryContext context_;
    RegistryProvider provider_;
};

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST_P(RegistryContract, OpenCreateAndCurrentPath) {
    Provider reg(Port());
    const std::string base = Scratch();
    EXPECT_FALSE(reg->OpenKey(base + "\\Missing", false));
    EXPECT_FALSE(reg->HasOpenKey());

    ASSERT_TRUE(reg->OpenKey(base + "\\Parent", true));
    EXPECT_EQ(reg->CurrentPath(), base + "\\Parent");
    // A relative path extends the open key; a leading backslash starts from the root.
    ASSERT_TRUE(reg->OpenKey("Child", true));
    EXPECT_EQ(reg->CurrentPath(), base + "\\Parent\\Child");
    ASSERT_TRUE(reg->OpenKeyReadOnly("\\" + base + "\\Parent"));
    EXPECT_EQ(reg->CurrentPath(), base + "\\Parent");
    ASSERT_TRUE(reg->OpenKeyReadOnly("Child"));
    EXPECT_EQ(reg->CurrentPath(), base + "\\Parent\\Child");

    // A failed open leaves the previous key open.
    EXPECT_FALSE(reg->OpenKeyReadOnly("\\" + base + "\\Nothing"));
    EXPECT_EQ(reg->CurrentPath(), base + "\\Parent\\Child");

    reg->CloseKey();
    EXPECT_FALSE(reg->HasOpenKey());
    EXPECT_EQ(reg->CurrentPath(), "");
    // Without an open key a relative path is taken from the root.
    ASSERT_TRUE(reg->OpenKeyReadOnly(base + "\\Parent\\"));
    EXPECT_EQ(reg->CurrentPath(), base + "\\Parent");

    // Letter case of the path does not matter.
    Provider other(Port());
    EXPECT_TRUE(other->OpenKeyReadOnly(AsciiUpper(base) + "\\PARENT\\child"));
}

TEST_P(RegistryContract, MalformedPathsOpenNothing) {
    Provider reg(Port());
    const std::string base = Scratch();
    ASSERT_TRUE(reg->OpenKey(base + "\\A\\B", true));
    reg->CloseKey();
    const std::string malformed[] = {base + "\\\\A", base + "\\A\\\\B", base + "\\A\\\\",
                                     "\\\\" + base};
    for (const std::string& path : malformed) {
        Provider fresh(Port());
        EXPECT_FALSE(fresh->OpenKeyReadOnly(path)) << path;
        EXPECT_FALSE(fresh->OpenKey(path, true)) << path;
        EXPECT_FALSE(fresh->KeyExists(path)) << path;
        EXPECT_FALSE(fresh->DeleteKey(path)) << path;
    }
    // A trailing backslash is one the provider forgives.
    EXPECT_TRUE(reg->OpenKeyReadOnly(base + "\\A\\B\\"));
    EXPECT_TRUE(reg->KeyExists("\\" + base + "\\A\\"));
}

TEST_P(RegistryContract, TypedValuesRoundTrip) {
    Provider reg(Port());
    ASSERT_TRUE(reg->OpenKey(Scratch() + "\\Values", true));
    reg->WriteString("Text", "C:\\Program Files\\App\\app.exe");
    reg->WriteExpandString("Expand", "%SystemRoot%\\system32\\x.dll");
    reg->WriteMultiString("Multi", {"one", "two", "thrée"});
    reg->WriteInteger("Number", 0xFFFFFFFFu);
    const Bytes binary = {0x00, 0x01, 0xFE, 0xFF};
    reg->WriteBinaryData("Binary", binary);
    reg->WriteString("", "default text");
    reg->WriteString("Ünïcödé Имя", "данные ✓");
    const Bytes qword = {1, 2, 3, 4, 5, 6, 7, 8};
    reg->WriteRawValue("Qword", RegistryType::Qword, qword);

    struct Case {
        const char* name;
        RegValueKind kind;
    };
    const Case cases[] = {
        {"Text", RegValueKind::String},      {"Expand", RegValueKind::ExpandString},
        {"Multi", RegValueKind::MultiString}, {"Number", RegValueKind::Integer},
        {"Binary", RegValueKind::Binary},    {"", RegValueKind::String},
        {"Qword", RegValueKind::Unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reg->GetDataType(c.name), c.kind) << c.name;
        EXPECT_TRUE(reg->ValueExists(c.name)) << c.name;
    }
    EXPECT_EQ(reg->GetDataType("Missing"), RegValueKind::Unknown);
    EXPECT_EQ(reg->GetDataSize("Missing"), -1);
    EXPECT_FALSE(reg->ValueExists("Missing"));

    EXPECT_EQ(reg->ReadString("Text"), "C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(reg->ReadString("Expand"), "%SystemRoot%\\system32\\x.dll");
    EXPECT_EQ(reg->ReadString(""), "default text");
    EXPECT_EQ(reg->ReadString("ünïcödé имя"), "данные ✓");
    EXPECT_EQ(reg->ReadMultiString("Multi"), (std::vector<std::string>{"one", "two", "thrée"}));
    EXPECT_EQ(reg->ReadInteger("Number"), 0xFFFFFFFFu);
    EXPECT_EQ(reg->GetDataSize("Number"), 4);
    EXPECT_EQ(reg->GetDataSize("Binary"), 4);
    // Strings are stored as the W functions store them: UTF-16 with a terminating zero.
    EXPECT_EQ(reg->GetDataSize("Text"), 2 * (28 + 1));

    std::uint8_t buffer[16] = {};
    EXPECT_EQ(reg->ReadBinaryData("Binary", buffer, sizeof buffer), 4u);
    EXPECT_EQ(Bytes(buffer, buffer + 4), binary);
    EXPECT_EQ(reg->ReadBinaryData("Qword", buffer, sizeof buffer), 8u);
    EXPECT_EQ(reg->ReadBinaryData("Missing", buffer, sizeof buffer), 0u);

    auto raw = reg->ReadRawValue("Qword");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, RegistryType::Qword);
    EXPECT_EQ(raw->bytes, qword);

    // Overwriting keeps one value of the name.
    reg->WriteString("text", "second");
    std::vector<std::string> names;
    reg->GetValueNames(names);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return EqualsNoCase(n, "text"); }),
              1);
    EXPECT_EQ(reg->ReadString("Text"), "second");
}

TEST_P(RegistryContract, ReadsOfTheWrongKindRaise) {
    Provider reg(Port());
    ASSERT_TRUE(reg->OpenKey(Scratch() + "\\Kinds", true));
    reg->WriteInteger("Number", 7);
    reg->WriteString("Text", "x");
    reg->WriteBinaryData("Big", Bytes(64, 0xAB));
    std::uint8_t buffer[8];
    EXPECT_THROW(reg->ReadString("Number"), KestroverError);
    EXPECT_THROW(reg->ReadInteger("Text"), KestroverError);
    EXPECT_THROW(reg->ReadInteger("Missing"), KestroverError);
    EXPECT_THROW(reg->ReadBinaryData("Text", buffer, sizeof buffer), KestroverError);
    EXPECT_THROW(reg->ReadBinaryData("Big", buffer, sizeof buffer), KestroverError);
    try {
        reg->ReadString("Number");
    } catch (const KestroverError& error) {
        EXPECT_NE(std::string(error.what()).find("Number"), std::string::npos);
    }
    // A missing string value reads as empty text.
    EXPECT_EQ(reg->ReadString("Missing"), "");
}

TEST_P(RegistryContract, StringsStopAtTheirFirstZero) {
    Provider reg(Port());
    ASSERT_TRUE(reg->OpenKey(Scratch() + "\\Zeros", true));
    const Bytes embedded = {'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0};  // "ab\0c\0" in UTF-16LE
    reg->WriteRawValue("Embedded", RegistryType::String, embedded);
    reg->WriteRawValue("Empty", RegistryType::String, Bytes{});
    reg->WriteRawValue("Unterminated", RegistryType::ExpandString, Bytes{'x', 0, 'y', 0});
    EXPECT_EQ(reg->ReadString("Embedded"), "ab");
    EXPECT_EQ(reg->ReadString("Empty"), "");
    EXPECT_EQ(reg->ReadString("Unterminated"), "xy");
    EXPECT_EQ(reg->ReadRawValue("Embedded")->bytes, embedded);
}

TEST_P(RegistryContract, BinaryAsText) {
    Provider reg(Port());
    ASSERT_TRUE(reg->OpenKey(Scratch() + "\\AsText", true));
    Bytes twentySix;
    for (int i = 0; i < 26; ++i) twentySix.push_back(static_cast<std::uint8_t>(i == 1 ? 0 : 'A' + i));
    reg->WriteBinaryData("TwentySix", twentySix);
    reg->WriteBinaryData("TwentyFive", Bytes(25, 0x10));
    reg->WriteBinaryData("Big", Bytes(3001, 0x41));
    reg->WriteBinaryData("Limit", Bytes(3000, 0x41));

    BinaryText text = reg->ReadBinaryAsText("TwentySix");
    EXPECT_EQ(text.text.substr(0, 6), "A²²C");
    EXPECT_EQ(text.hex.substr(0, 9), "41,00,43,");
    // A backslash and line end follow the comma of the 25th byte; no comma ends the text.
    EXPECT_EQ(text.hex.substr(72, 6), "59,\\\r\n");
    EXPECT_EQ(text.hex.substr(78), "5A");

    EXPECT_EQ(reg->ReadBinaryAsText("TwentyFive").hex.substr(72), "10,\\\r\n");
    BinaryText big = reg->ReadBinaryAsText("Big");
    EXPECT_EQ(big.hex, "");
    EXPECT_EQ(big.text.size(), 3001u);
    EXPECT_FALSE(reg->ReadBinaryAsText("Limit").hex.empty());
    EXPECT_EQ(reg->ReadBinaryAsText("Missing").text, "");
}

TEST_P(RegistryContract, EnumerationOrder) {
    Provider reg(Port());
    ASSERT_TRUE(reg->OpenKey(Scratch() + "\\Order", true));
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Beta1", "10", "9", "Ärger"}) {
        Provider child(Port());
        ASSERT_TRUE(child->OpenKey(reg->CurrentPath() + "\\" + name, true));
    }
    for (const char* name : {"zeta", "Eta", "", "alpha"}) reg->WriteString(name, "v");

    std::vector<std::string> keys;
    reg->GetKeyNames(keys);
    // Subkeys come sorted without regard to case. (Names with the characters between "Z" and
    // "a" are left out here: Windows sorts them after the letters, Wine before.)
    EXPECT_EQ(keys, (std::vector<std::string>{"10", "9", "Alpha", "ALPHA2", "beta", "Beta1",
                                              "gamma", "Ärger"}));
    std::vector<std::string> values;
    reg->GetValueNames(values);
    if (Harness().ValuesInCreationOrder()) {
        EXPECT_EQ(values, (std::vector<std::string>{"zeta", "Eta", "", "alpha"}));
    } else {
        EXPECT_EQ(Sorted(values), Sorted({"zeta", "Eta", "", "alpha"}));
    }
    // Lists are cleared first; no open key gives nothing.
    reg->CloseKey();
    reg->GetKeyNames(keys);
    reg->GetValueNames(values);
    EXPECT_TRUE(keys.empty());
    EXPECT_TRUE(values.empty());
}

TEST_P(RegistryContract, DeleteValueAndKeys) {
    Provider reg(Port());
    const std::string tree = Scratch() + "\\Tree";
    for (const char* path : {"\\A\\A1\\A11\\A111", "\\A\\A2", "\\B", "\\C\\C1"}) {
        Provider maker(Port());
        ASSERT_TRUE(maker->OpenKey(tree + path, true));
        maker->WriteString("v", "1");
        maker->WriteInteger("n", 1);
    }
    EXPECT_EQ(reg->CountKey(RegRoot::CurrentUser, tree), 8);
    EXPECT_EQ(reg->CountKey(RegRoot::CurrentUser, tree + "\\A"), 4);
    EXPECT_EQ(reg->CountKey(RegRoot::CurrentUser, tree + "\\Missing"), 0);

    ASSERT_TRUE(reg->OpenKey(tree + "\\B", false));
    EXPECT_TRUE(reg->DeleteValue("v"));
    EXPECT_FALSE(reg->DeleteValue("v"));
    EXPECT_FALSE(reg->ValueExists("v"));
    reg->CloseKey();

    // The whole nested subtree goes, deepest keys first.
    EXPECT_TRUE(reg->DeleteKey(tree + "\\A"));
    EXPECT_FALSE(reg->KeyExists(tree + "\\A"));
    EXPECT_FALSE(reg->KeyExists(tree + "\\A\\A1\\A11"));
    EXPECT_TRUE(reg->KeyExists(tree + "\\C\\C1"));
    EXPECT_FALSE(reg->DeleteKey(tree + "\\A"));
    EXPECT_FALSE(reg->DeleteKey(""));

    // A relative path is taken from the open key.
    ASSERT_TRUE(reg->OpenKey(tree, false));
    EXPECT_TRUE(reg->DeleteKey("C"));
    EXPECT_FALSE(reg->KeyExists("C"));
    EXPECT_TRUE(reg->KeyExists("B"));
    std::vector<std::string> keys;
    reg->GetKeyNames(keys);
    EXPECT_EQ(keys, std::vector<std::string>{"B"});
}

TEST_P(RegistryContract, ReadDeniedKeyExistsButDoesNotOpen) {
    Provider reg(Port());
    const std::string locked = Scratch() + "\\Locked";
    ASSERT_TRUE(reg->OpenKey(locked + "\\Inner", true));
    reg->CloseKey();
    if (!Harness().DenyRead(RegRoot::CurrentUser, locked)) GTEST_SKIP() << "cannot deny reading";
    EXPECT_TRUE(reg->KeyExists(locked));
    EXPECT_FALSE(reg->OpenKeyReadOnly(locked));
    EXPECT_FALSE(reg->OpenKey(locked, false));
    EXPECT_EQ(reg->CountKey(RegRoot::CurrentUser, locked), 0);
    EXPECT_FALSE(reg->KeyExists(locked + "Other"));
}

TEST_P(RegistryContract, WriteDeniedKeyOpensOnlyForReading) {
    Provider reg(Port());
    const std::string locked = Scratch() + "\\ReadOnly";
    ASSERT_TRUE(reg->OpenKey(locked, true));
    reg->WriteString("v", "kept");
    reg->CloseKey();
    if (!Harness().DenyWrite(RegRoot::CurrentUser, locked)) GTEST_SKIP() << "cannot deny writing";
    EXPECT_TRUE(reg->KeyExists(locked));
    EXPECT_FALSE(reg->OpenKey(locked, false));  // the scan's test for write access
    ASSERT_TRUE(reg->OpenKeyReadOnly(locked));
    EXPECT_EQ(reg->ReadString("v"), "kept");
    EXPECT_THROW(reg->WriteString("v", "changed"), KestroverError);
    EXPECT_FALSE(reg->DeleteValue("v"));
    EXPECT_FALSE(reg->DeleteKey(locked));
}

TEST_P(RegistryContract, RefusedWriteRaisesNamingTheValue) {
    Provider reg(Port());
    ASSERT_TRUE(reg->OpenKey(Scratch() + "\\Refuse", true));
    if (!Harness().FailNextWrite()) GTEST_SKIP() << "cannot refuse a write";
    try {
        reg->WriteString("Victim", "x");
        FAIL() << "the write was not refused";
    } catch (const KestroverError& error) {
        EXPECT_NE(std::string(error.what()).find("Victim"), std::string::npos);
    }
    EXPECT_FALSE(reg->ValueExists("Victim"));
    reg->WriteString("Victim", "y");  // only the next write failed
    EXPECT_EQ(reg->ReadString("Victim"), "y");
}

TEST_P(RegistryContract, ThirtyTwoBitViewIsRedirected) {
    if (!Harness().Is64BitWindows() || !Harness().CanWriteLocalMachine()) {
        GTEST_SKIP() << "needs 64-bit Windows and a writable HKEY_LOCAL_MACHINE";
    }
    const std::string name = "KestroverView" + LastKeyName(Scratch());
    RegistryContext context{Port(), {true, false}};
    {
        RegistryProvider reg32(context);
        reg32.SetRootKey(RegRoot::LocalMachine);
        ASSERT_TRUE(reg32.OpenKey("Software\\" + name, true));
        reg32.WriteString("seen", "32");
        reg32.CloseKey();
        EXPECT_TRUE(reg32.OpenKeyReadOnly("Software\\" + name));
        EXPECT_EQ(reg32.ReadString("seen"), "32");
    }
    context.views.use64BitView = true;
    RegistryProvider reg64(context);
    reg64.SetRootKey(RegRoot::LocalMachine);
    EXPECT_FALSE(reg64.KeyExists("Software\\" + name));
    ASSERT_TRUE(reg64.OpenKeyReadOnly("Software\\Wow6432Node\\" + name));
    EXPECT_EQ(reg64.ReadString("seen"), "32");
    reg64.CloseKey();

    // Deleting through the 32-bit view removes the redirected key.
    context.views.use64BitView = false;
    RegistryProvider delete32(context);
    delete32.SetRootKey(RegRoot::LocalMachine);
    EXPECT_TRUE(delete32.DeleteKey("Software\\" + name));
    context.views.use64BitView = true;
    EXPECT_FALSE(reg64.KeyExists("Software\\Wow6432Node\\" + name));
}

}  // namespace
}  // namespace kestrover::testing

namespace kestrover::testing {
namespace {

TEST_P(RegistryContract, AllValuesInOnePass) {
    RegistryContext context{Port(), {true, true}};
    RegistryProvider reg(context);
    std::vector<RegistryValue> values;
    EXPECT_FALSE(reg.ReadAllValues(values));  // no key open
    ASSERT_TRUE(reg.OpenKey(Scratch() + "\\OnePass", true));
    reg.WriteString("", "default");
    reg.WriteInteger("n", 42);
    const std::vector<std::uint8_t> big(70000, 0x5A);
    reg.WriteBinaryData("big", big);
    ASSERT_TRUE(reg.ReadAllValues(values));
    ASSERT_EQ(values.size(), 3u);
    std::sort(values.begin(), values.end(),
              [](const RegistryValue& a, const RegistryValue& b) { return a.name < b.name; });
    EXPECT_EQ(values[0].name, "");
    EXPECT_EQ(values[0].data.type, RegistryType::String);
    EXPECT_EQ(values[1].name, "big");
    EXPECT_EQ(values[1].data.bytes, big);
    EXPECT_EQ(values[2].data.bytes, (std::vector<std::uint8_t>{42, 0, 0, 0}));
}

}  // namespace
}  // namespace kestrover::testing
