// kestrover_bench_search: the registry search over the large synthetic registry of the scan
// benchmark, on the memory platform, against a bare walk of the same keys measured in the same
// run. The search walks whole roots and enters every key, so the walk does too: every key
// opened read-only through one RegistryProvider, its subkey names listed and all its values
// read with type and data. The search adds the matching of every key name, value name and
// string or binary data, and the result list's write test of every hit.
//
// Usage: kestrover_bench_search [--keys N] [--values N] [--repeat N] [--text TEXT]
//            [--check-targets]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"
#include "repair/RegistrySearch.h"
#include "scanner/ResultList.h"
#include "scanner/ScanEntry.h"
#include "support/SyntheticRegistry.h"

namespace kestrover::bench {
namespace {

constexpr double kSearchTarget = 2.0;

struct Options {
    testing::ScanRegistryShape shape;
    int repeat = 3;
    std::string text = "update";
    bool checkTargets = false;
};

struct WalkTotals {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t dataSize = 0;
};

// The baseline: the four whole roots the search walks, every key entered.
class BareWalk {
public:
    explicit BareWalk(RegistryContext& context) : context_(context) {}

    WalkTotals Run() {
        totals_ = {};
        for (RegRoot root :
             {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine, RegRoot::Users}) {
            Walk(root, "");
        }
        return totals_;
    }

private:
    void Walk(RegRoot root, const std::string& path) {
        std::vector<std::string> subkeys;
        {
            RegistryProvider provider(context_);
            provider.SetRootKey(root);
            if (!provider.OpenKeyReadOnly(path)) return;
            if (!path.empty()) ++totals_.keys;
            provider.GetKeyNames(subkeys);
            values_.clear();
            (void)provider.ReadAllValues(values_);
            totals_.values += values_.size();
            for (const RegistryValue& value : values_) totals_.dataSize += value.data.bytes.size();
        }
        for (const std::string& name : subkeys) Walk(root, path + "\\" + name);
    }

    RegistryContext& context_;
    std::vector<RegistryValue> values_;
    WalkTotals totals_;
};

struct SearchRun {
    double seconds = 0;
    std::size_t keyHits = 0;
    std::size_t valueHits = 0;
    std::size_t dataHits = 0;
};

SearchRun Search(RegistryContext& context, MemoryFileSystem& files, std::string_view text) {
    SearchOptions options;
    options.users = true;
    ResultList results(context);
    RegistrySearch search(context, files, results, SearchCallbacks{});
    Stopwatch watch;
    search.Run(text, options, ShiftKey::Up);
    SearchRun run;
    run.seconds = watch.Seconds();
    for (const ResultRow& row : results.Rows()) {
        ScanEntry entry = ParseScanEntry(row.text);
        if (entry.hasData) {
            ++run.dataHits;
        } else if (entry.hasValue) {
            ++run.valueHits;
        } else {
            ++run.keyHits;
        }
    }
    return run;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (Arguments arguments(argc, argv); arguments.Next();) {
        if (TakeCommonOption(arguments, options)) continue;
        if (arguments.Is("--text") && arguments.Text(options.text)) continue;
        std::fprintf(stderr,
                     "usage: kestrover_bench_search [--keys N] [--values N] [--repeat N] "
                     "[--text TEXT] [--check-targets]\n");
        return false;
    }
    return !options.text.empty();
}

int Run(const Options& options) {
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}};
    MemoryFileSystem files;
    Stopwatch building;
    testing::ScanRegistryCounts built = testing::BuildScanRegistry(registry, options.shape);
    std::printf("Synthetic registry: %s keys, %s values; built in %.1f s\n",
                Grouped(built.keys).c_str(), Grouped(built.values).c_str(), building.Seconds());
    // The registry's log of every key opened is a test aid; it is kept empty between runs.
    registry.ClearAccessLog();

    // A text the registry holds in names and data, and one it holds nowhere: the second shows
    // the cost of matching alone, the first that of the hits too.
    const std::string absent = "kestrover-no-such-text";
    std::vector<double> walkTimes;
    std::vector<double> searchTimes;
    std::vector<double> absentTimes;
    WalkTotals walked;
    SearchRun found;
    for (int run = 0; run < options.repeat; ++run) {
        {
            BareWalk walk(context);
            Stopwatch watch;
            walked = walk.Run();
            walkTimes.push_back(watch.Seconds());
        }
        registry.ClearAccessLog();
        found = Search(context, files, options.text);
        searchTimes.push_back(found.seconds);
        registry.ClearAccessLog();
        SearchRun nothing = Search(context, files, absent);
        absentTimes.push_back(nothing.seconds);
        registry.ClearAccessLog();
        if (nothing.keyHits + nothing.valueHits + nothing.dataHits != 0) {
            std::fprintf(stderr, "a text the registry does not hold was found\n");
            return 1;
        }
    }

    std::printf("Walked (all four roots, every key): %s keys, %s values, %s of value data\n",
                Grouped(walked.keys).c_str(), Grouped(walked.values).c_str(),
                Megabytes(static_cast<double>(walked.dataSize)).c_str());
    std::printf("Hits for \"%s\": %s keys, %s value names, %s data\n", options.text.c_str(),
                Grouped(found.keyHits).c_str(), Grouped(found.valueHits).c_str(),
                Grouped(found.dataHits).c_str());
    std::printf("Median of %d runs:\n", options.repeat);
    PrintTiming("bare walk (baseline)", walkTimes, walked.keys, walked.values, 0);
    const std::string searchName = "search \"" + options.text + "\"";
    PrintTiming(searchName.c_str(), searchTimes, walked.keys, walked.values, 0);
    PrintTiming("search, no hit", absentTimes, walked.keys, walked.values, 0);
    std::printf("Ratios:\n");
    bool met =
        PrintRatio("search / bare walk", Median(searchTimes), Median(walkTimes), kSearchTarget);
    met = PrintRatio("search without hits / bare walk", Median(absentTimes), Median(walkTimes),
                     kSearchTarget) &&
          met;
    std::fflush(stdout);
    return options.checkTargets && !met ? 2 : 0;
}

}  // namespace
}  // namespace kestrover::bench

int main(int argc, char** argv) {
    kestrover::bench::Options options;
    if (!kestrover::bench::ParseOptions(argc, argv, options)) return 2;
    return kestrover::bench::Run(options);
}
