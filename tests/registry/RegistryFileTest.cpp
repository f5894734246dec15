// A registry kept in an export file: loading and saving back give the same bytes (the demo
// registry, a fixture of every value type in both file forms, random registries), the root
// headers, HKEY_CLASSES_ROOT saved as HKLM\Software\Classes, an atomic save that leaves the
// old file whole when anything fails, and nothing dropped on the way in or out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/TextCodec.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryFile.h"
#include "support/SyntheticRegistry.h"

#ifndef _WIN32
#include <sys/stat.h>

#include "platform/NativePlatform.h"
#include "platform/posix/TemporaryHostFolder.h"
#endif

namespace kestrover::testing {
namespace {

using namespace std::string_literals;

constexpr std::string_view kFile = "C:\\Registry\\registry.reg";
constexpr std::string_view kCopy = "C:\\Registry\\copy.reg";

std::filesystem::path SourceFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

std::string ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::vector<std::uint8_t> Bytes(std::string_view bytes) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// UTF-16LE with a terminating zero, as a string value is stored.
std::vector<std::uint8_t> StoredText(std::string_view utf8) {
    return Bytes(Utf16Le(Utf8ToUtf16(utf8) + u'\0'));
}

// A registry with the file system it is saved to.
struct Machine {
    MemoryRegistry registry{true};
    MemoryFileSystem files;
    RegistryContext context{registry, RegistryViewFlags{true, true}, &Windows1252()};

    Machine() { (void)files.AddDirectories("C:\\Registry"); }

