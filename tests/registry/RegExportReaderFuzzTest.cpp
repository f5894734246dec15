// Replays the reader's seed corpus (tests/registry/fuzz) and a fixed number of deterministic
// mutations of every seed — flipped bytes, cuts, inserted tokens, repeated, swapped and dropped
// lines — through LoadExportFile in both modes. Whatever the bytes, a load must end, a view
// must change nothing, and a restore must change only keys that a header of the file names
// under a root the reader knows (and create only those and the keys on their way), never
// deleting a key or a value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Text.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportReader.h"
#include "registry/RegistryProvider.h"
#include "support/SyntheticRegistry.h"

namespace kestrover {
namespace {

using testing::Printable;
using testing::SeededRandom;

#if defined(__SANITIZE_ADDRESS__)
#define KESTROVER_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTROVER_SANITIZED 1
#endif
#endif
#if defined(KESTROVER_SANITIZED)
// Sanitizer builds run some fifty times slower; they replay fewer mutations of each seed.
constexpr int kMutationsPerSeed = 500;
#else
constexpr int kMutationsPerSeed = 2000;
#endif
constexpr int kFailuresShown = 3;
constexpr std::string_view kFile = "C:\\Backups\\fuzz.reg";
constexpr RegRoot kStorageRoots[] = {RegRoot::CurrentUser,   RegRoot::LocalMachine,
                                     RegRoot::Users,         RegRoot::CurrentConfig,
                                     RegRoot::PerformanceData, RegRoot::DynData};

struct Seed {
    std::string name;
    std::string bytes;
};

std::vector<Seed> LoadCorpus() {
    std::filesystem::path folder = std::filesystem::path(__FILE__).parent_path() / "fuzz";
    std::vector<Seed> seeds;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file()) continue;
        Seed seed{entry.path().filename().string(), {}};
        std::FILE* stream = std::fopen(entry.path().string().c_str(), "rb");
        if (stream == nullptr) continue;
        char buffer[4096];
        for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
            seed.bytes.append(buffer, read);
        }
        std::fclose(stream);
        seeds.push_back(std::move(seed));
    }
    std::sort(seeds.begin(), seeds.end(),
              [](const Seed& a, const Seed& b) { return a.name < b.name; });
    return seeds;
}

// Mutations of a seed, the same on every run and every platform.
class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : random_(seed) {}

    std::string Mutate(std::string bytes) {
        int steps = 1 + static_cast<int>(random_.Below(3));
        for (int i = 0; i < steps; ++i) MutateOnce(bytes);
        return bytes;
    }

private:
    std::size_t Position(const std::string& bytes) {
        return random_.Below(static_cast<std::uint32_t>(bytes.size() + 1));
    }

    // Where the lines of the file begin (after each LF), the start included.
    static std::vector<std::size_t> LineStarts(const std::string& bytes) {
        std::vector<std::size_t> starts{0};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n' && i + 1 < bytes.size()) starts.push_back(i + 1);
        }
        return starts;
    }

    std::string Line(const std::string& bytes, std::size_t start) {
        std::size_t end = bytes.find('\n', start);
        return bytes.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
    }

    void MutateOnce(std::string& bytes) {
        static const std::string kTokens[] = {
            "[", "]", "\\", "\"", "=", "@", ",", "-", ";", "\r\n", "\n", "\r", "\\\r\n  ",
            std::string(1, '\0'), "\xFF\xFE", "\xEF\xBB\xBF", "zz", "00", "hex(", "):", "hex:",
            "hex(2):", "hex(7):41,00,00,\\", "hex(b):", "dword:", "dword:ffffffff", "\"=\"",
            "=-", "\"\"=\"\"", "REGEDIT4\r\n", "Windows Registry Editor Version 5.00\r\n",
            "[HKEY_CURRENT_USER\\", "[-HKEY_CURRENT_USER\\", "[HKEY_CLASSES_ROOT\\",
            "\r\n[HKEY_LOCAL_MACHINE\\Software\\Fuzz]\r\n", "\r\n[HKEY_USERS]\r\n",
            "\r\n[HKEY_CURRENT_USER\\Software\\Sentinel]\r\n", "HKEY_PERFORMANCE_DATA",
            "\\\\", "\\\"", "\u00E9", "\u0416",
        };
        if (bytes.empty()) {
            bytes = random_.Pick(kTokens);
            return;
        }
        switch (random_.Below(8)) {
            case 0:  // flip bytes
            case 1: {
                int flips = 1 + static_cast<int>(random_.Below(4));
                for (int i = 0; i < flips; ++i) {
                    std::size_t at = random_.Below(static_cast<std::uint32_t>(bytes.size()));
                    bytes[at] = static_cast<char>(bytes[at] ^ (1 + random_.Below(255)));
                }
                return;
            }
            case 2:  // cut the file short
                bytes.resize(Position(bytes));
                return;
            case 3: {  // insert a token, as bytes or as UTF-16LE
                std::string token = random_.Pick(kTokens);
                if (random_.Percent(40)) {
                    std::string wide;
                    for (char c : token) {
                        wide.push_back(c);
                        wide.push_back('\0');
                    }
                    token = wide;
                }
                bytes.insert(Position(bytes), token);
                return;
            }
            case 4: {  // insert random bytes
                std::string noise;
                int count = 1 + static_cast<int>(random_.Below(16));
                for (int i = 0; i < count; ++i) noise.push_back(static_cast<char>(random_.Below(256)));
                bytes.insert(Position(bytes), noise);
                return;
            }
            case 5: {  // repeat a line elsewhere
                std::vector<std::size_t> starts = LineStarts(bytes);
                std::string line = Line(bytes, PickStart(starts));
                bytes.insert(PickStart(starts), line);
                return;
            }
            case 6: {  // drop a range
                std::size_t from = Position(bytes);
                std::size_t length = 1 + random_.Below(64);
                bytes.erase(from, length);
                return;
            }
            default: {  // swap two lines
                std::vector<std::size_t> starts = LineStarts(bytes);
                std::size_t a = PickStart(starts);
                std::size_t b = PickStart(starts);
                if (a == b) return;
                if (a > b) std::swap(a, b);
                std::string first = Line(bytes, a);
                std::string second = Line(bytes, b);
                if (a + first.size() > b) return;
                bytes.replace(b, second.size(), first);
                bytes.replace(a, first.size(), second);
                return;
            }
        }
    }

    std::size_t PickStart(const std::vector<std::size_t>& starts) {
        return starts[random_.Below(static_cast<std::uint32_t>(starts.size()))];
    }

    SeededRandom random_;
};

