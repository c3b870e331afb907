// Checks shared by several end-to-end cases.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The rows of list `id` are exactly `expected`; reports the first row that
// differs. `what` names the situation in the failure message.
bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what);

// Shows a file's bytes in a failure message: its size and where it first
// differs from the expected bytes.
std::string difference(const std::string& path, const std::string& expected);

}  // namespace e2e