    void Set(RegRoot root, std::string_view path, std::string_view name, std::uint32_t type,
             std::vector<std::uint8_t> bytes) {
        auto key = registry.CreateKey(root, path, KeyAccess::AllAccess | KeyAccess::Wow64_64Key);
        ASSERT_TRUE(key) << path;
        ASSERT_TRUE((*key)->SetValue(name, type, bytes)) << name;
    }
    void SetText(RegRoot root, std::string_view path, std::string_view name,
                 std::string_view text) {
        Set(root, path, name, RegistryType::String, StoredText(text));
    }
    void MakeKey(RegRoot root, std::string_view path) {
        ASSERT_TRUE(registry.CreateKey(root, path, KeyAccess::AllAccess | KeyAccess::Wow64_64Key));
    }
    std::string File(std::string_view path) {
        auto bytes = files.ReadFile(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("(missing)");
    }
    std::optional<std::string> Text(RegRoot root, std::string_view path, std::string_view name) {
        auto key = registry.OpenKey(root, path, KeyAccess::Read | KeyAccess::Wow64_64Key);
        if (!key) return std::nullopt;
        auto data = (*key)->QueryValue(name);
        if (!data) return std::nullopt;
        std::u16string units = Utf16LeBytesToUtf16(data->bytes.data(), data->bytes.size());
        if (!units.empty() && units.back() == u'\0') units.pop_back();
        return Utf16ToUtf8(units);
    }
};

// The whole registry as the file holds it: every saved root, snapshotted.
std::vector<BranchSnapshot> WholeRegistry(RegistryPort& port) {
    std::vector<BranchSnapshot> roots;
    for (RegRoot root : kRegistryFileRoots) roots.push_back(SnapshotBranch(port, root, ""));
    return roots;
}

void ExpectSameRegistry(RegistryPort& expected, RegistryPort& actual) {
    std::vector<BranchSnapshot> want = WholeRegistry(expected);
    std::vector<BranchSnapshot> got = WholeRegistry(actual);
    for (std::size_t i = 0; i < want.size(); ++i) {
        auto difference = FirstDifference(want[i], got[i]);
        EXPECT_FALSE(difference) << RootFullName(kRegistryFileRoots[i]) << ": " << *difference;
    }
}

// Saves the machine's registry, loads the file into a fresh registry, saves that again: the
// second registry equals the first and the second file the first, byte for byte.
void ExpectRoundTrip(Machine& machine, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(SaveRegistryFile(machine.context, machine.files, kFile));
    Machine reloaded;
    ASSERT_TRUE(reloaded.files.AddFile(kFile, machine.File(kFile)));
    Status loaded = LoadRegistryFile(reloaded.context, reloaded.files, kFile);
    ASSERT_TRUE(loaded) << loaded.error().Describe();
    ExpectSameRegistry(machine.registry, reloaded.registry);
    Status saved = SaveRegistryFile(reloaded.context, reloaded.files, kCopy);
    ASSERT_TRUE(saved) << saved.error().Describe();
    EXPECT_EQ(reloaded.File(kCopy), machine.File(kFile));
}

TEST(RegistryFileTest, DemoRegistryLoadsAndSavesBackByteForByte) {
    const std::string demo = ReadHostFile(SourceFolder() / "data" / "demo" / "registry.reg");
    ASSERT_FALSE(demo.empty()) << "data/demo/registry.reg not found from " << SourceFolder();
    Machine machine;
    ASSERT_TRUE(machine.files.AddFile(kFile, demo));
    Status loaded = LoadRegistryFile(machine.context, machine.files, kFile);
    ASSERT_TRUE(loaded) << loaded.error().Describe();

    // A few landmarks, HKEY_CLASSES_ROOT seen through HKLM\Software\Classes.
    EXPECT_EQ(machine.Text(RegRoot::ClassesRoot, ".txt", ""), "txtfile");
    EXPECT_EQ(machine.Text(RegRoot::LocalMachine,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "OldUpdater"),
              "C:\\Program Files\\Old Updater\\updater.exe /silent");
    EXPECT_TRUE(
        machine.registry.OpenKey(RegRoot::CurrentUser, "Software\\Old Vendor", KeyAccess::Read));

    const std::uint64_t changes = machine.registry.ChangeCount();
    Status saved = SaveRegistryFile(machine.context, machine.files, kCopy);
    ASSERT_TRUE(saved) << saved.error().Describe();
    EXPECT_EQ(machine.registry.ChangeCount(), changes) << "saving must not change the registry";
    EXPECT_EQ(machine.File(kCopy), demo);
}

// The demo machine is sound but for a few entries left broken on purpose, for the scanner to
// find: every path below must exist in data/demo/drive_c exactly when the table says so.
TEST(RegistryFileTest, DemoRegistryPointsAtTheDemoDriveExceptTheBrokenEntries) {
    struct Reference {
        RegRoot root;
        const char* key;
        const char* value;
        const char* file;  // below C:\, as the value names it
        bool exists;
    };
    const Reference references[] = {
        {RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
         "KestroverDemo", "Program Files\\Kestrover Demo\\demo.exe", true},
        {RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "OldUpdater",
         "Program Files\\Old Updater\\updater.exe", false},
        {RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "DemoTray",
         "Program Files\\Kestrover Demo\\demo.exe", true},
        {RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\demo.exe",
         "", "Program Files\\Kestrover Demo\\demo.exe", true},
        {RegRoot::LocalMachine,
         "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\oldtool.exe", "",
         "Program Files\\Old Tool\\oldtool.exe", false},
        {RegRoot::ClassesRoot, "CLSID\\{2C6A3F1E-7B4D-4E8A-9C1F-5D3B8A6E4F20}\\InprocServer32", "",
         "Program Files\\Kestrover Demo\\demoext.dll", true},
        {RegRoot::ClassesRoot, "CLSID\\{9E1B7C44-0A3D-4F5E-B812-6C7D8E9FA0B1}\\InprocServer32", "",
         "Program Files\\Old Toolbar\\toolbar.dll", false},
        {RegRoot::ClassesRoot, "KestroverDemo.Document\\shell\\open\\command", "",
         "Program Files\\Kestrover Demo\\demo.exe", true},
        {RegRoot::ClassesRoot, "OldPaint.Image\\shell\\open\\command", "",
         "Program Files\\Old Paint\\oldpaint.exe", false},
        {RegRoot::ClassesRoot, "Applications\\oldview.exe\\shell\\open\\command", "",
         "Program Files\\Old Viewer\\oldview.exe", false},
        {RegRoot::ClassesRoot, "Applications\\notepad.exe\\shell\\open\\command", "",
         "Windows\\System32\\notepad.exe", true},
        {RegRoot::LocalMachine,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestroverDemo",
         "UninstallString", "Program Files\\Kestrover Demo\\uninstall.exe", true},
        {RegRoot::LocalMachine,
         "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\LegacyViewer",
         "UninstallString", "Program Files (x86)\\Legacy Viewer\\uninst.exe", true},
    };
    const std::string demo = ReadHostFile(SourceFolder() / "data" / "demo" / "registry.reg");
    Machine machine;
    ASSERT_TRUE(machine.files.AddFile(kFile, demo));
    ASSERT_TRUE(LoadRegistryFile(machine.context, machine.files, kFile));
    const std::filesystem::path drive = SourceFolder() / "data" / "demo" / "drive_c";
    for (const Reference& reference : references) {
        SCOPED_TRACE(std::string(reference.key) + " " + reference.value);
        auto text = machine.Text(reference.root, reference.key, reference.value);
        ASSERT_TRUE(text);
        EXPECT_NE(text->find(std::string("C:\\") + reference.file), std::string::npos) << *text;
        std::string relative = reference.file;
        for (char& c : relative) c = c == '\\' ? '/' : c;
        EXPECT_EQ(std::filesystem::exists(drive / relative), reference.exists) << relative;
    }
    // The SharedDLLs names are the paths.
    auto shared = machine.registry.OpenKey(
        RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
        KeyAccess::Read);
    ASSERT_TRUE(shared);
    auto names = (*shared)->ValueNames();
    ASSERT_TRUE(names);
    int missing = 0;
    for (const std::string& name : *names) {
        ASSERT_EQ(name.rfind("C:\\", 0), 0u) << name;
        std::string relative = name.substr(3);
        for (char& c : relative) c = c == '\\' ? '/' : c;
        if (!std::filesystem::exists(drive / relative)) ++missing;
    }
    EXPECT_EQ(missing, 1) << "one SharedDLLs entry is left broken";
}

TEST(RegistryFileTest, EveryValueTypeComesBackInBothForms) {
    struct Case {
        const char* name;
        bool otherScripts;  // names and texts Windows-1252 lacks
        const char* firstLine;
    };
    const Case cases[] = {
        {"code page text", false, "REGEDIT4\r\n"},
        {"other scripts", true, "\xFF\xFEW"},  // BOM, then "Windows Registry Editor..."
    };
    for (const Case& c : cases) {
        Machine machine;
        const std::string key =
            c.otherScripts ? "Software\\Вендор\\Настройки" : "Software\\Vendor\\Café";
        const RegRoot root = RegRoot::CurrentUser;
        machine.SetText(root, key, "", c.otherScripts ? "значение по умолчанию" : "default");
        machine.SetText(root, key, "Path",
                        "\"C:\\Program Files\\App\\app.exe\", /x \\\\srv\\share\\");
        machine.SetText(root, key,
                        c.otherScripts ? "名前 \\ \"quoted\"" : "Name \\ \"quoted\" =", "value");
        machine.Set(root, key, "Expand", RegistryType::ExpandString,
                    StoredText("%SystemRoot%\\system32\\a-very-long-file-name-that-wraps.dll"));
        machine.Set(root, key, "Multi", RegistryType::MultiString,
                    Bytes(Utf16Le(u"one\0two, three\0\0"s)));
        machine.Set(root, key, "Dword", RegistryType::Dword, {0xFF, 0xFF, 0xFF, 0xFF});
        std::vector<std::uint8_t> binary;
        for (int i = 0; i < 100; ++i) binary.push_back(static_cast<std::uint8_t>(i * 7));
        machine.Set(root, key, "Binary", RegistryType::Binary, binary);
        machine.Set(root, key, "Qword", RegistryType::Qword, {1, 2, 3, 4, 5, 6, 7, 8});
        machine.Set(root, key, "None", RegistryType::None, {});
        machine.Set(root, key, "Big endian", RegistryType::DwordBigEndian, {0, 0, 1, 0});
        machine.Set(root, key, "Resource list", RegistryType::ResourceList, {1, 0, 0, 0, 9});
        machine.Set(root, key, "Embedded zero", RegistryType::String, Bytes(Utf16Le(u"a\0b\0"s)));
        machine.Set(root, key, "Line break", RegistryType::String, StoredText("one\r\ntwo"));
        if (c.otherScripts) {
            // String bytes of an odd count have no code-page form either: Unicode files only.
            machine.Set(root, key, "Odd size", RegistryType::ExpandString, {0x41, 0x00, 0x42});
        }
        machine.Set(root, key, "Short dword", RegistryType::Dword, {1, 2});
        machine.SetText(root, key, "", "the default value set again keeps its place");
        machine.MakeKey(root, key + "\\Empty subkey");
        machine.SetText(RegRoot::LocalMachine, "Software\\Wow6432Node\\Vendor", "Bits", "32");
        machine.SetText(RegRoot::Users, ".DEFAULT\\Control Panel\\Desktop", "Wallpaper", "");
        machine.Set(RegRoot::CurrentConfig, "Software\\Fonts", "LogPixels", RegistryType::Dword,
                    {0x60, 0, 0, 0});
        ExpectRoundTrip(machine, c.name);
        EXPECT_EQ(machine.File(kFile).substr(0, std::string_view(c.firstLine).size()), c.firstLine)
            << c.name;
    }
}

TEST(RegistryFileTest, RandomRegistriesComeBackByteForByte) {
    RandomRegistryGenerator generator(0x2026'1210'F11EULL);
    const RegRoot places[] = {RegRoot::LocalMachine, RegRoot::CurrentUser, RegRoot::Users,
                              RegRoot::ClassesRoot, RegRoot::CurrentConfig};
    for (int round = 0; round < 20; ++round) {
        Machine machine;
        RandomBranchShape shape;
        shape.maxKeys = 12;
        for (RegRoot root : places) {
            generator.Generate(machine.registry, root, "Branch " + std::to_string(round), shape);
        }
        ExpectRoundTrip(machine, "round " + std::to_string(round));
        if (::testing::Test::HasFailure()) break;
    }
}

// An empty registry is its four roots; each root's own section is "[ROOT\]" and holds the
// values of the root itself; HKEY_CLASSES_ROOT is saved where it lives.
TEST(RegistryFileTest, RootSectionsAndClassesRoot) {
    Machine empty;
    ASSERT_TRUE(SaveRegistryFile(empty.context, empty.files, kFile));
    EXPECT_EQ(empty.File(kFile),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\]\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Classes]\r\n\r\n[HKEY_CURRENT_USER\\]\r\n\r\n"
              "[HKEY_USERS\\]\r\n\r\n[HKEY_CURRENT_CONFIG\\]\r\n");

