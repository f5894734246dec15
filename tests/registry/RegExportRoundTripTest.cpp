// Export, delete, restore: a random registry branch comes back exactly as it was — the same
// keys, value names, types, bytes and value order — whether the backup was written plainly,
// compacted after repeated sections, or taken in snapshot mode. The cases come from a fixed
// seed, so a failure names a case that fails the same way on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "core/TextCodec.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportReader.h"
#include "registry/RegExportWriter.h"
#include "registry/RegistryProvider.h"
#include "support/SyntheticRegistry.h"

namespace kestrover::testing {
namespace {

constexpr std::uint64_t kSeed = 0x5EED'2026'1210ULL;
constexpr int kSmallCases = 2000;
// After this many failed cases a run stops: the first ones say what is wrong.
constexpr int kFailuresShown = 3;
constexpr std::string_view kBackupFile = "C:\\Backups\\round trip.reg";

enum class Route {
    Backup,     // one ExportKey of the branch, as a backup before a deletion
    Compacted,  // the branch, then some of its keys again, then CompactExportFile
    Snapshot,   // snapshot mode: no blank lines, no wrapped lines
};

constexpr int kRouteCount = 3;

struct RouteCase {
    const char* name;
    Route route;
};

void PrintTo(const RouteCase& route, std::ostream* out) { *out << route.name; }

// The roots a backup may name; the branch goes below a parent key that stays.
struct BranchPlace {
    RegRoot root;
    const char* parent;
};
constexpr BranchPlace kPlaces[] = {
    {RegRoot::CurrentUser, "Software\\Kestrover Round Trip"},
    {RegRoot::LocalMachine, "Software\\Kestrover Round Trip"},
    {RegRoot::Users, "S-1-5-21-1004\\Software\\Kestrover Round Trip"},
    {RegRoot::ClassesRoot, "Kestrover Round Trip"},
    {RegRoot::CurrentConfig, "Software\\Kestrover Round Trip"},
};

const char* TextRangeName(TextRange range) {
    switch (range) {
        case TextRange::Ascii:
            return "ASCII";
        case TextRange::Latin1:
            return "Latin-1";
        case TextRange::AnyScript:
            return "any script";
    }
    return "?";
}

// The file's text for a failure message: a Unicode file decoded, control characters other than
// line ends escaped, cut when long.
std::string FileTextForMessage(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = Utf16LeBytesToUtf8(bytes.data() + 2, bytes.size() - 2);
    } else {
        text = Windows1252().ToUtf8(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    constexpr std::size_t kShown = 6000;
    std::string shown;
    for (char c : text.substr(0, kShown)) {
        if (c == '\r') continue;
        if (c == '\n') {
            shown += "\n    ";
            continue;
        }
        shown += Printable(std::string_view(&c, 1));
    }
    if (text.size() > kShown) shown += "\n    ... (" + std::to_string(text.size()) + " bytes)";
    return shown;
}

class RegExportRoundTrip : public ::testing::TestWithParam<RouteCase> {
protected:
    struct Outcome {
        std::optional<std::string> difference;
        ExportFileForm form = ExportFileForm::Regedit4;
    };

    void SetUp() override { ASSERT_TRUE(files_.AddDirectories("C:\\Backups").ok()); }

    // Generates case `number` in a registry of its own, sends it through the route and
    // compares. Each case has its own seed, so any one of them can be rerun alone.
    Outcome RunCase(int number, const RandomBranchShape& shape) {
        registry_ = std::make_unique<MemoryRegistry>();
        for (const BranchPlace& place : kPlaces) {
            EXPECT_TRUE(registry_->CreateKey(place.root, place.parent, KeyAccess::AllAccess).ok());
        }
        RegistryContext context{*registry_, {true, true}};
        context_ = &context;
        const BranchPlace& place = kPlaces[static_cast<std::size_t>(number) % std::size(kPlaces)];
        std::string branch = std::string(place.parent) + "\\case " + std::to_string(number);
        RandomRegistryGenerator generator(kSeed + static_cast<std::uint64_t>(number));
        generator.Generate(*registry_, place.root, branch, shape);
        BranchSnapshot before = SnapshotBranch(*registry_, place.root, branch);

        Outcome outcome;
        outcome.form = Export(place.root, branch, before, generator.Random());
        if (HasFailure()) return outcome;

        RegistryProvider provider(context);
        provider.SetRootKey(place.root);
        EXPECT_TRUE(provider.DeleteKey("\\" + branch)) << "case " << number;
        EXPECT_FALSE(SnapshotBranch(*registry_, place.root, branch).exists) << "case " << number;

        RegExportReader reader(context, files_);
        Status loaded = reader.LoadExportFile(kBackupFile, LoadMode::Restore);
        if (!loaded) {
            outcome.difference = "the restore failed: " + loaded.error().Describe();
        } else if (reader.Failed()) {
            outcome.difference = "the restore marked a key as failed";
        } else if (reader.SectionsAbandoned()) {
            outcome.difference = "the restore gave up the values of a section";
        } else {
            outcome.difference =
                FirstDifference(before, SnapshotBranch(*registry_, place.root, branch));
        }
        return outcome;
    }

    ExportFileForm Export(RegRoot root, const std::string& branch, const BranchSnapshot& before,
                          SeededRandom& random) {
        RegExportWriter writer(*context_, files_);
        writer.snapshotMode = GetParam().route == Route::Snapshot;
        writer.SkipSnapshotKey = [](std::string_view, std::string_view) { return false; };
        EXPECT_TRUE(writer.BeginExportFile(kBackupFile));
        if (GetParam().route == Route::Compacted)
            ExportValueByValue(writer, root, branch, before, random);
        writer.ExportKey(root, branch);
        if (GetParam().route == Route::Compacted) {
            // A part of the branch again further down: compaction must not lose or reorder a
            // value of it.
            if (before.keys.size() > 1) {
                const SnapshotKey& key =
                    before
                        .keys[1 + random.Below(static_cast<std::uint32_t>(before.keys.size() - 1))];
                writer.ExportKey(root, KeyPath(branch, key));
            }
        }
        ExportFileForm form = writer.Form();
        EXPECT_TRUE(writer.EndExportFile().ok());
        if (GetParam().route == Route::Compacted) {
            EXPECT_TRUE(CompactExportFile(files_, Windows1252(), kBackupFile).ok());
        }
        return form;
    }

    static std::string KeyPath(const std::string& branch, const SnapshotKey& key) {
        return key.path.empty() ? branch : branch + "\\" + key.path;
    }

    // Some keys without subkeys are backed up value by value, as a deletion of single values
    // does: one filtered section per value, one after the other. Their values are then taken
    // out of the registry, so that the whole-branch section of the key that follows is empty
    // and only compaction's merging of those sections brings them back.
    void ExportValueByValue(RegExportWriter& writer, RegRoot root, const std::string& branch,
                            const BranchSnapshot& before, SeededRandom& random) {
        for (std::size_t k = 0; k < before.keys.size(); ++k) {
            const SnapshotKey& key = before.keys[k];
            // Depth first: a key's subkeys follow it directly.
            bool last = k + 1 == before.keys.size();
            bool leaf = last || (!key.path.empty() &&
                                 before.keys[k + 1].path.rfind(key.path + "\\", 0) != 0);
            bool named =
                std::none_of(key.values.begin(), key.values.end(),
                             [](const RegistryValue& value) { return value.name.empty(); });
            if (!leaf || !named || key.values.size() < 2 || key.values.size() > 50 ||
                !random.Percent(40)) {
                continue;
            }
            std::string path = KeyPath(branch, key);
            for (const RegistryValue& value : key.values) writer.ExportKey(root, path, value.name);
            auto open = registry_->OpenKey(root, path, KeyAccess::AllAccess);
            ASSERT_TRUE(open.ok());
            for (const RegistryValue& value : key.values) {
                ASSERT_TRUE((*open)->DeleteValue(value.name).ok());
            }
        }
    }

    int RouteIndex() const { return static_cast<int>(GetParam().route); }

    std::string FileText() {
        auto bytes = files_.ReadFile(kBackupFile);
        return bytes ? FileTextForMessage(bytes.value()) : std::string("(no file)");
    }

    std::unique_ptr<MemoryRegistry> registry_;
    RegistryContext* context_ = nullptr;  // the running case's
    MemoryFileSystem files_;
};

// The small cases are shared out among the routes: case n takes route n % 3.
TEST_P(RegExportRoundTrip, SmallBranchesComeBackExactly) {
    constexpr TextRange kRanges[] = {TextRange::Ascii, TextRange::Latin1, TextRange::AnyScript};
    int failures = 0;
    int cases = 0;
    int regedit4Files = 0;
    int unicodeFiles = 0;
    for (int number = RouteIndex(); number < kSmallCases && failures < kFailuresShown;
         number += kRouteCount) {
        RandomBranchShape shape;
        shape.text = kRanges[(number / kRouteCount) % 3];
        Outcome outcome = RunCase(number, shape);
        if (HasFatalFailure()) return;
        ++cases;
        (outcome.form == ExportFileForm::Regedit4 ? regedit4Files : unicodeFiles) += 1;
        if (!outcome.difference) continue;
        ++failures;
        ADD_FAILURE() << GetParam().name << " route, case " << number << " (seed " << kSeed << " + "
                      << number << ", " << TextRangeName(shape.text) << "): " << *outcome.difference
                      << "\n  the file:\n    " << FileText();
    }
    if (failures > 0) return;
    // Both forms of file were made and read back, or the cases prove less than they claim.
    EXPECT_GT(regedit4Files, cases / 5) << unicodeFiles << " Unicode files";
    EXPECT_GT(unicodeFiles, cases / 5) << regedit4Files << " REGEDIT4 files";
}

// Key names of 255 and value names of 16383 characters eight levels down, 100 KB binaries,
// multi-strings of many KB, and (once) a key with more values than the backup view shows.
TEST_P(RegExportRoundTrip, ExtremeBranchesComeBackExactly) {
    int number = kSmallCases + RouteIndex();
    RandomBranchShape shape;
    shape.extremes = true;
    shape.crowdedKey = GetParam().route == Route::Backup;
    shape.maxKeys = 12;
    shape.text = GetParam().route == Route::Compacted ? TextRange::Latin1 : TextRange::AnyScript;
    Outcome outcome = RunCase(number, shape);
    if (HasFatalFailure()) return;
    EXPECT_FALSE(outcome.difference.has_value())
        << GetParam().name << " route, case " << number << " (seed " << kSeed << " + " << number
        << ", extremes, " << TextRangeName(shape.text) << "): " << outcome.difference.value_or("");
}

INSTANTIATE_TEST_SUITE_P(Routes, RegExportRoundTrip,
                         ::testing::Values(RouteCase{"Backup", Route::Backup},
                                           RouteCase{"Compacted", Route::Compacted},
                                           RouteCase{"Snapshot", Route::Snapshot}),
                         [](const ::testing::TestParamInfo<RouteCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kestrover::testing
