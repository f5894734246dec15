// Software and system rules of the registry scan, the software-key inventory and the built-in
// snapshot skip list.
#include "scanner/SoftwareRules.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/Text.h"
#include "core/Unicode.h"
#include "registry/KeyPaths.h"
#include "registry/RegValueKind.h"
#include "scanner/LowerCaseSearch.h"
#include "scanner/ScanEntry.h"

namespace kestrover {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsStringKind(const RegistryValue& value) {
    return value.data.type == RegistryType::String || value.data.type == RegistryType::ExpandString;
}

// The three keys whose value names, not their data, are the file paths.
enum class ListedKey { None, SharedDlls, Layers, Fonts };

ListedKey ListedKeyOf(std::string_view keyName) {
    if (EqualsNoCase(keyName, "shareddlls")) return ListedKey::SharedDlls;
    if (EqualsNoCase(keyName, "layers")) return ListedKey::Layers;
    if (EqualsNoCase(keyName, "fonts")) return ListedKey::Fonts;
    return ListedKey::None;
}

// "C:\..." on one of the fixed local drives: only such paths are ever tested, so that a file on
// a drive that is away, or a text that is no path at all, is never reported.
bool IsLocalDrivePath(std::string_view path, const std::vector<std::string>& localDrives) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return false;
    const std::string root{letter, ':', '\\'};
    return std::find(localDrives.begin(), localDrives.end(), root) != localDrives.end();
}

// The fonts list is the key "...\CurrentVersion\Fonts" (and keys below it); the names beside
// it ("FontSubstitutes", "FontLink", ...) hold no file names.
bool IsFontsListPath(std::string_view path) {
    static constexpr std::string_view kFonts = "\\CurrentVersion\\Fonts";
    // Asked for every value: "Fonts" is looked for first, as most paths have no such name
    // and a search for it is quicker than one for the backslash the pattern begins with.
    static constexpr std::size_t kBeforeName = kFonts.size() - 5;
    for (std::size_t name = path.find("Fonts", kBeforeName); name != npos;
         name = path.find("Fonts", name + 1)) {
        const std::size_t at = name - kBeforeName;
        const std::size_t end = at + kFonts.size();
        if (path.compare(at, kFonts.size(), kFonts) == 0 &&
            (end == path.size() || path[end] == '\\')) {
            return true;
        }
    }
    return false;
}

// Adds one finding, unless its row text would not read back as the key and value it names: a
// key path or value name holding "||" would be cut there, and a deletion would act on another
// key or value. Such a finding is dropped with its flags.
bool AddFinding(ScanContext& context, std::string_view text, std::string_view keyPath,
                const std::string* valueName, std::string_view rule, std::string_view tested) {
    ScanEntry parsed = ParseScanEntry(BuildScanEntry(0, context.currentRootIndex, text));
    bool readsBack = parsed.keyPath == keyPath &&
                     (valueName == nullptr ? !parsed.hasValue
                                           : parsed.hasValue && parsed.valueName == *valueName);
    if (!readsBack) {
        context.flags.Clear();
        return false;
    }
    return context.AddScanEntry(text, FindingDetail{std::string(rule), std::string(tested)});
}

bool AddKeyFinding(ScanContext& context, const KeyVisit& key, std::string_view rule,
                   std::string_view tested) {
    return AddFinding(context, MakeEntryText(key.path), key.path, nullptr, rule, tested);
}

bool AddValueFinding(ScanContext& context, const KeyVisit& key, const RegistryValue& value,
                     std::string_view rule, std::string_view tested) {
    return AddFinding(context, MakeEntryText(key.path, value.name), key.path, &value.name, rule,
                      tested);
}

bool AddDataFinding(ScanContext& context, const KeyVisit& key, const RegistryValue& value,
                    std::string_view data, std::string_view rule, std::string_view tested) {
    return AddFinding(context, MakeEntryText(key.path, value.name, EntryDataText(data)), key.path,
                      &value.name, rule, tested);
}

std::uint32_t ViewAccess(const RegistryContext& registry) {
    bool both = registry.views.is64BitWindows && registry.views.use64BitView;
    return both ? KeyAccess::Wow64_64Key : KeyAccess::Wow64_32Key;
}