    Machine machine;
    machine.SetText(RegRoot::CurrentUser, "", "On the root", "x");
    machine.SetText(RegRoot::ClassesRoot, ".abc", "", "abcfile");
    ASSERT_TRUE(SaveRegistryFile(machine.context, machine.files, kFile));
    const std::string file = machine.File(kFile);
    EXPECT_NE(file.find("\r\n[HKEY_CURRENT_USER\\]\r\n\"On the root\"=\"x\"\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("\r\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\.abc]\r\n@=\"abcfile\"\r\n"),
              std::string::npos)
        << file;
    EXPECT_EQ(file.find("HKEY_CLASSES_ROOT"), std::string::npos) << file;
    ExpectRoundTrip(machine, "root values");

    // A file may name HKEY_CLASSES_ROOT; its keys land below HKLM\Software\Classes.
    Machine loaded;
    ASSERT_TRUE(loaded.files.AddFile(
        kFile, "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.xyz]\r\n@=\"xyzfile\"\r\n"));
    ASSERT_TRUE(LoadRegistryFile(loaded.context, loaded.files, kFile));
    EXPECT_EQ(loaded.Text(RegRoot::LocalMachine, "Software\\Classes\\.xyz", ""), "xyzfile");
}

TEST(RegistryFileTest, LoadRefusesWhatItWouldDropOrCannotRead) {
    struct Case {
        const char* name;
        const char* content;  // nullptr: no file at all
        ErrorCode code;
    };
    const Case cases[] = {
        {"no file", nullptr, ErrorCode::NotFound},
        {"a root the registry does not keep",
         "REGEDIT4\r\n\r\n[HKEY_DYN_DATA\\X]\r\n\"a\"=\"b\"\r\n", ErrorCode::InvalidData},
        {"a deletion header", "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\X]\r\n",
         ErrorCode::InvalidData},
        {"a header without its bracket", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X\r\n",
         ErrorCode::InvalidData},
        {"a hex pair that is not hex",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=hex:0z\r\n\"b\"=\"c\"\r\n",
         ErrorCode::InvalidData},
        {"not an export file at all", "hello\r\nworld\r\n", ErrorCode::InvalidData},
    };
    for (const Case& c : cases) {
        Machine machine;
        if (c.content) {
            ASSERT_TRUE(machine.files.AddFile(kFile, c.content));
        }
        Status loaded = LoadRegistryFile(machine.context, machine.files, kFile);
        ASSERT_FALSE(loaded) << c.name;
        EXPECT_EQ(loaded.code(), c.code) << c.name << ": " << loaded.error().Describe();
    }
}

