// Synthetic registries: random branches from a fixed seed for the export round-trip property
// test, a large deterministic registry for the benchmarks, and snapshots of a branch (keys,
// value names, types, bytes and order) to compare. Plain C++, no test framework: the
// benchmarks build it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/RegistryPort.h"

namespace kestrover::testing {

// SplitMix64: the same sequence from the same seed on every compiler and platform, which the
// standard distributions do not promise.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next();
    // A number in [0, count); 0 when count is 0.
    std::uint32_t Below(std::uint32_t count);
    // A number in [low, high].
    int Between(int low, int high);
    bool Percent(std::uint32_t chance) { return Below(100) < chance; }
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(static_cast<std::uint32_t>(N))];
    }

private:
    std::uint64_t state_;
};

// What characters names and texts are drawn from. Ascii and Latin1 fit Windows-1252, so a
// branch made of them exports as "REGEDIT4"; AnyScript adds Cyrillic, Greek, CJK and emoji,
// which make the whole file Unicode.
enum class TextRange { Ascii, Latin1, AnyScript };

struct RandomBranchShape {
    int maxDepth = 8;         // levels of keys below the branch key
    int maxKeys = 16;         // keys in the whole branch, the branch key included
    int maxValuesPerKey = 7;  // values of one key
    TextRange text = TextRange::AnyScript;
    // Also the extremes: 100 KB binaries, multi-strings of many KB, key names of 255 and value
    // names of 16383 characters.
    bool extremes = false;
    // One key with more values than the backup view shows one by one.
    bool crowdedKey = false;
};

struct BranchCounts {
    std::size_t keys = 0;
    std::size_t values = 0;
};

// Random registry content: names with spaces, commas, quotes, backslashes (value names only:
// key names cannot hold one), '=', '[', ']', '@' and non-ASCII text, empty value names (the
// default value), every value type with odd data (empty, embedded zeros, line breaks, no
// terminator, odd sizes, huge).
class RandomRegistryGenerator {
public:
    explicit RandomRegistryGenerator(std::uint64_t seed) : random_(seed) {}

    // Creates root\path (which should not exist yet) and fills it with a random tree, writing
    // raw types and bytes through the port. Names that differ only in letter case land on the
    // same key or value, as in the registry itself.
    BranchCounts Generate(RegistryPort& port, PredefinedKey root, std::string_view path,
                          const RandomBranchShape& shape);

    std::string KeyName(TextRange text, bool extremes);
    std::string ValueName(TextRange text, bool extremes);
    RegistryData Value(TextRange text, bool extremes);
    SeededRandom& Random() { return random_; }

private:
    std::string Text(TextRange text, std::size_t maxUnits, bool allowControl);
    void AppendCharacter(std::string& text, TextRange range, bool allowControl);
    std::vector<std::uint8_t> StringBytes(TextRange text, bool extremes, bool multi);
    void AddExtremes(RegistryPort& port, PredefinedKey root, const std::string& branch,
                     const RandomBranchShape& shape, BranchCounts& counts);
    void AddCrowdedKey(RegistryPort& port, PredefinedKey root, const std::string& path,
                       const RandomBranchShape& shape, BranchCounts& counts);
    void FillKey(RegistryPort& port, PredefinedKey root, const std::string& path, int depth,
                 const RandomBranchShape& shape, BranchCounts& counts, int& keysLeft);

    SeededRandom random_;
};

// The large synthetic registry of the benchmarks: product, class and service keys with a
// realistic mix of values (mostly REG_SZ paths, then dwords, binaries, expand strings and
// multi-strings), built deterministically under root\path.
struct LargeRegistryShape {
    std::size_t keys = 110000;
    std::size_t values = 330000;
    std::uint64_t seed = 20261210;
};

struct LargeRegistryCounts {
    std::size_t keys = 0;  // keys created, the branch key included
    std::size_t values = 0;
    std::size_t dataSize = 0;  // bytes of value data
};

// Works on any registry port (the benchmarks fill a Wine registry with it too). Keys are
// created once each, every value written with one SetValue.
LargeRegistryCounts BuildLargeRegistry(RegistryPort& port, PredefinedKey root,
                                       std::string_view path, const LargeRegistryShape& shape);

// The registry of the scan benchmark: vendor, product, version and settings keys below
// HKEY_CURRENT_USER\Software, HKEY_LOCAL_MACHINE\Software and one user's
// HKEY_USERS\<SID>\Software (every key where the scan walks, none of the names it never
// enters), with application paths, a Run list and a shared-DLL list. About a third of the
// values name a file under C:\ in one of the forms programs write (a plain path, a quoted
// command line with switches, an icon reference with its index, an expand string below
// %ProgramFiles%, a shared-DLL value name); the rest are texts, numbers and binaries. Every key
// holds at least one value, so no vendor key reads empty.
struct ScanRegistryShape {
    std::size_t keys = 200000;
    std::size_t values = 600000;
    std::uint64_t seed = 20260214;
};

// A file one value names. rank is drawn evenly from 0 to 999: a caller that creates only the
// files whose rank is at least M leaves M per mille of the references missing, and the missing
// files of a smaller M are always among those of a larger one.
struct ReferencedFile {
    std::string path;
    std::uint16_t rank = 0;
};

struct ScanRegistryCounts {
    std::size_t keys = 0;  // every key created below the three roots, "Software" included
    std::size_t values = 0;
    std::vector<ReferencedFile> files;  // one per referencing value, each path different
};

// The SID of the user whose hive the scan registry fills below HKEY_USERS.
inline constexpr std::string_view kScanRegistryUserSid = "S-1-5-21-1004336348-1177238915-682003330-1001";

ScanRegistryCounts BuildScanRegistry(RegistryPort& port, const ScanRegistryShape& shape);

// A branch as the registry enumerates it: every key (path relative to the branch key, "" for
// the branch key itself) depth first in enumeration order, each with its values in order.
struct SnapshotKey {
    std::string path;
    std::vector<RegistryValue> values;
    bool readable = true;
};
struct BranchSnapshot {
    bool exists = false;
    std::vector<SnapshotKey> keys;
    std::size_t ValueCount() const;
};

BranchSnapshot SnapshotBranch(RegistryPort& port, PredefinedKey root, std::string_view path);

// The first difference between two snapshots, described for a failure message; nothing when
// they are equal. Key paths and value names compare exactly (letter case included).
std::optional<std::string> FirstDifference(const BranchSnapshot& expected,
                                           const BranchSnapshot& actual);

// A name or text made printable for a message: control and non-ASCII characters escaped, long
// texts shortened with their length.
std::string Printable(std::string_view text, std::size_t limit = 80);

}  // namespace kestrover::testing
