#include "platform/posix/PosixClock.h"

#include <ctime>

#include "platform/memory/MemoryClock.h"

namespace kestrover {

namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

LocalDateTime FromUnixTime(std::time_t seconds) {
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return LocalDateTime{};
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace

LocalDateTime PosixClock::Now() const { return FromUnixTime(std::time(nullptr)); }

LocalDateTime PosixClock::ToLocal(std::uint64_t fileTime) const {
    const std::int64_t seconds =
        static_cast<std::int64_t>(fileTime / 10'000'000) - kSecondsFrom1601To1970;
    return FromUnixTime(static_cast<std::time_t>(seconds));
}

std::string PosixClock::ShortDateText(const LocalDateTime& time) const {
    return FormatDateTimePattern(time, "dd/MM/yyyy");
}

std::string PosixClock::TimeText(const LocalDateTime& time) const {
    return FormatDateTimePattern(time, "HH:mm:ss");
}

}  // namespace kestrover
