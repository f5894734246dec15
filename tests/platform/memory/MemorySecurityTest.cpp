// Key security in the in-memory registry: access lists decide what a key opens for, with
// inheritance, the owner's implicit rights and the take-ownership privilege; the security port
// reads and changes owners and lists as the system does.
#include <gtest/gtest.h>

#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/ports/AccessListText.h"

namespace kestrover {
namespace {

constexpr const char* kUser = "S-1-5-21-1000-1000-1000-1001";
constexpr const char* kKey = "Software\\Locked";
constexpr const char* kChild = "Software\\Locked\\Child";
constexpr const char* kGrandchild = "Software\\Locked\\Child\\Grand";

class MemorySecurityTest : public ::testing::Test {
protected:
    MemorySecurityTest() {
        EXPECT_TRUE(
            registry_.CreateKey(PredefinedKey::CurrentUser, kGrandchild, KeyAccess::AllAccess)
                .ok());
    }

    bool Opens(const char* path, std::uint32_t access) {
        return registry_.OpenKey(PredefinedKey::CurrentUser, path, access).ok();
    }
    void Lock(const char* owner, const char* list, const char* path = kKey) {
        ASSERT_TRUE(registry_.SetKeySecurity(PredefinedKey::CurrentUser, path, owner, list));
    }

