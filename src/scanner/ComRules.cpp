// ComRules: file types, the COM classes behind them, "Open With" lists and open commands.
#include "scanner/ComRules.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "core/KestroverError.h"
#include "core/Text.h"
#include "core/Unicode.h"
#include "registry/KeyPaths.h"
#include "registry/RegValueKind.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

namespace {

// Adds a finding that names a whole key, unless its row would not read back as that key (a
// key name holding "||" would be cut there, and a deletion would act on another key or on a
// value of a neighbour). Such a finding is dropped with its flags.
void AddKeyEntry(ScanContext& context, std::string_view keyPath, const FindingDetail& detail) {
    ScanEntry parsed = ParseScanEntry(BuildScanEntry(0, context.currentRootIndex,
                                                     MakeEntryText(keyPath)));
    if (parsed.keyPath != keyPath || parsed.hasValue) {
        context.flags.Clear();
        return;
    }
    context.AddScanEntry(MakeEntryText(keyPath), detail);
}

constexpr std::size_t npos = std::string::npos;
// Data this long is no command line; the value rules leave it alone as well.
constexpr std::size_t kLongestJudgedData = 1024;

enum class KeyState { Opened, Missing, Unreadable };

// Opens root\path read-only (path from the root). A key that exists but refuses to be read is
// told apart from a missing one: only a missing key may count against anything.
KeyState OpenFromRoot(RegistryProvider& provider, RegRoot root, std::string_view path) {
    provider.SetRootKey(root);
    std::string fromRoot = "\\" + std::string(path);
    if (provider.OpenKeyReadOnly(fromRoot)) return KeyState::Opened;
    return provider.KeyExists(fromRoot) ? KeyState::Unreadable : KeyState::Missing;
}

KeyState OpenClassesKey(RegistryProvider& provider, std::string_view path) {
    return OpenFromRoot(provider, RegRoot::ClassesRoot, path);
}

std::string Join(std::string_view parent, std::string_view child) {
    std::string path(parent);
    path += '\\';
    path += child;
    return path;
}

// A string value's text; "" when the value is missing; nothing when it holds another kind or
// cannot be read.
std::optional<std::string> ReadText(RegistryProvider& provider, std::string_view name) {
    if (!provider.ValueExists(name)) return std::string();
    RegValueKind kind = provider.GetDataType(name);
    if (kind != RegValueKind::String && kind != RegValueKind::ExpandString) return std::nullopt;
    try {
        return provider.ReadString(name);
    } catch (const KestroverError&) {
        return std::nullopt;
    }
}

// The text of a string value as the walker read it, cut at its first zero character.
std::optional<std::string> ValueText(const RegistryValue& value) {
    if (value.data.type != RegistryType::String && value.data.type != RegistryType::ExpandString) {
        return std::nullopt;
    }
    std::string text = Utf16LeBytesToUtf8(value.data.bytes.data(), value.data.bytes.size());
    if (std::size_t zero = text.find('\0'); zero != npos) text.erase(zero);
    return text;
}

bool HasSubkeyNamed(const std::vector<std::string>& names, std::string_view wanted) {
    for (const std::string& name : names) {
        if (EqualsNoCase(name, wanted)) return true;
    }
    return false;
}

// What a server key's default value says about its class.
struct ServerJudgement {
    bool unreadable = false;  // a key or value on the way could not be read
    std::string text;         // the server text; empty when none was found
};

// The server text of the first of subkeys (below the open class key path) whose default value
// is not empty. With codeBase, a "CodeBase" value of the first subkey replaces its default.
ServerJudgement FindServerText(RegistryContext& registry, std::string_view classPath,
                               std::span<const std::string_view> subkeys, bool stopAtFirstKey,
                               bool codeBase) {
    ServerJudgement judgement;
    for (std::size_t i = 0; i < subkeys.size(); ++i) {
        RegistryProvider server(registry);
        KeyState state = OpenClassesKey(server, Join(classPath, subkeys[i]));
        if (state == KeyState::Missing) continue;
        if (state == KeyState::Unreadable) {
            judgement.unreadable = true;
            return judgement;
        }
        std::optional<std::string> text = ReadText(server, "");
        if (codeBase && i == 0 && server.ValueExists("CodeBase"))
            text = ReadText(server, "CodeBase");
        if (!text) {
            judgement.unreadable = true;
            return judgement;
        }
        judgement.text = std::move(*text);
        if (!judgement.text.empty() || stopAtFirstKey) return judgement;
    }
    return judgement;
}

// The server text resolved and judged by the program it names: "C:\App\app.exe /automation"
// is valid when app.exe exists. Texts that are no checkable local path are valid.
ComServerVerdict JudgeServerText(const FileReferenceResolver& resolver, std::string_view text) {
    ComServerVerdict verdict;
    if (text.empty()) return verdict;
    FileReference reference = resolver.Resolve(text, ReturnFound::Yes);
    verdict.serverPath = reference.path;
    if (reference.Missing()) {
        verdict.valid = false;
        verdict.testedPath = reference.testedPath;
    }
    return verdict;
}

FileTypeVerdict NotInUse() {
    FileTypeVerdict verdict;
    verdict.inUse = false;
    return verdict;
}

bool Is64BitWindows(const RegistryContext& registry) { return registry.views.is64BitWindows; }

// The class a shell verb delegates to ("DelegateExecute"): in use when it has a server that
// exists, or one that cannot be checked; not in use when the class is not registered or its
// server is missing.
FileTypeVerdict JudgeDelegateClass(RegistryContext& registry, const FileReferenceResolver& resolver,
                                   std::string_view classPath) {
    FileTypeVerdict verdict;
    RegistryProvider classKey(registry);
    KeyState state = OpenClassesKey(classKey, classPath);
    if (state == KeyState::Unreadable) return verdict;
    if (state == KeyState::Missing) {
        verdict.inUse = false;
        return verdict;
    }
    static constexpr std::array<std::string_view, 4> kServers = {
        "InprocServer32", "InprocServer", "LocalServer32", "InprocHandler32"};
    ServerJudgement server =
        FindServerText(registry, classPath, kServers, /*stopAtFirstKey=*/true, /*codeBase=*/false);
    if (server.unreadable) return verdict;
    ComServerVerdict judged = JudgeServerText(resolver, server.text);
    verdict.inUse = judged.valid;
    verdict.testedPath = judged.testedPath;
    return verdict;
}

// Whether the key or any key below it holds a value, or cannot be read (and so might).
bool SubtreeMayHoldValues(RegistryContext& registry, RegRoot root, const std::string& path,
                          int depth = 0) {
    // A registry tree is at most 512 levels deep; past that, assume the worst.
    if (depth > 512) return true;
    RegistryProvider provider(registry);
    KeyState state = OpenFromRoot(provider, root, path);
    if (state == KeyState::Unreadable) return true;
    if (state == KeyState::Missing) return false;
    std::vector<std::string> names;
    provider.GetValueNames(names);
    if (!names.empty()) return true;
    provider.GetKeyNames(names);
    for (const std::string& name : names) {
        if (SubtreeMayHoldValues(registry, root, Join(path, name), depth + 1)) return true;
    }
    return false;
}

// Whether another registration of the extension names an existing file type: an
// "OpenWithProgids" list whose value names a key of HKEY_CLASSES_ROOT.
bool OpenWithProgIdsNameExistingType(RegistryContext& registry, std::string_view keyName) {
    RegistryProvider list(registry);
    KeyState state = OpenClassesKey(list, Join(keyName, "OpenWithProgids"));
    if (state == KeyState::Unreadable) return true;
    if (state == KeyState::Missing) return false;
    std::vector<std::string> names;
    list.GetValueNames(names);
    RegistryProvider probe(registry);
    probe.SetRootKey(RegRoot::ClassesRoot);
    for (const std::string& name : names) {
        if (!name.empty() && probe.KeyExists("\\" + name)) return true;
    }
    return false;
}

// Where a program's file name stands in a key path as a whole key name ("applications\app.exe"
// holds "app.exe", "applications\myapp.exe" does not); npos when it does not.
std::size_t FindKeyName(std::string_view lowerPath, std::string_view name) {
    for (std::size_t at = lowerPath.find(name); at != npos; at = lowerPath.find(name, at + 1)) {
        bool startsName = at == 0 || lowerPath[at - 1] == '\\';
        std::size_t end = at + name.size();
        bool endsName = end == lowerPath.size() || lowerPath[end] == '\\';
        if (startsName && endsName) return at;
    }
    return npos;
}

}  // namespace

