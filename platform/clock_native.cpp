#include "platform/clock.h"

#include <time.h>

namespace plat {

LocalDate today() {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void sleep_milliseconds(unsigned ms) {
  struct timespec pause = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0) {}
}

}  // namespace plat
