// Access lists as the security descriptor definition language (SDDL) writes them ("D:P(A;OICI;
// GA;;;S-1-5-21-...)"): parsed into entries, written back, and their rights read as the access
// mask they give on a registry key. The in-memory registry checks access with it, and the
// ownership command checks every list it writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrover {

// One access entry: "(type;flags;rights;object guid;inherit object guid;trustee)".
struct AccessEntry {
    std::string type;    // "A" allow, "D" deny, "OA", "OD", ...
    std::string flags;   // two-letter codes: "OI", "CI", "NP", "IO", "ID", ...
    std::string rights;  // two-letter codes ("GA", "KR") or a number ("0xf003f")
    std::string objectGuid;
    std::string inheritObjectGuid;
    std::string trustee;  // a SID string ("S-1-5-32-544") or a two-letter alias ("BA")

    bool IsAllow() const { return type == "A"; }
    bool IsDeny() const { return type == "D"; }
    // Whether flags holds the two-letter code (flags are read two letters at a time).
    bool HasFlag(std::string_view code) const;
    std::string Text() const;
    bool operator==(const AccessEntry&) const = default;
};

struct AccessListText {
    // "D:NO_ACCESS_CONTROL": no list at all, which grants everyone everything.
    bool noAccessControl = false;
    std::string flags;  // "P" (protected from inheritance), "AI", "AR", in the order written
    std::vector<AccessEntry> entries;

    bool IsProtected() const;
    // "D:" followed by the flags and the entries.
    std::string Text() const;
};

// The text parsed, or nothing when it is not a valid access list: it must begin with "D:" and
// hold only known flags, well-formed entries of an allow or deny kind, known rights and valid
// trustees. Another part of a descriptor (an owner "O:", a system list "S:") is refused.
std::optional<AccessListText> ParseAccessList(std::string_view text);

// The access mask rights give on a registry key: generic rights as a key maps them (GA is
// KEY_ALL_ACCESS, GR and GX KEY_READ, GW KEY_WRITE), the key, standard and numeric rights as
// they are. Nothing when rights is not valid.
std::optional<std::uint32_t> KeyRightsMask(std::string_view rights);

// Generic rights in an access mask (GENERIC_ALL, GENERIC_READ, ...) as the key rights they
// stand for; other bits stay as they are.
std::uint32_t MapGenericKeyRights(std::uint32_t mask);

// A SID string ("S-1-5-21-1-2-3-1001") or a well-known two-letter alias ("BA", "WD").
bool IsTrusteeText(std::string_view text);

// The SID string of a well-known alias ("BA" is "S-1-5-32-544"); any other text as it is. Two
// trustees name the same account when their canonical forms are equal.
std::string CanonicalSid(std::string_view trustee);

}  // namespace kestrover