TEST(RegistryFileTest, FailedSaveLeavesTheOldFileWhole) {
    Machine machine;
    machine.SetText(RegRoot::CurrentUser, "Software\\Vendor", "Version", "1");
    ASSERT_TRUE(SaveRegistryFile(machine.context, machine.files, kFile));
    const std::string old = machine.File(kFile);
    machine.SetText(RegRoot::CurrentUser, "Software\\Vendor", "Version", "2");
    machine.SetText(RegRoot::LocalMachine, "Software\\Vendor\\Big", "Data", std::string(300, 'x'));

    const std::int64_t budgets[] = {0, 1, 10, static_cast<std::int64_t>(old.size()), 300};
    for (std::int64_t budget : budgets) {
        machine.files.FailWritesAfter(budget);
        Status saved = SaveRegistryFile(machine.context, machine.files, kFile);
        machine.files.FailWritesAfter(-1);
        EXPECT_FALSE(saved) << "budget " << budget;
        EXPECT_EQ(machine.File(kFile), old) << "budget " << budget;
        EXPECT_FALSE(machine.files.FileExists(RegistryFileSavingPath(kFile)))
            << "budget " << budget;
    }
    machine.files.FailNextFileCreation();
    EXPECT_FALSE(SaveRegistryFile(machine.context, machine.files, kFile));
    EXPECT_EQ(machine.File(kFile), old);

    ASSERT_TRUE(SaveRegistryFile(machine.context, machine.files, kFile));
    EXPECT_NE(machine.File(kFile).find("\"Version\"=\"2\""), std::string::npos);
}

