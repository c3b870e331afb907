// Turning a stored member name into a file name inside the extraction
// folder, or refusing it. Names are read by Shift-JIS character, so the
// 0x5C second byte of 表 or ソ is never taken for a separator.
#pragma once
#include <string>

namespace lzh {

// The last path element of a stored name. '\', '/' and 0xFF (the separator
// of the directory headers) all separate.
std::string last_path_element(const std::string& stored);

// Why `name` (already a single element) cannot name a file in the folder:
// empty, "." or "..", a drive or stream (':'), characters Windows does not
// allow in names, a trailing dot or blank that Windows would drop, or a
// device such as CON or LPT1 (with or without an extension). nullptr when
// the name is safe.
const char* unsafe_name_reason(const std::string& name);

}  // namespace lzh