ComServerVerdict ComServerValid(RegistryContext& registry, const FileReferenceResolver& resolver,
                                std::string_view classPath) {
    ComServerVerdict verdict;
    RegistryProvider classKey(registry);
    if (OpenClassesKey(classKey, classPath) != KeyState::Opened) return verdict;
    // The class's own default value is only its display name: a name of an unusual kind says
    // nothing about whether the class's server is there, so it is not judged.

    static constexpr std::array<std::string_view, 4> kServers = {
        "InprocServer32", "InprocServer", "InprocHandler32", "LocalServer32"};
    ServerJudgement server =
        FindServerText(registry, classPath, kServers, /*stopAtFirstKey=*/false, /*codeBase=*/true);
    if (server.unreadable) return verdict;
    if (server.text.empty()) {
        static constexpr std::array<std::string_view, 1> kIcon = {"DefaultIcon"};
        server = FindServerText(registry, classPath, kIcon, true, false);
        if (server.unreadable) return verdict;
    }
    return JudgeServerText(resolver, server.text);
}

ComServerVerdict ClsidValid(RegistryContext& registry, const FileReferenceResolver& resolver,
                            std::string_view clsid) {
    ComServerVerdict verdict = ComServerValid(registry, resolver, Join("CLSID", clsid));
    if (verdict.valid || !Is64BitWindows(registry)) return verdict;
    // A class whose 32-bit registration works is in use by 32-bit programs. Only a registration
    // that is there can vouch for the class.
    const std::string twinPath = Join("Wow6432Node\\CLSID", clsid);
    RegistryProvider probe(registry);
    if (OpenClassesKey(probe, twinPath) == KeyState::Missing) return verdict;
    ComServerVerdict twin = ComServerValid(registry, resolver, twinPath);
    return twin.valid ? twin : verdict;
}