    MemoryRegistry registry_;
    MemorySecurity security_{registry_};
};

TEST_F(MemorySecurityTest, AccessListsDecideWhatAKeyOpensFor) {
    struct Case {
        const char* name;
        const char* list;
        std::uint32_t access;
        bool opens;
    };
    const std::string user = kUser;
    const Case cases[] = {
        {"no list at all grants everything", nullptr, KeyAccess::AllAccess, true},
        {"no access control grants everything", "D:NO_ACCESS_CONTROL", KeyAccess::AllAccess, true},
        {"an empty list grants nothing", "D:", KeyAccess::Read, false},
        {"read for everyone: read", "D:(A;;KR;;;WD)", KeyAccess::Read, true},
        {"read for everyone: not all", "D:(A;;KR;;;WD)", KeyAccess::AllAccess, false},
        {"all for the user by SID", "D:(A;;KA;;;S-1-5-21-1000-1000-1000-1001)",
         KeyAccess::AllAccess, true},
        {"all for another user", "D:(A;;KA;;;S-1-5-21-1-2-3-1002)", KeyAccess::Read, false},
        {"all for the users group", "D:(A;;GA;;;BU)", KeyAccess::AllAccess, true},
        {"all for the administrators only", "D:(A;;GA;;;BA)", KeyAccess::Read, false},
        {"rights add up across entries", "D:(A;;KR;;;WD)(A;;KW;;;BU)(A;;SDWDWO;;;AU)(A;;0x20;;;WD)",
         KeyAccess::AllAccess, true},
        {"a deny first wins", "D:(D;;0x6;;;WD)(A;;GA;;;WD)", KeyAccess::Write, false},
        {"a deny first leaves other rights", "D:(D;;0x6;;;WD)(A;;GA;;;WD)", KeyAccess::Read, true},
        // KEY_WRITE holds READ_CONTROL, which KEY_READ asks for too.
        {"denying KW denies reading", "D:(D;;KW;;;WD)(A;;GA;;;WD)", KeyAccess::Read, false},
        {"a deny after the grant is not reached", "D:(A;;GA;;;WD)(D;;GA;;;WD)",
         KeyAccess::AllAccess, true},
        {"inherit-only entries are for the keys below", "D:(A;CIIO;GA;;;WD)", KeyAccess::Read,
         false},
        {"view flags are no rights", "D:(A;;KR;;;WD)", KeyAccess::Read | KeyAccess::Wow64_64Key,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(
            registry_.SetKeySecurity(PredefinedKey::CurrentUser, kKey, "SY",
                                     c.list ? std::optional<std::string>(c.list) : std::nullopt));
        EXPECT_EQ(Opens(kKey, c.access), c.opens);
    }
}

TEST_F(MemorySecurityTest, SubkeysInheritContainerEntriesUpToAProtectedList) {
    struct Case {
        const char* name;
        const char* parentList;
        const char* childList;  // nullptr: the child has none of its own
        bool childOpensForAll;
    };
    const Case cases[] = {
        {"a container entry reaches the child", "D:(A;OICI;GA;;;WD)", nullptr, true},
        {"an object-only entry does not", "D:(A;OI;GA;;;WD)", nullptr, false},
        {"a no-propagate entry reaches the child", "D:(A;CINP;GA;;;WD)", nullptr, true},
        {"inherit-only on the parent still reaches the child", "D:(A;CIIO;GA;;;WD)", nullptr, true},
        {"the child's own entries come first", "D:(A;CI;GA;;;WD)", "D:(D;;KW;;;WD)", false},
        {"a protected child inherits nothing", "D:(A;CI;GA;;;WD)", "D:P(A;;KR;;;WD)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lock("SY", c.parentList);
        ASSERT_TRUE(registry_.SetKeySecurity(
            PredefinedKey::CurrentUser, kChild, "SY",
            c.childList ? std::optional<std::string>(c.childList) : std::nullopt));
        EXPECT_EQ(Opens(kChild, KeyAccess::AllAccess), c.childOpensForAll);
    }
    // No-propagate entries stop after one level.
    Lock("SY", "D:(A;CINP;GA;;;WD)");
    ASSERT_TRUE(registry_.SetKeySecurity(PredefinedKey::CurrentUser, kChild, "", std::nullopt));
    EXPECT_TRUE(Opens(kChild, KeyAccess::Read));
    EXPECT_FALSE(Opens(kGrandchild, KeyAccess::Read));
}

TEST_F(MemorySecurityTest, TheOwnerMayAlwaysReadAndChangeTheList) {
    Lock(kUser, "D:");
    EXPECT_FALSE(Opens(kKey, KeyAccess::Read));
    EXPECT_TRUE(Opens(kKey, KeyAccess::ReadControl | KeyAccess::WriteDac));
    EXPECT_FALSE(Opens(kKey, KeyAccess::WriteOwner));
    Lock("SY", "D:");
    EXPECT_FALSE(Opens(kKey, KeyAccess::ReadControl));
}

TEST_F(MemorySecurityTest, TheTakeOwnershipPrivilegeOpensForAnOwnerChangeOnlyWhileEnabled) {
    Lock("SY", "D:");
    // A plain user does not hold it.
    EXPECT_FALSE(security_.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Enabled));
    EXPECT_FALSE(Opens(kKey, KeyAccess::WriteOwner));

    registry_.Token() = MemoryRegistry::AccessToken::Administrator();
    EXPECT_FALSE(Opens(kKey, KeyAccess::WriteOwner));  // held, not enabled
    ASSERT_TRUE(security_.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Enabled));
    EXPECT_TRUE(Opens(kKey, KeyAccess::WriteOwner));
    EXPECT_FALSE(Opens(kKey, KeyAccess::WriteOwner | KeyAccess::WriteDac));
    ASSERT_TRUE(security_.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Disabled));
    EXPECT_FALSE(Opens(kKey, KeyAccess::WriteOwner));
    EXPECT_EQ(security_.PrivilegeLog(),
              (std::vector<std::string>{"+SeTakeOwnershipPrivilege", "+SeTakeOwnershipPrivilege",
                                        "-SeTakeOwnershipPrivilege"}));
}

TEST_F(MemorySecurityTest, OwnersAUserMayName) {
    struct Case {
        const char* name;
        bool administrator;
        bool restorePrivilege;
        const char* owner;
        bool accepted;
    };
    const Case cases[] = {
        {"oneself", false, false, kUser, true},
        {"another user", false, false, "S-1-5-21-1-2-3-1002", false},
        {"the administrators, as one of them", true, false, "BA", true},
        {"the administrators, as a plain user", false, false, "BA", false},
        {"anyone, with the restore privilege", true, true, "SY", true},
        {"no SID at all", true, true, "nobody", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry_.Token() = c.administrator ? MemoryRegistry::AccessToken::Administrator()
                                            : MemoryRegistry::AccessToken{};
        if (c.restorePrivilege) {
            ASSERT_TRUE(security_.SetPrivilege(PrivilegeName::Restore, PrivilegeState::Enabled));
        }
        Lock("SY", "D:(A;;GA;;;WD)");
        auto key = security_.OpenKeySecurity(PredefinedKey::CurrentUser, kKey,
                                             KeyAccess::WriteOwner | KeyAccess::ReadControl);
        ASSERT_TRUE(key.ok());
        EXPECT_EQ((*key)->SetOwner(c.owner).ok(), c.accepted);
        EXPECT_EQ(*(*key)->Owner(), c.accepted ? CanonicalSid(c.owner) : "S-1-5-18");
    }
}

TEST_F(MemorySecurityTest, ListsAreReadWithTheirInheritedEntriesAndWrittenWithout) {
    Lock("SY", "D:(A;OICI;KR;;;WD)(A;;KA;;;SY)");
    Lock(kUser, "D:(A;;KA;;;S-1-5-21-1000-1000-1000-1001)", kChild);
    auto child = security_.OpenKeySecurity(PredefinedKey::CurrentUser, kChild,
                                           KeyAccess::ReadControl | KeyAccess::WriteDac);
    ASSERT_TRUE(child.ok());
    EXPECT_EQ(*(*child)->AccessList(),
              "D:(A;;KA;;;S-1-5-21-1000-1000-1000-1001)(A;OICIID;KR;;;WD)");

    // Handing the list back with one entry more keeps the inherited one out of the key's own.
    ASSERT_TRUE((*child)->SetAccessList(
        "D:(A;;KA;;;S-1-5-21-1000-1000-1000-1001)(A;OICIID;KR;;;WD)(A;;KR;;;BU)"));
    EXPECT_EQ(registry_.KeySecurityOf(PredefinedKey::CurrentUser, kChild)->accessList,
              "D:(A;;KA;;;S-1-5-21-1000-1000-1000-1001)(A;;KR;;;BU)");
    // A protected list keeps them as its own.
    ASSERT_TRUE((*child)->SetAccessList("D:P(A;OICIID;KR;;;WD)"));
    EXPECT_EQ(registry_.KeySecurityOf(PredefinedKey::CurrentUser, kChild)->accessList,
              "D:P(A;OICI;KR;;;WD)");
    // A list that is not valid changes nothing.
    EXPECT_EQ((*child)->SetAccessList("D:(A;;KA;;;nobody)").code(), ErrorCode::InvalidData);
    EXPECT_EQ(registry_.KeySecurityOf(PredefinedKey::CurrentUser, kChild)->accessList,
              "D:P(A;OICI;KR;;;WD)");
}

TEST_F(MemorySecurityTest, OperationsNeedTheRightTheKeyWasOpenedWith) {
    Lock(kUser, "D:(A;;GA;;;WD)");
    auto reading =
        security_.OpenKeySecurity(PredefinedKey::CurrentUser, kKey, KeyAccess::ReadControl);
    ASSERT_TRUE(reading.ok());
    EXPECT_TRUE((*reading)->AccessList().ok());
    EXPECT_EQ((*reading)->SetAccessList("D:").code(), ErrorCode::AccessDenied);
    EXPECT_EQ((*reading)->SetOwner(kUser).code(), ErrorCode::AccessDenied);
    EXPECT_EQ(security_
                  .OpenKeySecurity(PredefinedKey::CurrentUser, "Software\\Missing",
                                   KeyAccess::ReadControl)
                  .code(),
              ErrorCode::NotFound);
}

TEST_F(MemorySecurityTest, TheCurrentUser) {
    EXPECT_EQ(*security_.CurrentUserSid(), kUser);
    registry_.Token().userSidReadable = false;
    EXPECT_FALSE(security_.CurrentUserSid().ok());
}

}  // namespace
}  // namespace kestrover
