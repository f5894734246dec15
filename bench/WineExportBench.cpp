// kestrover_bench_wine_export.exe: our export of a real registry branch (HKLM\Software by
// default) against a bare Win32 walk of the same branch, in the same run. Under Wine every
// registry call is a round trip to the wineserver, so the walk is the floor any exporter
// stands on. bench/wine-export.sh runs it and times Wine's own "reg export" beside it.
//
// Usage: kestrover_bench_wine_export.exe [--key ROOT\PATH] [--repeat N] [--out FILE]
//            [--only walk|raw|export|none] [--populate KEYS]
//   --populate KEYS  first fills HKLM\Software\KestroverBench with a synthetic branch of about
//                    KEYS keys (three values a key), unless it is there already
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/Unicode.h"
#include "platform/NativePlatform.h"
#include "registry/RegExportWriter.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"
#include "support/SyntheticRegistry.h"

// The raw walk below is a benchmark reference on advapi32 itself, beside the port.
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::bench {
namespace {

constexpr const char* kPopulatedBranch = "Software\\KestroverBench";
constexpr double kWalkTarget = 1.5;

struct Options {
    std::string key = "HKEY_LOCAL_MACHINE\\Software";
    std::string out = "C:\\kestrover-bench-export.reg";
    std::string only;
    int repeat = 3;
    std::size_t populate = 0;
};

struct WalkTotals {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t dataSize = 0;
    std::size_t unreadable = 0;
};

// The floor: the Win32 port's own walk, one RegQueryInfoKeyW and one RegEnumValueW (name, type
// and data together) per value, one RegEnumKeyExW per subkey, one RegOpenKeyExW per key.
void PortWalk(RegistryPort& port, RegRoot root, const std::string& path, WalkTotals& totals) {
    ++totals.keys;
    auto key = port.OpenKey(root, path, KeyAccess::Read | KeyAccess::Wow64_64Key);
    if (!key) {
        ++totals.unreadable;
        return;
    }
    if (auto values = (*key)->Values()) {
        totals.values += values->size();
        for (const RegistryValue& value : *values) totals.dataSize += value.data.bytes.size();
    }
    auto subkeys = (*key)->SubkeyNames();
    key.value().reset();
    if (!subkeys) return;
    for (const std::string& name : *subkeys) {
        PortWalk(port, root, path.empty() ? name : path + "\\" + name, totals);
    }
}

// For comparison only, the fewest calls advapi32 allows: subkeys opened relative to their
// parent's handle, one RegQueryInfoKeyW per key whose counts end the enumerations (no call that
// answers "no more items"), values read with their data while they are enumerated.
void RawWalk(HKEY parent, const std::wstring& name, WalkTotals& totals) {
    ++totals.keys;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        ++totals.unreadable;
        return;
    }
    DWORD subkeyCount = 0, subkeyNameLength = 0, valueCount = 0, valueNameLength = 0,
          valueDataSize = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, &subkeyNameLength, nullptr,
                           &valueCount, &valueNameLength, &valueDataSize, nullptr,
                           nullptr) != ERROR_SUCCESS) {
        ::RegCloseKey(key);
        ++totals.unreadable;
        return;
    }
    std::wstring buffer(std::max(subkeyNameLength, valueNameLength) + 1, L'\0');
    std::vector<BYTE> data(std::max<DWORD>(valueDataSize, 1));
    for (DWORD index = 0; index < valueCount; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueW(key, index, buffer.data(), &length, nullptr, &type, data.data(),
                            &size) == ERROR_SUCCESS) {
            ++totals.values;
            totals.dataSize += size;
        }
    }
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0; index < subkeyCount; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (::RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS) {
            subkeys.emplace_back(buffer.data(), length);
        }
    }
    for (const std::wstring& subkey : subkeys) RawWalk(key, subkey, totals);
    ::RegCloseKey(key);
}