FileTypeVerdict FileTypeKeyInUse(RegistryContext& registry, const FileReferenceResolver& resolver,
                                 std::string_view keyName) {
    FileTypeVerdict inUse;
    RegistryProvider key(registry);
    if (OpenClassesKey(key, keyName) != KeyState::Opened) return inUse;
    std::vector<std::string> subkeys;
    std::vector<std::string> values;
    key.GetKeyNames(subkeys);
    key.GetValueNames(values);
    if (subkeys.empty() && values.empty()) return NotInUse();

    if (!HasSubkeyNamed(subkeys, "shell")) {
        if (keyName.find('.') == npos) return inUse;
        std::optional<std::string> target = ReadText(key, "");
        if (!target || target->find('.') == npos || ContainsNoCase(*target, "url:")) return inUse;
        RegistryProvider probe(registry);
        probe.SetRootKey(RegRoot::ClassesRoot);
        // A locked file type still exists.
        if (target->empty() || probe.KeyExists("\\" + *target)) return inUse;
        // The extension still opens with the programs its "OpenWithProgids" list names.
        if (OpenWithProgIdsNameExistingType(registry, keyName)) return inUse;
        return NotInUse();
    }

    RegistryProvider command(registry);
    const std::string commandPath = Join(keyName, "Shell\\Open\\Command");
    KeyState commandState = OpenClassesKey(command, commandPath);
    if (commandState == KeyState::Unreadable) return inUse;
    if (commandState == KeyState::Missing) {
        // Other verbs, or anything else below "shell", keep the file type.
        if (SubtreeMayHoldValues(registry, RegRoot::ClassesRoot, std::string(keyName)))
            return inUse;
        return NotInUse();
    }

    std::optional<std::string> commandLine = ReadText(command, "");
    if (!commandLine || !commandLine->empty() || !command.ValueExists("DelegateExecute"))
        return inUse;
    std::optional<std::string> clsid = ReadText(command, "DelegateExecute");
    if (!clsid || clsid->empty()) return inUse;
    FileTypeVerdict delegated = JudgeDelegateClass(registry, resolver, Join("CLSID", *clsid));
    if (!delegated.inUse && Is64BitWindows(registry)) {
        FileTypeVerdict twin =
            JudgeDelegateClass(registry, resolver, Join("Wow6432Node\\CLSID", *clsid));
        if (twin.inUse) return inUse;
    }
    return delegated;
}

