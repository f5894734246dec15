// The commands of kestrover-cli.
#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>

#include "core/FormatSize.h"
#include "core/Unicode.h"
#include "registry/RegExportReader.h"
#include "registry/RegExportWriter.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"

namespace kestrover::cli {

namespace {

const char* DriveTypeName(DriveType type) {
    switch (type) {
        case DriveType::Unknown: return "unknown";
        case DriveType::NoRootDirectory: return "no root folder";
        case DriveType::Removable: return "removable";
        case DriveType::Fixed: return "fixed";
        case DriveType::Remote: return "network";
        case DriveType::CdRom: return "CD-ROM";
        case DriveType::RamDisk: return "RAM disk";
    }
    return "unknown";
}

const char* TypeName(std::uint32_t type) {
    static const char* const kNames[] = {
        "REG_NONE",      "REG_SZ",        "REG_EXPAND_SZ",
        "REG_BINARY",    "REG_DWORD",     "REG_DWORD_BIG_ENDIAN",
        "REG_LINK",      "REG_MULTI_SZ",  "REG_RESOURCE_LIST",
        "REG_FULL_RESOURCE_DESCRIPTOR",   "REG_RESOURCE_REQUIREMENTS_LIST",
        "REG_QWORD"};
    return type < std::size(kNames) ? kNames[type] : "REG_UNKNOWN";
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string DataText(const RegistryData& data) {
    switch (data.type) {
        case RegistryType::String:
        case RegistryType::ExpandString: {
            std::u16string units = Utf16LeBytesToUtf16(data.bytes.data(), data.bytes.size());
            std::size_t zero = units.find(u'\0');
            if (zero != std::u16string::npos) units.resize(zero);
            return Utf16ToUtf8(units);
        }
        case RegistryType::MultiString: {
            std::u16string units = Utf16LeBytesToUtf16(data.bytes.data(), data.bytes.size());
            while (!units.empty() && units.back() == u'\0') units.pop_back();
            std::string text = Utf16ToUtf8(units);
            std::string shown;
            for (char c : text) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
            return shown;
        }
        case RegistryType::Dword:
            if (data.bytes.size() == 4) {
                std::uint32_t value = data.bytes[0] | (data.bytes[1] << 8) |
                                      (data.bytes[2] << 16) |
                                      (static_cast<std::uint32_t>(data.bytes[3]) << 24);
                char text[16];
                std::snprintf(text, sizeof text, "0x%x", value);
                return text;
            }
            return Hex(data.bytes);
        default: return Hex(data.bytes);
    }
}

void ListKey(RegistryContext& context, RegRoot root, const std::string& path, bool recursive,
             std::ostream& out) {
    RegistryProvider reg(context);
    reg.SetRootKey(root);
    out << RegPath{root, path}.FullText() << "\n";
    if (!reg.OpenKeyReadOnly("\\" + path)) {
        out << "    (cannot be opened)\n\n";
        return;
    }
    std::vector<std::string> names;
    reg.GetValueNames(names);
    for (const std::string& name : names) {
        auto data = reg.ReadRawValue(name);
        if (!data) continue;
        out << "    " << (name.empty() ? "(Default)" : name) << "    " << TypeName(data->type)
            << "    " << DataText(*data) << "\n";
    }
    out << "\n";
    std::vector<std::string> subkeys;
    reg.GetKeyNames(subkeys);
    for (const std::string& subkey : subkeys) {
        std::string child = path.empty() ? subkey : path + "\\" + subkey;
        if (recursive) {
            ListKey(context, root, child, recursive, out);
        } else {
            out << RegPath{root, child}.FullText() << "\n";
        }
    }
}

// FILETIME ticks as "YYYY-MM-DD hh:mm:ss" (UTC).
std::string FileTimeText(std::uint64_t ticks) {
    if (ticks == 0) return "-";
    std::int64_t seconds = static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01.
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t year = yearOfEra + era * 400;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    if (month <= 2) ++year;
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return text;
}

std::string AttributeText(std::uint32_t attributes) {
    std::string text;
    text += (attributes & FileAttribute::Directory) ? 'D' : '-';
    text += (attributes & FileAttribute::ReadOnly) ? 'R' : '-';
    text += (attributes & FileAttribute::Hidden) ? 'H' : '-';
    text += (attributes & FileAttribute::System) ? 'S' : '-';
    text += (attributes & FileAttribute::Archive) ? 'A' : '-';
    return text;
}

RegistryContext ContextOf(Platform& platform) {
    return RegistryContext{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
}

// The key a command names, with the message for a text that names none.
std::optional<RegPath> ParseCommandKey(const std::string& text, std::ostream& err) {
    auto path = ParseKeyPath(text, RootNames::FullOrShort);
    if (!path) {
        err << "kestrover-cli: not a registry key: \"" << text
            << "\" (expected ROOT\\PATH, e.g. HKLM\\Software)\n";
        return std::nullopt;
    }
    while (!path->path.empty() && path->path.back() == '\\') path->path.pop_back();
    return path;
}

// The file a command reads, or nothing after telling why it cannot be read.
std::optional<CommandLineFile> ExistingFile(NativePlatform& native, const std::string& argument,
                                            std::ostream& err) {
    auto file = native.LocateCommandLineFile(argument);
    if (!file) {
        err << "kestrover-cli: " << file.error().Describe() << "\n";
        return std::nullopt;
    }
    if (!file->fileSystem->FileExists(file->path)) {
        err << "kestrover-cli: " << argument << ": no such file\n";
        return std::nullopt;
    }
    return *file;
}

// The short mark in front of each line of a printed tree.
const char* StatusMark(const ExportNode& node, bool keyNode) {
    if (keyNode && !node.root) return "?";  // a root this program never restores
    switch (node.status) {
        case ExportNodeStatus::RootIcon: return " ";
        case ExportNodeStatus::Created: return "+";
        case ExportNodeStatus::Writable: return "=";
        case ExportNodeStatus::Failed: return "!";
        case ExportNodeStatus::Restored: return "*";
        case ExportNodeStatus::ViewOnly: return " ";
        case ExportNodeStatus::TooLong: return "~";
    }
    return " ";
}

}  // namespace

void PrintTree(const std::vector<ExportNode>& nodes, LoadMode mode, std::ostream& out) {
    std::size_t keys = 0, values = 0, restored = 0, created = 0, writable = 0, failed = 0,
                unknown = 0;
    for (const ExportNode& key : nodes) {
        ++keys;
        if (!key.root) ++unknown;
        if (key.status == ExportNodeStatus::Created) ++created;
        if (key.status == ExportNodeStatus::Writable) ++writable;
        if (key.status == ExportNodeStatus::Failed) ++failed;
        out << StatusMark(key, true) << " " << key.text << "\n";
        for (const ExportNode& value : key.children) {
            if (value.status != ExportNodeStatus::TooLong) ++values;
            if (value.status == ExportNodeStatus::Restored) ++restored;
            out << "    " << StatusMark(value, false) << " " << value.text << "\n";
        }
    }
    out << keys << (keys == 1 ? " key" : " keys");
    if (mode == LoadMode::Restore) {
        out << ": " << created << " created (+), " << writable << " writable (=), " << failed
            << " failed (!)";
        if (unknown != 0) out << ", " << unknown << " under no known root, not restored (?)";
        out << "; " << restored << " of " << values << (values == 1 ? " value" : " values")
            << " restored (*)\n";
    } else {
        if (unknown != 0) out << " (" << unknown << " under no known root (?))";
        out << ", " << values << (values == 1 ? " value" : " values") << "\n";
    }
}

namespace {

int LoadAndPrint(NativePlatform& native, const CommandOptions& options, LoadMode mode,
                 std::ostream& out, std::ostream& err) {
    auto file = ExistingFile(native, options.file, err);
    if (!file) return 1;
    Platform platform = native.Ports();
    RegistryContext context = ContextOf(platform);
    RegExportReader reader(context, *file->fileSystem);
    Status loaded = reader.LoadExportFile(file->path, mode);
    if (!loaded) {
        err << "kestrover-cli: " << options.file << ": cannot be read ("
            << loaded.error().Describe() << ")\n";
        return 1;
    }
    PrintTree(reader.Nodes(), mode, out);
    return RestoreExitCode(reader, mode, err);
}

}  // namespace

int RestoreExitCode(const RegExportReader& reader, LoadMode mode, std::ostream& err) {
    if (mode != LoadMode::Restore) return 0;
    if (reader.Failed()) {
        err << "kestrover-cli: some keys could not be written (marked !)\n";
        return 1;
    }
    if (reader.SectionsAbandoned()) {
        err << "kestrover-cli: some values could not be written (bad data or refused)\n";
        return 1;
    }
    const std::vector<ExportNode>& nodes = reader.Nodes();
    if (std::any_of(nodes.begin(), nodes.end(), [](const ExportNode& key) { return !key.root; })) {
        err << "kestrover-cli: some sections name no registry key and were not restored "
               "(marked ?)\n";
        return 1;
    }
    return 0;
}

int ShowInfo(Platform& platform, std::ostream& out) {
    EnvironmentPort& environment = platform.environment;
    std::string architecture = environment.OperatingSystemArchitecture();
    RegistryViewFlags views = ViewFlagsFromArchitecture(architecture);
    out << "Operating system      " << (architecture.empty() ? "(unknown)" : architecture) << "\n";
    out << "Registry view         "
        << (views.is64BitWindows ? "64-bit (32-bit view on request)" : "one view (32-bit Windows)")
        << "\n";
    out << "WOW64 redirection     "
        << (environment.IsWow64Redirected() ? "applies (32-bit process)" : "does not apply")
        << "\n";
    out << "Executable            " << environment.ExecutablePath() << "\n";
    ScreenSize screen = environment.PrimaryScreenSize();
    out << "Screen                " << screen.width << " x " << screen.height << "\n";
    out << "Drives\n";
    std::uint32_t drives = platform.fileSystem.LogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((drives & (1u << i)) == 0) continue;
        std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
        out << "    " << root << "  " << DriveTypeName(platform.fileSystem.GetDriveType(root))
            << "\n";
    }
    out << "Folders\n";
    for (const char* name : {"SystemDrive", "SystemRoot", "windir", "ProgramFiles",
                             "ProgramFiles(x86)", "CommonProgramFiles", "ProgramData",
                             "USERPROFILE", "APPDATA", "LOCALAPPDATA", "TEMP"}) {
        auto value = environment.GetVariable(name);
        out << "    " << name << std::string(20 - std::string(name).size(), ' ')
            << (value ? *value : "(not set)") << "\n";
    }
    return 0;
}

int QueryKey(Platform& platform, const CommandOptions& options, std::ostream& out,
             std::ostream& err) {
    auto path = ParseCommandKey(options.key, err);
    if (!path) return 2;
    const std::string& subkey = path->path;
    RegistryContext context = ContextOf(platform);
    RegistryProvider probe(context);
    probe.SetRootKey(path->root);
    if (!probe.KeyExists("\\" + subkey)) {
        err << "kestrover-cli: the key " << RegPath{path->root, subkey}.FullText()
            << " does not exist\n";
        return 1;
    }
    ListKey(context, path->root, subkey, options.recursive, out);
    return 0;
}

int FindFiles(Platform& platform, const CommandOptions& options, std::ostream& out,
              std::ostream& err) {
    auto found = platform.fileSystem.FindFiles(options.pattern);
    if (!found) {
        err << "kestrover-cli: " << options.pattern << ": " << found.error().Describe() << "\n";
        return 1;
    }
    std::uint64_t total = 0;
    for (const FileEntry& entry : *found) {
        char size[32];
        std::snprintf(size, sizeof size, "%12llu", static_cast<unsigned long long>(entry.size));
        out << AttributeText(entry.attributes) << "  " << FileTimeText(entry.lastWriteTime) << "  "
            << (entry.IsDirectory() ? std::string(12, ' ') : std::string(size)) << "  "
            << entry.name << "\n";
        if (!entry.IsDirectory()) total += entry.size;
    }
    out << found->size() << " entries, " << FormatSize(static_cast<std::int64_t>(total)) << "\n";
    return 0;
}

int ExportBranch(NativePlatform& native, const CommandOptions& options, std::ostream& out,
                 std::ostream& err) {
    auto path = ParseCommandKey(options.key, err);
    if (!path) return 2;
    Platform platform = native.Ports();
    RegistryContext context = ContextOf(platform);
    RegistryProvider probe(context);
    probe.SetRootKey(path->root);
    if (!probe.KeyExists("\\" + path->path)) {
        err << "kestrover-cli: the key " << path->FullText() << " does not exist\n";
        return 1;
    }
    auto file = native.LocateCommandLineFile(options.file);
    if (!file) {
        err << "kestrover-cli: " << file.error().Describe() << "\n";
        return 1;
    }
    RegExportWriter writer(context, *file->fileSystem);
    if (!writer.BeginExportFile(file->path)) {
        err << "kestrover-cli: " << options.file << ": cannot be created\n";
        return 1;
    }
    writer.ExportKey(path->root, path->path, options.valueName);
    const ExportFileForm form = writer.Form();  // the form EndExportFile writes
    Status written = writer.EndExportFile();
    if (!written) {
        err << "kestrover-cli: " << options.file << ": cannot be written ("
            << written.error().Describe() << ")\n";
        return 1;
    }
    out << "Exported " << path->FullText() << " to " << options.file << " ("
        << (form == ExportFileForm::Regedit4 ? "REGEDIT4" : "Unicode, version 5.00")
        << ")\n";
    return 0;
}

int ViewFile(NativePlatform& native, const CommandOptions& options, std::ostream& out,
             std::ostream& err) {
    return LoadAndPrint(native, options, LoadMode::ViewOnly, out, err);
}

int RestoreFile(NativePlatform& native, const CommandOptions& options, std::ostream& out,
                std::ostream& err) {
    return LoadAndPrint(native, options, LoadMode::Restore, out, err);
}

}  // namespace kestrover::cli