// The same through RegistryProvider's interface, value by value: the value names, then one
// query per value.
void ProviderWalk(RegistryProvider& provider, const std::string& path, WalkTotals& totals) {
    ++totals.keys;
    if (!provider.OpenKeyReadOnly("\\" + path)) {
        ++totals.unreadable;
        return;
    }
    std::vector<std::string> names;
    provider.GetValueNames(names);
    for (const std::string& name : names) {
        if (auto data = provider.ReadRawValue(name)) {
            ++totals.values;
            totals.dataSize += data->bytes.size();
        }
    }
    std::vector<std::string> subkeys;
    provider.GetKeyNames(subkeys);
    for (const std::string& name : subkeys) ProviderWalk(provider, path + "\\" + name, totals);
}

bool ParseOptions(const std::vector<std::string>& arguments, Options& options) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (option == "--key" && hasValue) {
            options.key = arguments[++i];
        } else if (option == "--out" && hasValue) {
            options.out = arguments[++i];
        } else if (option == "--only" && hasValue) {
            options.only = arguments[++i];
        } else if (option == "--repeat" && hasValue) {
            options.repeat = std::max(1, std::atoi(arguments[++i].c_str()));
        } else if (option == "--populate" && hasValue) {
            options.populate = std::strtoull(arguments[++i].c_str(), nullptr, 10);
        } else {
            std::fprintf(stderr,
                         "usage: kestrover_bench_wine_export.exe [--key ROOT\\PATH] [--repeat N] "
                         "[--out FILE] [--only walk|raw|export|none] [--populate KEYS]\n");
            return false;
        }
    }
    return true;
}

double Export(RegistryContext& context, FileSystemPort& files, const RegPath& key,
              const std::string& out, ExportFileForm& form) {
    RegExportWriter writer(context, files);
    Stopwatch watch;
    if (!writer.BeginExportFile(out)) {
        std::fprintf(stderr, "cannot create %s\n", out.c_str());
        return -1;
    }
    writer.ExportKey(key.root, key.path);
    Status written = writer.EndExportFile();
    double seconds = watch.Seconds();
    form = writer.Form();
    if (!written) {
        std::fprintf(stderr, "export failed: %s\n", written.error().Describe().c_str());
        return -1;
    }
    return seconds;
}