FileTypeVerdict FileTypeInUse(RegistryContext& registry, const FileReferenceResolver& resolver,
                              std::string_view keyName) {
    FileTypeVerdict inUse;
    RegistryProvider key(registry);
    if (OpenClassesKey(key, keyName) != KeyState::Opened) return inUse;

    RegistryProvider classLink(registry);
    KeyState linkState = OpenClassesKey(classLink, Join(keyName, "CLSID"));
    if (linkState == KeyState::Unreadable) return inUse;
    if (linkState == KeyState::Missing) return FileTypeKeyInUse(registry, resolver, keyName);

    std::optional<std::string> clsid = ReadText(classLink, "");
    if (!clsid || clsid->empty()) return inUse;
    inUse.clsid = *clsid;
    ComServerVerdict classVerdict = ClsidValid(registry, resolver, *clsid);
    if (classVerdict.valid) return inUse;

    // A file type that opens through its own shell verbs works without its class.
    std::vector<std::string> subkeys;
    key.GetKeyNames(subkeys);
    if (HasSubkeyNamed(subkeys, "shell") && FileTypeKeyInUse(registry, resolver, keyName).inUse) {
        return inUse;
    }
    FileTypeVerdict unused = NotInUse();
    unused.clsid = *clsid;
    unused.testedPath = classVerdict.testedPath;
    return unused;
}

void UnusedFileTypeRule(ScanContext& context, KeyVisit& key,
                        const FileReferenceResolver& resolver) {
    if (context.currentRootIndex != 0) return;
    // Only top-level keys: extensions and file types.
    if (key.keyName.empty() || key.path != key.keyName) return;
    FileTypeVerdict verdict = FileTypeInUse(context.registry, resolver, key.keyName);
    if (verdict.inUse) return;

    const char* rule = key.keyName.starts_with('.') ? "unused-extension" : "unused-file-type";
    context.flags.Set(ResultCategory::UnusedExtension);
    AddKeyEntry(context, key.path, {rule, verdict.testedPath});

    // The class is reported only beside the file type it made unused.
    if (!context.reportComClasses || verdict.clsid.empty()) return;
    if (!context.listedClasses.insert(AsciiUpper(verdict.clsid)).second) return;
    context.flags.Set(ResultCategory::InvalidClsid);
    AddKeyEntry(context, Join("CLSID", verdict.clsid),
                         {"invalid-clsid", verdict.testedPath});
}

void OpenWithRule(ScanContext& context, KeyVisit& key, const FileReferenceResolver&) {
    if (context.currentRootIndex != 1) return;
    if (!ContainsNoCase(key.path, "\\fileexts") || AsciiLower(key.keyName) != "openwithlist")
        return;
    if (!key.values.empty() || !key.subkeyNames.empty()) return;

    // The extension key is deleted whole: it must be an extension directly below "FileExts"
    // and hold nothing but the empty list (no "OpenWithProgids", no "UserChoice").
    const std::string extensionPath = ParentKeyPath(key.path);
    if (!EqualsNoCase(LastKeyName(ParentKeyPath(extensionPath)), "FileExts")) return;
    RegistryProvider extension(context.registry);
    if (OpenFromRoot(extension, key.root, extensionPath) != KeyState::Opened) return;
    std::vector<std::string> names;
    extension.GetValueNames(names);
    if (!names.empty()) return;
    extension.GetKeyNames(names);
    if (names.size() != 1 || !EqualsNoCase(names.front(), key.keyName)) return;

    context.flags.Set(ResultCategory::UnusedExtension);
    AddKeyEntry(context, extensionPath, {"open-with", ""});
}

void OpenCommandRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                     const FileReferenceResolver& resolver) {
    const std::string lowerPath = AsciiLower(key.path);
    constexpr std::string_view kOpenCommand = "shell\\open\\command";
    const std::size_t openCommand = FindKeyName(lowerPath, kOpenCommand);
    // "shell\open\command" as whole key names, below the key it belongs to.
    if (openCommand == npos || openCommand < 2) return;

    std::optional<std::string> text = ValueText(value);
    if (!text || text->empty() || text->size() > kLongestJudgedData) return;
    // A verb handled by a class runs that class, not the command line.
    for (const RegistryValue& other : key.values) {
        if (EqualsNoCase(other.name, "DelegateExecute")) return;
    }
    FileReference reference = resolver.Resolve(*text, ReturnFound::Yes);
    if (!reference.Missing()) return;
    const std::string fileName = FileNamePart(reference.path);
    if (fileName.empty()) return;

    FindingDetail detail{"open-command", reference.testedPath};
    std::size_t program = FindKeyName(lowerPath, fileName);
    if (program == npos) {
        context.flags.Set(ResultCategory::UnusedFileType);
        AddKeyEntry(context, key.path.substr(0, openCommand - 1), detail);
        return;
    }
    context.flags.Set(ResultCategory::ObsoleteEntry);
    AddKeyEntry(context, key.path.substr(0, program + fileName.size()), detail);
}

}  // namespace kestrover