// Whether the key holds neither subkeys nor values, as read now; a key that cannot be read is
// never taken for an empty one.
bool KeyReadsEmpty(RegistryContext& registry, RegRoot root, std::string_view path) {
    auto opened = registry.port.OpenKey(root, path, KeyAccess::Read | ViewAccess(registry));
    if (!opened.ok()) return false;
    auto subkeys = (*opened)->SubkeyNames();
    if (!subkeys.ok() || !subkeys->empty()) return false;
    auto values = (*opened)->ValueNames();
    return values.ok() && values->empty();
}

const RegistryValue* FindValue(const KeyVisit& key, std::string_view name) {
    for (const RegistryValue& value : key.values) {
        if (EqualsNoCase(value.name, name)) return &value;
    }
    return nullptr;
}

// The program an App Paths text names is missing. Only a resolution that found the file
// missing counts: a program that exists may resolve to its path with its arguments still on,
// which the strict test would not find.
bool AppPathMissing(const FileReference& reference, const FileReferenceResolver& resolver) {
    return reference.Missing() && !reference.path.empty() && !resolver.PathExists(reference.path);
}

}  // namespace

std::optional<std::string> StringValueText(const RegistryValue& value) {
    if (!IsStringKind(value)) return std::nullopt;
    // Nearly every text the scan reads is ASCII: it is copied across unit by unit, and only a
    // text with a unit beyond ASCII goes through the full conversion.
    const std::vector<std::uint8_t>& bytes = value.data.bytes;
    const std::size_t unitCount = bytes.size() / 2;
    std::string ascii(unitCount, '\0');
    std::size_t length = 0;
    for (; length < unitCount; ++length) {
        const unsigned unit = bytes[2 * length] | (bytes[2 * length + 1] << 8);
        if (unit == 0 || unit >= 0x80) break;
        ascii[length] = static_cast<char>(unit);
    }
    if (length == unitCount || (bytes[2 * length] == 0 && bytes[2 * length + 1] == 0)) {
        ascii.resize(length);
        return ascii;
    }
    std::u16string units = Utf16LeBytesToUtf16(bytes.data(), bytes.size());
    std::size_t zero = units.find(u'\0');
    if (zero != std::u16string::npos) units.resize(zero);
    return Utf16ToUtf8(units);
}

std::string EntryDataText(std::string_view data) {
    if (data.size() <= kLongDataLength) return std::string(data);
    // The excerpt is cut on a character boundary so the row stays valid UTF-8.
    std::size_t length = 50;
    while (length < data.size() && (static_cast<unsigned char>(data[length]) & 0xC0) == 0x80) {
        ++length;
    }
    std::string excerpt(data.substr(0, length));
    std::replace(excerpt.begin(), excerpt.end(), '\0', ' ');
    return "(string too long)..." + excerpt + "...";
}

// Keys that Windows itself keeps directly below Software. They are often empty on a fresh
// system (no policy set, no registered application yet) and are no vendor's left-over.
// AppDataLow is the low-integrity store of protected-mode programs: Windows gives it a label
// that a key created again would lack.
static bool IsWindowsSoftwareKey(std::string_view name) {
    static constexpr std::string_view kWindowsKeys[] = {
        "Classes",  "Clients",  "Microsoft", "ODBC", "Policies", "RegisteredApplications",
        "Registered Applications", "Wow6432Node", "DefaultUserEnvironment", "Partner",
        "AppDataLow", "Windows 3.1 Migration Status"};
    for (std::string_view windowsKey : kWindowsKeys) {
        if (EqualsNoCase(name, windowsKey)) return true;
    }
    return false;
}

void EmptySoftwareKeyRule(ScanContext& context, KeyVisit& key) {
    if (context.currentRootIndex < 1 || context.currentRootIndex > 3) return;
    if (key.keyName.empty() || !key.subkeyNames.empty() || !key.values.empty()) return;
    // The 32-bit software tree and Windows' own keys are no vendor keys, however empty.
    if (IsWindowsSoftwareKey(key.keyName)) return;
    const std::string lowerName = AsciiLower(key.keyName);
    const std::string lowerPath = AsciiLower(key.path);
    bool vendorKey = lowerPath == "software\\" + lowerName ||
                     lowerPath == "software\\wow6432node\\" + lowerName ||
                     key.path == ".DEFAULT\\Software\\" + std::string(key.keyName);
    if (!vendorKey) return;
    if (!KeyReadsEmpty(context.registry, key.root, key.path)) return;
    context.flags.Set(ResultCategory::ObsoleteEntry);
    AddKeyFinding(context, key, SoftwareRuleName::EmptySoftwareKey, "");
}

