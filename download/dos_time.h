// The server's Last-Modified time as the file is given it: at the two-second
// resolution of a DOS date and time, the way the suite's other tools have
// always stamped downloaded files.
#pragma once

#include <cstdint>

namespace download {

struct UtcTime {
  int year, month, day, hour, minute, second;
};

// DOS date in the high 16 bits, DOS time in the low 16, seconds halved.
// False for a time that is not a valid date or lies outside 1980-2107.
bool dos_date_time(const UtcTime& time, uint32_t* dos);
// The file time (100 ns since 1601-01-01) of a DOS date and time.
uint64_t filetime_from_dos(uint32_t dos);

}  // namespace download
