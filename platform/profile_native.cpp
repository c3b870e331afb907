// GetPrivateProfileStringA and WritePrivateProfileStringA over the file
// bytes, following what Wine does where Windows leaves room to differ: the
// program runs under Wine in its end-to-end tests, and the portable core must
// see the same answers natively. Each call reads the file once and scans it
// once.
//
// Unlike Wine, which rewrites the whole file from its parsed form, a write
// here edits only the affected line and leaves the rest of the text as it
// was, as Windows does.
#include "platform/profile.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/shift_jis.h"

namespace plat {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

struct Span {
  const char* begin;
  const char* end;
  size_t size() const { return (size_t)(end - begin); }
};

Span trimmed(const char* begin, const char* end) {
  while (begin < end && is_blank(*begin)) ++begin;
  while (end > begin && is_blank(end[-1])) --end;
  return Span{begin, end};
}

// Names match without regard to ASCII case. The second byte of a
// double-byte character is compared as it is, never folded.
bool same_name(Span a, const char* b) {
  Span other = trimmed(b, b + std::strlen(b));
  if (a.size() != other.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = (unsigned char)a.begin[i], y = (unsigned char)other.begin[i];
    if (is_lead_byte(x)) {
      if (x != y || i + 1 >= a.size() || a.begin[i + 1] != other.begin[i + 1]) return false;
      ++i;
      continue;
    }
    if (x >= 'a' && x <= 'z') x = (unsigned char)(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = (unsigned char)(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

enum class Kind { Blank, Comment, Section, Key, KeyOnly };

// One line of the file, classified. `next` is where the following line
// starts, after the line end.
struct Line {
  const char* start;
  const char* end;
  const char* next;
  Kind kind;
  Span name;   // section or key name
  Span value;  // keys only, blanks removed
};

std::vector<Line> split_lines(const std::string& text) {
  std::vector<Line> lines;
  const char* p = text.data();
  const char* stop = p + text.size();
  while (p < stop) {
    const char* end = p;
    while (end < stop && *end != '\r' && *end != '\n') ++end;
    const char* next = end;
    if (next < stop && *next == '\r') ++next;
    if (next < stop && *next == '\n') ++next;

    Line line{p, end, next, Kind::Blank, {p, p}, {p, p}};
    Span body = trimmed(p, end);
    if (body.size() == 0) {
      line.kind = Kind::Blank;
    } else if (*body.begin == ';') {
      line.kind = Kind::Comment;
    } else if (*body.begin == '[') {
      const char* close = body.end;
      while (close > body.begin && close[-1] != ']') --close;
      const char* name_end = close > body.begin + 1 ? close - 1 : body.end;
      line.kind = Kind::Section;
      line.name = trimmed(body.begin + 1, name_end);
    } else {
      const char* equals = (const char*)std::memchr(body.begin, '=', body.size());
      if (equals) {
        line.kind = Kind::Key;
        line.name = trimmed(body.begin, equals);
        line.value = trimmed(equals + 1, body.end);
      } else {
        line.kind = Kind::KeyOnly;
        line.name = body;
      }
    }
    lines.push_back(line);
    p = next;
  }
  return lines;
}

// Names, each with its NUL, then a further NUL. When they do not fit, the
// text is cut to size - 2 bytes and two NULs end it; the result is then
// size - 2, even when only the final NUL was missing (as in Wine).
uint32_t put_list(const std::vector<Span>& names, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  if (size == 1) {
    buffer[0] = 0;
    return 0;
  }
  size_t need = 0;
  for (const Span& n : names) need += n.size() + 1;
  size_t room = need <= size - 2 ? need : size - 2;
  size_t at = 0;
  for (const Span& n : names) {
    if (at >= room) break;
    size_t take = n.size() < room - at ? n.size() : room - at;
    std::memcpy(buffer + at, n.begin, take);
    at += take;
    if (at < room) buffer[at++] = 0;
  }
  buffer[at] = 0;
  // A result of size - 2 cannot tell a cut list from one that just fits, so
  // the last byte is a NUL either way and the list always ends.
  if (at == size - 2) buffer[at + 1] = 0;
  return (uint32_t)at;
}

uint32_t put_value(Span value, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  size_t take = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(buffer, value.begin, take);
  buffer[take] = 0;
  return (uint32_t)take;
}

// Wine drops a pair of matching quotes, double or single, around a value.
Span unquoted(Span value) {
  if (value.size() >= 2 && (*value.begin == '"' || *value.begin == '\'') &&
      value.end[-1] == *value.begin)
    return Span{value.begin + 1, value.end - 1};
  return value;
}

uint32_t put_default(const char* def, char* buffer, uint32_t size) {
  if (!def) def = "";
  const char* end = def + std::strlen(def);
  // Trailing blanks of the default go, leading ones stay, as in Wine.
  while (end > def && is_blank(end[-1])) --end;
  return put_value(Span{def, end}, buffer, size);
}

}  // namespace

uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path) {
  if (!buffer || size == 0) return 0;
  std::string text;
  if (!read_file(path, &text)) text.clear();
  std::vector<Line> lines = split_lines(text);

  if (!section) {
    std::vector<Span> names;
    for (const Line& line : lines)
      if (line.kind == Kind::Section && line.name.size()) names.push_back(line.name);
    return put_list(names, buffer, size);
  }

  bool inside = false;
  std::vector<Span> keys;
  for (const Line& line : lines) {
    if (line.kind == Kind::Section) {
      inside = same_name(line.name, section);
      continue;
    }
    if (!inside || line.kind != Kind::Key) continue;
    if (!key) {
      keys.push_back(line.name);
    } else if (same_name(line.name, key)) {
      return put_value(unquoted(line.value), buffer, size);
    }
  }
  // Wine answers with the default also when a key list would be empty,
  // whether the section is missing or has no keys.
  if (!key && !keys.empty()) return put_list(keys, buffer, size);
  return put_default(def, buffer, size);
}

bool profile_write(const char* section, const char* key, const char* value, const char* path) {
  if (!section) return false;
  std::string text;
  bool existed = read_file(path, &text);
  if (!existed && file_exists(path)) return false;  // there but not readable
  std::vector<Line> lines = split_lines(text);

  // The first section of that name, its end (next section or end of file),
  // the key line in it, and the last line of it that is not blank.
  size_t header = lines.size(), stop = lines.size(), key_line = lines.size(), last = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == Kind::Section) {
      if (header != lines.size()) {
        stop = i;
        break;
      }
      if (same_name(lines[i].name, section)) header = last = i;
      continue;
    }
    if (header == lines.size()) continue;
    if (lines[i].kind != Kind::Blank) last = i;
    if (key && key_line == lines.size() && (lines[i].kind == Kind::Key || lines[i].kind == Kind::KeyOnly) &&
        same_name(lines[i].name, key))
      key_line = i;
  }

  auto offset = [&](const char* p) { return (size_t)(p - text.data()); };
  std::string out;
  if (header == lines.size()) {
    if (!key || !value) return true;  // nothing to delete
    out = text;
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    out += std::string("[") + section + "]\r\n" + key + "=" + value + "\r\n";
  } else if (!key) {
    size_t from = offset(lines[header].start);
    size_t to = stop < lines.size() ? offset(lines[stop].start) : text.size();
    out = text.substr(0, from) + text.substr(to);
  } else if (key_line != lines.size()) {
    const Line& line = lines[key_line];
    if (value) {
      std::string name(line.name.begin, line.name.end);
      out = text.substr(0, offset(line.start)) + name + "=" + value + text.substr(offset(line.end));
    } else {
      out = text.substr(0, offset(line.start)) + text.substr(offset(line.next));
    }
  } else {
    if (!value) return true;
    const Line& after = lines[last];
    size_t at = offset(after.next);
    std::string ending = after.next == after.end ? "\r\n" : "";
    out = text.substr(0, at) + ending + key + "=" + value + "\r\n" + text.substr(at);
  }
  return write_file(path, out.data(), out.size());
}

}  // namespace plat