namespace {

// Below HKEY_USERS the keys belong to other accounts (".DEFAULT" is the system's, other SIDs
// are other users'): "%USERPROFILE%" and the folders under it name that account's profile, not
// the one the scan's folder values come from, so such a text is not judged there.
bool NamesAnotherUsersFolder(const ScanContext& context, std::string_view text) {
    if (context.currentRootIndex != 3) return false;
    return ContainsLowerNoCase(text, "%userprofile%") || ContainsLowerNoCase(text, "%appdata%") ||
           ContainsLowerNoCase(text, "%localappdata%");
}

}  // namespace

void AppPathRule(ScanContext& context, KeyVisit& key, const FileReferenceResolver& resolver) {
    if (!ContainsLowerNoCase(key.path, "\\app paths\\")) return;
    if (key.keyName == "winnt32.exe" || key.keyName == "install.exe" || key.keyName == "setup.exe") {
        return;
    }
    std::string program;
    if (const RegistryValue* defaultValue = FindValue(key, "")) {
        program = StringValueText(*defaultValue).value_or(std::string());
    }
    if (NamesAnotherUsersFolder(context, program)) return;
    FileReference reference = resolver.Resolve(program, ReturnFound::Yes);
    key.data = reference.state == ReferenceState::NotCheckable ? std::string() : reference.path;
    if (!key.data.empty()) {
        if (AppPathMissing(reference, resolver)) {
            context.flags.Set(ResultCategory::InvalidAppPath);
            AddKeyFinding(context, key, SoftwareRuleName::AppPath, reference.testedPath);
        }
        return;
    }
    const RegistryValue* extension = FindValue(key, "CmstpExtensionDll");
    if (extension == nullptr) return;
    std::optional<std::string> dll = StringValueText(*extension);
    if (!dll) return;
    FileReference dllReference = resolver.Resolve(*dll, ReturnFound::Yes);
    if (AppPathMissing(dllReference, resolver)) {
        context.flags.Set(ResultCategory::InvalidAppPath);
        AddKeyFinding(context, key, SoftwareRuleName::AppPath, dllReference.testedPath);
    }
}

namespace {

// The text a drive path is judged on: a quoted path without its quotes.
std::string_view UnquotedData(std::string_view text) {
    if (text.empty() || text.front() != '"') return text;
    text.remove_prefix(1);
    return text.substr(0, text.find('"'));
}

// The drive-path rule on the value's data: reports the value when the drive path it names is
// missing, and gives the missing path. answer receives the resolution, which is the same
// whether or not a found path is wanted, so that the missing-data rule need not ask again.
std::optional<std::string> JudgeDrivePathData(ScanContext& context, const KeyVisit& key,
                                              const RegistryValue& value,
                                              const FileReferenceResolver& resolver,
                                              std::string_view data,
                                              std::optional<FileReference>& answer) {
    if (data.size() <= 3) return std::nullopt;
    char first = AsciiLower(data[0]);
    if (first < 'a' || first > 'z' || data[1] != ':' || data[2] != '\\') return std::nullopt;
    const FileReference& missing = answer.emplace(resolver.Resolve(data, ReturnFound::No));
    if (!missing.Missing() || missing.path.empty()) return std::nullopt;
    if (key.path.find("\\WBEM") != npos) return std::nullopt;
    context.flags.Set(ResultCategory::MissingFile);
    AddValueFinding(context, key, value, SoftwareRuleName::DrivePathData, missing.testedPath);
    return missing.path;
}

}  // namespace

std::optional<std::string> DrivePathDataRule(ScanContext& context, KeyVisit& key,
                                             const RegistryValue& value,
                                             const FileReferenceResolver& resolver) {
    std::optional<std::string> text = StringValueText(value);
    if (!text) return std::nullopt;
    key.data = std::move(*text);
    if (!key.data.empty() && key.data.front() == '"') key.data = UnquotedData(key.data);
    std::optional<FileReference> answer;
    std::optional<std::string> reported =
        JudgeDrivePathData(context, key, value, resolver, key.data, answer);
    if (reported) key.data.clear();
    return reported;
}

