// A maker section's key list as the reader hands it over: any bytes, each
// NUL ending a key. Every key must give a number and a flag in range, and
// never more than the 2000 entries the arrays hold.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "catalogue/list_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that reading one byte past the list is caught.
  std::vector<char> keys(data, data + size);
  std::vector<int32_t> numbers(catalogue::kMaxEntries);
  std::vector<int16_t> flags(catalogue::kMaxEntries);
  int n = catalogue::split_list_keys(keys.data(), keys.size(), numbers.data(), flags.data());
  if (n < 0 || n > catalogue::kMaxEntries) std::abort();
  for (int i = 0; i < n; ++i)
    if (flags[i] < 0 || flags[i] > 9) std::abort();
  return 0;
}
