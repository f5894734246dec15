// The clock port on kernel32: local time, file times in the local time zone, and the user's
// short date and time formats.
#pragma once

#include "platform/ports/ClockPort.h"

namespace kestrover {

class Win32Clock final : public ClockPort {
public:
    LocalDateTime Now() const override;
    LocalDateTime ToLocal(std::uint64_t fileTime) const override;
    std::string ShortDateText(const LocalDateTime& time) const override;
    std::string TimeText(const LocalDateTime& time) const override;
};

}  // namespace kestrover
