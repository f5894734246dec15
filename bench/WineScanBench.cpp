// kestrover_bench_wine_scan.exe: a full scan of the Wine prefix's registry (every root, as
// "kestrover-cli scan" runs it) against a bare Win32 walk of the same roots, in the same run.
// Under Wine every registry call is a round trip to the wineserver, so the walk is the floor
// any scan stands on. bench/wine-scan.sh runs it and times Wine's own "reg export" of the
// three roots beside it.
//
// Usage: kestrover_bench_wine_scan.exe [--repeat N] [--only walk|scan|profile|none]
//   --only profile  one scan through ports that count and time every registry and file-system
//                   call, to show where the scan's time goes
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/PathVariables.h"
#include "core/Unicode.h"
#include "platform/NativePlatform.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"
#include "scanner/FileReference.h"
#include "scanner/RegistryScanRules.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"

namespace kestrover::bench {
namespace {

constexpr double kWalkTarget = 2.0;

struct Options {
    std::string only;
    int repeat = 3;
};

struct WalkTotals {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t dataSize = 0;
    std::size_t unreadable = 0;
};

// The roots the scan walks, in its order.
struct WalkedRoot {
    RegRoot root;
    const char* path;
};
constexpr WalkedRoot kRoots[] = {
    {RegRoot::ClassesRoot, ""},
    {RegRoot::CurrentUser, "Software"},
    {RegRoot::LocalMachine, "Software"},
    {RegRoot::LocalMachine,
     "System\\CurrentControlSet\\services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules"},
    {RegRoot::Users, ""},
};

// The floor: the Win32 port's own walk of the keys the scan enters (the names it never enters
// are passed by here too): one open per key, its values with their data, its subkey names.
void PortWalk(RegistryPort& port, RegRoot root, const std::string& path, WalkTotals& totals) {
    auto key = port.OpenKey(root, path, KeyAccess::Read | KeyAccess::Wow64_64Key);
    if (!key) {
        ++totals.unreadable;
        return;
    }
    ++totals.keys;
    if (auto values = (*key)->Values()) {
        totals.values += values->size();
        for (const RegistryValue& value : *values) totals.dataSize += value.data.bytes.size();
    }
    auto subkeys = (*key)->SubkeyNames();
    key.value().reset();
    if (!subkeys) return;
    for (const std::string& name : *subkeys) {
        if (NeverEnteredKeyName(name)) continue;
        PortWalk(port, root, path.empty() ? name : path + "\\" + name, totals);
    }
}

WalkTotals WalkAll(RegistryPort& port) {
    WalkTotals totals;
    for (const WalkedRoot& walked : kRoots) PortWalk(port, walked.root, walked.path, totals);
    return totals;
}

// The same keys through RegistryProvider, one provider per key as the scan opens them: what
// the scan's own reading costs before any rule runs (information).
void ProviderWalk(RegistryContext& context, RegRoot root, const std::string& path,
                  WalkTotals& totals) {
    std::vector<std::string> subkeys;
    {
        RegistryProvider provider(context);
        provider.SetRootKey(root);
        if (!provider.OpenKeyReadOnly(path)) {
            ++totals.unreadable;
            return;
        }
        ++totals.keys;
        provider.GetKeyNames(subkeys);
        std::vector<RegistryValue> values;
        (void)provider.ReadAllValues(values);
        totals.values += values.size();
    }
    for (const std::string& name : subkeys) {
        if (NeverEnteredKeyName(name)) continue;
        ProviderWalk(context, root, path + "\\" + name, totals);
    }
}

// Where the scan's time goes: every registry and file-system call, counted and timed by kind.
class CallTally {
public:
    template <class Call>
    auto Time(const char* kind, Call&& call) {
        auto start = std::chrono::steady_clock::now();
        auto result = call();
        Entry& entry = entries_[kind];
        ++entry.count;
        entry.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    }
    void Print(double wholeScan) const {
        double inCalls = 0;
        for (const auto& [kind, entry] : entries_) {
            std::printf("  %-34s %9zu calls %8.3f s %8.1f us a call\n", kind.c_str(), entry.count,
                        entry.seconds, entry.count ? entry.seconds * 1e6 / entry.count : 0.0);
            inCalls += entry.seconds;
        }
        std::printf("  %-34s %25.3f s of the scan's %.3f s\n", "all calls", inCalls, wholeScan);
    }

private:
    struct Entry {
        std::size_t count = 0;
        double seconds = 0;
    };
    std::map<std::string, Entry> entries_;
};

class TimedKey final : public RegistryKey {
public:
    TimedKey(std::unique_ptr<RegistryKey> inner, CallTally& tally)
        : inner_(std::move(inner)), tally_(tally) {}
    Result<std::vector<std::string>> SubkeyNames() override {
        return tally_.Time("registry SubkeyNames", [&] { return inner_->SubkeyNames(); });
    }
    Result<std::vector<std::string>> ValueNames() override {
        return tally_.Time("registry ValueNames", [&] { return inner_->ValueNames(); });
    }
    Result<std::vector<RegistryValue>> Values() override {
        return tally_.Time("registry Values", [&] { return inner_->Values(); });
    }
    Result<RegistryData> QueryValue(std::string_view name) override {
        return tally_.Time("registry QueryValue", [&] { return inner_->QueryValue(name); });
    }
    Status SetValue(std::string_view name, std::uint32_t type,
                    std::span<const std::uint8_t> bytes) override {
        return inner_->SetValue(name, type, bytes);
    }
    Status DeleteValue(std::string_view name) override { return inner_->DeleteValue(name); }
    Status DeleteSubkey(std::string_view name, std::uint32_t viewFlags) override {
        return inner_->DeleteSubkey(name, viewFlags);
    }

private:
    std::unique_ptr<RegistryKey> inner_;
    CallTally& tally_;
};

class TimedRegistry final : public RegistryPort {
public:
    TimedRegistry(RegistryPort& inner, CallTally& tally) : inner_(inner), tally_(tally) {}
    Result<std::unique_ptr<RegistryKey>> OpenKey(PredefinedKey root, std::string_view path,
                                                 std::uint32_t access) override {
        const char* kind = (access & KeyAccess::SetValue) ? "registry OpenKey for writing"
                                                          : "registry OpenKey";
        return Wrap(tally_.Time(kind, [&] { return inner_.OpenKey(root, path, access); }));
    }
    Result<std::unique_ptr<RegistryKey>> CreateKey(PredefinedKey root, std::string_view path,
                                                   std::uint32_t access) override {
        return Wrap(tally_.Time("registry CreateKey", [&] { return inner_.CreateKey(root, path, access); }));
    }

private:
    Result<std::unique_ptr<RegistryKey>> Wrap(Result<std::unique_ptr<RegistryKey>> key) {
        if (!key) return key;
        return std::unique_ptr<RegistryKey>(std::make_unique<TimedKey>(std::move(key.value()), tally_));
    }
    RegistryPort& inner_;
    CallTally& tally_;
};

class TimedFileSystem final : public FileSystemPort {
public:
    TimedFileSystem(FileSystemPort& inner, CallTally& tally) : inner_(inner), tally_(tally) {}
    Result<std::vector<FileEntry>> FindFiles(std::string_view pattern) override {
        return tally_.Time("files FindFiles", [&] { return inner_.FindFiles(pattern); });
    }
    std::optional<FileEntry> GetFileInfo(std::string_view path) override {
        return tally_.Time("files GetFileInfo", [&] { return inner_.GetFileInfo(path); });
    }
    bool FileExists(std::string_view path) override {
        return tally_.Time("files FileExists", [&] { return inner_.FileExists(path); });
    }
    bool DirectoryExists(std::string_view path) override {
        return tally_.Time("files DirectoryExists", [&] { return inner_.DirectoryExists(path); });
    }
    Status CreateDirectory(std::string_view path) override { return inner_.CreateDirectory(path); }
    Status RemoveDirectory(std::string_view path) override { return inner_.RemoveDirectory(path); }
    Status MoveFile(std::string_view from, std::string_view to, ExistingTarget existing) override {
        return inner_.MoveFile(from, to, existing);
    }
    Status DeleteFile(std::string_view path) override { return inner_.DeleteFile(path); }
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    Result<std::vector<std::uint8_t>> ReadFile(std::string_view path) override {
        return tally_.Time("files ReadFile", [&] { return inner_.ReadFile(path); });
    }
    Result<std::unique_ptr<FileWriter>> CreateFile(std::string_view path) override {
        return inner_.CreateFile(path);
    }
    std::uint32_t LogicalDrives() override {
        return tally_.Time("files LogicalDrives", [&] { return inner_.LogicalDrives(); });
    }
    DriveType GetDriveType(std::string_view root) override {
        return tally_.Time("files GetDriveType", [&] { return inner_.GetDriveType(root); });
    }

private:
    FileSystemPort& inner_;
    CallTally& tally_;
};

struct ScanResult {
    double seconds = 0;
    std::size_t findings = 0;
};

// A whole scan as the command line runs it, with no exclusion list.
ScanResult FullScan(Platform& ports, RegistryContext& context) {
    Stopwatch watch;
    PathVariables variables = FillPathVariables(ports.environment, ports.fileSystem, context);
    RegistryScanRules rules(ports.fileSystem, ToKnownFolders(variables),
                            ports.environment.IsWow64Redirected() ? Wow64Redirection::On
                                                                  : Wow64Redirection::Off);
    ResultList results(context);
    ScanCallbacks callbacks;
    callbacks.buildLocalDrives = [&ports] { return BuildLocalDrives(ports.fileSystem); };
    ScanDriver driver(ScanEnvironment{context, ports.fileSystem, results, rules, "",
                                      &ports.environment.AnsiCodePage()},
                      callbacks);
    driver.GoClean(ScanSelection{});
    return {watch.Seconds(), results.RowCount()};
}

bool ParseOptions(const std::vector<std::string>& arguments, Options& options) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (option == "--only" && hasValue) {
            options.only = arguments[++i];
        } else if (option == "--repeat" && hasValue) {
            options.repeat = std::max(1, std::atoi(arguments[++i].c_str()));
        } else {
            std::fprintf(stderr,
                         "usage: kestrover_bench_wine_scan.exe [--repeat N] "
                         "[--only walk|scan|profile|none]\n");
            return false;
        }
    }
    return true;
}