bool FontFileRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                  const FileReferenceResolver& resolver, bool listedAlready) {
    if (!IsFontsListPath(key.path)) return false;
    std::optional<std::string> text = StringValueText(value);
    key.data.clear();
    // A value listed once already: a second row for it would fail once the first is deleted.
    if (listedAlready || !text || text->empty()) return true;
    const std::string& windowsFolder = resolver.Folders().windowsFolder;
    const std::vector<std::string>& drives = resolver.LocalDrives();
    // A font registered with a full path (fonts installed for one user are) is where the path
    // points; a bare file name is in the fonts folder.
    std::string fontFile;
    if (text->find(":\\") != npos || text->starts_with("\\\\") || text->find('%') != npos) {
        FileReference reference = resolver.Resolve(*text, ReturnFound::Yes);
        if (!reference.Missing() || resolver.PathExists(reference.path)) return true;
        fontFile = reference.testedPath;
    } else {
        if (windowsFolder.empty()) return true;
        fontFile = windowsFolder + "\\fonts\\" + *text;
        if (!IsLocalDrivePath(fontFile, drives) || resolver.PathExists(fontFile)) return true;
    }
    context.flags.Set(ResultCategory::MissingFile);
    AddDataFinding(context, key, value, *text, SoftwareRuleName::FontFile, fontFile);
    return true;
}

void TypedDataRead(KeyVisit& key, const RegistryValue& value) {
    if (std::optional<std::string> text = StringValueText(value)) {
        key.data = std::move(*text);
        return;
    }
    // Integer data is never read: the text the key's earlier values left stays, so that the
    // listed-file rule still judges the integer reference counts below SharedDLLs by name.
    if (value.data.type == RegistryType::Dword) return;
    key.data.clear();
}

void ValueNamePathRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                       const FileReferenceResolver& resolver) {
    if (!key.data.empty()) return;
    FileReference reference = resolver.Resolve(value.name, ReturnFound::Yes);
    if (!reference.Missing() || resolver.PathExistsLoose(reference.path)) return;
    context.flags.Set(ResultCategory::MissingFile);
    AddValueFinding(context, key, value, SoftwareRuleName::ValueNamePath, reference.testedPath);
}

void ListedFileRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                    const FileReferenceResolver& resolver) {
    if (key.data.empty() || key.data.size() > kMaxJudgedDataLength) return;
    ListedKey listed = ListedKeyOf(key.keyName);
    if (listed == ListedKey::None) return;
    context.AdvanceProgress();
    if (!IsLocalDrivePath(value.name, resolver.LocalDrives())) return;
    if (resolver.PathExists(value.name)) return;
    std::string_view rule = SoftwareRuleName::ListedFile;
    if (listed == ListedKey::SharedDlls) {
        context.flags.Set(ResultCategory::MissingDll);
        rule = SoftwareRuleName::SharedDll;
    } else {
        context.flags.Set(ResultCategory::MissingFile);
        if (listed == ListedKey::Layers) rule = SoftwareRuleName::Layers;
    }
    AddValueFinding(context, key, value, rule, value.name);
}

namespace {

// The missing-data rule, reusing the drive-path rule's answer for the same text when there is
// one (it is taken).
MissingDataOutcome JudgeMissingData(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                                    const FileReferenceResolver& resolver, FileReference* earlier) {
    if (key.data.empty() || key.data.size() > kMaxJudgedDataLength) return MissingDataOutcome::None;
    if (ListedKeyOf(key.keyName) != ListedKey::None) return MissingDataOutcome::None;
    // Only string data can name a file. The text an integer value carries over from the
    // values before it is theirs, not its own.
    if (!IsStringKind(value)) return MissingDataOutcome::None;
    if (NamesAnotherUsersFolder(context, key.data)) {
        key.data.clear();  // not a path this scan can judge
        return MissingDataOutcome::None;
    }
    FileReference reference = earlier != nullptr ? std::move(*earlier)
                                                 : resolver.Resolve(key.data, ReturnFound::Yes);
    if (reference.state == ReferenceState::NotCheckable) {
        key.data.clear();
    } else {
        key.data = std::move(reference.path);
    }
    if (!reference.Missing() || key.data.empty() || resolver.PathExistsLoose(key.data)) {
        return MissingDataOutcome::None;
    }
    if (ContainsLowerNoCase(key.path, "shell\\open\\command")) {
        return MissingDataOutcome::OpenCommand;
    }
    CategoryFlags& flags = context.flags;
    bool otherCategory = flags.IsSet(ResultCategory::MissingDll) ||
                         flags.IsSet(ResultCategory::ObsoleteStartMenu) ||
                         flags.IsSet(ResultCategory::ObsoleteEntry) ||
                         flags.IsSet(ResultCategory::InvalidClsid) ||
                         flags.IsSet(ResultCategory::UnusedFileType);
    if (otherCategory) {
        flags.categories[static_cast<std::size_t>(ResultCategory::MissingFile)] = false;
    } else {
        flags.Set(ResultCategory::MissingFile);
    }
    AddDataFinding(context, key, value, key.data, SoftwareRuleName::MissingDataFile,
                   reference.testedPath);
    return MissingDataOutcome::Reported;
}

}  // namespace

