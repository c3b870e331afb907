// The keyed reader over GetPrivateProfileStringA, with its answers put into
// the caller's buffer by the same rules as the native emulation
// (profile_text.h). Two things of the platform are evened out here:
//
// - Cuts. Wine's ANSI call cuts in Unicode characters and converts back
//   into the caller's bytes: when Shift-JIS text is cut, it leaves bytes of
//   the buffer unwritten and can answer more than size - 2 for a list; a
//   quoted value that just fits loses its last character; and a cut list
//   lacks its second NUL. So the platform is asked with a buffer large
//   enough for the whole answer, and the cut is made here, in bytes.
// - Case. Windows compares names in Unicode, so Ａ matches ａ; Wine folds
//   ASCII letters only. A name with a double-byte letter that has a case is
//   first looked up in the file's list of names and asked for as the file
//   spells it.
#include "platform/profile.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/profile_text.h"

namespace plat {

namespace {

// Far beyond any list file; past it only the start of an answer is kept,
// which is all a cut needs.
const size_t kLargestAsk = 64u << 20;

// The platform's answer, whole when *whole is set, else its first bytes,
// at least `need` of them.
std::string ask(const char* section, const char* key, const char* def, size_t need, const char* path,
                bool* whole) {
  bool list = !section || !key;
  size_t n = need + 2 > 1024 ? need + 2 : 1024;
  std::vector<char> answer;
  for (;;) {
    answer.assign(n, 0);
    DWORD got = GetPrivateProfileStringA(section, key, def, answer.data(), (DWORD)n, path);
    // A result of size - 2 (list) or size - 1 (value) may be cut; one byte
    // less was certainly not.
    *whole = list ? got < n - 2 : got < n - 1;
    if (*whole) return std::string(answer.data(), got);
    // When a cut falls inside a character Wine answers size - 1 and writes
    // the characters that fit: at least size - 2 bytes are sound.
    if (n >= kLargestAsk) return std::string(answer.data(), n - 2);
    n *= 4;
  }
}

// The spelling the file uses for `name` among the names of a list, or the
// name itself when no name of the list matches.
std::string as_spelled(const char* name, bool trimmed, const std::string& list) {
  const char* asked = name;
  size_t length = std::strlen(name);
  if (trimmed) {
    while (length && is_profile_blank((unsigned char)*asked)) ++asked, --length;
    while (length && is_profile_blank((unsigned char)asked[length - 1])) --length;
  }
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find('\0', at);
    if (end == std::string::npos) end = list.size();
    if (same_profile_name(list.data() + at, end - at, asked, length)) return list.substr(at, end - at);
    at = end + 1;
  }
  return name;
}

}  // namespace

uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path) {
  if (!buffer || size == 0) return 0;
  bool whole;
  std::string section_spelled, key_spelled;
  if (section && has_wide_letter_case(section)) {
    section_spelled = as_spelled(section, key != nullptr, ask(nullptr, nullptr, "", 0, path, &whole));
    section = section_spelled.c_str();
  }
  if (!section) {
    std::string names = ask(nullptr, nullptr, "", size, path, &whole);
    return put_profile_list(names.data(), names.size(), !whole, buffer, size);
  }
  if (!key) {
    // Asked with an empty default, so that an empty answer means no keys.
    std::string keys = ask(section, nullptr, "", size, path, &whole);
    if (keys.empty()) return put_profile_default(def, false, buffer, size);
    return put_profile_list(keys.data(), keys.size(), !whole, buffer, size);
  }
  if (has_wide_letter_case(key)) {
    key_spelled = as_spelled(key, true, ask(section, nullptr, "", 0, path, &whole));
    key = key_spelled.c_str();
  }
  std::string value = ask(section, key, def, size, path, &whole);
  return put_profile_value(value.data(), value.size(), buffer, size);
}

bool profile_write(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != 0;
}

}  // namespace plat
