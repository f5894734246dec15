// The clock port: the local date and time, file times in local time, and the date and time
// texts as the system's regional settings write them.
#pragma once

#include <cstdint>
#include <string>

namespace kestrover {

struct LocalDateTime {
    int year = 1601;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class ClockPort {
public:
    virtual ~ClockPort() = default;

    virtual LocalDateTime Now() const = 0;
    // A FILETIME (100-nanosecond ticks since 1601-01-01 UTC) in local time.
    virtual LocalDateTime ToLocal(std::uint64_t fileTime) const = 0;
    // The short date as the system writes it ("05/12/2026" with a day/month/year format).
    virtual std::string ShortDateText(const LocalDateTime& time) const = 0;
    // The time as the system writes it ("17:42:10").
    virtual std::string TimeText(const LocalDateTime& time) const = 0;
};

}  // namespace kestrover
