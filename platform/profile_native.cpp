// GetPrivateProfileStringA and WritePrivateProfileStringA over the file
// bytes, answering as the platform does (the program's end-to-end tests run
// under Wine, and where Windows and Wine part, the shared seam tests say
// which way this goes).
//
// Windows reads an initialization file through code page 932 into Unicode
// and back, so the text is taken here character by character: a lead byte
// always takes the next byte with it, and a pair that is no character comes
// back as ・, as the round trip through Unicode gives it (so does a code
// that is no character, and a character code page 932 holds twice comes
// back in one form). A file with the UTF-8 byte-order mark is UTF-8 and
// answered in code page 932. Not followed: files in UTF-16 (read here as
// bytes).
//
// The list reader asks for every key of a section in turn, so the last file
// read stays cached (keyed by its path, identity, size and last-write time)
// together with an index of the keys of the section last asked for: each
// further key then costs a lookup, not a pass over the file. A file written
// in the last 2.1 seconds may change without its time changing (file
// systems keep coarse times), so its bytes are compared before the cache is
// trusted, as Wine does with its own profile cache.
//
// Unlike Wine, which rewrites the whole file from its parsed form, a write
// here edits only the affected line and leaves the rest of the text as it
// was, as Windows does.
#include "platform/profile.h"

#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/byte_fields.h"
#include "platform/native_path.h"
#include "platform/profile_text.h"
#include "platform/shift_jis.h"

namespace plat {

namespace {

// What the platform gives back for each double-byte code, read through
// Unicode and back: the code itself; the other code of the same character
// where code page 932 holds one twice (NEC and IBM rows: one form comes
// back); or ・ (0x8145) for a code that is no character. Taken once from the
// C library's code page 932, which maps as Windows does.
const uint16_t* round_trip() {
  static const std::vector<uint16_t> table = [] {
    std::vector<uint16_t> codes(65536);
    for (size_t code = 0; code < codes.size(); ++code) codes[code] = (uint16_t)code;
    iconv_t to_wide = iconv_open("UTF-16LE", "CP932");
    iconv_t back = iconv_open("CP932", "UTF-16LE");
    if (to_wide == (iconv_t)-1 || back == (iconv_t)-1) return codes;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!is_lead_byte((unsigned char)lead)) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!is_trail_byte((unsigned char)trail)) continue;
        char pair[2] = {(char)lead, (char)trail}, wide[8], again[8];
        char *in = pair, *out = wide, *in2 = wide, *out2 = again;
        size_t in_left = 2, out_left = sizeof wide, out2_left = sizeof again;
        iconv(to_wide, nullptr, nullptr, nullptr, nullptr);
        iconv(back, nullptr, nullptr, nullptr, nullptr);
        unsigned code = lead << 8 | trail;
        if (iconv(to_wide, &in, &in_left, &out, &out_left) == (size_t)-1 || in_left) {
          codes[code] = 0x8145;
          continue;
        }
        size_t wide_length = (size_t)(out - wide);
        if (iconv(back, &in2, &wide_length, &out2, &out2_left) != (size_t)-1 && out2 - again == 2)
          codes[code] = (uint16_t)((unsigned char)again[0] << 8 | (unsigned char)again[1]);
      }
    }
    iconv_close(to_wide);
    iconv_close(back);
    return codes;
  }();
  return table.data();
}

// The text as the platform reads it, character by character: each pair
// as round_trip() gives it back, and a lead byte with no valid second byte
// as ・ together with whatever byte follows it. Returns false when the text
// needs no change.
bool mend_pairs(const std::string& text, std::string* mended) {
  const uint16_t* codes = round_trip();
  std::string out;
  bool changed = false;
  size_t copied = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = (unsigned char)text[i];
    if (!is_lead_byte(c)) continue;
    unsigned want = 0x8145;
    if (i + 1 < text.size() && is_trail_byte((unsigned char)text[i + 1])) {
      unsigned code = c << 8 | (unsigned char)text[i + 1];
      want = codes[code];
      if (want == code) {
        ++i;
        continue;
      }
    }
    out.append(text, copied, i - copied);
    out += (char)(want >> 8);
    out += (char)(want & 0xFF);
    changed = true;
    ++i;  // the byte that followed is part of the pair, broken or not
    copied = i + 1 < text.size() ? i + 1 : text.size();
  }
  if (!changed) return false;
  out.append(text, copied, std::string::npos);
  mended->swap(out);
  return true;
}

