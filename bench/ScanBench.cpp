// kestrover_bench_scan: the registry scan of a large synthetic registry on the memory platform
// against a bare walk of the same keys measured in the same run, and the scan's memory growth
// against its number of findings. The walk does what any scan must: open every key the scan
// enters, list its subkeys and read every value with its type and data, through
// RegistryProvider.
//
// Usage: kestrover_bench_scan [--keys N] [--values N] [--missing PERCENT] [--repeat N]
//            [--check-targets]
//   --missing PERCENT  share of the file references whose file is missing in the timed runs
//                      (default 10); the memory runs then also scan with 1% and 0% missing
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "BenchSupport.h"
#include "core/Text.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/ports/ForwardingFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"
#include "scanner/FileReference.h"
#include "scanner/RegistryScanRules.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"
#include "support/SyntheticRegistry.h"

namespace kestrover::bench {
namespace {

constexpr double kScanTarget = 3.0;
constexpr const char* kDataFolder = "C:\\Program Files\\Kestrover";

struct Options {
    testing::ScanRegistryShape shape;
    int missingPercent = 10;
    int repeat = 3;
    bool checkTargets = false;
};

struct WalkTotals {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t dataSize = 0;
};

// The baseline: the keys the scan walks, each opened read-only, its subkey names listed and
// all its values read with type and data, through one RegistryProvider per key as the scan
// uses. The names the scan never enters are passed by here too.
class BareWalk {
public:
    explicit BareWalk(RegistryContext& context) : context_(context) {}

    WalkTotals Run() {
        totals_ = {};
        Walk(RegRoot::ClassesRoot, "");
        Walk(RegRoot::CurrentUser, "Software");
        Walk(RegRoot::LocalMachine, "Software");
        Walk(RegRoot::LocalMachine,
             "System\\CurrentControlSet\\services\\SharedAccess\\Parameters\\FirewallPolicy\\"
             "FirewallRules");
        Walk(RegRoot::Users, "");
        return totals_;
    }

private:
    void Walk(RegRoot root, const std::string& path) {
        std::vector<std::string> subkeys;
        {
            RegistryProvider provider(context_);
            provider.SetRootKey(root);
            if (!provider.OpenKeyReadOnly(path)) return;
            if (!path.empty()) ++totals_.keys;  // the roots themselves are no keys of the branch
            provider.GetKeyNames(subkeys);
            values_.clear();
            (void)provider.ReadAllValues(values_);
            totals_.values += values_.size();
            for (const RegistryValue& value : values_) totals_.dataSize += value.data.bytes.size();
        }
        for (const std::string& name : subkeys) {
            if (NeverEnteredKeyName(name)) continue;
            Walk(root, path + "\\" + name);
        }
    }

    RegistryContext& context_;
    std::vector<RegistryValue> values_;
    WalkTotals totals_;
};

// Forwards to another file system and counts the existence questions the scan asks, to show
// how many a value costs (only in the check run, outside the timings).
class CountingFileSystem final : public ForwardingFileSystem {
public:
    explicit CountingFileSystem(FileSystemPort& inner) : ForwardingFileSystem(inner) {}
    std::size_t lookups = 0;

    Result<std::vector<FileEntry>> FindFiles(std::string_view pattern) override {
        ++lookups;
        return Inner().FindFiles(pattern);
    }
    std::optional<FileEntry> GetFileInfo(std::string_view path) override {
        ++lookups;
        return Inner().GetFileInfo(path);
    }
    bool FileExists(std::string_view path) override {
        ++lookups;
        return Inner().FileExists(path);
    }
    bool DirectoryExists(std::string_view path) override {
        ++lookups;
        return Inner().DirectoryExists(path);
    }
};

KnownFolders BenchFolders() {
    KnownFolders folders;
    folders.systemRoot = "C:\\Windows";
    folders.windowsFolder = "C:\\Windows";
    folders.systemDrive = "C:";
    folders.programFiles = "C:\\Program Files";
    folders.commonProgramFiles = "C:\\Program Files\\Common Files";
    folders.programFilesX86 = "C:\\Program Files (x86)";
    folders.commonProgramFilesX86 = "C:\\Program Files (x86)\\Common Files";
    folders.is64BitWindows = true;
    return folders;
}

// Bytes the heap holds in use; 0 where the C library cannot tell.
std::size_t HeapInUse() {
#if defined(__GLIBC__)
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

// The process's peak resident memory (VmHWM) in bytes; 0 where it cannot be read.
std::size_t PeakResident() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    std::size_t kilobytes = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) kilobytes = std::strtoull(line + 6, nullptr, 10);
    }
    std::fclose(status);
    return kilobytes * 1024;
}

