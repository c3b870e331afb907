#include "platform/clock.h"

#include <windows.h>

namespace plat {

LocalDate today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalDate{now.wYear, now.wMonth, now.wDay};
}

void sleep_milliseconds(unsigned ms) { Sleep(ms); }

}  // namespace plat
