// The Win32 security and shell ports under Wine: the user, privileges, key owners and access
// lists, taking ownership of a key that shuts the user out, and the registry editor's LastKey.
#include <gtest/gtest.h>

#include <string>

#include "core/KestroverError.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WindowsApi.h"
#include "repair/KeyOwnership.h"

namespace kestrover {
namespace {

// A scratch key below HKEY_CURRENT_USER\Software for one test, removed afterwards whatever its
// security has become.
class Win32SecurityTest : public ::testing::Test {
protected:
    Win32SecurityTest()
        : path_("Software\\KestroverSecurityTest" + std::to_string(::GetCurrentProcessId())) {
        HKEY key = nullptr;
        EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, win32::ToWide(path_ + "\\Child").c_str(), 0,
                                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (key) ::RegCloseKey(key);
    }
    ~Win32SecurityTest() override {
        // Whatever a test left, the key is made deletable again before it goes.
        for (const std::string& path : {path_ + "\\Child", path_}) {
            std::string list;
            try {
                (void)TakeKeyOwnership(security_, {true, true}, PredefinedKey::CurrentUser, path,
                                       list);
            } catch (...) {
            }
            auto key =
                security_.OpenKeySecurity(PredefinedKey::CurrentUser, path, KeyAccess::WriteDac);
            if (key) (void)(*key)->SetAccessList("D:(A;OICI;GA;;;WD)");
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(path_).c_str());
    }

    bool OpensForAll(const std::string& path) {
        HKEY key = nullptr;
        LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, win32::ToWide(path).c_str(), 0,
                                         KEY_ALL_ACCESS, &key);
        if (key) ::RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    // The key gets a protected list that lets everyone read and only the system account do
    // more; with systemOwner it is given to the system account too.
    void Lock(const std::string& path, bool systemOwner) {
        auto key = security_.OpenKeySecurity(
            PredefinedKey::CurrentUser, path,
            KeyAccess::WriteOwner | KeyAccess::WriteDac | KeyAccess::ReadControl);
        ASSERT_TRUE(key.ok()) << key.error().Describe();
        ASSERT_TRUE((*key)->SetAccessList("D:P(A;OICI;GA;;;SY)(A;OICI;KR;;;WD)"));
        if (!systemOwner) return;
        ASSERT_TRUE(security_.SetPrivilege(PrivilegeName::Restore, PrivilegeState::Enabled));
        ASSERT_TRUE((*key)->SetOwner("SY"));
        ASSERT_TRUE(security_.SetPrivilege(PrivilegeName::Restore, PrivilegeState::Disabled));
    }

    // Wine 8 does not let the take-ownership privilege open a key for an owner change, and keeps
    // key security only while its server runs: a key given to the system account stays out of
    // reach until then.
    static bool UnderWine() {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
    }

    Win32Security security_;
    std::string path_;
};

TEST_F(Win32SecurityTest, CurrentUserAndPrivileges) {
    Result<std::string> user = security_.CurrentUserSid();
    ASSERT_TRUE(user.ok()) << user.error().Describe();
    EXPECT_TRUE(user->starts_with("S-1-5-")) << *user;
    EXPECT_TRUE(security_.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Enabled));
    EXPECT_TRUE(security_.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Disabled));
    EXPECT_FALSE(security_.SetPrivilege("SeNoSuchPrivilege", PrivilegeState::Enabled));
}

