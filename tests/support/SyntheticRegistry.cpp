// Synthetic registries for the round-trip property test and the benchmarks, and branch
// snapshots to compare.
#include "support/SyntheticRegistry.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "core/Unicode.h"

namespace kestrover::testing {

// ---------------------------------------------------------------------------------------------
// SeededRandom

std::uint64_t SeededRandom::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint32_t SeededRandom::Below(std::uint32_t count) {
    if (count == 0) return 0;
    return static_cast<std::uint32_t>(Next() % count);
}

int SeededRandom::Between(int low, int high) {
    if (high <= low) return low;
    return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low + 1)));
}

// ---------------------------------------------------------------------------------------------
// Random branches

namespace {

constexpr std::uint32_t kAllAccess = KeyAccess::AllAccess | KeyAccess::Wow64_64Key;
constexpr std::size_t kMaxKeyNameUnits = 255;
constexpr std::size_t kMaxValueNameUnits = 16383;
// More value lines than the backup view shows one by one; a restore must still write them all.
constexpr int kCrowdedKeyValues = 4050;

// Pieces that look like the syntax of an export file, dropped whole into names and texts.
// clang-format off
constexpr std::string_view kSyntaxPieces[] = {
    "=\"", "\"=", "\\\"", "\\\\", "\"", "\\", "=", "@", "@=", "[", "]", "[x]", "],[", ",",
    ", ", "hex:", "hex(2):", "hex(7):41,00,", "dword:00000001", "dword:", "hex(b):", ";", "\\,",
    ",\\", "\"\"", "C:\\Program Files\\", "%SystemRoot%", "-HKEY_LOCAL_MACHINE", "REGEDIT4"};
// clang-format on

constexpr char kAsciiSpecials[] = {' ', ',', '"', '\\', '=', '[', ']', '@', ';',  '-', '.',
                                   '%', '{', '}', '(',  ')', '#', '$', '&', '\'', '_', '!',
                                   '~', '*', '?', '/',  ':', '+', '<', '>', '|',  '^', '`'};

// Latin-1 letters and signs, and the Windows-1252 extras above 0x80: all fit the code page.
constexpr char32_t kLatin1[] = {0x00E9, 0x00E8, 0x00FC, 0x00DF, 0x00C4, 0x00F1, 0x00E5,
                                0x00F8, 0x00FF, 0x00D7, 0x00A0, 0x00A7, 0x00B0, 0x00BF,
                                0x00C6, 0x00D0, 0x00DE, 0x20AC, 0x2122, 0x201C, 0x201D,
                                0x2026, 0x0152, 0x017D, 0x0161, 0x2018, 0x2019, 0x00AB};

std::size_t Utf16Units(char32_t codePoint) { return codePoint >= 0x10000 ? 2 : 1; }

std::string NameKey(std::string_view name) { return NameUpper(name); }

std::vector<std::uint8_t> ToUtf16Bytes(std::string_view text, bool terminator) {
    return Utf8ToUtf16LeBytes(text, terminator);
}

void AppendUnits(std::vector<std::uint8_t>& bytes, std::u16string_view units) {
    for (char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

}  // namespace

void RandomRegistryGenerator::AppendCharacter(std::string& text, TextRange range,
                                              bool allowControl) {
    std::uint32_t roll = random_.Below(100);
    if (allowControl && roll < 4) {
        static constexpr char kControls[] = {'\t', '\t', '\r', '\n', '\x01', '\x1F', '\x7F'};
        text += random_.Pick(kControls);
        return;
    }
    if (roll < 22) {
        text += random_.Pick(kAsciiSpecials);
        return;
    }
    if (range != TextRange::Ascii && roll < 34) {
        AppendUtf8(text, random_.Pick(kLatin1));
        return;
    }
    if (range == TextRange::AnyScript && roll < 50) {
        struct Script {
            char32_t first;
            std::uint32_t count;
        };
        static constexpr Script kScripts[] = {
            {0x0410, 0x40},    // Cyrillic
            {0x0391, 0x38},    // Greek
            {0x4E00, 0x5000},  // CJK
            {0x1F600, 0x50},   // emoji, outside the BMP
            {0xAC00, 0x2000},  // Hangul
        };
        const Script& script = random_.Pick(kScripts);
        AppendUtf8(text, script.first + random_.Below(script.count));
        return;
    }
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    text += kAlphabet[random_.Below(sizeof kAlphabet - 1)];
}

// A text of exactly `units` UTF-16 code units (emoji count two).
std::string RandomRegistryGenerator::Text(TextRange range, std::size_t units, bool allowControl) {
    std::string text;
    std::size_t used = 0;
    while (used < units) {
        if (random_.Percent(8)) {
            std::string_view piece = random_.Pick(kSyntaxPieces);
            if (used + piece.size() <= units) {
                text += piece;
                used += piece.size();
                continue;
            }
        }
        std::string one;
        AppendCharacter(one, range, allowControl);
        std::size_t position = 0;
        char32_t codePoint = DecodeUtf8(one, position);
        if (used + Utf16Units(codePoint) > units) continue;  // one unit left: take another
        text += one;
        used += Utf16Units(codePoint);
    }
    return text;
}

std::string RandomRegistryGenerator::KeyName(TextRange range, bool extremes) {
    std::size_t units = extremes && random_.Percent(15)
                            ? kMaxKeyNameUnits
                            : static_cast<std::size_t>(random_.Between(1, 16));
    for (;;) {
        std::string name = Text(range, units, false);
        // Windows keeps backslashes out of key names: they separate the path.
        std::replace(name.begin(), name.end(), '\\', '/');
        if (!name.empty()) return name;
    }
}

std::string RandomRegistryGenerator::ValueName(TextRange range, bool extremes) {
    // clang-format off
    static constexpr std::string_view kAwkwardNames[] = {
        "@", "=", "\"", "\\", "a\\", "C:\\App\\", "C:\\Program Files\\Vendor\\", "=\"", "\"=",
        "@=", "[x]", " ", "dword:00000001", "hex:00", "a=b", "a\"=\"b", "\\\\server\\share",
        "\"quoted\"", "trailing=", "hex(2):41", ";comment", "x\\\"y"};
    // clang-format on
    std::uint32_t roll = random_.Below(100);
    if (roll < 10) return {};  // the default value
    if (roll < 22) return std::string(random_.Pick(kAwkwardNames));
    if (extremes && roll < 25) return Text(range, kMaxValueNameUnits, false);
    return Text(range, static_cast<std::size_t>(random_.Between(1, 24)), false);
}

// String data as stored: UTF-16LE text with a terminator, or one of the odd forms the registry
// also holds (nothing at all, no terminator, embedded zeros, an odd byte count).
std::vector<std::uint8_t> RandomRegistryGenerator::StringBytes(TextRange range, bool extremes,
                                                               bool multi) {
    std::vector<std::uint8_t> bytes;
    if (multi) {
        int count = random_.Between(0, 5);
        if (extremes && random_.Percent(30)) count = random_.Between(150, 600);  // many KB
        for (int i = 0; i < count; ++i) {
            std::string item =
                random_.Percent(10) ? std::string() : Text(range, random_.Between(1, 30), true);
            AppendUnits(bytes, Utf8ToUtf16(item));
            AppendUnits(bytes, std::u16string(1, u'\0'));
        }
        AppendUnits(bytes, std::u16string(1, u'\0'));
    } else {
        std::size_t units = static_cast<std::size_t>(random_.Between(0, 40));
        if (extremes && random_.Percent(20)) {
            units = static_cast<std::size_t>(random_.Between(3000, 20000));
        }
        bytes = ToUtf16Bytes(Text(range, units, random_.Percent(30)), true);
    }
    auto unit = [](char16_t character) { return std::u16string(1, character); };
    // Half of the data keeps its one terminator; the rest takes one of the odd forms.
    switch (random_.Below(14)) {
        case 0: {  // no data at all
            bytes.clear();
            break;
        }
        case 1: {  // no terminator
            if (bytes.size() >= 2) bytes.resize(bytes.size() - 2);
            break;
        }
        case 2: {  // an odd byte count
            bytes.push_back(static_cast<std::uint8_t>(random_.Below(256)));
            break;
        }
        case 3: {  // an embedded zero character, more text after it
            std::vector<std::uint8_t> tail = ToUtf16Bytes(Text(range, 3, false), true);
            if (bytes.size() >= 2) bytes.resize(bytes.size() - 2);
            AppendUnits(bytes, unit(u'\0'));
            bytes.insert(bytes.end(), tail.begin(), tail.end());
            break;
        }
        case 4: {  // two terminators
            AppendUnits(bytes, unit(u'\0'));
            break;
        }
        case 5: {  // a line break inside the text
            static constexpr std::u16string_view kBreaks[] = {u"\r\n", u"\n", u"\r"};
            std::vector<std::uint8_t> broken;
            AppendUnits(broken, u"line one");
            AppendUnits(broken, random_.Pick(kBreaks));
            bytes.insert(bytes.begin(), broken.begin(), broken.end());
            break;
        }
        case 6: {  // a lone surrogate, which no UTF-8 text can hold
            std::vector<std::uint8_t> lone;
            AppendUnits(lone, unit(random_.Percent(50) ? char16_t{0xD83D} : char16_t{0xDC00}));
            std::size_t at =
                std::min<std::size_t>(bytes.size() & ~std::size_t{1}, 2 * random_.Below(4));
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), lone.begin(), lone.end());
            break;
        }
        default:
            break;
    }
    return bytes;
}