MissingDataOutcome MissingDataFileRule(ScanContext& context, KeyVisit& key,
                                       const RegistryValue& value,
                                       const FileReferenceResolver& resolver) {
    return JudgeMissingData(context, key, value, resolver, nullptr);
}

MissingDataOutcome ApplySoftwareValueRules(ScanContext& context, KeyVisit& key,
                                           const RegistryValue& value,
                                           const FileReferenceResolver& resolver) {
    // The value's text is read once for all the rules. The drive-path rule judges it without
    // its quotes; what it leaves in the working data is never seen, as the fonts rule or the
    // data read below replaces it.
    std::optional<std::string> text = StringValueText(value);
    std::optional<FileReference> answer;
    std::optional<std::string> reported;
    bool wholeTextJudged = false;
    if (text) {
        const std::string_view data = UnquotedData(*text);
        wholeTextJudged = data.size() == text->size();
        reported = JudgeDrivePathData(context, key, value, resolver, data, answer);
    }
    if (FontFileRule(context, key, value, resolver, reported.has_value())) {
        return MissingDataOutcome::None;
    }
    if (text) {
        key.data = std::move(*text);
    } else {
        TypedDataRead(key, value);
    }
    ValueNamePathRule(context, key, value, resolver);
    ListedFileRule(context, key, value, resolver);
    // (Below "shell\open\command" the open-command rule still has its say.)
    if (reported && !key.data.empty() && key.data.size() <= kMaxJudgedDataLength &&
        ListedKeyOf(key.keyName) == ListedKey::None &&
        !ContainsLowerNoCase(key.path, "shell\\open\\command")) {
        // The value is listed once. Judging its data again would list the same missing file
        // a second time, and deleting the first row would leave the second one failing. The
        // working data goes on as the resolved path, as a second judgement would leave it.
        key.data = std::move(*reported);
        return MissingDataOutcome::None;
    }
    // The working data is still the value's whole text: the drive-path rule's answer holds
    // for it when that rule judged the whole text (no quotes were dropped).
    return JudgeMissingData(context, key, value, resolver,
                            answer && wholeTextJudged ? &*answer : nullptr);
}

std::size_t SoftwareKeyInventory(RegistryContext& registry, ScanEntrySink& sink,
                                 const InventoryCallbacks& callbacks) {
    static constexpr std::string_view kSkipped[] = {
        "microsoft", "classes",  "policies",  "odbc",        "clients",
        "installshield", "windows 3.1 migration status", "windows nt", "wow6432node",
        "appdatalow", "registeredapplications"};
    static constexpr std::size_t kListedSubkeys = 15;

    struct Start {
        RegRoot root;
        int rootIndex;
        std::string_view path;
    };
    std::vector<Start> starts = {{RegRoot::CurrentUser, 1, "Software"},
                                 {RegRoot::LocalMachine, 2, "Software"}};
    if (registry.views.is64BitWindows) {
        starts.push_back({RegRoot::LocalMachine, 2, "Software\\WOW6432Node"});
    }

    std::size_t added = 0;
    for (const Start& start : starts) {
        RegistryProvider provider(registry);
        provider.SetRootKey(start.root);
        if (!provider.OpenKeyReadOnly(start.path)) continue;
        std::vector<std::string> vendors;
        provider.GetKeyNames(vendors);
        if (callbacks.setProgressMaximum) {
            callbacks.setProgressMaximum(static_cast<std::int64_t>(vendors.size()));
        }
        for (std::size_t index = 0; index < vendors.size(); ++index) {
            if (callbacks.setProgressPosition) {
                callbacks.setProgressPosition(static_cast<std::int64_t>(index));
            }
            const std::string& vendor = vendors[index];
            const std::string lowerVendor = AsciiLower(vendor);
            if (std::find(std::begin(kSkipped), std::end(kSkipped), lowerVendor) != std::end(kSkipped)) {
                continue;
            }
            std::string vendorPath = std::string(start.path) + "\\" + vendor;
            RegistryProvider vendorKey(registry);
            vendorKey.SetRootKey(start.root);
            if (!vendorKey.OpenKeyReadOnly(vendorPath)) continue;
            std::vector<std::string> products;
            vendorKey.GetKeyNames(products);
            std::string text = vendorKey.CurrentPath();
            if (!products.empty()) {
                std::string summary;
                for (std::size_t i = 0; i < products.size() && i < kListedSubkeys; ++i) {
                    summary += products[i];
                    summary += " - ";
                }
                summary = Trim(std::string_view(summary).substr(0, summary.size() - 2));
                if (products.size() > kListedSubkeys) summary += " ...";
                text += kInventoryMarker;
                text += summary;
            }
            CategoryFlags none;
            if (sink.AddScanEntry(text, start.rootIndex, none, FindingDetail{"software-inventory", ""})) {
                ++added;
            }
        }
    }
    return added;
}

