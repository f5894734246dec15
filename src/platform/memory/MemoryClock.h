// A clock set by the test: a fixed "now", a fixed offset from UTC, and date and time formats
// written as patterns ("dd/MM/yyyy", "M/d/yyyy", "HH:mm:ss", "h:mm:ss tt").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ports/ClockPort.h"

namespace kestrover {

class MemoryClock final : public ClockPort {
public:
    void SetNow(const LocalDateTime& now) { now_ = now; }
    void SetUtcOffsetMinutes(int minutes) { utcOffsetMinutes_ = minutes; }
    void SetShortDateFormat(std::string pattern) { datePattern_ = std::move(pattern); }
    void SetTimeFormat(std::string pattern) { timePattern_ = std::move(pattern); }
    // Moves "now" forward (seconds may exceed 59; the date carries).
    void Advance(int seconds);

    LocalDateTime Now() const override { return now_; }
    LocalDateTime ToLocal(std::uint64_t fileTime) const override;
    std::string ShortDateText(const LocalDateTime& time) const override;
    std::string TimeText(const LocalDateTime& time) const override;

private:
    LocalDateTime now_{2026, 12, 5, 17, 42, 10};
    int utcOffsetMinutes_ = 0;
    std::string datePattern_ = "dd/MM/yyyy";
    std::string timePattern_ = "HH:mm:ss";
};

// The pattern letters the Windows regional settings use: d dd M MM yy yyyy h hh H HH m mm
// s ss t tt; text in single quotes is literal. Shared by the memory and posix clocks.
std::string FormatDateTimePattern(const LocalDateTime& time, std::string_view pattern);
// FILETIME <-> calendar time, both in UTC.
LocalDateTime FileTimeToDateTime(std::uint64_t fileTime);
std::uint64_t DateTimeToFileTime(const LocalDateTime& time);

}  // namespace kestrover