// A file that starts with the UTF-8 byte-order mark is read as UTF-8 and
// answered in code page 932. A character code page 932 lacks, or a byte
// that is no UTF-8, comes back as '?'.
std::string from_utf8(const char* text, size_t length) {
  iconv_t convert = iconv_open("CP932", "UTF-8");
  if (convert == (iconv_t)-1) return std::string(text, length);
  // Code page 932 never takes more bytes for a character than UTF-8 does.
  std::string out(length + 16, '\0');
  char* in = const_cast<char*>(text);
  size_t in_left = length;
  char* to = &out[0];
  size_t out_left = out.size();
  while (in_left && iconv(convert, &in, &in_left, &to, &out_left) == (size_t)-1) {
    if (errno == E2BIG || out_left == 0) break;
    *to++ = '?';
    --out_left;
    ++in;
    --in_left;
    while (in_left && ((unsigned char)*in & 0xC0) == 0x80) ++in, --in_left;
  }
  out.resize((size_t)(to - &out[0]));
  iconv_close(convert);
  return out;
}

enum class Kind { Blank, Section, Key };

// One line of the text. Names and values are spans into the text, without
// the blanks around them and cut at a NUL byte, as the platform's strings
// end there.
struct Line {
  size_t start, end, next;  // line, its end before the line break, the next line
  Kind kind;
  size_t name, name_length;
  size_t raw_name_length;  // before the cut at a NUL
  bool has_value;
  size_t value, value_length;
};

// Reads the line at *pos and moves *pos to the next one. A line ends at CR
// or LF; the second byte of a character never is either.
Line read_line(const char* t, size_t n, size_t* pos) {
  Line line{};
  size_t p = *pos, e = p;
  while (e < n && t[e] != '\r' && t[e] != '\n') ++e;
  size_t next = e;
  while (next < n && (t[next] == '\r' || t[next] == '\n')) ++next;
  line.start = p;
  line.end = e;
  line.next = next;
  *pos = next;

  while (p < e && is_profile_blank((unsigned char)t[p])) ++p;
  while (e > p && is_profile_blank((unsigned char)t[e - 1])) --e;
  if (p >= e) {
    line.kind = Kind::Blank;
    return line;
  }
  if (t[p] == '[') {
    // The name runs to the last ']' that is a character of its own.
    size_t close = p + last_char_of(t + p, e - p, "]");
    if (close < e) {
      size_t b = p + 1, f = close;
      while (b < f && is_profile_blank((unsigned char)t[b])) ++b;
      while (f > b && is_profile_blank((unsigned char)t[f - 1])) --f;
      line.kind = Kind::Section;
      line.name = b;
      line.raw_name_length = f - b;
      line.name_length = text_length(t + b, f - b);
      return line;
    }
    // A '[' line without ']' is a key line like any other.
  }
  line.kind = Kind::Key;
  line.name = p;
  // '=' lies below 0x40: it is never the second byte of a character.
  const char* equals = (const char*)std::memchr(t + p, '=', e - p);
  size_t name_end = e;
  if (equals) {
    name_end = (size_t)(equals - t);
    while (name_end > p && is_profile_blank((unsigned char)t[name_end - 1])) --name_end;
    size_t v = (size_t)(equals - t) + 1;
    while (v < e && is_profile_blank((unsigned char)t[v])) ++v;
    line.has_value = true;
    line.value = v;
    line.value_length = text_length(t + v, e - v);
  }
  line.raw_name_length = name_end - p;
  line.name_length = text_length(t + p, name_end - p);
  return line;
}