bool BuiltInSkipList(std::string_view subkeyName, std::string_view fullPath) {
    static constexpr std::array<std::string_view, 87> kContained = {
        "recentdocs", "mru", "userassist", "shellnoroam", "filter cache", "startpage", "streams",
        "traynotify", "perflib", "font management", "windows search", "wbem", "patches", "fax",
        "microsoft xps", "bags", "panose", "taskband", "imtc70", "muicache", ".netframework",
        "authroot", "accessibility", "assemblies", "btstackserver.", "adodb.", "azroles.", "cdo.",
        "certificateauthority.", "clrmetadata.", "comsnap.", "dao.", "dximagetransform.", "fsrm.",
        "ehglid.", "ehome.", "ehsched.", "ehvid.", "gpoadmin.", "ias.", "icprocessors.", "igfx.",
        "igfxcfg.", "igfxdo.", "igfxext.", "igfxdev.", "imapi.", "imeapi.", "imapi2.", "logger.",
        "logging.", "microsoft.", "msinkaut.", "mshelp.", "msvidctl.", "msxml.", "msxml2.",
        "portabledevice", "system.", "stack.", "wbemscripting.", "sppcomapi.", "ssr.", "sapi.",
        "itir.", "upnp.", "functiondiscovery.", "vss.", "pla.", "msrdp.", "oleprn.", "nodemgr.",
        "onenote.", "threatmanagement.", "x509enrollment", "sidebyside",
        "component based servicing", "fusion", "tpg", "winners", "gpoadmincustom.", "polmkr.",
        "propshts.apm", "systemcertificates", "enterprisecertificates", "stats", "zones"};
    static constexpr std::array<std::string_view, 42> kEqual = {
        "menuorder", "ctf", "photoprintingwizard", "widcomm", "action center", "rdyboost",
        "sysprep", "vsta", "intel", "directshow", "bilinguals 1.0", "tuning spaces", "schemes",
        "country list", "softwareprotectionplatform", "mssmbios", "group policy",
        "perhwidstorage", "mediafoundation", "international", "device agent",
        "advanced inf setup", "volumecaches", "windows portable devices", "mountpoints2",
        "client side rendering", "imejp", "terminal server client", "windows messaging subsystem",
        "gameux", "mediaplayer", "windows media player", "windows media player nss",
        "media center", "htmlhelp", "wab", ".net clr data", "mmc", "vss", "xwizards",
        "rundll32policy", "pnpresources"};
    // The third fragment: the version key of Embarcadero's development environment.
    static constexpr std::string_view kPathFragments[] = {
        "microsoft\\office", "microsoft\\cryptography", "embarcadero\\bds\\22.0"};
    static constexpr std::string_view kProductCodes[] = {
        "613B99D5CFD7FCB4793B500086BB4113", "000041091A00C0400000000000F01FEC",
        "8F622368F04F7B849A7B2021EE668F21", "84D104F5B823F4540BD12563853C466C",
        "7EDE92CC2CB71D119A12000A9CE1A22A", "08A227DA66DA47944A6D30C473ECB87B",
        "3EDE92CC2CB71D119A12000A9CE1A22A", "5DAC9A38EA8653843872500527CE6224"};

    const std::string lowerName = AsciiLower(subkeyName);
    for (std::string_view text : kContained) {
        if (lowerName.find(text) != npos) return true;
    }
    for (std::string_view name : kEqual) {
        if (lowerName == name) return true;
    }
    const std::string lowerPath = AsciiLower(fullPath);
    for (std::string_view fragment : kPathFragments) {
        if (lowerPath.find(fragment) != npos) return true;
    }
    const std::string upperName = AsciiUpper(subkeyName);
    for (std::string_view code : kProductCodes) {
        if (upperName == code) return true;
    }
    return false;
}

}  // namespace kestrover
