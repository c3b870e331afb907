// The keyed reader over GetPrivateProfileStringA, with its answers put into
// the caller's buffer by the same rules as the native emulation
// (profile_text.h). Three things of the platform are evened out here:
//
// - Cuts. Wine's ANSI call cuts in Unicode characters and converts back
//   into the caller's bytes: when Shift-JIS text is cut, it leaves bytes of
//   the buffer unwritten and can answer more than size - 2 for a list; a
//   quoted value that just fits loses its last character; and a cut list
//   lacks its second NUL. So the platform is asked with a buffer two bytes
//   larger than the caller's, and the cut is made here, in bytes.
// - Case. Windows compares names in Unicode, so Ａ matches ａ; Wine folds
//   ASCII letters only. A name with a double-byte letter that has a case is
//   first looked up in the file's list of names and asked for as the file
//   spells it.
// - Comments. Wine finds a comment line when asked for it by name; the
//   reader never answers with one.
#include "platform/profile.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/profile_text.h"

namespace plat {

namespace {

// The platform's answer, asked with a buffer of n bytes. It is whole when
// the result is below n - 2 (a list) or n - 1 (a value); otherwise its first
// n - 2 bytes are sound: where a cut falls inside a character Wine answers
// n - 1 and has written the characters that fit, at least n - 2 bytes.
std::string ask(const char* section, const char* key, const char* def, size_t n, const char* path,
                bool* whole) {
  std::vector<char> answer(n, 0);
  DWORD got = GetPrivateProfileStringA(section, key, def, answer.data(), (DWORD)n, path);
  *whole = (!section || !key) ? got < n - 2 : got < n - 1;
  return std::string(answer.data(), *whole ? got : n - 2);
}

// All section names, for looking up a spelling.
std::string ask_section_names(const char* path) {
  bool whole = false;
  std::string list;
  for (size_t n = 4096; !whole && n <= (64u << 20); n *= 4)
    list = ask(nullptr, nullptr, "", n, path, &whole);
  return list;
}

// The names of all key lines of a section, those without '=' included, for
// looking up a spelling. The key list will not do: it reads as empty when
// its first key has no name.
std::string ask_key_names(const char* section, const char* path) {
  std::vector<char> lines;
  DWORD got = 0;
  for (size_t n = 4096; n <= (64u << 20); n *= 4) {
    lines.assign(n, 0);
    got = GetPrivateProfileSectionA(section, lines.data(), (DWORD)n, path);
    if (got < n - 2) break;
  }
  std::string names;
  for (size_t at = 0; at < got && at < lines.size();) {
    const char* line = lines.data() + at;
    size_t length = strnlen(line, lines.size() - at);
    const char* equals = (const char*)std::memchr(line, '=', length);
    names.append(line, equals ? (size_t)(equals - line) : length);
    names += '\0';
    at += length + 1;
  }
  return names;
}

std::string trimmed(const char* name) {
  const char* end = name + std::strlen(name);
  while (name < end && is_profile_blank((unsigned char)*name)) ++name;
  while (end > name && is_profile_blank((unsigned char)end[-1])) --end;
  return std::string(name, end);
}

// The spelling the file uses for `name` among the names of a list, or the
// name itself when no name of the list matches.
std::string as_spelled(const std::string& name, const std::string& list) {
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find('\0', at);
    if (end == std::string::npos) end = list.size();
    if (same_profile_name(list.data() + at, end - at, name.data(), name.size()))
      return list.substr(at, end - at);
    at = end + 1;
  }
  return name;
}

}  // namespace

namespace {

// Bytes of code page `from` through Unicode into code page 932.
std::string through_unicode(const char* bytes, int length, UINT from) {
  if (length <= 0) return std::string();
  int wide_length = MultiByteToWideChar(from, 0, bytes, length, nullptr, 0);
  std::wstring wide((size_t)wide_length, L'\0');
  MultiByteToWideChar(from, 0, bytes, length, &wide[0], wide_length);
  int back_length =
      WideCharToMultiByte(932, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string back((size_t)back_length, '\0');
  WideCharToMultiByte(932, 0, wide.data(), wide_length, &back[0], back_length, nullptr, nullptr);
  return back;
}

}  // namespace

bool profile_file_text(const std::string& raw, std::string* fixed) {
  if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    *fixed = through_unicode(raw.data() + 3, (int)raw.size() - 3, CP_UTF8);
    return true;
  }
  return profile_name_text(raw, fixed);
}

bool profile_name_text(const std::string& name, std::string* fixed) {
  std::string back = through_unicode(name.data(), (int)name.size(), 932);
  if (back == name) return false;
  fixed->swap(back);
  return true;
}

uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path) {
  if (!buffer || size == 0) return 0;
  bool whole;
  std::string section_spelled, key_spelled;
  if (section && has_wide_letter_case(section)) {
    // A value is asked for with the section name trimmed, a key list with
    // the name as given.
    section_spelled =
        as_spelled(key ? trimmed(section) : std::string(section), ask_section_names(path));
    section = section_spelled.c_str();
  }
  if (!section) {
    std::string names = ask(nullptr, nullptr, "", (size_t)size + 2, path, &whole);
    return put_profile_list(names.data(), names.size(), !whole, buffer, size);
  }
  if (!key) {
    // Asked with an empty default, so that an empty answer means no keys.
    std::string keys = ask(section, nullptr, "", (size_t)size + 2, path, &whole);
    if (keys.empty()) return put_profile_default(def, false, buffer, size);
    return put_profile_list(keys.data(), keys.size(), !whole, buffer, size);
  }
  // A comment line is never a key; Wine would find it by its name.
  if (trimmed(key)[0] == ';') return put_profile_default(def, true, buffer, size);
  if (has_wide_letter_case(key)) {
    key_spelled = as_spelled(trimmed(key), ask_key_names(trimmed(section).c_str(), path));
    key = key_spelled.c_str();
  }
  std::string value = ask(section, key, def, (size_t)size + 2, path, &whole);
  return put_profile_value(value.data(), value.size(), buffer, size);
}

bool profile_write(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != 0;
}

}  // namespace plat
