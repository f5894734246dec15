// Tests of FormatSize: unit boundaries, rounding, extremes and independence from the locale.
#include "core/FormatSize.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <string>

namespace kestrover {
namespace {

constexpr std::int64_t KB = 1024;
constexpr std::int64_t MB = KB * 1024;
constexpr std::int64_t GB = MB * 1024;
constexpr std::int64_t TB = GB * 1024;

struct SizeCase {
    std::int64_t size;
    const char* text;
};

constexpr SizeCase kSizeCases[] = {
    {0, "0 bytes"},
    {1, "1 bytes"},
    {1023, "1023 bytes"},
    {KB, "1.00 KB"},
    {KB + KB / 2, "1.50 KB"},
    {1034, "1.01 KB"},           // 1.0098: rounded, not cut
    {1029, "1.00 KB"},           // 1.0049
    {MB - 1, "1024.00 KB"},      // still below a megabyte
    {MB, "1.00 MB"},
    {10 * MB + MB / 4, "10.25 MB"},
    {GB - 1, "1024.00 MB"},
    {GB, "1.00 GB"},
    {3 * GB + GB / 4 * 3, "3.75 GB"},
    {TB - 1, "1024.00 GB"},
    {TB, "1.00 TB"},
    {2048 * TB, "2048.00 TB"},   // no unit above TB
    {std::numeric_limits<std::int64_t>::max(), "8388608.00 TB"},
    {-1, "-1 bytes"},
    {-5 * GB, "-5368709120 bytes"},
    {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808 bytes"},
};

TEST(FormatSizeTest, UnitsByPowersOf1024) {
    for (const SizeCase& c : kSizeCases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size);
        EXPECT_EQ(FormatSize(c.size), c.text);
    }
}

TEST(FormatSizeTest, DecimalPointIgnoresTheLocale) {
    // A locale with a decimal comma; the test has nothing to show where none is installed.
    const char* names[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "German_Germany.1252"};
    std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* chosen = nullptr;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
    std::string text = FormatSize(KB + KB / 2);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(text, "1.50 KB") << "under " << chosen;
}

}  // namespace
}  // namespace kestrover
