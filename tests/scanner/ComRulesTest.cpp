// File-type, COM class, "Open With" and open-command rules on small registries and file trees,
// each broken case beside a valid one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/KeyPaths.h"
#include "scanner/ComRules.h"

namespace kestrover {
namespace {

// Keeps every entry with its flags and detail, and clears the flags as the result list does.
class RecordingSink final : public ScanEntrySink {
public:
    struct Entry {
        std::string text;
        int rootIndex = 0;
        CategoryFlags flags;
        FindingDetail detail;
    };
    bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                      const FindingDetail& detail) override {
        entries.push_back({std::string(text), rootIndex, flags, detail});
        flags.Clear();
        return true;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Entry& entry : entries) texts.push_back(entry.text);
        return texts;
    }
    std::vector<Entry> entries;
};

using Texts = std::vector<std::string>;

// A 64-bit Windows machine on C: (fixed) with a removable E:, its registry and the rules' ports.
class Machine {
public:
    explicit Machine(bool windows64 = true)
        : registry_(windows64),
          context(registry_, {windows64, windows64}),
          resolver(files, Folders(windows64), Wow64Redirection::Off) {
        files.AddDrive('E', DriveType::Removable);
        resolver.BuildLocalDrives();
        EXPECT_TRUE(files.AddDirectories("C:\\Windows\\System32"));
    }

    static KnownFolders Folders(bool windows64) {
        KnownFolders folders;
        folders.systemRoot = "C:\\Windows";
        folders.windowsFolder = "C:\\Windows";
        folders.systemDrive = "C:";
        folders.programFiles = "C:\\Program Files";
        folders.commonProgramFiles = "C:\\Program Files\\Common Files";
        folders.is64BitWindows = windows64;
        return folders;
    }

    void String(RegRoot root, std::string_view path, std::string_view name, std::string_view text) {
        RegistryProvider provider(context);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey("\\" + std::string(path), true)) << path;
        provider.WriteString(name, text);
    }
    void Dword(RegRoot root, std::string_view path, std::string_view name, std::uint32_t number) {
        RegistryProvider provider(context);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey("\\" + std::string(path), true)) << path;
        provider.WriteInteger(name, number);
    }
    void Key(RegRoot root, std::string_view path) {
        RegistryProvider provider(context);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey("\\" + std::string(path), true)) << path;
    }
    // Classes-root shorthands.
    void String(std::string_view path, std::string_view name, std::string_view text) {
        String(RegRoot::ClassesRoot, path, name, text);
    }
    void Dword(std::string_view path, std::string_view name, std::uint32_t number) {
        Dword(RegRoot::ClassesRoot, path, name, number);
    }
    void Key(std::string_view path) { Key(RegRoot::ClassesRoot, path); }
    void DenyClassesKey(std::string_view path) {
        ASSERT_TRUE(registry_.SetReadDenied(RegRoot::LocalMachine,
                                            "Software\\Classes\\" + std::string(path), true))
            << path;
    }
    void File(std::string_view path) { ASSERT_TRUE(files.AddFile(path, "x")) << path; }

    // Runs a key rule on root\path as the walker hands keys to the rules.
    void VisitKey(RegRoot root, std::string_view path, int rootIndex,
                  const std::function<void(ScanContext&, KeyVisit&)>& rule) {
        RegistryProvider provider(context);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKeyReadOnly("\\" + std::string(path))) << path;
        std::vector<std::string> subkeys;
        std::vector<RegistryValue> values;
        provider.GetKeyNames(subkeys);
        ASSERT_TRUE(provider.ReadAllValues(values));
        std::string keyName = LastKeyName(provider.CurrentPath());
        KeyVisit visit{root,
                       provider,
                       provider.CurrentPath(),
                       keyName,
                       subkeys,
                       values,
                       AsciiLowerCopy(provider.CurrentPath())};
        ScanContext scan = Context(rootIndex);
        scan.listedClasses = std::move(listedClasses);
        rule(scan, visit);
        listedClasses = std::move(scan.listedClasses);  // what one scan keeps between keys
    }
    // Runs the open-command rule on every value of root\path.
    void VisitValues(RegRoot root, std::string_view path, int rootIndex) {
        VisitKey(root, path, rootIndex, [&](ScanContext& scan, KeyVisit& visit) {
            for (const RegistryValue& value : visit.values) {
                OpenCommandRule(scan, visit, value, resolver);
            }
        });
    }

    std::unordered_set<std::string> listedClasses;

    ScanContext Context(int rootIndex) {
        ScanContext scan{context, files, sink, flags, resolver.LocalDrives(), 0, true, {}, {}};
        scan.currentRootIndex = rootIndex;
        scan.reportComClasses = reportComClasses;
        return scan;
    }

    static std::string AsciiLowerCopy(std::string_view text) {
        std::string lower(text);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return lower;
    }