// A comment line is never a key, neither listed nor found by its name
// (Wine finds it by name; a reader of list files has no use for that).
bool is_comment(const char* t, const Line& line) { return line.name_length && t[line.name] == ';'; }

// The first section of that name, as [begin, end) of its key lines. The
// keys before the first header make up a section without a name; a "[]"
// section after it is never reached.
bool find_section(const std::string& text, const char* name, size_t name_length, size_t* begin,
                  size_t* end) {
  const char* t = text.data();
  size_t n = text.size(), pos = 0;
  bool found = name_length == 0;
  *begin = 0;
  while (pos < n) {
    size_t start = pos;
    Line line = read_line(t, n, &pos);
    if (line.kind != Kind::Section) continue;
    if (found) {
      *end = start;
      return true;
    }
    if (same_profile_name(t + line.name, line.name_length, name, name_length)) {
      found = true;
      *begin = pos;
    }
  }
  *end = n;
  return found;
}

// Index of a section's keys by name, the first of each name winning.
struct NameRef {
  const char* text;
  size_t length;
};
struct FoldedHash {
  size_t operator()(const NameRef& name) const {
    size_t hash = 14695981039346656037ull;
    const char* end = name.text + name.length;
    for (const char* p = name.text; p < end;) {
      size_t step;
      hash = (hash ^ folded_char(p, end, &step)) * 1099511628211ull;
      p += step;
    }
    return hash;
  }
};
struct FoldedEqual {
  bool operator()(const NameRef& a, const NameRef& b) const {
    return same_profile_name(a.text, a.length, b.text, b.length);
  }
};
struct KeyLine {
  bool has_value;
  size_t value, value_length;
};
using KeyIndex = std::unordered_map<NameRef, KeyLine, FoldedHash, FoldedEqual>;

// Beyond these sizes a hostile file costs time in proportion to its size
// rather than memory: a section of more keys is searched line by line, and
// a larger file is read anew for each call instead of being kept.
const size_t kMostIndexedKeys = 1 << 17;
const size_t kLargestCachedFile = 32u << 20;

struct Cache {
  bool valid = false;
  std::string native;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t write_time = 0;  // nanoseconds since 1970
  std::string raw, fixed;
  bool use_fixed = false;

  bool have_section = false;  // the section of the last value lookup
  std::string section;
  bool section_found = false;
  size_t body_begin = 0, body_end = 0;
  bool indexed = false, too_big = false;
  KeyIndex index;

  const std::string& text() const { return use_fixed ? fixed : raw; }
  void forget_section() {
    have_section = indexed = too_big = false;
    index.clear();
  }
};

Cache& cache() {
  static Cache c;
  return c;
}

// One cache for the process; calls from several threads take turns.
std::mutex& lock() {
  static std::mutex m;
  return m;
}

int64_t now_ns() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}