RegistryData RandomRegistryGenerator::Value(TextRange range, bool extremes) {
    RegistryData data;
    auto randomBytes = [this](std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random_.Below(256));
        return bytes;
    };
    auto littleEndian = [](std::uint64_t number, std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size && i < 8; ++i) {
            bytes[i] = static_cast<std::uint8_t>(number >> (8 * i));
        }
        return bytes;
    };
    std::uint32_t roll = random_.Below(100);
    if (roll < 28) {
        data.type = RegistryType::String;
        data.bytes = StringBytes(range, extremes, false);
    } else if (roll < 38) {
        data.type = RegistryType::ExpandString;
        data.bytes = StringBytes(range, extremes, false);
        if (random_.Percent(50) && data.bytes.size() % 2 == 0) {
            std::vector<std::uint8_t> path = ToUtf16Bytes("%SystemRoot%\\system32\\", false);
            data.bytes.insert(data.bytes.begin(), path.begin(), path.end());
        }
    } else if (roll < 50) {
        data.type = RegistryType::MultiString;
        data.bytes = StringBytes(range, extremes, true);
    } else if (roll < 64) {
        data.type = RegistryType::Dword;
        static constexpr std::uint32_t kNumbers[] = {0, 1, 255, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
        std::uint64_t number = random_.Percent(50) ? random_.Pick(kNumbers) : random_.Next();
        static constexpr std::size_t kOddSizes[] = {0, 1, 2, 3, 5, 8};
        data.bytes = littleEndian(number, random_.Percent(8) ? random_.Pick(kOddSizes) : 4);
    } else if (roll < 77) {
        data.type = RegistryType::Binary;
        static constexpr std::size_t kEdgeSizes[] = {0, 1, 24, 25, 26, 27, 50, 51, 52, 76};
        std::size_t size = random_.Percent(30) ? random_.Pick(kEdgeSizes) : random_.Below(120);
        if (extremes && random_.Percent(25)) size = 100 * 1024 + random_.Below(64);
        data.bytes = randomBytes(size);
    } else if (roll < 84) {
        data.type = RegistryType::Qword;
        data.bytes = littleEndian(random_.Next(), random_.Percent(8) ? random_.Below(12) : 8);
    } else if (roll < 89) {
        data.type = RegistryType::None;
        data.bytes = randomBytes(random_.Percent(50) ? 0 : random_.Below(40));
    } else if (roll < 96) {
        static constexpr std::uint32_t kOtherTypes[] = {
            RegistryType::DwordBigEndian, RegistryType::Link, RegistryType::ResourceList,
            RegistryType::FullResourceDescriptor, RegistryType::ResourceRequirementsList};
        data.type = random_.Pick(kOtherTypes);
        data.bytes = randomBytes(random_.Below(80));
    } else {
        // Types no registry function names, as some drivers and installers store.
        static constexpr std::uint32_t kUnnamedTypes[] = {12,      0x7FFF,     0xFFFF,
                                                          0x10000, 0x80000001, 0xFFFFFFFF};
        data.type = random_.Pick(kUnnamedTypes);
        data.bytes = randomBytes(random_.Below(30));
    }
    return data;
}

