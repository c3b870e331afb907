#include "flow/destinations.h"

namespace flow {

static const int kCodes[kDestinationCount] = {0, 2, 3, 4, 10};

int destination_code_for_index(int index, int current) {
  if (index < 0 || index >= kDestinationCount) return current;
  return kCodes[index];
}

int destination_index(int code) {
  for (int i = 1; i < kDestinationCount; ++i)
    if (kCodes[i] == code) return i;
  return 0;
}

}  // namespace flow
