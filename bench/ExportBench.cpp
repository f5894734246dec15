// kestrover_bench_export: export and restore of a large synthetic registry on the memory
// platform, each against a bare walk of the same registry measured in the same run. The walk
// does what any exporter must: enumerate every key and read every value's type and data
// through RegistryProvider.
//
// Usage: kestrover_bench_export [--keys N] [--values N] [--repeat N] [--check-targets]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportReader.h"
#include "registry/RegExportWriter.h"
#include "registry/RegistryProvider.h"
#include "support/SyntheticRegistry.h"

namespace kestrover::bench {
namespace {

using testing::BranchSnapshot;
using testing::LargeRegistryShape;

constexpr RegRoot kRoot = RegRoot::LocalMachine;
constexpr const char* kBranch = "Software";
constexpr const char* kExportFile = "C:\\bench\\software.reg";
constexpr double kExportTarget = 3.0;
constexpr double kRestoreTarget = 4.0;

struct Options {
    LargeRegistryShape shape;
    int repeat = 3;
    bool checkTargets = false;
};

struct WalkTotals {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t dataSize = 0;
    std::uint64_t checksum = 0;  // keeps the reads from being optimised away
};

// The baseline: every key opened, its value names listed and each value's type and bytes read,
// its subkeys listed and walked, depth first, through one RegistryProvider.
class BareWalk {
public:
    explicit BareWalk(RegistryContext& context) : provider_(context) {}

    WalkTotals Run(RegRoot root, const std::string& path) {
        totals_ = {};
        provider_.SetRootKey(root);
        Walk(path);
        provider_.CloseKey();
        return totals_;
    }

private:
    void Walk(const std::string& path) {
        ++totals_.keys;
        if (!provider_.OpenKeyReadOnly("\\" + path)) return;
        std::vector<std::string> names;
        provider_.GetValueNames(names);
        for (const std::string& name : names) {
            auto data = provider_.ReadRawValue(name);
            if (!data) continue;
            ++totals_.values;
            totals_.dataSize += data->bytes.size();
            totals_.checksum += data->type + (data->bytes.empty() ? 0 : data->bytes.back());
        }
        std::vector<std::string> subkeys;
        provider_.GetKeyNames(subkeys);
        for (const std::string& subkey : subkeys) Walk(path + "\\" + subkey);
    }

    RegistryProvider provider_;
    WalkTotals totals_;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (Arguments arguments(argc, argv); arguments.Next();) {
        if (TakeCommonOption(arguments, options)) continue;
        std::fprintf(stderr,
                     "usage: kestrover_bench_export [--keys N] [--values N] [--repeat N] "
                     "[--check-targets]\n");
        return false;
    }
    return true;
}

int Run(const Options& options) {
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}};

    Stopwatch building;
    testing::LargeRegistryCounts built =
        testing::BuildLargeRegistry(registry, kRoot, kBranch, options.shape);
    double buildSeconds = building.Seconds();
    registry.ClearAccessLog();
    std::printf(
        "Synthetic registry: HKEY_LOCAL_MACHINE\\%s, %s keys, %s values, %s of value "
        "data (built in %.2f s)\n",
        kBranch, Grouped(built.keys).c_str(), Grouped(built.values).c_str(),
        Megabytes(static_cast<double>(built.dataSize)).c_str(), buildSeconds);

    std::vector<double> walkTimes;
    std::vector<double> exportTimes;
    std::vector<double> restoreTimes;
    WalkTotals walked;
    double fileSize = 0;
    ExportFileForm form = ExportFileForm::Regedit4;
    bool correct = true;

    for (int run = 0; run < options.repeat; ++run) {
        {
            BareWalk walk(context);
            Stopwatch watch;
            walked = walk.Run(kRoot, kBranch);
            walkTimes.push_back(watch.Seconds());
        }
        registry.ClearAccessLog();

        MemoryFileSystem files;
        (void)files.AddDirectories("C:\\bench");
        {
            RegExportWriter writer(context, files);
            Stopwatch watch;
            if (!writer.BeginExportFile(kExportFile)) {
                std::fprintf(stderr, "cannot create %s\n", kExportFile);
                return 1;
            }
            writer.ExportKey(kRoot, kBranch);
            Status written = writer.EndExportFile();
            exportTimes.push_back(watch.Seconds());
            form = writer.Form();
            if (!written) {
                std::fprintf(stderr, "export failed: %s\n", written.error().Describe().c_str());
                return 1;
            }
        }
        registry.ClearAccessLog();
        if (auto info = files.GetFileInfo(kExportFile)) fileSize = static_cast<double>(info->size);

        MemoryRegistry fresh;
        RegistryContext freshContext{fresh, {true, true}};
        {
            RegExportReader reader(freshContext, files);
            Stopwatch watch;
            Status loaded = reader.LoadExportFile(kExportFile, LoadMode::Restore);
            restoreTimes.push_back(watch.Seconds());
            if (!loaded || reader.Failed()) {
                std::fprintf(stderr, "restore failed\n");
                correct = false;
            }
        }
        if (run == 0) {
            // Outside the timings: the restored registry must be the exported one.
            BranchSnapshot original = testing::SnapshotBranch(registry, kRoot, kBranch);
            BranchSnapshot restored = testing::SnapshotBranch(fresh, kRoot, kBranch);
            if (auto difference = testing::FirstDifference(original, restored)) {
                std::fprintf(stderr, "the restored registry differs: %s\n", difference->c_str());
                correct = false;
            }
        }
    }

    if (walked.keys != built.keys || walked.values != built.values) {
        std::fprintf(stderr, "the walk saw %zu keys and %zu values\n", walked.keys, walked.values);
        correct = false;
    }
    std::fflush(stderr);
    std::printf("Export file: %s, %s\n", Megabytes(fileSize).c_str(),
                form == ExportFileForm::Regedit4 ? "REGEDIT4" : "Unicode (UTF-16LE)");
    std::printf("Median of %d runs:\n", options.repeat);
    PrintTiming("bare walk (baseline)", walkTimes, walked.keys, walked.values, 0);
    PrintTiming("export (backup mode)", exportTimes, walked.keys, walked.values, fileSize);
    PrintTiming("restore (fresh registry)", restoreTimes, walked.keys, walked.values, fileSize);
    std::printf("Ratios:\n");
    double walk = Median(walkTimes);
    bool met = PrintRatio("export / bare walk", Median(exportTimes), walk, kExportTarget);
    met = PrintRatio("restore / bare walk", Median(restoreTimes), walk, kRestoreTarget) && met;
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
