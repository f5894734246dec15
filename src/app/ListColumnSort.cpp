// The column sort of the list views.
#include "app/ListColumnSort.h"

#include <optional>
#include <string>

#include "core/Text.h"

namespace kestrover {

namespace {

// A size is a number and a unit ("2.00 KB"), a plain number weighs as megabytes, so that a
// larger unit always sorts above a smaller one and values within a unit by magnitude.
struct Unit {
    std::string_view marker;
    double factor;
};
constexpr double kKilo = 1024.0;
constexpr Unit kUnits[] = {{" kb", kKilo},
                           {" gb", kKilo* kKilo* kKilo},
                           {" tb", kKilo* kKilo* kKilo* kKilo},
                           {" b", 1.0},
                           {" mb", kKilo* kKilo}};
constexpr double kPlainNumberFactor = kKilo * kKilo;

const Unit* FindUnit(std::string_view text) {
    for (const Unit& unit : kUnits) {
        if (ContainsNoCase(text, unit.marker)) return &unit;
    }
    return nullptr;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsInteger(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsDigit(c)) return false;
    }
    return true;
}

// "2.00", "512", "-3": the number in front of a unit, or nothing.
std::optional<double> ParseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    double scale = 0;  // 0 before the decimal point, then 0.1, 0.01 ...
    bool digit = false;
    for (char c : text) {
        if (IsDigit(c)) {
            digit = true;
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
        } else if ((c == '.' || c == ',') && scale == 0) {
            scale = 0.1;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    return negative ? -value : value;
}

// A sub-item text ready to compare: a magnitude, or the text itself.
struct SortKey {
    std::optional<double> magnitude;
    std::string_view text;
};

SortKey SortKeyOf(std::string_view text) {
    SortKey key{std::nullopt, text};
    const Unit* unit = FindUnit(text);
    if (!unit && !IsInteger(text)) return key;
    std::string_view number = text.substr(0, text.find('~'));
    number = number.substr(0, number.find(' '));
    // A word that happens to begin with "b" ("Boot Manager") is no byte count: only a number
    // in front of the unit makes a size.
    const std::optional<double> value = ParseNumber(number);
    if (value) key.magnitude = *value * (unit ? unit->factor : kPlainNumberFactor);
    return key;
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

int CompareCaptions(std::string_view a, std::string_view b) {
    const std::size_t length = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < length; ++i) {
        const auto left = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto right = static_cast<unsigned char>(AsciiLower(b[i]));
        if (left != right) return left < right ? -1 : 1;
    }
    return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

int CompareSubItems(std::string_view a, std::string_view b) {
    const SortKey left = SortKeyOf(a);
    const SortKey right = SortKeyOf(b);
    if (left.magnitude.has_value() != right.magnitude.has_value()) {
        return left.magnitude ? -1 : 1;
    }
    if (left.magnitude) {
        return (*left.magnitude > *right.magnitude) - (*left.magnitude < *right.magnitude);
    }
    return CompareCaptions(left.text, right.text);
}

void ListColumnSort::ColumnClick(int column) {
    if (column == column_) {
        ascending_ = !ascending_;
        return;
    }
    column_ = column;
}

}  // namespace kestrover