void RandomRegistryGenerator::FillKey(RegistryPort& port, PredefinedKey root,
                                      const std::string& path, int depth,
                                      const RandomBranchShape& shape, BranchCounts& counts,
                                      int& keysLeft) {
    auto key = port.CreateKey(root, path, kAllAccess);
    if (!key) return;
    std::unordered_set<std::string> valueNames;
    int valueCount = random_.Between(0, shape.maxValuesPerKey);
    for (int i = 0; i < valueCount; ++i) {
        std::string name = ValueName(shape.text, shape.extremes);
        if (!valueNames.insert(NameKey(name)).second) continue;  // same name in another case
        RegistryData data = Value(shape.text, shape.extremes);
        if ((*key)->SetValue(name, data.type, data.bytes)) ++counts.values;
    }
    key.value().reset();

    std::unordered_set<std::string> subkeyNames;
    int subkeyCount = depth < shape.maxDepth ? random_.Between(0, 3) : 0;
    for (int i = 0; i < subkeyCount && keysLeft > 0; ++i) {
        std::string name = KeyName(shape.text, shape.extremes);
        if (!subkeyNames.insert(NameKey(name)).second) continue;
        --keysLeft;
        ++counts.keys;
        FillKey(port, root, path + "\\" + name, depth + 1, shape, counts, keysLeft);
    }
}

BranchCounts RandomRegistryGenerator::Generate(RegistryPort& port, PredefinedKey root,
                                               std::string_view path,
                                               const RandomBranchShape& shape) {
    BranchCounts counts;
    std::string branch(path);
    int keysLeft = random_.Between(1, std::max(1, shape.maxKeys)) - 1;
    counts.keys = 1;
    FillKey(port, root, branch, 0, shape, counts, keysLeft);
    if (shape.extremes) AddExtremes(port, root, branch, shape, counts);
    if (shape.crowdedKey) AddCrowdedKey(port, root, branch + "\\crowded", shape, counts);
    return counts;
}