private:
    MemoryRegistry registry_;

public:
    RegistryContext context;
    MemoryFileSystem files;
    FileReferenceResolver resolver;
    RecordingSink sink;
    CategoryFlags flags;
    bool reportComClasses = true;
};

constexpr const char* kClass = "{11111111-2222-3333-4444-555555555555}";
const std::string kClassPath = std::string("CLSID\\") + kClass;
const std::string kTwinPath = std::string("Wow6432Node\\CLSID\\") + kClass;

// ---------------------------------------------------------------------------------------------
// ComServerValid

struct ServerCase {
    const char* name;
    std::function<void(Machine&)> build;
    bool valid;
    const char* testedPath;  // the missing file an invalid class is reported for
};

TEST(ComServerValid, JudgesTheServerFileOfAClass) {
    const std::vector<ServerCase> cases = {
        {"in-process server present",
         [](Machine& m) {
             m.File("C:\\App\\app.dll");
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app.dll");
         },
         true, ""},
        {"in-process server missing",
         [](Machine& m) { m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app.dll"); },
         false, "c:\\app\\app.dll"},
        {"code base replaces the server text: present",
         [](Machine& m) {
             m.File("C:\\Program Files\\App\\lib.dll");
             m.String(kClassPath + "\\InprocServer32", "", "mscoree.dll");
             m.String(kClassPath + "\\InprocServer32", "CodeBase",
                      "file:///C:/Program Files/App/lib.dll");
         },
         true, ""},
        {"code base replaces the server text: missing",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "mscoree.dll");
             m.String(kClassPath + "\\InprocServer32", "CodeBase",
                      "file:///C:/Program Files/App/lib.dll");
         },
         false, "c:\\program files\\app\\lib.dll"},
        {"local server with a switch, program present",
         [](Machine& m) {
             m.File("C:\\App\\app.exe");
             m.String(kClassPath + "\\LocalServer32", "", "C:\\App\\app.exe /automation");
         },
         true, ""},
        {"local server with a switch, program missing",
         [](Machine& m) {
             m.String(kClassPath + "\\LocalServer32", "", "C:\\App\\app.exe /automation");
         },
         false, "c:\\app\\app.exe"},
        {"quoted local server with arguments, program present",
         [](Machine& m) {
             m.File("C:\\Program Files\\App\\app.exe");
             m.String(kClassPath + "\\LocalServer32", "",
                      "\"C:\\Program Files\\App\\app.exe\" -Embedding");
         },
         true, ""},
        {"quoted local server with arguments, program missing",
         [](Machine& m) {
             m.String(kClassPath + "\\LocalServer32", "",
                      "\"C:\\Program Files\\App\\app.exe\" -Embedding");
         },
         false, "c:\\program files\\app\\app.exe"},
        {"empty in-process server, the handler is judged",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "");
             m.String(kClassPath + "\\InprocHandler32", "", "C:\\App\\handler.dll");
             m.File("C:\\App\\local.exe");
             m.String(kClassPath + "\\LocalServer32", "", "C:\\App\\local.exe");
         },
         false, "c:\\app\\handler.dll"},
        {"only a default icon, present with its index",
         [](Machine& m) {
             m.File("C:\\App\\icons.dll");
             m.String(kClassPath + "\\DefaultIcon", "", "C:\\App\\icons.dll,-101");
         },
         true, ""},
        {"only a default icon, missing",
         [](Machine& m) { m.String(kClassPath + "\\DefaultIcon", "", "C:\\App\\icons.dll,-101"); },
         false, "c:\\app\\icons.dll"},
        {"no server at all", [](Machine& m) { m.String(kClassPath, "", "Some class"); }, true, ""},
        {"class not registered", [](Machine&) {}, true, ""},
        {"class key cannot be read",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app.dll");
             m.DenyClassesKey(kClassPath);
         },
         true, ""},
        {"server key cannot be read",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app.dll");
             m.DenyClassesKey(kClassPath + "\\InprocServer32");
         },
         true, ""},
        {"server text of another kind cannot be read as a path",
         [](Machine& m) { m.Dword(kClassPath + "\\InprocServer32", "", 1); }, true, ""},
        {"display name of another kind, server present",
         [](Machine& m) {
             m.Dword(kClassPath, "", 7);
             m.File("C:\\App\\app.dll");
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app.dll");
         },
         true, ""},
        {"display name of another kind, server missing",
         [](Machine& m) {
             m.Dword(kClassPath, "", 7);
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app.dll");
         },
         false, "c:\\app\\app.dll"},
        {"server on a removable drive is not checked",
         [](Machine& m) { m.String(kClassPath + "\\InprocServer32", "", "E:\\App\\app.dll"); },
         true, ""},
        {"bare system file name present",
         [](Machine& m) {
             m.File("C:\\Windows\\System32\\shell32.dll");
             m.String(kClassPath + "\\InprocServer32", "", "shell32.dll");
         },
         true, ""},
        {"bare file name found nowhere cannot be checked",
         [](Machine& m) { m.String(kClassPath + "\\InprocServer32", "", "gone32.dll"); }, true, ""},
        {"system root placeholder",
         [](Machine& m) {
             m.File("C:\\Windows\\System32\\ole32.dll");
             m.String(kClassPath + "\\InprocServer32", "", "%SystemRoot%\\System32\\ole32.dll");
         },
         true, ""},
    };
    for (const ServerCase& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        c.build(machine);
        ComServerVerdict verdict = ComServerValid(machine.context, machine.resolver, kClassPath);
        EXPECT_EQ(verdict.valid, c.valid);
        EXPECT_EQ(verdict.testedPath, c.testedPath);
    }
}

