// Taking ownership of a key: the owner change under the privilege, the entry appended to the
// access list, a saved list put back, and what happens when a step cannot be done.
#include <gtest/gtest.h>

#include "core/KestroverError.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "repair/KeyOwnership.h"

namespace kestrover {
namespace {

constexpr const char* kKey = "Software\\Locked";
constexpr const char* kChild = "Software\\Locked\\Child";
constexpr const char* kLockedList = "D:P(A;OICI;GA;;;SY)(A;;KR;;;WD)";
const std::string kUser = "S-1-5-21-1000-1000-1000-1001";
const std::string kUserEntry = "(A;OICI;GA;;;" + kUser + ")";

class KeyOwnershipTest : public ::testing::Test {
protected:
    KeyOwnershipTest() {
        EXPECT_TRUE(
            registry_.CreateKey(PredefinedKey::LocalMachine, kChild, KeyAccess::AllAccess).ok());
        EXPECT_TRUE(registry_.SetKeySecurity(PredefinedKey::LocalMachine, kKey, "SY", kLockedList));
        registry_.Token() = MemoryRegistry::AccessToken::Administrator();
    }

    bool Take(std::string& accessList, const char* path = kKey) {
        return TakeKeyOwnership(security_, views_, PredefinedKey::LocalMachine, path, accessList);
    }
    bool OpensForAll(const char* path) {
        return registry_.OpenKey(PredefinedKey::LocalMachine, path, KeyAccess::AllAccess).ok();
    }
    std::string Owner() {
        return registry_.KeySecurityOf(PredefinedKey::LocalMachine, kKey)->owner;
    }
    std::optional<std::string> OwnList() {
        return registry_.KeySecurityOf(PredefinedKey::LocalMachine, kKey)->accessList;
    }

    MemoryRegistry registry_;
    MemorySecurity security_{registry_};
    RegistryViewFlags views_{true, true};
};

TEST_F(KeyOwnershipTest, TheUserBecomesOwnerWithFullControlOfTheKeyAndItsSubtree) {
    ASSERT_FALSE(OpensForAll(kKey));
    ASSERT_FALSE(OpensForAll(kChild));
    std::string accessList;
    ASSERT_TRUE(Take(accessList));
    EXPECT_EQ(accessList, kLockedList);  // the list before, to put back
    EXPECT_EQ(Owner(), kUser);
    EXPECT_EQ(OwnList(), kLockedList + kUserEntry);
    EXPECT_TRUE(OpensForAll(kKey));
    EXPECT_TRUE(OpensForAll(kChild));
    // The privilege is enabled for the owner change only.
    EXPECT_EQ(security_.PrivilegeLog(),
              (std::vector<std::string>{"+SeTakeOwnershipPrivilege", "-SeTakeOwnershipPrivilege"}));
    EXPECT_TRUE(registry_.Token().enabledPrivileges.empty());
}

TEST_F(KeyOwnershipTest, AKeyThatAlreadyGrantsFullControlGetsASecondIdenticalEntry) {
    std::string first;
    ASSERT_TRUE(Take(first));
    std::string second;
    ASSERT_TRUE(Take(second));
    EXPECT_EQ(second, kLockedList + kUserEntry);
    EXPECT_EQ(OwnList(), kLockedList + kUserEntry + kUserEntry);
}

TEST_F(KeyOwnershipTest, ASavedListIsPutBack) {
    std::string saved;
    ASSERT_TRUE(Take(saved));
    std::string restore = saved;
    ASSERT_TRUE(Take(restore));
    EXPECT_EQ(restore, kLockedList + kUserEntry);  // what it was before being put back
    EXPECT_EQ(OwnList(), kLockedList);
    EXPECT_FALSE(OpensForAll(kKey));  // the user stays owner, but the list is the old one
}

TEST_F(KeyOwnershipTest, WithoutTheUsersIdentifierTheAdministratorsGetTheEntry) {
    registry_.Token().userSidReadable = false;
    const std::string list = "D:P(A;OICI;GA;;;SY)(A;;RCWD;;;BA)";
    ASSERT_TRUE(registry_.SetKeySecurity(PredefinedKey::LocalMachine, kKey, "SY", list));
    std::string accessList;
    ASSERT_TRUE(Take(accessList));
    EXPECT_EQ(Owner(), "S-1-5-18");  // no user to make owner: it stays
    EXPECT_EQ(OwnList(), list + "(A;OICI;GA;;;BA)");
    EXPECT_TRUE(OpensForAll(kKey));
}

TEST_F(KeyOwnershipTest, NoRightToChangeTheOwnerIsSilentWhenTheListStillOpens) {
    // A plain user holds no take-ownership privilege, but this key lets everyone change its
    // list.
    registry_.Token() = MemoryRegistry::AccessToken{};
    ASSERT_TRUE(
        registry_.SetKeySecurity(PredefinedKey::LocalMachine, kKey, "SY", "D:(A;;RCWD;;;WD)"));
    std::string accessList;
    ASSERT_TRUE(Take(accessList));
    EXPECT_EQ(Owner(), "S-1-5-18");
    EXPECT_EQ(OwnList(), "D:(A;;RCWD;;;WD)" + kUserEntry);
}

TEST_F(KeyOwnershipTest, AListThatCannotBeOpenedRaisesWithTheSystemsMessage) {
    registry_.Token() = MemoryRegistry::AccessToken{};  // no privilege, no list rights
    std::string accessList = "untouched";
    try {
        Take(accessList);
        FAIL() << "no error raised";
    } catch (const KestroverError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("HKEY_LOCAL_MACHINE\\Software\\Locked"), std::string::npos)
            << message;
        EXPECT_NE(message.find("access denied"), std::string::npos) << message;
    }
    EXPECT_EQ(accessList, "untouched");
    EXPECT_EQ(OwnList(), kLockedList);
    EXPECT_THROW(Take(accessList, "Software\\Missing"), KestroverError);
}

TEST_F(KeyOwnershipTest, AListThatIsNotValidIsNeverWritten) {
    std::string accessList = "D:(A;;GA;;;nobody)";
    EXPECT_FALSE(Take(accessList));
    EXPECT_EQ(accessList, "D:(A;;GA;;;nobody)");
    EXPECT_EQ(OwnList(), kLockedList);
}

TEST_F(KeyOwnershipTest, AKeyWithoutAListKeepsGrantingEveryoneEverything) {
    // Appending one entry to no list at all would shut every other account out of the key.
    ASSERT_TRUE(
        registry_.SetKeySecurity(PredefinedKey::LocalMachine, kKey, "SY", "D:NO_ACCESS_CONTROL"));
    std::string accessList;
    EXPECT_TRUE(Take(accessList));
    EXPECT_EQ(accessList, "D:NO_ACCESS_CONTROL");
    EXPECT_EQ(OwnList(), "D:NO_ACCESS_CONTROL");
    registry_.Token() = MemoryRegistry::AccessToken{};
    EXPECT_TRUE(OpensForAll(kKey));
}

}  // namespace
}  // namespace kestrover
