#include "platform/win32/Win32Clock.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

namespace {

LocalDateTime FromSystemTime(const SYSTEMTIME& time) {
    return LocalDateTime{time.wYear, time.wMonth, time.wDay,
                         time.wHour, time.wMinute, time.wSecond};
}

SYSTEMTIME ToSystemTime(const LocalDateTime& time) {
    SYSTEMTIME out{};
    out.wYear = static_cast<WORD>(time.year);
    out.wMonth = static_cast<WORD>(time.month);
    out.wDay = static_cast<WORD>(time.day);
    out.wHour = static_cast<WORD>(time.hour);
    out.wMinute = static_cast<WORD>(time.minute);
    out.wSecond = static_cast<WORD>(time.second);
    return out;
}

}  // namespace

LocalDateTime Win32Clock::Now() const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FromSystemTime(now);
}

LocalDateTime Win32Clock::ToLocal(std::uint64_t fileTime) const {
    FILETIME utc{static_cast<DWORD>(fileTime & 0xFFFFFFFFu), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utcTime{};
    SYSTEMTIME localTime{};
    if (!FileTimeToSystemTime(&utc, &utcTime)) return LocalDateTime{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime)) return FromSystemTime(utcTime);
    return FromSystemTime(localTime);
}

std::string Win32Clock::ShortDateText(const LocalDateTime& time) const {
    const SYSTEMTIME value = ToSystemTime(time);
    wchar_t buffer[128] = {};
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &value, nullptr,
                                      buffer, static_cast<int>(std::size(buffer)));
    return length > 0 ? win32::FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                      : std::string();
}

std::string Win32Clock::TimeText(const LocalDateTime& time) const {
    const SYSTEMTIME value = ToSystemTime(time);
    wchar_t buffer[128] = {};
    const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &value, nullptr, buffer,
                                      static_cast<int>(std::size(buffer)));
    return length > 0 ? win32::FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                      : std::string();
}

}  // namespace kestrover