TEST(ClsidValid, TriesTheThirtyTwoBitRegistrationOnSixtyFourBitWindows) {
    struct Case {
        const char* name;
        bool windows64;
        bool twinRegistered;
        bool twinServerPresent;
        bool valid;
    };
    const Case cases[] = {
        {"64-bit Windows, working 32-bit twin", true, true, true, true},
        {"64-bit Windows, broken twin", true, true, false, false},
        {"64-bit Windows, no twin registered", true, false, false, false},
        {"32-bit Windows has no twin", false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine(c.windows64);
        machine.String(kClassPath + "\\InprocServer32", "", "C:\\App\\app64.dll");
        if (c.twinRegistered)
            machine.String(kTwinPath + "\\InprocServer32", "", "C:\\App\\app32.dll");
        if (c.twinServerPresent) machine.File("C:\\App\\app32.dll");
        ComServerVerdict verdict = ClsidValid(machine.context, machine.resolver, kClass);
        EXPECT_EQ(verdict.valid, c.valid);
        if (!c.valid) {
            EXPECT_EQ(verdict.testedPath, "c:\\app\\app64.dll");
        }
    }
}

// ---------------------------------------------------------------------------------------------
// FileTypeKeyInUse and FileTypeInUse

struct UseCase {
    const char* name;
    const char* key;
    std::function<void(Machine&)> build;
    bool inUse;
};

void CheckKeyInUse(const std::vector<UseCase>& cases) {
    for (const UseCase& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        c.build(machine);
        EXPECT_EQ(FileTypeKeyInUse(machine.context, machine.resolver, c.key).inUse, c.inUse);
    }
}

TEST(FileTypeKeyInUse, EmptyKeysAndExtensionsNamingMissingTypes) {
    CheckKeyInUse({
        {"empty extension", ".abc", [](Machine& m) { m.Key(".abc"); }, false},
        {"extension with one value", ".abc",
         [](Machine& m) { m.String(".abc", "Content Type", "text/plain"); }, true},
        {"extension key cannot be read", ".abc",
         [](Machine& m) {
             m.Key(".abc");
             m.DenyClassesKey(".abc");
         },
         true},
        {"target without a dot, missing", ".abc",
         [](Machine& m) { m.String(".abc", "", "abcfile"); }, true},
        {"versioned target missing", ".abc", [](Machine& m) { m.String(".abc", "", "Abc.File.1"); },
         false},
        {"versioned target present", ".abc",
         [](Machine& m) {
             m.String(".abc", "", "Abc.File.1");
             m.String("Abc.File.1", "", "Abc file");
         },
         true},
        {"versioned target that cannot be read exists", ".abc",
         [](Machine& m) {
             m.String(".abc", "", "Abc.File.1");
             m.String("Abc.File.1", "", "Abc file");
             m.DenyClassesKey("Abc.File.1");
         },
         true},
        {"protocol target", ".abc", [](Machine& m) { m.String(".abc", "", "URL:Abc.Protocol"); },
         true},
        {"missing target, but an Open With program exists", ".abc",
         [](Machine& m) {
             m.String(".abc", "", "Abc.File.1");
             m.String(".abc\\OpenWithProgids", "Other.Viewer.2", "");
             m.String("Other.Viewer.2", "", "Other viewer");
         },
         true},
        {"missing target, Open With program missing as well", ".abc",
         [](Machine& m) {
             m.String(".abc", "", "Abc.File.1");
             m.String(".abc\\OpenWithProgids", "Other.Viewer.2", "");
         },
         false},
        {"target of another kind", ".abc", [](Machine& m) { m.Dword(".abc", "", 3); }, true},
        {"key without a dot naming a missing versioned type", "abcfile",
         [](Machine& m) { m.String("abcfile", "", "Abc.File.1"); }, true},
    });
}

TEST(FileTypeKeyInUse, ShellVerbs) {
    CheckKeyInUse({
        {"open command present", "abcfile",
         [](Machine& m) { m.String("abcfile\\shell\\open\\command", "", "C:\\Gone\\abc.exe %1"); },
         true},
        {"empty command with no delegate", "abcfile",
         [](Machine& m) { m.String("abcfile\\shell\\open\\command", "", ""); }, true},
        {"delegate class not registered", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
         },
         false},
        {"delegate class with its server", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.File("C:\\App\\verb.dll");
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\verb.dll");
         },
         true},
        {"delegate class whose server is missing", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\verb.dll");
         },
         false},
        {"delegate class served by a program with a switch", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.File("C:\\App\\app.exe");
             m.String(kClassPath + "\\LocalServer32", "", "C:\\App\\app.exe -Embedding");
         },
         true},
        {"delegate class without server keys", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.String(kClassPath, "", "Verb");
         },
         true},
        {"delegate class that cannot be read", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\verb.dll");
             m.DenyClassesKey(kClassPath);
         },
         true},
        {"delegate class registered for 32-bit programs only", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.File("C:\\App\\verb32.dll");
             m.String(kTwinPath + "\\InprocServer32", "", "C:\\App\\verb32.dll");
         },
         true},
        {"no open command, another verb", "abcfile",
         [](Machine& m) { m.String("abcfile\\shell\\edit\\command", "", "C:\\App\\edit.exe"); },
         true},
        {"no open command, only empty keys", "abcfile",
         [](Machine& m) { m.Key("abcfile\\shell\\print\\command"); }, false},
        {"no open command, a verb key that cannot be read", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\print\\command", "", "C:\\App\\print.exe");
             m.DenyClassesKey("abcfile\\shell\\print");
         },
         true},
        {"open command that cannot be read", "abcfile",
         [](Machine& m) {
             m.String("abcfile\\shell\\open\\command", "", "");
             m.String("abcfile\\shell\\open\\command", "DelegateExecute", kClass);
             m.DenyClassesKey("abcfile\\shell\\open\\command");
         },
         true},
    });
}

