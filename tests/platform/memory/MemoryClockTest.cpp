#include <gtest/gtest.h>

#include "platform/memory/MemoryClock.h"

namespace kestrover {
namespace {

TEST(MemoryClockTest, FormatsDatesAndTimesAsRegionalPatterns) {
    const LocalDateTime time{2026, 3, 5, 9, 7, 3};
    const struct {
        const char* pattern;
        const char* expected;
    } cases[] = {
        {"dd/MM/yyyy", "05/03/2026"}, {"M/d/yyyy", "3/5/2026"},   {"yyyy-MM-dd", "2026-03-05"},
        {"d.M.yy", "5.3.26"},         {"HH:mm:ss", "09:07:03"},   {"h:mm:ss tt", "9:07:03 AM"},
        {"'Day' d", "Day 5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTimePattern(time, c.pattern), c.expected) << c.pattern;
    }
    EXPECT_EQ(FormatDateTimePattern({2026, 12, 5, 0, 5, 0}, "h:mm tt"), "12:05 AM");
    EXPECT_EQ(FormatDateTimePattern({2026, 12, 5, 17, 42, 10}, "hh:mm:ss tt"), "05:42:10 PM");
}

TEST(MemoryClockTest, ConvertsFileTimesBothWaysAndAppliesTheOffset) {
    // 1970-01-01 00:00:00 UTC is 116444736000000000 ticks after 1601.
    const LocalDateTime epoch = FileTimeToDateTime(116444736000000000ull);
    EXPECT_EQ(epoch.year, 1970);
    EXPECT_EQ(epoch.month, 1);
    EXPECT_EQ(epoch.day, 1);
    const LocalDateTime leap{2024, 2, 29, 23, 59, 59};
    const LocalDateTime back = FileTimeToDateTime(DateTimeToFileTime(leap));
    EXPECT_EQ(FormatDateTimePattern(back, "yyyy-MM-dd HH:mm:ss"), "2024-02-29 23:59:59");

    MemoryClock clock;
    clock.SetUtcOffsetMinutes(60);
    const LocalDateTime local = clock.ToLocal(DateTimeToFileTime({2026, 12, 31, 23, 30, 0}));
    EXPECT_EQ(FormatDateTimePattern(local, "yyyy-MM-dd HH:mm"), "2027-01-01 00:30");
    clock.SetNow({2026, 12, 5, 17, 42, 10});
    clock.Advance(3600 * 7);
    EXPECT_EQ(FormatDateTimePattern(clock.Now(), "yyyy-MM-dd HH:mm:ss"), "2026-12-06 00:42:10");
}

}  // namespace
}  // namespace kestrover
