// Export, delete, restore: a random registry branch comes back exactly as it was — the same
// keys, value names, types, bytes and value order — whether the backup was written plainly,
// compacted after repeated sections, or taken in snapshot mode. The cases come from a fixed
// seed, so a failure names a case that fails the same way on every run.
#include <gtest/gtest.h>

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
constexpr int kExtremeCases = 2;
// After this many failed cases a run stops: the first ones say what is wrong.
constexpr int kFailuresShown = 3;
constexpr std::string_view kBackupFile = "C:\\Backups\\round trip.reg";

enum class Route {
    Backup,     // one ExportKey of the branch, as a backup before a deletion
    Compacted,  // the branch, then some of its keys again, then CompactExportFile
    Snapshot,   // snapshot mode: no blank lines, no wrapped lines
};

struct RouteCase {
    const char* name;
    Route route;
};

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
        case TextRange::Ascii: return "ASCII";
        case TextRange::Latin1: return "Latin-1";
        case TextRange::AnyScript: return "any script";
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
        text = Windows1252().ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                     bytes.size()));
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

    void SetUp() override {
        ASSERT_TRUE(files_.AddDirectories("C:\\Backups").ok());
        for (const BranchPlace& place : kPlaces) {
            ASSERT_TRUE(registry_.CreateKey(place.root, place.parent, KeyAccess::AllAccess).ok());
        }
    }

    // Generates case `number`, sends it through the route and compares. Each case has its own
    // seed, so any one of them can be rerun alone.
    Outcome RunCase(int number, const RandomBranchShape& shape) {
        const BranchPlace& place = kPlaces[static_cast<std::size_t>(number) % std::size(kPlaces)];
        std::string branch = std::string(place.parent) + "\\case " + std::to_string(number);
        RandomRegistryGenerator generator(kSeed + static_cast<std::uint64_t>(number));
        generator.Generate(registry_, place.root, branch, shape);
        BranchSnapshot before = SnapshotBranch(registry_, place.root, branch);

        Outcome outcome;
        outcome.form = Export(place.root, branch, before, generator.Random());
        if (HasFailure()) return outcome;

        RegistryProvider provider(context_);
        provider.SetRootKey(place.root);
        EXPECT_TRUE(provider.DeleteKey("\\" + branch)) << "case " << number;
        EXPECT_FALSE(SnapshotBranch(registry_, place.root, branch).exists) << "case " << number;

        RegExportReader reader(context_, files_);
        Status loaded = reader.LoadExportFile(kBackupFile, LoadMode::Restore);
        if (!loaded) {
            outcome.difference = "the restore failed: " + loaded.error().Describe();
        } else if (reader.Failed()) {
            outcome.difference = "the restore marked a key as failed";
        } else if (reader.SectionsAbandoned()) {
            outcome.difference = "the restore gave up the values of a section";
        } else {
            outcome.difference = FirstDifference(before, SnapshotBranch(registry_, place.root, branch));
        }
        provider.DeleteKey("\\" + branch);
        return outcome;
    }

    ExportFileForm Export(RegRoot root, const std::string& branch, const BranchSnapshot& before,
                          SeededRandom& random) {
        RegExportWriter writer(context_, files_);
        writer.snapshotMode = GetParam().route == Route::Snapshot;
        writer.SkipSnapshotKey = [](std::string_view, std::string_view) { return false; };
        EXPECT_TRUE(writer.BeginExportFile(kBackupFile));
        writer.ExportKey(root, branch);
        if (GetParam().route == Route::Compacted) {
            // Sections repeated further down, as a deletion of several entries writes them:
            // compaction must merge them without losing or reordering a value.
            for (int again = 0; again < 3 && !before.keys.empty(); ++again) {
                const SnapshotKey& key =
                    before.keys[random.Below(static_cast<std::uint32_t>(before.keys.size()))];
                writer.ExportKey(root, key.path.empty() ? branch : branch + "\\" + key.path);
            }
        }
        ExportFileForm form = writer.Form();
        EXPECT_TRUE(writer.EndExportFile().ok());
        if (GetParam().route == Route::Compacted) {
            EXPECT_TRUE(CompactExportFile(files_, Windows1252(), kBackupFile).ok());
        }
        return form;
    }

    std::string FileText() {
        auto bytes = files_.ReadFile(kBackupFile);
        return bytes ? FileTextForMessage(bytes.value()) : std::string("(no file)");
    }

    MemoryRegistry registry_;
    RegistryContext context_{registry_, {true, true}};
    MemoryFileSystem files_;
};

TEST_P(RegExportRoundTrip, SmallBranchesComeBackExactly) {
    constexpr TextRange kRanges[] = {TextRange::Ascii, TextRange::Latin1, TextRange::AnyScript};
    int failures = 0;
    int regedit4Files = 0;
    int unicodeFiles = 0;
    for (int number = 0; number < kSmallCases && failures < kFailuresShown; ++number) {
        RandomBranchShape shape;
        shape.text = kRanges[number % 3];
        Outcome outcome = RunCase(number, shape);
        if (HasFatalFailure()) return;
        (outcome.form == ExportFileForm::Regedit4 ? regedit4Files : unicodeFiles) += 1;
        if (!outcome.difference) continue;
        ++failures;
        ADD_FAILURE() << GetParam().name << " route, case " << number << " (seed " << kSeed
                      << " + " << number << ", " << TextRangeName(shape.text)
                      << "): " << *outcome.difference << "\n  the file:\n    " << FileText();
    }
    if (failures > 0) return;
    // Both forms of file were made and read back, or the cases prove less than they claim.
    EXPECT_GT(regedit4Files, kSmallCases / 4);
    EXPECT_GT(unicodeFiles, kSmallCases / 8);
}

TEST_P(RegExportRoundTrip, ExtremeBranchesComeBackExactly) {
    for (int extreme = 0; extreme < kExtremeCases; ++extreme) {
        int number = kSmallCases + extreme;
        RandomBranchShape shape;
        shape.extremes = true;
        shape.maxKeys = 60;
        shape.text = extreme == 0 ? TextRange::Latin1 : TextRange::AnyScript;
        Outcome outcome = RunCase(number, shape);
        if (HasFatalFailure()) return;
        EXPECT_FALSE(outcome.difference.has_value())
            << GetParam().name << " route, case " << number << " (seed " << kSeed << " + "
            << number << ", extremes, " << TextRangeName(shape.text)
            << "): " << outcome.difference.value_or("");
    }
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
