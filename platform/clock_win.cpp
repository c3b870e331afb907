#include "platform/clock.h"

#include <windows.h>

namespace plat {

LocalDate today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalDate{now.wYear, now.wMonth, now.wDay};
}

}  // namespace plat