TEST(FileTypeInUse, JudgesByTheClassWhenTheTypeNamesOne) {
    struct Case {
        const char* name;
        std::function<void(Machine&)> build;
        bool inUse;
        const char* clsid;
    };
    const Case cases[] = {
        {"class with its server",
         [](Machine& m) {
             m.File("C:\\App\\doc.dll");
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll");
         },
         true, kClass},
        {"class whose server is missing",
         [](Machine& m) { m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll"); },
         false, kClass},
        {"class whose server is missing, type opens through its own verb",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll");
             m.String("Doc.File.1\\shell\\open\\command", "", "C:\\App\\viewer.exe %1");
         },
         true, kClass},
        {"class link that cannot be read",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll");
             m.DenyClassesKey("Doc.File.1\\CLSID");
         },
         true, ""},
        {"file type key that cannot be read",
         [](Machine& m) {
             m.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll");
             m.DenyClassesKey("Doc.File.1");
         },
         true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        machine.String("Doc.File.1", "", "Document");
        machine.String("Doc.File.1\\CLSID", "", kClass);
        c.build(machine);
        FileTypeVerdict verdict = FileTypeInUse(machine.context, machine.resolver, "Doc.File.1");
        EXPECT_EQ(verdict.inUse, c.inUse);
        EXPECT_EQ(verdict.clsid, c.clsid);
    }
}