struct ScanRun {
    double seconds = 0;
    std::size_t findings = 0;
    std::size_t heapGrowth = 0;  // peak heap in use during the scan, over the heap before it
    std::map<std::string, std::size_t> byRule;
    std::size_t falseFindings = 0;   // tested path is a file that exists
    std::size_t unreported = 0;      // missing files no finding names
    std::string firstFalse;
    std::size_t duplicateRows = 0;      // rows whose text an earlier row has already
    std::size_t repeatedPaths = 0;      // rows naming a missing file an earlier row names
    std::size_t fileLookups = 0;        // existence questions asked of the file system
    std::size_t folderListings = 0;     // of which folder listings taken by the scan's cache
    std::size_t passedThrough = 0;      // of which questions the cache could not answer
};

// One whole scan of every root. With measureMemory the heap is sampled as the scan goes, and
// the memory registry's access log (a test aid that records every key opened) is emptied as
// it goes, so that only the scan's own memory is counted.
ScanRun Scan(RegistryContext& context, MemoryRegistry& registry, MemoryFileSystem& files,
             bool measureMemory) {
    ScanRun run;
    std::size_t before = measureMemory ? HeapInUse() : 0;
    std::size_t peak = before;
    std::size_t pumps = 0;
    ScanCallbacks callbacks;
    callbacks.buildLocalDrives = [&files] { return BuildLocalDrives(files); };
    if (measureMemory) {
        callbacks.pumpMessages = [&] {
            if (++pumps % 32768 != 0) return;
            registry.ClearAccessLog();
            peak = std::max(peak, HeapInUse());
        };
    }
    RegistryScanRules rules(files, BenchFolders(), Wow64Redirection::Off);
    ResultList results(context);
    ScanDriver driver(ScanEnvironment{context, files, results, rules, kDataFolder, nullptr},
                      callbacks);
    Stopwatch watch;
    driver.GoClean(ScanSelection{});
    run.seconds = watch.Seconds();
    if (measureMemory) {
        peak = std::max(peak, HeapInUse());
        run.heapGrowth = peak > before ? peak - before : 0;
    }
    run.findings = results.RowCount();
    for (const ResultRow& row : results.Rows()) ++run.byRule[row.detail.rule];
    registry.ClearAccessLog();
    return run;
}

// Outside the timings: every finding must name a file that is missing, and every missing file
// must be named by a finding.
void CheckFindings(RegistryContext& context, MemoryFileSystem& memoryFiles,
                   const std::vector<testing::ReferencedFile>& referenced, int missingPerMille,
                   ScanRun& run) {
    CountingFileSystem files(memoryFiles);
    std::unordered_set<std::string> missing;
    for (const testing::ReferencedFile& file : referenced) {
        if (file.rank < missingPerMille) missing.insert(AsciiLower(file.path));
    }
    RegistryScanRules rules(files, BenchFolders(), Wow64Redirection::Off);
    ResultList results(context);
    ScanCallbacks callbacks;
    callbacks.buildLocalDrives = [&files] { return BuildLocalDrives(files); };
    ScanDriver driver(ScanEnvironment{context, files, results, rules, kDataFolder, nullptr},
                      callbacks);
    driver.GoClean(ScanSelection{});
    run.fileLookups = files.lookups;
    run.folderListings = rules.Listings().ListingCount();
    run.passedThrough = rules.Listings().PassedThroughCount();
    std::unordered_set<std::string> named;
    std::unordered_set<std::string> texts;
    for (const ResultRow& row : results.Rows()) {
        if (!texts.insert(row.text).second) ++run.duplicateRows;
        std::string tested = AsciiLower(row.detail.testedPath);
        if (missing.count(tested) == 0) {
            if (run.falseFindings++ == 0) run.firstFalse = row.text + "  (tested: " + tested + ")";
        }
        if (!named.insert(tested).second) ++run.repeatedPaths;
    }
    for (const std::string& path : missing) {
        if (named.count(path) == 0) ++run.unreported;
    }
}

