// Opening a key in the registry editor: the target text, the fallback to the 32-bit view (made
// once, and only when that key exists), and the request handed to the shell.
#include <gtest/gtest.h>

#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemoryShell.h"
#include "repair/RegistryEditor.h"

namespace kestrover {
namespace {

TEST(ThirtyTwoBitViewPath, InsertsTheComponentOnceAfterTheFirstSoftware) {
    struct Case {
        const char* path;
        std::optional<std::string> rewritten;
    };
    const Case cases[] = {
        {"Software\\Vendor", "Software\\Wow6432Node\\Vendor"},
        {"SOFTWARE\\Vendor\\Software\\X", "SOFTWARE\\Wow6432Node\\Vendor\\Software\\X"},
        {"Software", "Software\\Wow6432Node"},
        {"S-1-5-21-1-2-3-1001\\Software\\Classes\\x",
         "S-1-5-21-1-2-3-1001\\Software\\Wow6432Node\\Classes\\x"},
        // Already a 32-bit view path: rewriting it again would never end.
        {"Software\\Wow6432Node\\Vendor", std::nullopt},
        {"software\\WOW6432NODE", std::nullopt},
        {"System\\CurrentControlSet", std::nullopt},
        {"MySoftware\\Vendor", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::optional<std::string> rewritten = ThirtyTwoBitViewPath(c.path);
        EXPECT_EQ(rewritten, c.rewritten);
        if (rewritten) {
            EXPECT_EQ(ThirtyTwoBitViewPath(*rewritten), std::nullopt);
        }
    }
}

class RegistryEditorTest : public ::testing::Test {
protected:
    RegistryEditorTest() {
        for (const char* path : {"Software\\Both", "Software\\Wow6432Node\\Both",
                                 "Software\\Wow6432Node\\OnlyThirtyTwo", "Software\\Only64"}) {
            EXPECT_TRUE(registry_
                            .CreateKey(PredefinedKey::LocalMachine, path,
                                       KeyAccess::AllAccess | KeyAccess::Wow64_64Key)
                            .ok());
        }
    }

    MemoryRegistry registry_;
    // The process was told to use the 32-bit view; the editor still looks with its own.
    RegistryContext context_{registry_, {true, false}, nullptr};
    MemoryShell shell_;
};

TEST_F(RegistryEditorTest, TargetText) {
    struct Case {
        const char* root;
        const char* path;
        std::optional<std::string> target;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE", "Software\\Both", "HKEY_LOCAL_MACHINE\\Software\\Both"},
        {"hkey_local_machine", "\\Software\\Only64\\", "HKEY_LOCAL_MACHINE\\Software\\Only64"},
        {"HKLM", "Software\\OnlyThirtyTwo",
         "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\OnlyThirtyTwo"},
        {"HKEY_LOCAL_MACHINE", "Software\\Nowhere", "HKEY_LOCAL_MACHINE\\Software\\Nowhere"},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Missing",
         "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Missing"},
        {"HKEY_CURRENT_USER", "", "HKEY_CURRENT_USER"},
        {"HKEY_NOWHERE", "Software", std::nullopt},
        {"", "Software", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root) + " " + c.path);
        EXPECT_EQ(ResolveRegistryEditorTarget(context_, c.root, c.path), c.target);
    }
}

TEST_F(RegistryEditorTest, TheShellIsAskedOnceWithTheTarget) {
    ASSERT_TRUE(
        OpenInRegistryEditor(context_, shell_, "HKEY_LOCAL_MACHINE", "Software\\OnlyThirtyTwo"));
    EXPECT_EQ(shell_.RegistryEditorTargets(),
              std::vector<std::string>{"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\OnlyThirtyTwo"});

    EXPECT_EQ(OpenInRegistryEditor(context_, shell_, "NOT_A_ROOT", "x").code(),
              ErrorCode::InvalidData);
    EXPECT_EQ(shell_.RegistryEditorTargets().size(), 1u);

    shell_.SetRegistryEditorFails(true);
    EXPECT_FALSE(OpenInRegistryEditor(context_, shell_, "HKCU", "Software"));
}

}  // namespace
}  // namespace kestrover
