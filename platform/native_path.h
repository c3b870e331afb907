// Native builds only: the Linux path for a Windows-style Shift-JIS path.
#pragma once

#include <string>

namespace plat {

// Separator backslashes become slashes; the second byte of a double-byte
// character (0x5C in 表 or ソ) is kept. A leading drive "Z:" is dropped.
std::string native_path(const char* path);

}  // namespace plat