void PlantFiles(MemoryFileSystem& files, const std::vector<testing::ReferencedFile>& referenced,
                int fromPerMille, int toPerMille) {
    for (const testing::ReferencedFile& file : referenced) {
        if (file.rank >= fromPerMille && file.rank < toPerMille) (void)files.AddFile(file.path, "");
    }
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (Arguments arguments(argc, argv); arguments.Next();) {
        if (TakeCommonOption(arguments, options)) continue;
        std::size_t missing = 0;
        if (arguments.Is("--missing") && arguments.Number(missing) && missing <= 100) {
            options.missingPercent = static_cast<int>(missing);
            continue;
        }
        std::fprintf(stderr,
                     "usage: kestrover_bench_scan [--keys N] [--values N] [--missing PERCENT] "
                     "[--repeat N] [--check-targets]\n");
        return false;
    }
    return true;
}

int Run(const Options& options) {
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}};
    MemoryFileSystem files;
    (void)files.AddDirectories("C:\\Windows\\System32");
    (void)files.AddDirectories(kDataFolder);

    Stopwatch building;
    testing::ScanRegistryCounts built = testing::BuildScanRegistry(registry, options.shape);
    const int missingPerMille = options.missingPercent * 10;
    PlantFiles(files, built.files, missingPerMille, 1000);
    double buildSeconds = building.Seconds();
    registry.ClearAccessLog();
    std::size_t missingFiles = 0;
    for (const auto& file : built.files) missingFiles += file.rank < missingPerMille;
    std::printf(
        "Synthetic registry: HKCU\\Software, HKLM\\Software, HKU\\%s\\Software: %s keys, %s "
        "values, %s of them file references (%.1f%%), %s files missing (%.1f%% of the "
        "references); built in %.1f s\n",
        std::string(testing::kScanRegistryUserSid).c_str(), Grouped(built.keys).c_str(),
        Grouped(built.values).c_str(), Grouped(built.files.size()).c_str(),
        100.0 * built.files.size() / std::max<std::size_t>(1, built.values),
        Grouped(missingFiles).c_str(), 100.0 * missingFiles / std::max<std::size_t>(1, built.files.size()),
        buildSeconds);

    std::vector<double> walkTimes;
    std::vector<double> scanTimes;
    WalkTotals walked;
    ScanRun scanned;
    for (int run = 0; run < options.repeat; ++run) {
        {
            BareWalk walk(context);
            Stopwatch watch;
            walked = walk.Run();
            walkTimes.push_back(watch.Seconds());
        }
        registry.ClearAccessLog();
        scanned = Scan(context, registry, files, false);
        scanTimes.push_back(scanned.seconds);
    }

    bool correct = true;
    if (walked.keys != built.keys || walked.values != built.values) {
        std::fprintf(stderr, "the walk saw %zu keys and %zu values\n", walked.keys, walked.values);
        correct = false;
    }
    CheckFindings(context, files, built.files, missingPerMille, scanned);
    registry.ClearAccessLog();

    std::printf("Walked: %s keys, %s values, %s of value data\n", Grouped(walked.keys).c_str(),
                Grouped(walked.values).c_str(), Megabytes(static_cast<double>(walked.dataSize)).c_str());
    std::printf("Findings: %s", Grouped(scanned.findings).c_str());
    const char* separator = " (";
    for (const auto& [rule, count] : scanned.byRule) {
        std::printf("%s%s %s", separator, rule.c_str(), Grouped(count).c_str());
        separator = ", ";
    }
    std::printf(")\n");
    std::printf("  naming a file that exists: %zu; missing files named by no finding: %zu; rows "
                "repeating an earlier row's text: %s\n",
                scanned.falseFindings, scanned.unreported, Grouped(scanned.duplicateRows).c_str());
    std::printf("  rows naming a missing file an earlier row already names: %s\n",
                Grouped(scanned.repeatedPaths).c_str());
    std::printf("  file-system existence questions in one scan: %s (%.1f a value)\n",
                Grouped(scanned.fileLookups).c_str(),
                static_cast<double>(scanned.fileLookups) / std::max<std::size_t>(1, walked.values));
    std::printf("    of which folder listings: %s; questions no listing could answer: %s\n",
                Grouped(scanned.folderListings).c_str(), Grouped(scanned.passedThrough).c_str());
    if (scanned.falseFindings > 0) {
        std::fprintf(stderr, "a valid entry was reported: %s\n", scanned.firstFalse.c_str());
        correct = false;
    }
    if (scanned.unreported > 0) correct = false;

    std::printf("Median of %d runs:\n", options.repeat);
    PrintTiming("bare walk (baseline)", walkTimes, walked.keys, walked.values, 0);
    PrintTiming("scan (all roots)", scanTimes, walked.keys, walked.values, 0);
    std::printf("Ratios:\n");
    bool met = PrintRatio("scan / bare walk", Median(scanTimes), Median(walkTimes), kScanTarget);

    // Memory: the same registry scanned with fewer and fewer files missing. The findings are
    // all the scan keeps; the walk itself holds one key's names and values at a time.
    std::printf("Memory (heap in use at its peak during the scan, over the heap before it):\n");
    std::size_t residentBefore = PeakResident();
    std::vector<int> levels = {options.missingPercent};
    for (int level : {1, 0}) {
        if (level < levels.back()) levels.push_back(level);
    }
    struct Sample {
        int percent;
        std::size_t findings;
        std::size_t growth;
    };
    std::vector<Sample> samples;
    int planted = missingPerMille;
    for (int level : levels) {
        PlantFiles(files, built.files, level * 10, planted);
        planted = level * 10;
        ScanRun run = Scan(context, registry, files, true);
        samples.push_back({level, run.findings, run.heapGrowth});
        std::printf("  %3d%% of the files missing: %9s findings  %10s  %7.0f bytes a finding\n",
                    level, Grouped(run.findings).c_str(),
                    Megabytes(static_cast<double>(run.heapGrowth)).c_str(),
                    run.findings ? static_cast<double>(run.heapGrowth) / run.findings : 0.0);
    }
    if (samples.size() >= 2) {
        const Sample& none = samples.back();
        std::printf("  growth left when nothing is found: %s for %s keys and %s values\n",
                    Megabytes(static_cast<double>(none.growth)).c_str(),
                    Grouped(walked.keys).c_str(), Grouped(walked.values).c_str());
        for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
            const Sample& sample = samples[i];
            double perFinding = sample.findings > none.findings
                                    ? (static_cast<double>(sample.growth) - none.growth) /
                                          static_cast<double>(sample.findings - none.findings)
                                    : 0.0;
            std::printf("  %3d%% over %d%%: %7.0f bytes for each further finding\n",
                        sample.percent, none.percent, perFinding);
        }
    }
    std::size_t residentAfter = PeakResident();
    std::printf("  process peak resident (VmHWM): %s before the memory runs, %s after\n",
                Megabytes(static_cast<double>(residentBefore)).c_str(),
                Megabytes(static_cast<double>(residentAfter)).c_str());

    std::fflush(stdout);
    if (!correct) return 1;
    return options.checkTargets && !met ? 2 : 0;
}

}  // namespace
}  // namespace kestrover::bench

int main(int argc, char** argv) {
    kestrover::bench::Options options;
    if (!kestrover::bench::ParseOptions(argc, argv, options)) return 2;
    return kestrover::bench::Run(options);
}