// What the file cannot hold fails the save instead of vanishing from the next load.
TEST(RegistryFileTest, SaveRefusesKeysTheFileCannotHold) {
    struct Case {
        const char* name;
        void (*make)(Machine&);
    };
    const Case cases[] = {
        {"a value name with a line break",
         [](Machine& m) {
             m.SetText(RegRoot::CurrentUser, "Software\\Vendor", "two\r\nlines", "x");
         }},
        {"a key name with a line break",
         [](Machine& m) { m.MakeKey(RegRoot::CurrentUser, "Software\\two\nlines"); }},
        {"a key that cannot be read",
         [](Machine& m) {
             m.SetText(RegRoot::LocalMachine, "Software\\Locked", "Secret", "x");
             m.registry.SetReadDenied(RegRoot::LocalMachine, "Software\\Locked", true);
         }},
    };
    for (const Case& c : cases) {
        Machine machine;
        machine.SetText(RegRoot::CurrentUser, "Software\\Vendor", "Version", "1");
        ASSERT_TRUE(SaveRegistryFile(machine.context, machine.files, kFile));
        const std::string old = machine.File(kFile);
        c.make(machine);
        Status saved = SaveRegistryFile(machine.context, machine.files, kFile);
        ASSERT_FALSE(saved) << c.name;
        EXPECT_EQ(saved.code(), ErrorCode::InvalidData)
            << c.name << ": " << saved.error().Describe();
        EXPECT_EQ(machine.File(kFile), old) << c.name;
        EXPECT_FALSE(machine.files.FileExists(RegistryFileSavingPath(kFile))) << c.name;
    }
}

