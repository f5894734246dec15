// Byte counts as the lists show them: "512 bytes", "1.50 KB", … "2.00 TB", by powers of 1024.
#pragma once

#include <cstdint>
#include <string>

namespace kestrover {

// Below 1024 bytes the count itself ("%d bytes"); above, two decimals of the largest unit
// (KB, MB, GB, TB) that leaves less than 1024 of it, TB having no limit. A negative size is
// printed as a count of bytes. The decimal point is always ".", whatever the locale.
std::string FormatSize(std::int64_t size);

}  // namespace kestrover