TEST(FileTypeInUse, WithoutAClassJudgesTheKey) {
    Machine machine;
    machine.Key(".empty");
    machine.String(".txt", "", "txtfile");
    EXPECT_FALSE(FileTypeInUse(machine.context, machine.resolver, ".empty").inUse);
    EXPECT_TRUE(FileTypeInUse(machine.context, machine.resolver, ".txt").inUse);
    EXPECT_TRUE(FileTypeInUse(machine.context, machine.resolver, ".nothere").inUse);
}

// ---------------------------------------------------------------------------------------------
// The unused-file-type rule

TEST(UnusedFileTypeRule, ReportsTheTypeAndTheClassThatMadeItUnused) {
    struct Case {
        const char* name;
        bool serverPresent;
        bool reportComClasses;
        Texts entries;
    };
    const std::vector<Case> cases = {
        {"server missing, classes reported", false, true, {"Doc.File.1", kClassPath}},
        {"server missing, classes not reported", false, false, {"Doc.File.1"}},
        // A file type in use never brings its class into the list.
        {"server present", true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        machine.reportComClasses = c.reportComClasses;
        machine.String("Doc.File.1\\CLSID", "", kClass);
        machine.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll");
        if (c.serverPresent) machine.File("C:\\App\\doc.dll");
        machine.VisitKey(RegRoot::ClassesRoot, "Doc.File.1", 0, [&](ScanContext& s, KeyVisit& k) {
            UnusedFileTypeRule(s, k, machine.resolver);
        });
        EXPECT_EQ(machine.sink.Texts(), c.entries);
        if (machine.sink.entries.empty()) continue;
        const RecordingSink::Entry& type = machine.sink.entries[0];
        EXPECT_TRUE(type.flags.IsSet(ResultCategory::UnusedExtension));
        EXPECT_EQ(type.detail.rule, "unused-file-type");
        EXPECT_EQ(type.detail.testedPath, "c:\\app\\doc.dll");
        if (machine.sink.entries.size() < 2) continue;
        const RecordingSink::Entry& comClass = machine.sink.entries[1];
        EXPECT_TRUE(comClass.flags.IsSet(ResultCategory::InvalidClsid));
        EXPECT_FALSE(comClass.flags.IsSet(ResultCategory::UnusedExtension));
        EXPECT_EQ(comClass.detail.rule, "invalid-clsid");
    }
}

// Two file types naming one dead class: both types are listed, the class once (a second row
// for it would fail once the first is deleted).
TEST(UnusedFileTypeRule, AClassSeveralTypesNameIsListedOnce) {
    Machine machine;
    machine.String("Doc.File.1\\CLSID", "", kClass);
    machine.String("Doc.File.2\\CLSID", "", kClass);
    machine.String(kClassPath + "\\InprocServer32", "", "C:\\App\\doc.dll");
    for (const char* type : {"Doc.File.1", "Doc.File.2"}) {
        machine.VisitKey(RegRoot::ClassesRoot, type, 0, [&](ScanContext& s, KeyVisit& k) {
            UnusedFileTypeRule(s, k, machine.resolver);
        });
    }
    EXPECT_EQ(machine.sink.Texts(), (Texts{"Doc.File.1", kClassPath, "Doc.File.2"}));
}

TEST(UnusedFileTypeRule, OnlyTopLevelKeysOfTheClassesRootPass) {
    struct Case {
        const char* name;
        const char* path;
        int rootIndex;
        Texts entries;
    };
    const std::vector<Case> cases = {
        {"empty extension", ".abc", 0, {".abc"}},
        {"extension in use", ".txt", 0, {}},
        {"not a top-level key", ".txt\\ShellNew", 0, {}},
        {"another pass", ".abc", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        machine.Key(".abc");
        machine.String(".txt", "", "txtfile");
        machine.Key(".txt\\ShellNew");
        machine.VisitKey(
            RegRoot::ClassesRoot, c.path, c.rootIndex,
            [&](ScanContext& s, KeyVisit& k) { UnusedFileTypeRule(s, k, machine.resolver); });
        EXPECT_EQ(machine.sink.Texts(), c.entries);
        for (const RecordingSink::Entry& entry : machine.sink.entries) {
            EXPECT_EQ(entry.detail.rule, "unused-extension");
            EXPECT_TRUE(entry.flags.IsSet(ResultCategory::UnusedExtension));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The open-with rule

TEST(OpenWithRule, ReportsAnExtensionLeftWithAnEmptyList) {
    const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
    struct Case {
        const char* name;
        std::function<void(Machine&, const std::string&)> build;
        std::string visited;
        int rootIndex;
        Texts entries;
    };
    const std::string ext = fileExts + "\\.abc";
    const std::vector<Case> cases = {
        {"empty list alone", [](Machine&, const std::string&) {}, ext + "\\OpenWithList", 1, {ext}},
        {"list with values",
         [](Machine& m, const std::string& e) {
             m.String(RegRoot::CurrentUser, e + "\\OpenWithList", "a", "viewer.exe");
         },
         ext + "\\OpenWithList",
         1,
         {}},
        {"empty list beside OpenWithProgids",
         [](Machine& m, const std::string& e) {
             m.Key(RegRoot::CurrentUser, e + "\\OpenWithProgids");
         },
         ext + "\\OpenWithList",
         1,
         {}},
        {"empty list beside the user's choice",
         [](Machine& m, const std::string& e) {
             m.String(RegRoot::CurrentUser, e + "\\UserChoice", "ProgId", "Abc.File.1");
         },
         ext + "\\OpenWithList",
         1,
         {}},
        {"empty list in a key with a value",
         [](Machine& m, const std::string& e) {
             m.String(RegRoot::CurrentUser, e, "Progid", "Abc.File.1");
         },
         ext + "\\OpenWithList",
         1,
         {}},
        {"list directly below FileExts",
         [](Machine& m, const std::string&) {
             m.Key(
                 RegRoot::CurrentUser,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\OpenWithList");
         },
         fileExts + "\\OpenWithList",
         1,
         {}},
        {"another pass", [](Machine&, const std::string&) {}, ext + "\\OpenWithList", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        machine.Key(RegRoot::CurrentUser, ext + "\\OpenWithList");
        c.build(machine, ext);
        machine.VisitKey(
            RegRoot::CurrentUser, c.visited, c.rootIndex,
            [&](ScanContext& s, KeyVisit& k) { OpenWithRule(s, k, machine.resolver); });
        EXPECT_EQ(machine.sink.Texts(), c.entries);
        for (const RecordingSink::Entry& entry : machine.sink.entries) {
            EXPECT_EQ(entry.detail.rule, "open-with");
            EXPECT_TRUE(entry.flags.IsSet(ResultCategory::UnusedExtension));
            EXPECT_EQ(entry.rootIndex, 1);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The open-command rule

TEST(OpenCommandRule, ReportsTheProgramKeyOrTheFileType) {
    struct Case {
        const char* name;
        const char* path;
        std::function<void(Machine&, const std::string&)> build;
        Texts entries;
        ResultCategory category;
    };
    const std::vector<Case> cases = {
        {"program key, program missing",
         "Applications\\old.exe\\shell\\open\\command",
         [](Machine& m, const std::string& p) { m.String(p, "", "\"C:\\Old\\old.exe\" \"%1\""); },
         {"Applications\\old.exe"},
         ResultCategory::ObsoleteEntry},
        {"program key, program present",
         "Applications\\old.exe\\shell\\open\\command",
         [](Machine& m, const std::string& p) {
             m.File("C:\\Old\\old.exe");
             m.String(p, "", "\"C:\\Old\\old.exe\" \"%1\"");
         },
         {},
         ResultCategory::ObsoleteEntry},
        {"file type, program missing",
         "oldfile\\shell\\open\\command",
         [](Machine& m, const std::string& p) { m.String(p, "", "C:\\Old\\tool.exe %1"); },
         {"oldfile"},
         ResultCategory::UnusedFileType},
        {"file type, program present",
         "oldfile\\shell\\open\\command",
         [](Machine& m, const std::string& p) {
             m.File("C:\\Old\\tool.exe");
             m.String(p, "", "C:\\Old\\tool.exe %1");
         },
         {},
         ResultCategory::UnusedFileType},
        {"program present, command line with switches",
         "oldfile\\shell\\open\\command",
         [](Machine& m, const std::string& p) {
             m.File("C:\\Program Files\\Tool\\run.cmd");
             m.String(p, "", "\"C:\\Program Files\\Tool\\run.cmd\" /open \"%1\"");
         },
         {},
         ResultCategory::UnusedFileType},
        // The program's name only counts as a whole key name: "old.exe.bak" is not "old.exe".
        {"program name inside a longer key name",
         "Applications\\old.exe.bak\\shell\\open\\command",
         [](Machine& m, const std::string& p) { m.String(p, "", "C:\\Old\\old.exe %1"); },
         {"Applications\\old.exe.bak"},
         ResultCategory::UnusedFileType},
        {"verb delegated to a class",
         "oldfile\\shell\\open\\command",
         [](Machine& m, const std::string& p) {
             m.String(p, "", "C:\\Old\\tool.exe %1");
             m.String(p, "DelegateExecute", kClass);
         },
         {},
         ResultCategory::UnusedFileType},
        {"program on a removable drive",
         "oldfile\\shell\\open\\command",
         [](Machine& m, const std::string& p) { m.String(p, "", "E:\\Old\\tool.exe %1"); },
         {},
         ResultCategory::UnusedFileType},
        {"not an open command",
         "oldfile\\shell\\edit\\command",
         [](Machine& m, const std::string& p) { m.String(p, "", "C:\\Old\\tool.exe %1"); },
         {},
         ResultCategory::UnusedFileType},
        {"\"shell\" only as the end of a longer name",
         "oldfile\\myshell\\open\\command",
         [](Machine& m, const std::string& p) { m.String(p, "", "C:\\Old\\tool.exe %1"); },
         {},
         ResultCategory::UnusedFileType},
        {"integer value",
         "oldfile\\shell\\open\\command",
         [](Machine& m, const std::string& p) { m.Dword(p, "Flags", 1); },
         {},
         ResultCategory::UnusedFileType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        c.build(machine, c.path);
        machine.VisitValues(RegRoot::ClassesRoot, c.path, 0);
        EXPECT_EQ(machine.sink.Texts(), c.entries);
        for (const RecordingSink::Entry& entry : machine.sink.entries) {
            EXPECT_TRUE(entry.flags.IsSet(c.category));
            EXPECT_FALSE(entry.flags.IsSet(ResultCategory::MissingFile));
            EXPECT_EQ(entry.detail.rule, "open-command");
            EXPECT_FALSE(entry.detail.testedPath.empty());
        }
    }
}

}  // namespace
}  // namespace kestrover