#ifndef _WIN32
// The Linux platform keeps its registry in the file named on the command line: loaded when
// the platform is made, saved by Finish only when something changed, reached without adding a
// drive to the machine the ports show.
TEST(RegistryFilePlatformTest, LoadsAtStartAndSavesOnlyAfterAChange) {
    TemporaryHostFolder host;
    ASSERT_TRUE(host.Made());
    host.Write("drive_c/Windows/.keep", "");
    host.Write("state/registry.reg",
               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\]\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"
               "\"Where\"=\"file\"\r\n\r\n[HKEY_CURRENT_USER\\]\r\n\r\n[HKEY_USERS\\]\r\n\r\n"
               "[HKEY_CURRENT_CONFIG\\]\r\n");
    const std::string file = host.Host("state/registry.reg");
    const std::string original = ReadHostFile(file);
    auto inode = [&] {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return info.st_ino;
    };
    const auto firstInode = inode();

    NativePlatformOptions options;
    options.drives.push_back(DriveMapping{'C', host.Host("drive_c")});
    options.registryFile = file;
    {
        auto platform = CreateNativePlatform(options);
        ASSERT_TRUE(platform) << platform.error().Describe();
        Platform ports = (*platform)->Ports();
        EXPECT_EQ(ports.fileSystem.LogicalDrives(), 1u << 2) << "only C: is mapped";
        auto key = ports.registry.OpenKey(RegRoot::LocalMachine, "Software", KeyAccess::Read);
        ASSERT_TRUE(key);
        EXPECT_TRUE((*key)->QueryValue("Where"));
        ASSERT_TRUE((*platform)->Finish());
        EXPECT_EQ(inode(), firstInode) << "an unchanged registry is not written";
    }
    {
        auto platform = CreateNativePlatform(options);
        ASSERT_TRUE(platform);
        auto key = (*platform)->Ports().registry.CreateKey(RegRoot::CurrentUser, "Software\\New",
                                                           KeyAccess::AllAccess);
        ASSERT_TRUE(key);
        ASSERT_TRUE(
            (*key)->SetValue("Added", RegistryType::Dword, std::vector<std::uint8_t>{1, 0, 0, 0}));
        Status finished = (*platform)->Finish();
        ASSERT_TRUE(finished) << finished.error().Describe();
    }
    const std::string saved = ReadHostFile(file);
    EXPECT_NE(saved.find("[HKEY_CURRENT_USER\\Software\\New]\r\n\"Added\"=dword:00000001\r\n"),
              std::string::npos)
        << saved;
    EXPECT_EQ(saved.rfind(original.substr(0, original.find("\r\n\r\n[HKEY_CURRENT_USER")), 0), 0u)
        << "the loaded part stays as it was:\n"
        << saved;
    EXPECT_FALSE(std::filesystem::exists(file + ".saving"));
}

TEST(RegistryFilePlatformTest, NamesTheHostFileWhenItCannotBeLoaded) {
    TemporaryHostFolder host;
    ASSERT_TRUE(host.Made());
    host.Write("bad.reg", "REGEDIT4\r\n\r\n[HKEY_DYN_DATA\\X]\r\n");
    struct Case {
        std::string file;
        ErrorCode code;
    };
    const Case cases[] = {
        {host.Host("missing.reg"), ErrorCode::NotFound},
        {host.Host("bad.reg"), ErrorCode::InvalidData},
    };
    for (const Case& c : cases) {
        NativePlatformOptions options;
        options.registryFile = c.file;
        auto platform = CreateNativePlatform(options);
        ASSERT_FALSE(platform) << c.file;
        EXPECT_EQ(platform.code(), c.code) << c.file;
        EXPECT_NE(platform.error().Describe().find(c.file), std::string::npos)
            << platform.error().Describe();
    }
}

TEST(RegistryFilePlatformTest, CommandLineFilesAreHostPaths) {
    TemporaryHostFolder host;
    ASSERT_TRUE(host.Made());
    host.Write("a/one.reg", "1");
    host.Write("b/two.reg", "2");
    auto platform = CreateNativePlatform(NativePlatformOptions{});
    ASSERT_TRUE(platform);
    for (const char* name : {"a/one.reg", "b/two.reg", "a/one.reg"}) {
        auto file = (*platform)->LocateCommandLineFile(host.Host(name));
        ASSERT_TRUE(file) << name;
        auto bytes = file->fileSystem->ReadFile(file->path);
        ASSERT_TRUE(bytes) << name << " as " << file->path;
        EXPECT_EQ(std::string(bytes->begin(), bytes->end()), name[0] == 'a' ? "1" : "2");
    }
    EXPECT_EQ((*platform)->Ports().fileSystem.LogicalDrives(), 0u)
        << "files named on the command line add no drive to the machine";
    EXPECT_FALSE((*platform)->LocateCommandLineFile(host.Host("bad:name.reg")));
    EXPECT_FALSE((*platform)->LocateCommandLineFile(""));
}
#endif

}  // namespace
}  // namespace kestrover::testing