// Keys as the registry stores them: the storage root and the upper-cased path below it
// (HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes).
using StorageKey = std::pair<RegRoot, std::string>;

StorageKey StorageKeyOf(RegRoot root, std::string_view path) {
    std::string full(path);
    if (root == RegRoot::ClassesRoot) {
        root = RegRoot::LocalMachine;
        full = full.empty() ? "Software\\Classes" : "Software\\Classes\\" + full;
    }
    return {root, NameUpper(full)};
}

// The keys a restore of these bytes may write: those of every bracketed header under a root
// the reader knows, in each way the bytes could be decoded (as they are, as UTF-16LE, as
// UTF-8).
std::set<StorageKey> NamedKeys(const std::string& bytes) {
    static constexpr std::pair<std::string_view, RegRoot> kRoots[] = {
        {"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
        {"HKEY_CURRENT_USER", RegRoot::CurrentUser},
        {"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
        {"HKEY_USERS", RegRoot::Users},
        {"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
    };
    std::set<StorageKey> keys;
    for (const std::string& variant : {bytes, "\xFF\xFE" + bytes, "\xEF\xBB\xBF" + bytes}) {
        std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t*>(variant.data()),
                                           variant.size());
        for (const std::string& line : DecodeTextFile(span, Windows1252()).lines) {
            std::string_view header = TrimView(line);
            if (header.size() < 2 || header.front() != '[' || header.back() != ']') continue;
            header = header.substr(1, header.size() - 2);
            std::size_t backslash = header.find('\\');
            std::string_view rootName = header.substr(0, backslash);
            std::string_view path =
                backslash == std::string_view::npos ? std::string_view{} : header.substr(backslash + 1);
            if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
            for (const auto& [name, root] : kRoots) {
                if (rootName == name) keys.insert(StorageKeyOf(root, path));
            }
        }
    }
    return keys;
}

using Contents = std::map<StorageKey, std::vector<RegistryValue>>;

Contents Everything(MemoryRegistry& registry) {
    Contents contents;
    for (RegRoot root : kStorageRoots) {
        for (testing::SnapshotKey& key : testing::SnapshotBranch(registry, root, "").keys) {
            contents[{root, NameUpper(key.path)}] = std::move(key.values);
        }
    }
    return contents;
}

const RegistryValue* FindValue(const std::vector<RegistryValue>& values, std::string_view name) {
    for (const RegistryValue& value : values) {
        if (NamesEqual(value.name, name)) return &value;
    }
    return nullptr;
}

bool SameValues(const std::vector<RegistryValue>& a, const std::vector<RegistryValue>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].data.type != b[i].data.type ||
            a[i].data.bytes != b[i].data.bytes) {
            return false;
        }
    }
    return true;
}

std::string KeyText(const StorageKey& key) {
    return std::string(RootFullName(key.first)) + "\\" + Printable(key.second);
}

