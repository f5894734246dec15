// The whole registry scan over a small machine: the driver walks, the rules judge, the result
// list keeps what is listed. One broken entry of each kind beside valid neighbours; exactly the
// broken ones are listed.
#include "scanner/RegistryScanRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"
#include "scanner/ScanEntry.h"

namespace kestrover {
namespace {

using Texts = std::vector<std::string>;

class ScanMachine {
public:
    ScanMachine() {
        files.AddDrive('E', DriveType::Removable);
        for (const char* path :
             {"C:\\Kestrover\\", "C:\\Windows\\Fonts\\arial.ttf", "C:\\App\\ok.exe", "C:\\App\\ok.dll",
              "C:\\App\\fw.exe", "C:\\Users\\ann\\AppData\\Local\\Microsoft\\Windows\\Fonts\\mine.ttf"}) {
            std::string text = path;
            EXPECT_TRUE((text.ends_with('\\') ? files.AddDirectories(text) : files.AddFile(text, "x")).ok());
        }
    }

    void String(RegRoot root, std::string_view path, std::string_view name, std::string_view text) {
        RegistryProvider provider(registryContext);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
        provider.WriteString(name, text);
    }
    void Integer(RegRoot root, std::string_view path, std::string_view name) {
        RegistryProvider provider(registryContext);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
        provider.WriteInteger(name, 1);
    }
    void Key(RegRoot root, std::string_view path) {
        RegistryProvider provider(registryContext);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
    }

    // Each listed row as "root|key path||value name##category".
    Texts Scan() {
        KnownFolders folders;
        folders.systemRoot = "C:\\Windows";
        folders.windowsFolder = "C:\\Windows";
        folders.programFiles = "C:\\Program Files";
        folders.userProfile = "C:\\Users\\ann";
        RegistryScanRules rules(files, folders,
                                environment.IsWow64Redirected() ? Wow64Redirection::On
                                                                : Wow64Redirection::Off);
        ResultList list(registryContext);
        ScanCallbacks callbacks;
        callbacks.buildLocalDrives = [this] { return BuildLocalDrives(files); };
        ScanDriver driver({registryContext, files, list, rules, "C:\\Kestrover", nullptr}, callbacks);
        driver.GoClean(ScanSelection{});
        Texts rows;
        for (const ResultRow& row : list.Rows()) {
            ScanEntry entry = ParseScanEntry(row.text);
            std::string text = std::to_string(entry.rootIndex) + "|" + entry.keyPath;
            if (entry.hasValue) text += "||" + entry.valueName;
            rows.push_back(text + "##" + std::to_string(entry.category));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    MemoryRegistry registry;
    RegistryContext registryContext{registry, {true, true}};
    MemoryFileSystem files;
    MemoryEnvironment environment;
};

TEST(RegistryScanRulesTest, ScanListsExactlyTheBrokenEntries) {
    ScanMachine machine;
    const RegRoot cr = RegRoot::ClassesRoot;
    const RegRoot cu = RegRoot::CurrentUser;
    const RegRoot lm = RegRoot::LocalMachine;
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string shared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const std::string layers = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
    const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    const std::string firewall =
        "System\\CurrentControlSet\\services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules";

    // Vendor keys: one empty, one with a value.
    machine.Key(cu, "Software\\GoneVendor");
    machine.String(cu, "Software\\KeptVendor", "Setting", "1");
    // Application paths.
    machine.String(lm, appPaths + "gone.exe", "", "C:\\Gone\\gone.exe");
    machine.String(lm, appPaths + "ok.exe", "", "\"C:\\App\\ok.exe\" /quiet");
    // Startup entries, with an integer after the broken one.
    machine.String(lm, run, "Gone", "C:\\Gone\\run.exe");
    machine.Integer(lm, run, "Delay");
    machine.String(lm, run, "Ok", "C:\\App\\ok.exe");
    // Shared DLLs and compatibility layers.
    machine.Integer(lm, shared, "C:\\Gone\\old.dll");
    machine.Integer(lm, shared, "C:\\App\\ok.dll");
    machine.Integer(lm, shared, "E:\\Away\\away.dll");
    machine.String(lm, layers, "C:\\Gone\\game.exe", "~ WIN7RTM");
    machine.String(lm, layers, "C:\\App\\ok.exe", "~ WIN7RTM");
    // Fonts: a missing one, one in the fonts folder, one installed for the user.
    machine.String(lm, fonts, "Old (TrueType)", "old.ttf");
    machine.String(lm, fonts, "Arial (TrueType)", "arial.ttf");
    machine.String(cu, fonts, "Mine (TrueType)",
                   "C:\\Users\\ann\\AppData\\Local\\Microsoft\\Windows\\Fonts\\mine.ttf");
    // A folder of the current user's profile that is gone; below HKEY_USERS the same text
    // names the profile of another account, which this scan cannot judge.
    machine.String(cu, "Software\\CacheVendor", "Cache", "%USERPROFILE%\\Gone\\Cache");
    machine.String(RegRoot::Users, ".DEFAULT\\Environment", "TEMP", "%USERPROFILE%\\Gone\\Temp");
    machine.String(RegRoot::Users, "S-1-5-21-1-2-3-1001\\Software\\CacheVendor", "Cache",
                   "%USERPROFILE%\\Gone\\Cache");
    // Firewall rules.
    machine.String(lm, firewall, "{gone}", "v2.30|Action=Allow|Active=TRUE|Dir=In|App=C:\\Gone\\fw.exe|Name=Gone|");
    machine.String(lm, firewall, "{ok}", "v2.30|Action=Allow|Active=TRUE|Dir=In|App=C:\\App\\fw.exe|Name=Ok|");
    // A file type whose program is gone, and one whose program is there.
    machine.String(cr, "oldfile\\shell\\open\\command", "", "C:\\Gone\\oldapp.exe \"%1\"");
    machine.String(cr, "okfile\\shell\\open\\command", "", "C:\\App\\ok.exe \"%1\"");
    machine.String(cr, ".ok", "", "okfile");

    // The broken application path is also a value naming a missing file, found by the data
    // rules (once: as a drive path).
    Texts expected{
                  "0|oldfile##5",
                  "0|oldfile\\shell\\open\\command||##1",
                  "1|Software\\CacheVendor||Cache##1",
                  "1|Software\\GoneVendor##6",
                  "2|" + appPaths + "gone.exe##7",
                  "2|" + appPaths + "gone.exe||##1",
                  "2|" + fonts + "||Old (TrueType)##1",
                  "2|" + run + "||Gone##1",
                  "2|" + layers + "||C:\\Gone\\game.exe##1",
                  "2|" + shared + "||C:\\Gone\\old.dll##0",
                  "2|" + firewall + "||{gone}##1",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(machine.Scan(), expected);
}

}  // namespace
}  // namespace kestrover