// The extremes in one place: a chain of keys with names of the longest length down to the
// deepest level, and the largest values at its end.
void RandomRegistryGenerator::AddExtremes(RegistryPort& port, PredefinedKey root,
                                          const std::string& branch, const RandomBranchShape& shape,
                                          BranchCounts& counts) {
    std::string chain = branch;
    for (int level = 0; level < std::max(1, shape.maxDepth); ++level) {
        std::string name = Text(shape.text, kMaxKeyNameUnits, false);
        std::replace(name.begin(), name.end(), '\\', '/');
        chain += "\\" + name;
        ++counts.keys;
    }
    if (auto deepest = port.CreateKey(root, chain, kAllAccess)) {
        std::vector<std::pair<std::string, RegistryData>> largest;
        largest.push_back({Text(shape.text, kMaxValueNameUnits, false),
                           RegistryData{RegistryType::String, ToUtf16Bytes("long name", true)}});
        std::vector<std::uint8_t> binary(100 * 1024);
        for (std::uint8_t& byte : binary) byte = static_cast<std::uint8_t>(random_.Below(256));
        largest.push_back({"binary 100 KB", RegistryData{RegistryType::Binary, binary}});
        std::vector<std::uint8_t> multi;
        while (multi.size() < 12000) {
            AppendUnits(multi, Utf8ToUtf16(Text(shape.text, random_.Between(0, 40), true)));
            AppendUnits(multi, std::u16string(1, u'\0'));
        }
        AppendUnits(multi, std::u16string(1, u'\0'));
        largest.push_back({"multi 12 KB", RegistryData{RegistryType::MultiString, multi}});
        largest.push_back(
            {"expand 8000", RegistryData{RegistryType::ExpandString,
                                         ToUtf16Bytes(Text(shape.text, 8000, false), true)}});
        largest.push_back(
            {"text 20000", RegistryData{RegistryType::String,
                                        ToUtf16Bytes(Text(shape.text, 20000, false), true)}});
        largest.push_back({"", RegistryData{RegistryType::String, ToUtf16Bytes("", true)}});
        for (const auto& [name, data] : largest) {
            if ((*deepest)->SetValue(name, data.type, data.bytes)) ++counts.values;
        }
    }
}

void RandomRegistryGenerator::AddCrowdedKey(RegistryPort& port, PredefinedKey root,
                                            const std::string& path, const RandomBranchShape& shape,
                                            BranchCounts& counts) {
    auto key = port.CreateKey(root, path, kAllAccess);
    if (!key) return;
    ++counts.keys;
    for (int i = 0; i < kCrowdedKeyValues; ++i) {
        RegistryData data = Value(shape.text, false);
        if ((*key)->SetValue("v" + std::to_string(i), data.type, data.bytes)) ++counts.values;
    }
}

// ---------------------------------------------------------------------------------------------
// The large registry of the benchmarks

namespace {

class LargeRegistryBuilder {
public:
    LargeRegistryBuilder(RegistryPort& port, PredefinedKey root, std::string_view path,
                         std::uint64_t seed)
        : port_(port), root_(root), branch_(path), random_(seed) {}

    void Build(const LargeRegistryShape& shape) {
        if (auto key = port_.CreateKey(root_, branch_, kAllAccess)) counts_.keys = 1;
        while (counts_.keys < shape.keys || counts_.values < shape.values) {
            std::uint32_t roll = random_.Below(100);
            if (roll < 30) {
                AddClass();
            } else if (roll < 55) {
                AddProduct();
            } else if (roll < 75) {
                AddUninstallEntry();
            } else if (roll < 85) {
                AddFileType();
            } else {
                AddService();
            }
        }
    }

    const LargeRegistryCounts& Counts() const { return counts_; }

private:
    using Key = std::unique_ptr<RegistryKey>;

    // Creates branch\relative (and every key on the way), counting each key once.
    Key Create(const std::string& relative) {
        std::size_t end = 0;
        while (end != std::string::npos) {
            end = relative.find('\\', end + 1);
            if (created_.insert(relative.substr(0, end)).second) ++counts_.keys;
        }
        auto key = port_.CreateKey(root_, branch_ + "\\" + relative, kAllAccess);
        return key ? std::move(key.value()) : nullptr;
    }

    void Set(const Key& key, std::string_view name, std::uint32_t type,
             std::vector<std::uint8_t> bytes) {
        if (!key) return;
        counts_.dataSize += bytes.size();
        if (key->SetValue(name, type, bytes)) ++counts_.values;
    }
    void SetText(const Key& key, std::string_view name, std::string_view text,
                 std::uint32_t type = RegistryType::String) {
        Set(key, name, type, Utf8ToUtf16LeBytes(text, true));
    }
    void SetDword(const Key& key, std::string_view name, std::uint32_t number) {
        Set(key, name, RegistryType::Dword,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
    }
    void SetBinary(const Key& key, std::string_view name, std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random_.Below(256));
        Set(key, name, RegistryType::Binary, std::move(bytes));
    }
    void SetMulti(const Key& key, std::string_view name, const std::vector<std::string>& items) {
        std::vector<std::uint8_t> bytes;
        for (const std::string& item : items) {
            std::vector<std::uint8_t> one = Utf8ToUtf16LeBytes(item, true);
            bytes.insert(bytes.end(), one.begin(), one.end());
        }
        bytes.push_back(0);
        bytes.push_back(0);
        Set(key, name, RegistryType::MultiString, std::move(bytes));
    }