int Run(const Options& options) {
    auto native = CreateNativePlatform({});
    if (!native) {
        std::fprintf(stderr, "%s\n", native.error().Describe().c_str());
        return 1;
    }
    Platform ports = (*native)->Ports();
    RegistryContext context{ports.registry, {true, true}};
    auto key = ParseKeyPath(options.key, RootNames::FullOrShort);
    if (!key) {
        std::fprintf(stderr, "not a key path: %s\n", options.key.c_str());
        return 2;
    }

    if (options.populate > 0) {
        auto existing = ports.registry.OpenKey(RegRoot::LocalMachine, kPopulatedBranch,
                                               KeyAccess::Read | KeyAccess::Wow64_64Key);
        if (existing) {
            std::printf("HKEY_LOCAL_MACHINE\\%s is there already\n", kPopulatedBranch);
        } else {
            testing::LargeRegistryShape shape;
            shape.keys = options.populate;
            shape.values = options.populate * 3;
            Stopwatch watch;
            auto counts = testing::BuildLargeRegistry(ports.registry, RegRoot::LocalMachine,
                                                      kPopulatedBranch, shape);
            std::printf("Populated HKEY_LOCAL_MACHINE\\%s: %s keys, %s values in %.1f s\n",
                        kPopulatedBranch, Grouped(counts.keys).c_str(),
                        Grouped(counts.values).c_str(), watch.Seconds());
        }
    }

    if (options.only == "none") return 0;
    if (options.only == "export") {
        ExportFileForm form;
        double seconds = Export(context, ports.fileSystem, *key, options.out, form);
        if (seconds < 0) return 1;
        std::printf("export %.3f s\n", seconds);
        return 0;
    }
    if (options.only == "raw") {
        WalkTotals totals;
        Stopwatch watch;
        std::u16string units = Utf8ToUtf16(key->path);
        RawWalk(Win32Registry::RootHandle(key->root), std::wstring(units.begin(), units.end()),
                totals);
        std::printf("raw walk %.3f s, %zu keys, %zu values\n", watch.Seconds(), totals.keys,
                    totals.values);
        return 0;
    }
    if (options.only == "walk") {
        WalkTotals totals;
        Stopwatch watch;
        PortWalk(ports.registry, key->root, key->path, totals);
        std::printf("walk %.3f s, %zu keys, %zu values\n", watch.Seconds(), totals.keys,
                    totals.values);
        return 0;
    }

    std::vector<double> rawWalks;
    std::vector<double> portWalks;
    std::vector<double> providerWalks;
    std::vector<double> exports;
    WalkTotals walked;
    ExportFileForm form = ExportFileForm::Regedit4;
    for (int run = 0; run < options.repeat; ++run) {
        walked = {};
        Stopwatch portWatch;
        PortWalk(ports.registry, key->root, key->path, walked);
        portWalks.push_back(portWatch.Seconds());

        WalkTotals rawTotals;
        Stopwatch rawWatch;
        std::u16string units = Utf8ToUtf16(key->path);
        RawWalk(Win32Registry::RootHandle(key->root), std::wstring(units.begin(), units.end()),
                rawTotals);
        rawWalks.push_back(rawWatch.Seconds());

        WalkTotals providerTotals;
        RegistryProvider provider(context);
        provider.SetRootKey(key->root);
        Stopwatch providerWatch;
        ProviderWalk(provider, key->path, providerTotals);
        providerWalks.push_back(providerWatch.Seconds());

        double seconds = Export(context, ports.fileSystem, *key, options.out, form);
        if (seconds < 0) return 1;
        exports.push_back(seconds);
    }
    double fileSize = 0;
    if (auto info = ports.fileSystem.GetFileInfo(options.out)) {
        fileSize = static_cast<double>(info->size);
    }

    std::printf("Branch %s: %s keys (%zu unreadable), %s values, %s of value data\n",
                key->FullText().c_str(), Grouped(walked.keys).c_str(), walked.unreadable,
                Grouped(walked.values).c_str(),
                Megabytes(static_cast<double>(walked.dataSize)).c_str());
    std::printf("Export file: %s, %s, %s\n", options.out.c_str(), Megabytes(fileSize).c_str(),
                form == ExportFileForm::Regedit4 ? "REGEDIT4" : "Unicode (UTF-16LE)");
    std::printf("Median of %d runs:\n", options.repeat);
    PrintTiming("bare Win32 walk (port)", portWalks, walked.keys, walked.values, 0);
    PrintTiming("walk via RegistryProvider", providerWalks, walked.keys, walked.values, 0);
    PrintTiming("raw advapi32 walk", rawWalks, walked.keys, walked.values, 0);
    PrintTiming("export (backup mode)", exports, walked.keys, walked.values, fileSize);
    std::printf("Ratios:\n");
    PrintRatio("export / bare Win32 walk", Median(exports), Median(portWalks), kWalkTarget);
    std::printf("  %-34s %6.2fx  (information)\n", "export / provider walk",
                Median(exports) / Median(providerWalks));
    std::printf("  %-34s %6.2fx  (information)\n", "export / raw advapi32 walk",
                Median(exports) / Median(rawWalks));
    std::printf("  %-34s %6.2fx  (information)\n", "bare Win32 walk / raw advapi32 walk",
                Median(portWalks) / Median(rawWalks));
    std::printf("BENCH raw_walk_seconds %.6f\n", Median(rawWalks));
    // A line for the script: the internal export time, to set beside "reg export".
    std::printf("BENCH export_seconds %.6f\n", Median(exports));
    return 0;
}

}  // namespace
}  // namespace kestrover::bench

int wmain(int argc, wchar_t** argv) {
    kestrover::PrepareConsoleForUtf8();
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        std::wstring_view argument(argv[i]);
        std::u16string units(argument.begin(), argument.end());
        arguments.push_back(kestrover::Utf16ToUtf8(units));
    }
    kestrover::bench::Options options;
    if (!kestrover::bench::ParseOptions(arguments, options)) return 2;
    return kestrover::bench::Run(options);
}