// The text of the file, from the cache when the file is unchanged, else
// read now (into `uncached` when the file is too large to keep). A file that
// is missing or cannot be read reads as empty.
const std::string& load(const char* path, std::string* uncached) {
  Cache& c = cache();
  std::string native = native_path(path);
  struct stat st;
  uncached->clear();
  if (stat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return *uncached;
  int64_t written = (int64_t)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
  bool same = c.valid && c.native == native && c.device == st.st_dev && c.inode == st.st_ino &&
              c.size == st.st_size && c.write_time == written;
  bool recent = now_ns() - written < 2100000000;
  if (same && !recent) return c.text();

  std::string raw;
  if (!read_file(path, &raw)) return *uncached;
  if (same && raw == c.raw) return c.text();
  c.valid = false;
  c.forget_section();
  std::string().swap(c.raw);
  std::string().swap(c.fixed);
  if (raw.size() > kLargestCachedFile) {
    std::string fixed;
    if (profile_file_text(raw, &fixed)) raw.swap(fixed);
    uncached->swap(raw);
    return *uncached;
  }
  c.valid = true;
  c.native.swap(native);
  c.device = st.st_dev;
  c.inode = st.st_ino;
  c.size = st.st_size;
  c.write_time = written;
  c.raw.swap(raw);
  c.use_fixed = profile_file_text(c.raw, &c.fixed);
  return c.text();
}

uint32_t read_section_names(const std::string& text, char* buffer, uint32_t size) {
  std::string names;
  bool more = false;
  const char* t = text.data();
  size_t n = text.size(), pos = 0;
  while (pos < n && !more) {
    Line line = read_line(t, n, &pos);
    if (line.kind != Kind::Section || line.name_length == 0) continue;
    names.append(t + line.name, line.name_length);
    names += '\0';
    more = names.size() >= size;  // enough to cut: no need to read further
  }
  return put_profile_list(names.data(), names.size(), more, buffer, size);
}

uint32_t read_key_names(const std::string& text, const char* section, const char* def, char* buffer,
                        uint32_t size) {
  // The platform matches the section of a key list as given, blanks and all.
  size_t begin, end;
  if (!find_section(text, section, std::strlen(section), &begin, &end))
    return put_profile_default(def, false, buffer, size);
  std::string names;
  bool more = false, any = false, last_unnamed = false;
  const char* t = text.data();
  size_t pos = begin;
  while (pos < end && !more) {
    Line line = read_line(t, end, &pos);
    if (line.kind != Kind::Key) continue;
    // A line with no name right after another unnamed key is dropped.
    if (line.raw_name_length == 0 && any && last_unnamed) continue;
    any = true;
    last_unnamed = line.name_length == 0;
    if (!line.has_value || is_comment(t, line)) continue;
    names.append(t + line.name, line.name_length);
    names += '\0';
    more = names.size() >= size;
  }
  // A list that starts with an empty name looks empty to the platform.
  if (names.empty() || names[0] == 0) return put_profile_default(def, false, buffer, size);
  return put_profile_list(names.data(), names.size(), more, buffer, size);
}

bool find_key(Cache& c, const std::string& text, const char* section, size_t section_length,
              const char* key, size_t key_length, KeyLine* found) {
  bool cached = c.valid && &text == &c.text();
  size_t begin, end;
  if (cached && c.have_section &&
      c.section.compare(0, std::string::npos, section, section_length) == 0) {
    if (!c.section_found) return false;
    begin = c.body_begin;
    end = c.body_end;
  } else {
    bool there = find_section(text, section, section_length, &begin, &end);
    if (!cached) {
      if (!there) return false;
    } else {
      c.forget_section();
      c.have_section = true;
      c.section.assign(section, section_length);
      c.section_found = there;
      c.body_begin = begin;
      c.body_end = end;
      if (!there) return false;
    }
  }

  const char* t = text.data();
  if (cached && !c.too_big) {
    if (!c.indexed) {
      size_t pos = begin;
      while (pos < end) {
        Line line = read_line(t, end, &pos);
        if (line.kind != Kind::Key || is_comment(t, line)) continue;
        c.index.emplace(NameRef{t + line.name, line.name_length},
                        KeyLine{line.has_value, line.value, line.value_length});
        if (c.index.size() > kMostIndexedKeys) break;
      }
      c.indexed = c.index.size() <= kMostIndexedKeys;
      c.too_big = !c.indexed;
      if (c.too_big) KeyIndex().swap(c.index);
    }
    if (c.indexed) {
      auto it = c.index.find(NameRef{key, key_length});
      if (it == c.index.end()) return false;
      *found = it->second;
      return true;
    }
  }
  size_t pos = begin;
  while (pos < end) {
    Line line = read_line(t, end, &pos);
    if (line.kind == Kind::Key && !is_comment(t, line) &&
        same_profile_name(t + line.name, line.name_length, key, key_length)) {
      *found = KeyLine{line.has_value, line.value, line.value_length};
      return true;
    }
  }
  return false;
}

}  // namespace