    std::string Guid() {
        char text[40];
        std::uint64_t a = random_.Next();
        std::uint64_t b = random_.Next();
        std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}",
                      static_cast<unsigned>(a >> 32), static_cast<unsigned>((a >> 16) & 0xFFFF),
                      static_cast<unsigned>(a & 0xFFFF), static_cast<unsigned>(b >> 48),
                      static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFULL));
        return text;
    }
    std::string Word() {
        static constexpr std::string_view kWords[] = {
            "Contoso",  "Fabrikam", "Northwind", "Adventure", "Litware", "Proseware",
            "Tailspin", "Wingtip",  "Graphic",   "Media",     "Office",  "Update",
            "Player",   "Studio",   "Viewer",    "Sync",      "Cloud",   "Audio",
            "Print",    "Shell",    "Helper",    "Service",   "Tools",   "Runtime"};
        return std::string(random_.Pick(kWords));
    }
    std::string ProgramPath() {
        static constexpr std::string_view kFolders[] = {
            "C:\\Program Files\\", "C:\\Program Files (x86)\\", "C:\\Windows\\System32\\",
            "C:\\Users\\Public\\AppData\\Local\\"};
        static constexpr std::string_view kExtensions[] = {".dll", ".exe", ".ocx", ".sys"};
        return std::string(random_.Pick(kFolders)) + Word() + " " + Word() + "\\" + Word() +
               std::to_string(random_.Below(100)) + std::string(random_.Pick(kExtensions));
    }
    // A number no other key of the branch has: names made with it never collide.
    std::string Serial() { return std::to_string(++serial_); }
    std::string Version() {
        return std::to_string(random_.Between(1, 20)) + "." + std::to_string(random_.Below(10)) +
               "." + std::to_string(random_.Below(10000));
    }

    // A COM class: 3 keys, 5 values.
    void AddClass() {
        std::string clsid = "Classes\\CLSID\\" + Guid();
        Key key = Create(clsid);
        SetText(key, "", Word() + " " + Word() + " Class");
        SetText(key, "AppID", Guid());
        Key server = Create(clsid + "\\InprocServer32");
        SetText(server, "", ProgramPath());
        SetText(server, "ThreadingModel", random_.Percent(70) ? "Apartment" : "Both");
        Key progId = Create(clsid + "\\ProgID");
        SetText(progId, "", Word() + "." + Word() + "." + std::to_string(random_.Between(1, 9)));
    }

    // A product with its settings: 2 to 4 keys below a vendor, 5 values each on average.
    void AddProduct() {
        std::string product = Word() + " " + std::to_string(random_.Below(400)) + "\\" + Word() +
                              " " + Word() + " " + Serial() + "\\" + Version();
        Key key = Create(product);
        SetText(key, "InstallLocation", ProgramPath());
        SetText(key, "Version", Version());
        SetDword(key, "Installed", 1);
        SetText(key, "Path", "%ProgramFiles%\\" + Word() + "\\bin", RegistryType::ExpandString);
        SetMulti(key, "SearchPaths", {ProgramPath(), ProgramPath(), ProgramPath()});
        int settings = random_.Between(1, 3);
        for (int i = 0; i < settings; ++i) {
            Key section = Create(product + "\\" + Word() + std::to_string(i));
            int values = random_.Between(2, 6);
            for (int v = 0; v < values; ++v) {
                std::string name = Word() + std::to_string(v);
                std::uint32_t kind = random_.Below(10);
                if (kind < 5)
                    SetText(section, name, ProgramPath());
                else if (kind < 8)
                    SetDword(section, name, static_cast<std::uint32_t>(random_.Next()));
                else
                    SetBinary(section, name, 8 + random_.Below(120));
            }
        }
    }

    // An installed program's uninstall entry: 1 key, 9 values.
    void AddUninstallEntry() {
        Key key = Create("Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + Guid());
        std::string location = ProgramPath();
        SetText(key, "DisplayName", Word() + " " + Word() + " " + Version());
        SetText(key, "DisplayVersion", Version());
        SetText(key, "Publisher", Word() + " Corporation");
        SetText(key, "InstallLocation", location);
        SetText(key, "UninstallString", "MsiExec.exe /X" + Guid());
        SetText(key, "DisplayIcon", location + ",0");
        SetDword(key, "EstimatedSize", random_.Below(2000000));
        SetDword(key, "NoModify", 1);
        SetText(key, "InstallDate", "2026" + std::to_string(1000 + random_.Below(1200)));
    }

    // A file type: the extension and its program id with an open command; 5 keys, 4 values.
    void AddFileType() {
        std::string extension = "." + Word() + Serial();
        std::string progId = Word() + "." + extension.substr(1) + ".1";
        Key key = Create("Classes\\" + extension);
        SetText(key, "", progId);
        SetText(key, "Content Type", "application/x-" + extension.substr(1));
        Key type = Create("Classes\\" + progId);
        SetText(type, "", Word() + " document");
        Key command = Create("Classes\\" + progId + "\\shell\\open\\command");
        SetText(command, "", "\"" + ProgramPath() + "\" \"%1\"", RegistryType::ExpandString);
    }

    // A service with its parameters and security descriptor: 3 keys, 10 values.
    void AddService() {
        std::string service = "Services\\" + Word() + Serial();
        Key key = Create(service);
        SetText(key, "ImagePath", "%SystemRoot%\\system32\\svchost.exe -k " + Word(),
                RegistryType::ExpandString);
        SetText(key, "DisplayName", Word() + " " + Word() + " Service");
        SetText(key, "Description", "Provides " + Word() + " and " + Word() + " for the system.");
        SetDword(key, "Start", random_.Below(5));
        SetDword(key, "Type", 0x20);
        SetDword(key, "ErrorControl", 1);
        SetMulti(key, "DependOnService", {"RpcSs", Word()});
        Key parameters = Create(service + "\\Parameters");
        SetText(parameters, "ServiceDll", "%SystemRoot%\\System32\\" + Word() + ".dll",
                RegistryType::ExpandString);
        SetDword(parameters, "ServiceDllUnloadOnStop", 1);
        Key security = Create(service + "\\Security");
        SetBinary(security, "Security", 100 + random_.Below(100));
    }

    RegistryPort& port_;
    PredefinedKey root_;
    std::string branch_;
    SeededRandom random_;
    std::unordered_set<std::string> created_;
    std::uint64_t serial_ = 0;
    LargeRegistryCounts counts_;
};

}  // namespace

