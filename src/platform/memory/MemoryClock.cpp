#include "platform/memory/MemoryClock.h"

#include <cstdio>

namespace kestrover {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2));
}

std::int64_t SecondsSince1601(const LocalDateTime& time) {
    const std::int64_t days =
        DaysFromCivil(time.year, static_cast<unsigned>(time.month),
                      static_cast<unsigned>(time.day)) +
        kDaysFrom1601To1970;
    return days * 86400 + time.hour * 3600 + time.minute * 60 + time.second;
}

LocalDateTime FromSecondsSince1601(std::int64_t seconds) {
    LocalDateTime time;
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    CivilFromDays(days - kDaysFrom1601To1970, time.year, time.month, time.day);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    return time;
}

void AppendNumber(std::string& out, int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    out += buffer;
}

}  // namespace

LocalDateTime FileTimeToDateTime(std::uint64_t fileTime) {
    return FromSecondsSince1601(static_cast<std::int64_t>(fileTime / kTicksPerSecond));
}

std::uint64_t DateTimeToFileTime(const LocalDateTime& time) {
    return static_cast<std::uint64_t>(SecondsSince1601(time)) * kTicksPerSecond;
}

std::string FormatDateTimePattern(const LocalDateTime& time, std::string_view pattern) {
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char letter = pattern[i];
        if (letter == '\'') {
            const std::size_t close = pattern.find('\'', i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == letter) ++run;
        const int width = run >= 2 ? 2 : 1;
        switch (letter) {
            case 'd': AppendNumber(out, time.day, width); break;
            case 'M': AppendNumber(out, time.month, width); break;
            case 'y':
                if (run >= 3) {
                    AppendNumber(out, time.year, 4);
                } else {
                    AppendNumber(out, time.year % 100, 2);
                }
                break;
            case 'H': AppendNumber(out, time.hour, width); break;
            case 'h': AppendNumber(out, time.hour % 12 == 0 ? 12 : time.hour % 12, width); break;
            case 'm': AppendNumber(out, time.minute, width); break;
            case 's': AppendNumber(out, time.second, width); break;
            case 't': out += time.hour < 12 ? (run >= 2 ? "AM" : "A") : (run >= 2 ? "PM" : "P"); break;
            default: out.append(run, letter); break;
        }
        i += run;
    }
    return out;
}

void MemoryClock::Advance(int seconds) { now_ = FromSecondsSince1601(SecondsSince1601(now_) + seconds); }

LocalDateTime MemoryClock::ToLocal(std::uint64_t fileTime) const {
    return FromSecondsSince1601(static_cast<std::int64_t>(fileTime / kTicksPerSecond) +
                                utcOffsetMinutes_ * 60);
}

std::string MemoryClock::ShortDateText(const LocalDateTime& time) const {
    return FormatDateTimePattern(time, datePattern_);
}

std::string MemoryClock::TimeText(const LocalDateTime& time) const {
    return FormatDateTimePattern(time, timePattern_);
}

}  // namespace kestrover