bool profile_file_text(const std::string& raw, std::string* fixed) {
  if (raw.compare(0, 3, "\xEF\xBB\xBF") != 0) return mend_pairs(raw, fixed);
  std::string text = from_utf8(raw.data() + 3, raw.size() - 3);
  if (!mend_pairs(text, fixed)) fixed->swap(text);
  return true;
}

bool profile_name_text(const std::string& name, std::string* fixed) {
  return mend_pairs(name, fixed);
}

uint32_t profile_read(const char* section, const char* key, const char* def, char* buffer,
                      uint32_t size, const char* path) {
  if (!buffer || size == 0) return 0;
  std::lock_guard<std::mutex> hold(lock());
  Cache& c = cache();
  std::string uncached;
  const std::string& text = load(path, &uncached);
  if (!section) return read_section_names(text, buffer, size);
  // The asked names go through Unicode as the file does.
  std::string section_read, key_read;
  if (profile_name_text(section, &section_read)) section = section_read.c_str();
  if (key && profile_name_text(key, &key_read)) key = key_read.c_str();
  if (!key) return read_key_names(text, section, def, buffer, size);

  // Blanks around the asked names do not count.
  size_t section_length = std::strlen(section), key_length = std::strlen(key);
  trim_blanks(&section, &section_length);
  trim_blanks(&key, &key_length);
  KeyLine line;
  if (!find_key(c, text, section, section_length, key, key_length, &line) || !line.has_value)
    return put_profile_default(def, true, buffer, size);
  const char* value = text.data() + line.value;
  size_t length = line.value_length;
  drop_quotes(&value, &length);
  return put_profile_value(value, length, buffer, size);
}

// ---------------------------------------------------------------------------
// Writing

bool profile_write(const char* section, const char* key, const char* value, const char* path) {
  std::lock_guard<std::mutex> hold(lock());
  cache().valid = false;
  if (!section) return false;
  std::string text;
  bool existed = read_file(path, &text);
  if (!existed && file_exists(path)) return false;  // there but not readable

  const char* t = text.data();
  size_t n = text.size();
  size_t asked_length = std::strlen(section), key_length = key ? std::strlen(key) : 0;
  const char* asked = section;
  const char* asked_key = key;
  trim_blanks(&asked, &asked_length);
  if (key) trim_blanks(&asked_key, &key_length);

  // The first section of that name, where it ends (next header or end of
  // file), the key line in it, and where its last line that is not blank
  // ends.
  bool have_header = false, have_key = false;
  Line header{}, key_line{}, last{};
  size_t stop = n, pos = 0;
  while (pos < n) {
    size_t start = pos;
    Line line = read_line(t, n, &pos);
    if (line.kind == Kind::Section) {
      if (have_header) {
        stop = start;
        break;
      }
      if (asked_length && same_profile_name(t + line.name, line.name_length, asked, asked_length)) {
        have_header = true;
        header = last = line;
      }
      continue;
    }
    if (!have_header) continue;
    if (line.kind != Kind::Blank) last = line;
    if (key && !have_key && line.kind == Kind::Key &&
        same_profile_name(t + line.name, line.name_length, asked_key, key_length)) {
      have_key = true;
      key_line = line;
    }
  }

  std::string out;
  if (!have_header) {
    if (!key || !value) return true;  // nothing to delete
    out = text;
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    out += std::string("[") + section + "]\r\n" + key + "=" + value + "\r\n";
  } else if (!key) {
    out = text.substr(0, header.start) + text.substr(stop);
  } else if (have_key) {
    if (value) {
      std::string name(t + key_line.name, key_line.raw_name_length);
      out = text.substr(0, key_line.start) + name + "=" + value + text.substr(key_line.end);
    } else {
      out = text.substr(0, key_line.start) + text.substr(key_line.next);
    }
  } else {
    if (!value) return true;
    size_t at = last.next;
    std::string ending = last.next == last.end ? "\r\n" : "";
    out = text.substr(0, at) + ending + key + "=" + value + "\r\n" + text.substr(at);
  }
  bool written = write_file(path, out.data(), out.size());
  cache().valid = false;
  return written;
}

}  // namespace plat