LargeRegistryCounts BuildLargeRegistry(RegistryPort& port, PredefinedKey root,
                                       std::string_view path, const LargeRegistryShape& shape) {
    LargeRegistryBuilder builder(port, root, path, shape.seed);
    builder.Build(shape);
    return builder.Counts();
}

// ---------------------------------------------------------------------------------------------
// The registry of the scan benchmark

namespace {

class ScanRegistryBuilder {
public:
    ScanRegistryBuilder(RegistryPort& port, std::uint64_t seed) : port_(port), random_(seed) {}

    void Build(const ScanRegistryShape& shape) {
        struct Hive {
            PredefinedKey root;
            std::string software;
            std::size_t percent;  // of the keys and values
        };
        const Hive hives[] = {
            {PredefinedKey::LocalMachine, "Software", 50},
            {PredefinedKey::CurrentUser, "Software", 30},
            {PredefinedKey::Users, std::string(kScanRegistryUserSid) + "\\Software", 20},
        };
        for (const Hive& hive : hives) {
            root_ = hive.root;
            software_ = hive.software;
            created_.clear();
            Create(software_);
            std::size_t keyEnd = counts_.keys + shape.keys * hive.percent / 100;
            std::size_t valueEnd = counts_.values + shape.values * hive.percent / 100;
            while (counts_.keys < keyEnd || counts_.values < valueEnd) AddVendor();
        }
        // Whatever the shares left over after rounding goes to the last hive.
        while (counts_.keys < shape.keys || counts_.values < shape.values) AddVendor();
    }

    ScanRegistryCounts Take() { return std::move(counts_); }

private:
    using Key = std::unique_ptr<RegistryKey>;

    // Creates software\relative and the keys on the way, counting each key once.
    Key Create(const std::string& relative) {
        std::size_t end = 0;
        while (end != std::string::npos) {
            end = relative.find('\\', end + 1);
            if (created_.insert(NameKey(relative.substr(0, end))).second) ++counts_.keys;
        }
        auto key = port_.CreateKey(root_, relative, kAllAccess);
        return key ? std::move(key.value()) : nullptr;
    }

