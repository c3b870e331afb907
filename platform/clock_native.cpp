#include "platform/clock.h"

#include <time.h>

namespace plat {

LocalDate today() {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace plat
