// ScanEntry: the text of one result-list row ("stripe|root|key path||value name|||data²²N")
// and its parse back into root, key path, value name, data and category.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "registry/RegRoot.h"
#include "scanner/ResultCategory.h"

namespace kestrover {

// Separators of an entry text. The marker is UTF-8 (two bytes per "²").
inline constexpr std::string_view kValueSeparator = "||";
inline constexpr std::string_view kDataSeparator = "|||";
inline constexpr std::string_view kCategoryMarker = "²²";
// Inventory entries carry their own category line after this marker.
inline constexpr std::string_view kInventoryMarker = "²²²";

// The text a rule hands to AddScanEntry: the key path, optionally "||" and the value name
// (empty for the default value), optionally "|||" and the data text.
std::string MakeEntryText(std::string_view keyPath);
std::string MakeEntryText(std::string_view keyPath, std::string_view valueName);
std::string MakeEntryText(std::string_view keyPath, std::string_view valueName,
                          std::string_view data);

// "²²N" for each set category flag, in category order 0 to 9 (the eleventh flag has none).
std::string CategoryMarkers(const CategoryFlags& flags);

// The stored row text: the stripe digit, "|", the root digit, "|", then text (which already
// carries its markers).
std::string BuildScanEntry(int stripe, int rootIndex, std::string_view text);

// One row text taken apart.
struct ScanEntry {
    int stripe = 0;
    // The root text read as a number, 0 when it is not one.
    int rootIndex = 0;
    // Set only when the root text is one of the digits 0 to 4: a row whose root cannot be read
    // names no key, so nothing may act on it (it is not taken as HKEY_CLASSES_ROOT).
    std::optional<RegRoot> root;
    std::string rootName;  // full name of root; empty without one
    std::string keyPath;
    bool hasValue = false;  // the text holds a value part ("||")
    std::string valueName;
    bool hasData = false;  // the value part holds a data part ("|||")
    std::string data;
    // The number after the first marker; kUnreadableCategory without a marker, with two
    // markers, or when the text there is not a number.
    int category = kUnreadableCategory;
    bool hasMarker = false;
    // Inventory entries: the text after "²²²", drawn as a grey category line.
    std::optional<std::string> inventoryText;
};

ScanEntry ParseScanEntry(std::string_view entry);

// The category number of a row text alone (see ScanEntry::category).
int CategoryNumberOf(std::string_view entry);

}  // namespace kestrover
