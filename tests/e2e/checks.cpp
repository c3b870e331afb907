#include "tests/e2e/checks.h"

#include <cstdio>

#include "tests/e2e/driver.h"
#include "tests/support/ok.h"

namespace e2e {

bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what) {
  std::vector<std::string> rows = list_rows(dialog, id);
  if (!ok(rows.size() == expected.size(), "%s: list %d has %d rows, expected %d\n", what, id,
          static_cast<int>(rows.size()), static_cast<int>(expected.size())))
    return false;
  for (size_t row = 0; row < rows.size(); ++row)
    if (!ok(rows[row] == expected[row], "%s: list %d row %d is \"%s\", expected \"%s\"\n", what,
            id, static_cast<int>(row), readable(rows[row]).c_str(), readable(expected[row]).c_str()))
      return false;
  return true;
}

std::string difference(const std::string& path, const std::string& expected) {
  std::string held;
  if (!read_file(path, &held)) return "missing";
  size_t at = 0;
  while (at < held.size() && at < expected.size() && held[at] == expected[at]) ++at;
  char text[96];
  std::snprintf(text, sizeof text, "%lu bytes (expected %lu), first difference at %lu",
                static_cast<unsigned long>(held.size()),
                static_cast<unsigned long>(expected.size()), static_cast<unsigned long>(at));
  return text;
}

}  // namespace e2e
