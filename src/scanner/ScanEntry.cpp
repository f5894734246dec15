// Building and parsing result-list row texts.
#include "scanner/ScanEntry.h"

namespace kestrover {

namespace {

// A whole text of decimal digits (leading zeros allowed) as a number; nothing for an empty
// text, any other character, or a number too large to be a category.
std::optional<int> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

std::string MakeEntryText(std::string_view keyPath) { return std::string(keyPath); }

std::string MakeEntryText(std::string_view keyPath, std::string_view valueName) {
    std::string text(keyPath);
    text += kValueSeparator;
    text += valueName;
    return text;
}

std::string MakeEntryText(std::string_view keyPath, std::string_view valueName,
                          std::string_view data) {
    std::string text = MakeEntryText(keyPath, valueName);
    text += kDataSeparator;
    text += data;
    return text;
}

std::string CategoryMarkers(const CategoryFlags& flags) {
    std::string markers;
    for (std::size_t number = 0; number < flags.categories.size(); ++number) {
        if (!flags.categories[number]) continue;
        markers += kCategoryMarker;
        markers += std::to_string(number);
    }
    return markers;
}

std::string BuildScanEntry(int stripe, int rootIndex, std::string_view text) {
    std::string entry;
    entry.reserve(text.size() + 4);
    entry += static_cast<char>('0' + (stripe != 0 ? 1 : 0));
    entry += '|';
    entry += std::to_string(rootIndex);
    entry += '|';
    entry += text;
    return entry;
}

int CategoryNumberOf(std::string_view entry) {
    std::size_t marker = entry.find(kCategoryMarker);
    if (marker == std::string_view::npos) return kUnreadableCategory;
    // Two markers leave "N²²M" here, which is no number.
    return WholeNumber(entry.substr(marker + kCategoryMarker.size())).value_or(kUnreadableCategory);
}

ScanEntry ParseScanEntry(std::string_view entry) {
    ScanEntry parsed;
    if (!entry.empty() && entry.front() == '1') parsed.stripe = 1;
    parsed.category = CategoryNumberOf(entry);

    std::string_view rest = entry;
    std::size_t bar = rest.find('|');
    rest = bar == std::string_view::npos ? std::string_view{} : rest.substr(bar + 1);

    std::size_t rootEnd = rest.find('|');
    std::string_view rootText = rest.substr(0, rootEnd);
    std::optional<int> rootNumber = WholeNumber(rootText);
    parsed.rootIndex = rootNumber.value_or(0);
    if (rootNumber && rootText.size() == 1) parsed.root = RootFromIndex(*rootNumber);
    if (parsed.root) parsed.rootName = std::string(RootFullName(*parsed.root));
    rest = rootEnd == std::string_view::npos ? std::string_view{} : rest.substr(rootEnd + 1);

    std::size_t marker = rest.find(kCategoryMarker);
    if (marker != std::string_view::npos) {
        parsed.hasMarker = true;
        std::size_t inventory = rest.find(kInventoryMarker);
        if (inventory == marker) {
            parsed.inventoryText = std::string(rest.substr(inventory + kInventoryMarker.size()));
        }
        rest = rest.substr(0, marker);
    }

    std::size_t valueStart = rest.find(kValueSeparator);
    parsed.keyPath = std::string(rest.substr(0, valueStart));
    if (valueStart == std::string_view::npos) return parsed;
    parsed.hasValue = true;
    std::string_view valuePart = rest.substr(valueStart + kValueSeparator.size());
    std::size_t dataStart = valuePart.find(kDataSeparator);
    parsed.valueName = std::string(valuePart.substr(0, dataStart));
    if (dataStart == std::string_view::npos) return parsed;
    parsed.hasData = true;
    parsed.data = std::string(valuePart.substr(dataStart + kDataSeparator.size()));
    return parsed;
}

}  // namespace kestrover
