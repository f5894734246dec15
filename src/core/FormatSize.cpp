// Byte counts as text, formatted without the C locale so the decimal point is always ".".
#include "core/FormatSize.h"

#include <array>
#include <charconv>

namespace kestrover {

namespace {

std::string FormatTwoDecimals(double value, const char* unit) {
    // Enough for any int64 divided by 1024 with two decimals, and the unit.
    std::array<char, 64> buffer{};
    auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
    std::string text(buffer.data(), error == std::errc{} ? end : buffer.data());
    text += ' ';
    text += unit;
    return text;
}

}  // namespace

std::string FormatSize(std::int64_t size) {
    constexpr std::int64_t kKilo = 1024;
    constexpr std::int64_t kMega = kKilo * 1024;
    constexpr std::int64_t kGiga = kMega * 1024;
    constexpr std::int64_t kTera = kGiga * 1024;
    if (size < kKilo) return std::to_string(size) + " bytes";
    double value = static_cast<double>(size);
    if (size < kMega) return FormatTwoDecimals(value / kKilo, "KB");
    if (size < kGiga) return FormatTwoDecimals(value / kMega, "MB");
    if (size < kTera) return FormatTwoDecimals(value / kGiga, "GB");
    return FormatTwoDecimals(value / kTera, "TB");
}

}  // namespace kestrover
