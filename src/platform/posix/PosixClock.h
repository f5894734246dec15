// The clock port on the C library: local time and file times in the host's time zone. Linux
// has no Windows regional settings; dates are written day/month/year and times 24-hour.
#pragma once

#include "platform/ports/ClockPort.h"

namespace kestrover {

class PosixClock final : public ClockPort {
public:
    LocalDateTime Now() const override;
    LocalDateTime ToLocal(std::uint64_t fileTime) const override;
    std::string ShortDateText(const LocalDateTime& time) const override;
    std::string TimeText(const LocalDateTime& time) const override;
};

}  // namespace kestrover