int Run(const Options& options) {
    auto native = CreateNativePlatform({});
    if (!native) {
        std::fprintf(stderr, "%s\n", native.error().Describe().c_str());
        return 1;
    }
    Platform ports = (*native)->Ports();
    RegistryContext context{
        ports.registry,
        ViewFlagsFromArchitecture(ports.environment.OperatingSystemArchitecture()),
        &ports.environment.AnsiCodePage()};

    if (options.only == "none") return 0;
    if (options.only == "walk") {
        Stopwatch watch;
        WalkTotals totals = WalkAll(ports.registry);
        std::printf("walk %.3f s, %zu keys, %zu values\n", watch.Seconds(), totals.keys,
                    totals.values);
        return 0;
    }
    if (options.only == "profile") {
        CallTally tally;
        TimedRegistry registry(ports.registry, tally);
        TimedFileSystem fileSystem(ports.fileSystem, tally);
        Platform timed{registry, fileSystem, ports.environment, ports.clock, ports.shell,
                       ports.security};
        RegistryContext timedContext{registry, context.views, context.ansiCodePage};
        ScanResult scan = FullScan(timed, timedContext);
        std::printf("Scan through timing ports: %.3f s, %zu findings\n", scan.seconds, scan.findings);
        tally.Print(scan.seconds);
        return 0;
    }
    if (options.only == "scan") {
        ScanResult scan = FullScan(ports, context);
        std::printf("scan %.3f s, %zu findings\n", scan.seconds, scan.findings);
        return 0;
    }

    std::vector<double> walks;
    std::vector<double> providerWalks;
    std::vector<double> scans;
    WalkTotals walked;
    std::size_t findings = 0;
    for (int run = 0; run < options.repeat; ++run) {
        Stopwatch walkWatch;
        walked = WalkAll(ports.registry);
        walks.push_back(walkWatch.Seconds());

        WalkTotals providerTotals;
        Stopwatch providerWatch;
        for (const WalkedRoot& root : kRoots) {
            ProviderWalk(context, root.root, root.path, providerTotals);
        }
        providerWalks.push_back(providerWatch.Seconds());

        ScanResult scan = FullScan(ports, context);
        scans.push_back(scan.seconds);
        findings = scan.findings;
    }

    std::printf(
        "Roots HKCR, HKCU\\Software, HKLM\\Software, HKLM\\...\\FirewallRules, HKU (names the "
        "scan never enters left out): %s keys (%zu not opened), %s values, %s of value data\n",
        Grouped(walked.keys).c_str(), walked.unreadable, Grouped(walked.values).c_str(),
        Megabytes(static_cast<double>(walked.dataSize)).c_str());
    std::printf("Scan findings: %zu\n", findings);
    std::printf("Median of %d runs:\n", options.repeat);
    PrintTiming("bare Win32 walk (port)", walks, walked.keys, walked.values, 0);
    PrintTiming("walk via RegistryProvider", providerWalks, walked.keys, walked.values, 0);
    PrintTiming("full scan", scans, walked.keys, walked.values, 0);
    std::printf("Ratios:\n");
    PrintRatio("scan / bare Win32 walk", Median(scans), Median(walks), kWalkTarget);
    std::printf("  %-34s %6.2fx  (information)\n", "provider walk / bare Win32 walk",
                Median(providerWalks) / Median(walks));
    std::printf("BENCH walk_seconds %.6f\n", Median(walks));
    std::printf("BENCH scan_seconds %.6f\n", Median(scans));
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
