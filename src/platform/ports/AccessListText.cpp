// Parsing and writing SDDL access lists, and the rights they give on a registry key.
#include "platform/ports/AccessListText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kestrover {

namespace {

constexpr std::string_view kNoAccessControl = "NO_ACCESS_CONTROL";

// Generic rights, and what they mean for a registry key.
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kKeyRead = 0x00020019;
constexpr std::uint32_t kKeyWrite = 0x00020006;
constexpr std::uint32_t kKeyAll = 0x000F003F;

struct RightCode {
    std::string_view code;
    std::uint32_t mask;
};

constexpr RightCode kRightCodes[] = {
    {"GA", kGenericAll}, {"GR", kGenericRead}, {"GW", kGenericWrite}, {"GX", kGenericExecute},
    {"RC", 0x00020000},  {"SD", 0x00010000},   {"WD", 0x00040000},    {"WO", 0x00080000},
    {"KA", kKeyAll},     {"KR", kKeyRead},     {"KW", kKeyWrite},     {"KX", kKeyRead},
    {"FA", 0x001F01FF},  {"FR", 0x00120089},   {"FW", 0x00120116},    {"FX", 0x001200A0},
    {"CC", 0x00000001},  {"DC", 0x00000002},   {"LC", 0x00000004},    {"SW", 0x00000008},
    {"RP", 0x00000010},  {"WP", 0x00000020},   {"DT", 0x00000040},    {"LO", 0x00000080},
    {"CR", 0x00000100},
};

constexpr std::string_view kEntryFlags[] = {"OI", "CI", "NP", "IO", "ID", "SA", "FA"};
constexpr std::string_view kEntryTypes[] = {"A", "D", "OA", "OD"};

constexpr std::string_view kAliases[] = {
    "AA", "AC", "AN", "AO", "AP", "AS", "AU", "BA", "BG", "BO", "BU", "CA", "CD", "CG", "CN", "CO",
    "CY", "DA", "DC", "DD", "DG", "DU", "EA", "ED", "EK", "ES", "HA", "HI", "IS", "IU", "KA", "LA",
    "LG", "LS", "LU", "LW", "ME", "MP", "MU", "NO", "NS", "NU", "OW", "PA", "PO", "PS", "PU", "RA",
    "RC", "RD", "RE", "RM", "RO", "RS", "RU", "SA", "SI", "SO", "SS", "SU", "SY", "UD", "WD", "WR",
};

template <std::size_t N>
bool OneOf(std::string_view text, const std::string_view (&list)[N]) {
    return std::find(std::begin(list), std::end(list), text) != std::end(list);
}

// Two-letter codes, each from the list; the empty text is none.
template <std::size_t N>
bool CodesFrom(std::string_view text, const std::string_view (&list)[N]) {
    if (text.size() % 2 != 0) return false;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        if (!OneOf(text.substr(at, 2), list)) return false;
    }
    return true;
}

bool IsGuidText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == '-';
    });
}

std::optional<std::uint32_t> NumberMask(std::string_view text) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) {
        return std::nullopt;
    }
    std::string copy(text);
    char* end = nullptr;
    unsigned long long value = std::strtoull(copy.c_str(), &end, 0);
    if (end != copy.c_str() + copy.size() || value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<AccessEntry> ParseEntry(std::string_view body) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= body.size(); ++at) {
        if (at == body.size() || body[at] == ';') {
            fields.push_back(body.substr(start, at - start));
            start = at + 1;
        }
    }
    // Conditional entries carry a seventh field; they are not among the kinds written here.
    if (fields.size() != 6) return std::nullopt;
    AccessEntry entry{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                      std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
    if (!OneOf(fields[0], kEntryTypes)) return std::nullopt;
    if (!CodesFrom(fields[1], kEntryFlags)) return std::nullopt;
    if (!KeyRightsMask(fields[2])) return std::nullopt;
    if (!IsGuidText(fields[3]) || !IsGuidText(fields[4])) return std::nullopt;
    // Object entries name their object in the guid fields; plain ones never do.
    if ((entry.type == "A" || entry.type == "D") && (!fields[3].empty() || !fields[4].empty())) {
        return std::nullopt;
    }
    if (!IsTrusteeText(fields[5])) return std::nullopt;
    return entry;
}

}  // namespace

bool AccessEntry::HasFlag(std::string_view code) const {
    for (std::size_t at = 0; at + 2 <= flags.size(); at += 2) {
        if (std::string_view(flags).substr(at, 2) == code) return true;
    }
    return false;
}