TEST_F(Win32SecurityTest, OwnerAndAccessListRoundTrip) {
    auto key = security_.OpenKeySecurity(
        PredefinedKey::CurrentUser, path_,
        KeyAccess::ReadControl | KeyAccess::WriteDac | KeyAccess::WriteOwner);
    ASSERT_TRUE(key.ok()) << key.error().Describe();
    Result<std::string> list = (*key)->AccessList();
    ASSERT_TRUE(list.ok()) << list.error().Describe();
    EXPECT_TRUE(list->starts_with("D:")) << *list;
    ASSERT_TRUE((*key)->SetAccessList("D:P(A;OICI;GA;;;WD)(A;;KR;;;BU)"));
    list = (*key)->AccessList();
    ASSERT_TRUE(list.ok());
    EXPECT_NE(list->find("(A;;KR;;;BU)"), std::string::npos) << *list;
    EXPECT_NE(list->find("WD)"), std::string::npos) << *list;

    ASSERT_TRUE((*key)->SetOwner(*security_.CurrentUserSid()));
    EXPECT_EQ(*(*key)->Owner(), *security_.CurrentUserSid());
    EXPECT_FALSE(security_
                     .OpenKeySecurity(PredefinedKey::CurrentUser, path_ + "\\Missing",
                                      KeyAccess::ReadControl)
                     .ok());
}

TEST_F(Win32SecurityTest, TheOwnerOfALockedKeyGetsFullControlBack) {
    // The user (an administrator) still owns the key, which grants owners the right to change
    // its list: the owner change is refused, silently, and the list is what gives access back.
    Lock(path_, false);
    ASSERT_FALSE(OpensForAll(path_));
    std::string before;
    ASSERT_TRUE(
        TakeKeyOwnership(security_, {true, true}, PredefinedKey::CurrentUser, path_, before));
    EXPECT_TRUE(before.starts_with("D:")) << before;
    EXPECT_TRUE(OpensForAll(path_));
    auto key = security_.OpenKeySecurity(PredefinedKey::CurrentUser, path_, KeyAccess::ReadControl);
    ASSERT_TRUE(key.ok());
    EXPECT_NE((*key)->AccessList()->find(FullControlEntry(*security_.CurrentUserSid())),
              std::string::npos);
}

TEST_F(Win32SecurityTest, TakingOwnershipOfAKeyTheSystemOwns) {
    if (UnderWine()) GTEST_SKIP() << "Wine 8 does not honour SeTakeOwnershipPrivilege";
    Lock(path_, true);
    ASSERT_FALSE(OpensForAll(path_));
    std::string before;
    ASSERT_TRUE(
        TakeKeyOwnership(security_, {true, true}, PredefinedKey::CurrentUser, path_, before));
    EXPECT_TRUE(OpensForAll(path_));
    auto key = security_.OpenKeySecurity(PredefinedKey::CurrentUser, path_, KeyAccess::ReadControl);
    ASSERT_TRUE(key.ok());
    EXPECT_EQ(*(*key)->Owner(), *security_.CurrentUserSid());
    // The new entry reaches the keys that exist below.
    EXPECT_TRUE(OpensForAll(path_ + "\\Child"));
}

TEST_F(Win32SecurityTest, AKeyWhosePermissionsDoNotOpenRaisesWithTheSystemsMessage) {
    std::string before;
    try {
        (void)TakeKeyOwnership(security_, {true, true}, PredefinedKey::CurrentUser,
                               path_ + "\\Missing", before);
        FAIL() << "no error raised";
    } catch (const KestroverError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("KestroverSecurityTest"), std::string::npos) << message;
        EXPECT_NE(message.find("(code 2)"), std::string::npos) << message;
    }
}

TEST(Win32ShellTest, TheRegistryEditorOpensOnLastKey) {
    // A stand-in editor that ends at once, so no window is left behind.
    Win32Shell shell(L"cmd.exe /c exit 0");
    const std::string target = "HKEY_CURRENT_USER\\Software\\Kestrover Editor Test";
    ASSERT_TRUE(shell.OpenRegistryEditor(target));
    wchar_t text[512] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
                             L"LastKey", RRF_RT_REG_SZ, nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(win32::FromWide(text), target);
    EXPECT_FALSE(Win32Shell(L"Z:\\no\\such\\editor.exe").OpenRegistryEditor(target));
}

}  // namespace
}  // namespace kestrover