// What a load did that it must not have done, or nothing.
std::optional<std::string> Violation(const Contents& before, const Contents& after,
                                     const std::set<StorageKey>& named, LoadMode mode) {
    for (const auto& [key, values] : before) {
        auto found = after.find(key);
        if (found == after.end()) return "the key " + KeyText(key) + " was deleted";
        if (SameValues(values, found->second)) continue;
        if (mode == LoadMode::ViewOnly) return "a view changed the values of " + KeyText(key);
        if (!named.count(key)) return "the values of " + KeyText(key) + ", not named, changed";
        for (const RegistryValue& value : values) {
            if (!FindValue(found->second, value.name)) {
                return "the value " + Printable(value.name) + " of " + KeyText(key) + " was deleted";
            }
        }
    }
    for (const auto& [key, values] : after) {
        if (before.count(key) || named.count(key)) continue;
        if (mode == LoadMode::ViewOnly) return "a view created " + KeyText(key);
        if (!values.empty()) return "values were written into " + KeyText(key) + ", not named";
        // A key on the way to a named one is created with it.
        bool onTheWay = std::any_of(named.begin(), named.end(), [&](const StorageKey& target) {
            return target.first == key.first &&
                   (key.second.empty() || target.second.rfind(key.second + "\\", 0) == 0);
        });
        if (!onTheWay) return "the key " + KeyText(key) + ", not named, was created";
    }
    return std::nullopt;
}

// The registry every case starts from: keys the seeds name (one plain, one that refuses
// writing), one they do not, one that refuses reading.
void Furnish(MemoryRegistry& registry) {
    auto put = [&](RegRoot root, std::string_view path, std::string_view name) {
        auto key = registry.CreateKey(root, path, KeyAccess::AllAccess);
        ASSERT_TRUE(key.ok());
        std::vector<std::uint8_t> bytes = Utf8ToUtf16LeBytes("old", true);
        ASSERT_TRUE(key.value()->SetValue(name, RegistryType::String, bytes).ok());
    };
    put(RegRoot::CurrentUser, "Software\\Kestrover Fuzz", "old");
    put(RegRoot::CurrentUser, "Software\\Sentinel", "keep");
    put(RegRoot::CurrentUser, "Software\\Deletions", "locked");
    put(RegRoot::LocalMachine, "Software\\Locked", "locked");
    ASSERT_TRUE(registry.SetWriteDenied(RegRoot::CurrentUser, "Software\\Deletions", true));
    ASSERT_TRUE(registry.SetReadDenied(RegRoot::LocalMachine, "Software\\Locked", true));
}

// One load of the bytes in one mode; the violation found, or nothing.
std::optional<std::string> Replay(const std::string& bytes, LoadMode mode) {
    MemoryRegistry registry(true);
    Furnish(registry);
    MemoryFileSystem files;
    if (!files.AddFile(kFile, bytes).ok()) return "the file could not be set up";
    RegistryContext context{registry, RegistryViewFlags{true, true}, nullptr};
    RegExportReader reader(context, files);
    Contents before = Everything(registry);
    Status loaded = reader.LoadExportFile(kFile, mode);
    if (!loaded) return "the load failed: " + loaded.error().Describe();
    for (const ExportNode& node : reader.Nodes()) {
        bool prepared = node.status == ExportNodeStatus::Created ||
                        node.status == ExportNodeStatus::Writable;
        if (prepared && !node.root) return "a key without a known root was prepared";
        if (mode == LoadMode::ViewOnly && node.status != ExportNodeStatus::RootIcon) {
            return "a view gave a key node a restore status";
        }
    }
    return Violation(before, Everything(registry), NamedKeys(bytes), mode);
}

TEST(RegExportReaderFuzz, ReplaysTheCorpusAndItsMutations) {
    std::vector<Seed> seeds = LoadCorpus();
    ASSERT_GE(seeds.size(), 10u) << "the seed corpus beside this file is missing";
    int failures = 0;
    std::size_t loads = 0;
    for (std::size_t s = 0; s < seeds.size() && failures < kFailuresShown; ++s) {
        Mutator mutator(0x4B455354524F5645ULL + s);
        for (int i = 0; i <= kMutationsPerSeed && failures < kFailuresShown; ++i) {
            // Case 0 is the seed as it is.
            std::string bytes = i == 0 ? seeds[s].bytes : mutator.Mutate(seeds[s].bytes);
            for (LoadMode mode : {LoadMode::ViewOnly, LoadMode::Restore}) {
                ++loads;
                auto violation = Replay(bytes, mode);
                if (!violation) continue;
                ++failures;
                ADD_FAILURE() << seeds[s].name << ", mutation " << i << ", "
                              << (mode == LoadMode::Restore ? "restore" : "view") << ": "
                              << *violation << "\nfile: " << Printable(bytes, 600);
                break;
            }
        }
    }
    EXPECT_EQ(loads, seeds.size() * (kMutationsPerSeed + 1) * 2);
}

}  // namespace
}  // namespace kestrover