std::string AccessEntry::Text() const {
    return "(" + type + ";" + flags + ";" + rights + ";" + objectGuid + ";" + inheritObjectGuid +
           ";" + trustee + ")";
}

bool AccessListText::IsProtected() const { return flags.find('P') != std::string::npos; }

std::string AccessListText::Text() const {
    std::string text = "D:" + flags;
    if (noAccessControl) text += kNoAccessControl;
    for (const AccessEntry& entry : entries) text += entry.Text();
    return text;
}

std::optional<AccessListText> ParseAccessList(std::string_view text) {
    if (!text.starts_with("D:")) return std::nullopt;
    text.remove_prefix(2);
    AccessListText list;
    // Flags come before the first entry: "P", "AI", "AR", each at most once, in any order.
    while (!text.empty() && text.front() != '(') {
        if (text.starts_with(kNoAccessControl) && !list.noAccessControl) {
            list.noAccessControl = true;
            text.remove_prefix(kNoAccessControl.size());
            continue;
        }
        std::string_view flag;
        for (std::string_view candidate :
             {std::string_view("AI"), std::string_view("AR"), std::string_view("P")}) {
            if (text.starts_with(candidate)) {
                flag = candidate;
                break;
            }
        }
        if (flag.empty() || list.flags.find(flag) != std::string::npos) return std::nullopt;
        list.flags += flag;
        text.remove_prefix(flag.size());
    }
    while (!text.empty()) {
        if (text.front() != '(') return std::nullopt;
        std::size_t close = text.find(')');
        if (close == std::string_view::npos) return std::nullopt;
        std::optional<AccessEntry> entry = ParseEntry(text.substr(1, close - 1));
        if (!entry) return std::nullopt;
        list.entries.push_back(std::move(*entry));
        text.remove_prefix(close + 1);
    }
    // A missing list has no entries to hold.
    if (list.noAccessControl && !list.entries.empty()) return std::nullopt;
    return list;
}

std::optional<std::uint32_t> KeyRightsMask(std::string_view rights) {
    if (rights.empty()) return std::nullopt;
    if (std::optional<std::uint32_t> number = NumberMask(rights))
        return MapGenericKeyRights(*number);
    if (rights.size() % 2 != 0) return std::nullopt;
    std::uint32_t mask = 0;
    for (std::size_t at = 0; at < rights.size(); at += 2) {
        std::string_view code = rights.substr(at, 2);
        auto found = std::find_if(std::begin(kRightCodes), std::end(kRightCodes),
                                  [&](const RightCode& right) { return right.code == code; });
        if (found == std::end(kRightCodes)) return std::nullopt;
        mask |= found->mask;
    }
    return MapGenericKeyRights(mask);
}

std::uint32_t MapGenericKeyRights(std::uint32_t mask) {
    std::uint32_t mapped = mask & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll);
    if (mask & kGenericAll) mapped |= kKeyAll;
    if (mask & (kGenericRead | kGenericExecute)) mapped |= kKeyRead;
    if (mask & kGenericWrite) mapped |= kKeyWrite;
    return mapped;
}

std::string CanonicalSid(std::string_view trustee) {
    static constexpr std::pair<std::string_view, std::string_view> kWellKnown[] = {
        {"WD", "S-1-1-0"},      {"CO", "S-1-3-0"},      {"OW", "S-1-3-4"},
        {"IU", "S-1-5-4"},      {"AU", "S-1-5-11"},     {"RC", "S-1-5-12"},
        {"SY", "S-1-5-18"},     {"LS", "S-1-5-19"},     {"NS", "S-1-5-20"},
        {"BA", "S-1-5-32-544"}, {"BU", "S-1-5-32-545"}, {"BG", "S-1-5-32-546"},
        {"PU", "S-1-5-32-547"}, {"AC", "S-1-15-2-1"},
    };
    for (const auto& [alias, sid] : kWellKnown) {
        if (trustee == alias) return std::string(sid);
    }
    return std::string(trustee);
}

bool IsTrusteeText(std::string_view text) {
    if (text.size() == 2) return OneOf(text, kAliases);
    // S-1-<authority>-<sub authority>...: a revision of 1 and at least the authority.
    if (!text.starts_with("S-1-") || text.size() < 5) return false;
    bool digitBefore = false;
    for (char c : text.substr(4)) {
        if (c == '-') {
            if (!digitBefore) return false;
            digitBefore = false;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        digitBefore = true;
    }
    return digitBefore;
}

}  // namespace kestrover
