// "Take Ownership" on the result list: the warning, the entries it acts on, the result message,
// and the error that ends the command.
#include <gtest/gtest.h>

#include "app/TakeOwnershipCommand.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "support/ScriptedPrompts.h"

namespace kestrover {
namespace {

constexpr const char* kLockedList = "D:P(A;OICI;GA;;;SY)";

// The memory security, except that the access list of one key cannot be written (as a system
// refuses one it finds wrong).
class RefusingSecurity final : public SecurityPort {
public:
    RefusingSecurity(SecurityPort& inner, std::string refusedPath)
        : inner_(inner), refusedPath_(std::move(refusedPath)) {}
    Status SetPrivilege(std::string_view name, PrivilegeState state) override {
        return inner_.SetPrivilege(name, state);
    }
    Result<std::string> CurrentUserSid() override { return inner_.CurrentUserSid(); }
    Result<std::unique_ptr<KeySecurity>> OpenKeySecurity(PredefinedKey root, std::string_view path,
                                                         std::uint32_t access) override {
        auto key = inner_.OpenKeySecurity(root, path, access);
        if (!key || path != refusedPath_) return key;
        return std::unique_ptr<KeySecurity>(std::make_unique<Refusing>(std::move(*key)));
    }

private:
    class Refusing final : public KeySecurity {
    public:
        explicit Refusing(std::unique_ptr<KeySecurity> inner) : inner_(std::move(inner)) {}
        Result<std::string> Owner() override { return inner_->Owner(); }
        Status SetOwner(std::string_view sid) override { return inner_->SetOwner(sid); }
        Result<std::string> AccessList() override { return inner_->AccessList(); }
        Status SetAccessList(std::string_view) override {
            return MakeError(ErrorCode::AccessDenied, "access list", 5);
        }

    private:
        std::unique_ptr<KeySecurity> inner_;
    };
    SecurityPort& inner_;
    std::string refusedPath_;
};

class TakeOwnershipCommandTest : public ::testing::Test {
protected:
    TakeOwnershipCommandTest() {
        registry_.Token() = MemoryRegistry::AccessToken::Administrator();
        for (const char* path : {"Software\\A", "Software\\B", "Software\\C"}) {
            EXPECT_TRUE(
                memory_().CreateKey(PredefinedKey::LocalMachine, path, KeyAccess::AllAccess).ok());
            EXPECT_TRUE(
                registry_.SetKeySecurity(PredefinedKey::LocalMachine, path, "SY", kLockedList));
        }
    }
    MemoryRegistry& memory_() { return registry_; }

    // Protected-key entries, as the protected-keys search lists them, all selected.
    void List(std::initializer_list<const char*> paths) {
        for (const char* path : paths) {
            CategoryFlags flags;
            ASSERT_TRUE(results_.AddScanEntry(std::string(path) + "²²100", 2, flags, {}));
        }
        results_.SelectAll();
    }
    std::optional<std::string> ListOf(const char* path) {
        return registry_.KeySecurityOf(PredefinedKey::LocalMachine, path)->accessList;
    }
    TakeOwnershipReport Run() { return MnuTakeOClick(security_, {true, true}, results_, prompts_); }

    MemoryRegistry registry_;
    MemorySecurity security_{registry_};
    RegistryContext context_{registry_, {true, true}, nullptr};
    ResultList results_{context_};
    testing::ScriptedPrompts prompts_;
};

TEST_F(TakeOwnershipCommandTest, CancelInTheWarningChangesNothing) {
    List({"Software\\A"});
    prompts_.QueueAnswer(PromptAnswer::Cancel);
    TakeOwnershipReport report = Run();
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(ListOf("Software\\A"), kLockedList);
    ASSERT_EQ(prompts_.Calls().size(), 1u);
    EXPECT_EQ(prompts_.Calls()[0].caption, "Take Ownership");
    EXPECT_EQ(prompts_.Calls()[0].buttons, PromptButtons::OkCancel);
}

TEST_F(TakeOwnershipCommandTest, EverySelectedEntryFromFirstToLastThenTheResult) {
    List({"Software\\A", "Software\\B", "Software\\C"});
    results_.SetSelected(1, false);
    TakeOwnershipReport report = Run();
    ASSERT_EQ(report.entries.size(), 2u);
    EXPECT_EQ(report.entries[0].keyPath, "Software\\A");
    EXPECT_EQ(report.entries[1].keyPath, "Software\\C");
    EXPECT_TRUE(report.entries[0].applied);
    EXPECT_EQ(report.entries[0].previousAccessList, kLockedList);
    EXPECT_NE(ListOf("Software\\A"), kLockedList);
    EXPECT_EQ(ListOf("Software\\B"), kLockedList);
    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[1].text, "Registry Key permission have been changed !");
    EXPECT_EQ(prompts_.Calls()[1].buttons, PromptButtons::Ok);
    EXPECT_TRUE(report.resultShown);
}

TEST_F(TakeOwnershipCommandTest, KeysThatKeptTheirPermissionsAreNamedInsteadOfTheResult) {
    // B's list opens but cannot be written: the result text would say it changed.
    List({"Software\\A", "Software\\B"});
    RefusingSecurity refusing(security_, "Software\\B");
    TakeOwnershipReport report = MnuTakeOClick(refusing, {true, true}, results_, prompts_);
    ASSERT_EQ(report.entries.size(), 2u);
    EXPECT_TRUE(report.entries[0].applied);
    EXPECT_FALSE(report.entries[1].applied);
    EXPECT_FALSE(report.resultShown);
    EXPECT_TRUE(report.failuresShown);
    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[1].caption, "Take Ownership");
    EXPECT_EQ(prompts_.Calls()[1].text,
              "The permission of these keys could not be changed:\r\n"
              "HKEY_LOCAL_MACHINE\\Software\\B");
}

TEST_F(TakeOwnershipCommandTest, AKeyWhoseListCannotBeOpenedEndsTheCommand) {
    List({"Software\\A", "Software\\B", "Software\\C"});
    registry_.Token() = MemoryRegistry::AccessToken{};  // no privilege: A stays out of reach
    ASSERT_TRUE(registry_.SetKeySecurity(PredefinedKey::LocalMachine, "Software\\A", "SY",
                                         "D:(A;;RCWD;;;WD)"));
    TakeOwnershipReport report = Run();
    ASSERT_TRUE(report.error.has_value());
    EXPECT_NE(report.error->find("Software\\B"), std::string::npos) << *report.error;
    EXPECT_EQ(report.entries.size(), 1u);  // A was done; C was never reached
    EXPECT_EQ(ListOf("Software\\C"), kLockedList);
    EXPECT_FALSE(report.resultShown);
    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[1].caption, "Kestrover");
    EXPECT_EQ(prompts_.Calls()[1].text, *report.error);
}

}  // namespace
}  // namespace kestrover