    void Set(const Key& key, std::string_view name, std::uint32_t type,
             std::vector<std::uint8_t> bytes) {
        if (key && key->SetValue(name, type, bytes)) ++counts_.values;
    }
    void SetText(const Key& key, std::string_view name, std::string_view text,
                 std::uint32_t type = RegistryType::String) {
        Set(key, name, type, Utf8ToUtf16LeBytes(text, true));
    }
    void SetDword(const Key& key, std::string_view name, std::uint32_t number) {
        Set(key, name, RegistryType::Dword,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
    }

    std::string Word() {
        static constexpr std::string_view kWords[] = {
            "Contoso",  "Fabrikam", "Northwind", "Adventure", "Litware", "Proseware",
            "Tailspin", "Wingtip",  "Graphic",   "Media",     "Office",  "Update",
            "Player",   "Studio",   "Viewer",    "Sync",      "Cloud",   "Audio",
            "Print",    "Shell",    "Helper",    "Service",   "Tools",   "Runtime"};
        return std::string(random_.Pick(kWords));
    }
    std::string Serial() { return std::to_string(++serial_); }
    std::string Version() {
        return std::to_string(random_.Between(1, 20)) + "." + std::to_string(random_.Below(10));
    }

    // A vendor with one to four products, each with a version key and up to three settings
    // keys below it: about ten keys.
    void AddVendor() {
        vendor_ = Word() + " " + Serial();
        std::string vendorPath = software_ + "\\" + vendor_;
        Fill(Create(vendorPath), random_.Between(1, 3));
        int products = random_.Between(1, 4);
        for (int p = 0; p < products; ++p) {
            product_ = Word() + " " + Word() + " " + Serial();
            std::string productPath = vendorPath + "\\" + product_;
            Fill(Create(productPath), random_.Between(2, 5));
            std::string versionPath = productPath + "\\" + Version();
            Fill(Create(versionPath), random_.Between(1, 5));
            int sections = random_.Between(0, 3);
            for (int s = 0; s < sections; ++s) {
                Fill(Create(versionPath + "\\" + Word() + std::to_string(s)), random_.Between(1, 5));
            }
        }
    }

    void Fill(const Key& key, int values) {
        for (int v = 0; v < values; ++v) {
            std::string name = Word() + std::to_string(v);
            if (random_.Below(3) == 0) {
                AddReference(key, name);
            } else {
                AddOther(key, name);
            }
        }
    }

    // A file of the current product, never named before.
    std::string NewFile(std::string_view extension) {
        std::string path = "C:\\Program Files\\" + vendor_ + "\\" + product_ + "\\" + Word() +
                           Serial() + std::string(extension);
        counts_.files.push_back(
            {path, static_cast<std::uint16_t>(random_.Below(1000))});
        return path;
    }

    void AddReference(const Key& key, const std::string& name) {
        static constexpr std::string_view kExtensions[] = {".exe", ".dll", ".ocx", ".dat"};
        std::uint32_t form = random_.Below(100);
        if (form < 40) {
            SetText(key, name, NewFile(random_.Pick(kExtensions)));
        } else if (form < 58) {
            SetText(key, name, "\"" + NewFile(".exe") + "\" /" + Word() + " -" + Word());
        } else if (form < 73) {
            SetText(key, name, NewFile(".dll") + ",-" + std::to_string(random_.Between(1, 300)));
        } else if (form < 88) {
            std::string path = NewFile(".dll");
            SetText(key, name, "%ProgramFiles%" + path.substr(std::string_view("C:\\Program Files").size()),
                    RegistryType::ExpandString);
        } else if (root_ == PredefinedKey::LocalMachine && form < 94) {
            // The shared-DLL list names its files in the value names, with a use count.
            Key list = Create(software_ + "\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
            SetDword(list, NewFile(".dll"), random_.Between(1, 9));
        } else if (root_ == PredefinedKey::LocalMachine) {
            Key appPath = Create(software_ + "\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" +
                                 Word() + Serial() + ".exe");
            SetText(appPath, "", NewFile(".exe"));
        } else {
            Key run = Create(software_ + "\\Microsoft\\Windows\\CurrentVersion\\Run");
            SetText(run, Word() + Serial(), "\"" + NewFile(".exe") + "\" /background");
        }
    }

    void AddOther(const Key& key, const std::string& name) {
        std::uint32_t kind = random_.Below(100);
        if (kind < 40) {
            static constexpr std::string_view kTexts[] = {"", " Corporation", " Settings",
                                                          " and more"};
            SetText(key, name, random_.Percent(30) ? Version() : Word() + std::string(random_.Pick(kTexts)));
        } else if (kind < 70) {
            SetDword(key, name, static_cast<std::uint32_t>(random_.Next()));
        } else if (kind < 85) {
            std::vector<std::uint8_t> bytes(8 + random_.Below(56));
            for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random_.Below(256));
            Set(key, name, RegistryType::Binary, std::move(bytes));
        } else {
            std::vector<std::uint8_t> bytes;
            for (int i = random_.Between(1, 4); i > 0; --i) {
                std::vector<std::uint8_t> item = Utf8ToUtf16LeBytes(Word() + " " + Word(), true);
                bytes.insert(bytes.end(), item.begin(), item.end());
            }
            bytes.push_back(0);
            bytes.push_back(0);
            Set(key, name, RegistryType::MultiString, std::move(bytes));
        }
    }

    RegistryPort& port_;
    SeededRandom random_;
    PredefinedKey root_ = PredefinedKey::LocalMachine;
    std::string software_;
    std::string vendor_;
    std::string product_;
    std::unordered_set<std::string> created_;
    std::uint64_t serial_ = 0;
    ScanRegistryCounts counts_;
};

}  // namespace

ScanRegistryCounts BuildScanRegistry(RegistryPort& port, const ScanRegistryShape& shape) {
    ScanRegistryBuilder builder(port, shape.seed);
    builder.Build(shape);
    return builder.Take();
}

// ---------------------------------------------------------------------------------------------
// Snapshots

std::size_t BranchSnapshot::ValueCount() const {
    std::size_t count = 0;
    for (const SnapshotKey& key : keys) count += key.values.size();
    return count;
}

namespace {

void SnapshotKeyAndBelow(RegistryPort& port, PredefinedKey root, const std::string& fullPath,
                         const std::string& relative, BranchSnapshot& snapshot) {
    SnapshotKey entry;
    entry.path = relative;
    auto key = port.OpenKey(root, fullPath, KeyAccess::Read | KeyAccess::Wow64_64Key);
    if (!key) {
        entry.readable = false;
        snapshot.keys.push_back(std::move(entry));
        return;
    }
    auto values = (*key)->Values();
    auto subkeys = (*key)->SubkeyNames();
    if (values) entry.values = std::move(values.value());
    entry.readable = values.ok() && subkeys.ok();
    snapshot.keys.push_back(std::move(entry));
    if (!subkeys) return;
    key.value().reset();
    for (const std::string& name : subkeys.value()) {
        SnapshotKeyAndBelow(port, root, fullPath.empty() ? name : fullPath + "\\" + name,
                            relative.empty() ? name : relative + "\\" + name, snapshot);
    }
}

const char* TypeName(std::uint32_t type) {
    switch (type) {
        case RegistryType::None:
            return "REG_NONE";
        case RegistryType::String:
            return "REG_SZ";
        case RegistryType::ExpandString:
            return "REG_EXPAND_SZ";
        case RegistryType::Binary:
            return "REG_BINARY";
        case RegistryType::Dword:
            return "REG_DWORD";
        case RegistryType::DwordBigEndian:
            return "REG_DWORD_BIG_ENDIAN";
        case RegistryType::Link:
            return "REG_LINK";
        case RegistryType::MultiString:
            return "REG_MULTI_SZ";
        case RegistryType::ResourceList:
            return "REG_RESOURCE_LIST";
        case RegistryType::FullResourceDescriptor:
            return "REG_FULL_RESOURCE_DESCRIPTOR";
        case RegistryType::ResourceRequirementsList:
            return "REG_RESOURCE_REQUIREMENTS_LIST";
        case RegistryType::Qword:
            return "REG_QWORD";
        default:
            return "type";
    }
}

std::string DescribeData(const RegistryData& data) {
    std::string text = TypeName(data.type);
    text += "(" + std::to_string(data.type) + ") " + std::to_string(data.bytes.size()) + " bytes";
    std::size_t shown = std::min<std::size_t>(data.bytes.size(), 24);
    if (shown > 0) text += ":";
    for (std::size_t i = 0; i < shown; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", data.bytes[i]);
        text += hex;
    }
    if (shown < data.bytes.size()) text += " ...";
    return text;
}

std::string Quoted(std::string_view text) { return "\"" + Printable(text) + "\""; }

}  // namespace

BranchSnapshot SnapshotBranch(RegistryPort& port, PredefinedKey root, std::string_view path) {
    BranchSnapshot snapshot;
    auto probe = port.OpenKey(root, path, KeyAccess::Read | KeyAccess::Wow64_64Key);
    if (!probe && probe.code() == ErrorCode::NotFound) return snapshot;
    snapshot.exists = true;
    SnapshotKeyAndBelow(port, root, std::string(path), "", snapshot);
    return snapshot;
}

std::optional<std::string> FirstDifference(const BranchSnapshot& expected,
                                           const BranchSnapshot& actual) {
    if (expected.exists != actual.exists) {
        return std::string("the branch ") + (expected.exists ? "is missing" : "should not exist");
    }
    std::size_t common = std::min(expected.keys.size(), actual.keys.size());
    for (std::size_t k = 0; k < common; ++k) {
        const SnapshotKey& want = expected.keys[k];
        const SnapshotKey& got = actual.keys[k];
        if (want.path != got.path) {
            return "key #" + std::to_string(k) + ": expected " + Quoted(want.path) + ", found " +
                   Quoted(got.path);
        }
        std::string where = "key " + Quoted(want.path) + ": ";
        if (want.readable != got.readable) return where + "readable differs";
        std::size_t values = std::min(want.values.size(), got.values.size());
        for (std::size_t v = 0; v < values; ++v) {
            const RegistryValue& a = want.values[v];
            const RegistryValue& b = got.values[v];
            std::string which = where + "value #" + std::to_string(v) + " ";
            if (a.name != b.name) {
                return which + "expected name " + Quoted(a.name) + ", found " + Quoted(b.name);
            }
            if (a.data.type != b.data.type || a.data.bytes != b.data.bytes) {
                std::string text = which + Quoted(a.name) + ": expected " + DescribeData(a.data) +
                                   ", found " + DescribeData(b.data);
                auto mismatch = std::mismatch(a.data.bytes.begin(), a.data.bytes.end(),
                                              b.data.bytes.begin(), b.data.bytes.end());
                if (a.data.type == b.data.type) {
                    text += "; first different byte at offset " +
                            std::to_string(mismatch.first - a.data.bytes.begin());
                }
                return text;
            }
        }
        if (want.values.size() != got.values.size()) {
            bool missing = want.values.size() > got.values.size();
            const RegistryValue& first = missing ? want.values[values] : got.values[values];
            return where + "expected " + std::to_string(want.values.size()) + " values, found " +
                   std::to_string(got.values.size()) + "; first " +
                   (missing ? "missing " : "extra ") + Quoted(first.name) + " " +
                   DescribeData(first.data);
        }
    }
    if (expected.keys.size() != actual.keys.size()) {
        bool missing = expected.keys.size() > actual.keys.size();
        const SnapshotKey& first = missing ? expected.keys[common] : actual.keys[common];
        return "expected " + std::to_string(expected.keys.size()) + " keys, found " +
               std::to_string(actual.keys.size()) + "; first " + (missing ? "missing " : "extra ") +
               Quoted(first.path);
    }
    return std::nullopt;
}

std::string Printable(std::string_view text, std::size_t limit) {
    std::string out;
    std::size_t shown = 0;
    std::size_t position = 0;
    while (position < text.size() && shown < limit) {
        unsigned char byte = static_cast<unsigned char>(text[position]);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            ++position;
        } else {
            std::size_t start = position;
            DecodeUtf8(text, position);
            out.append(text.substr(start, position - start));
        }
        ++shown;
    }
    if (position < text.size()) out += "...(" + std::to_string(text.size()) + " bytes)";
    return out;
}

}  // namespace kestrover::testing
