// The keyed reader held to the platform: one table of files, each with the
// questions asked of it and the exact answers (result and buffer bytes),
// run natively against the emulation and under Wine against
// GetPrivateProfileStringA. The answers are Wine's except where Windows and
// Wine part (double-byte letter case, cuts inside Shift-JIS, a quoted value
// that just fits, comment lines), which profile_win.cpp evens out.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

struct Bytes {
  const char* data;
  size_t size;
};
#define B(text) \
  Bytes { text, sizeof(text) - 1 }

// One question: section nullptr asks for all section names, key nullptr for
// the keys of the section. `bytes` is every byte written to the buffer; the
// rest of it stays as it was.
struct Query {
  const char* section;
  const char* key;
  const char* def;
  uint32_t size, got;
  Bytes bytes;
};
Query V(const char* s, const char* k, uint32_t got, Bytes bytes, const char* def = "d",
        uint32_t size = 32) {
  return Query{s, k, def, size, got, bytes};
}
Query K(const char* s, uint32_t got, Bytes bytes, const char* def = "d", uint32_t size = 32) {
  return Query{s, nullptr, def, size, got, bytes};
}
Query N(uint32_t got, Bytes bytes, uint32_t size = 32) {
  return Query{nullptr, nullptr, "d", size, got, bytes};
}

struct Case {
  const char* name;
  Bytes file;  // data nullptr: no file at all
  std::vector<Query> queries;
};

const Case kCases[] = {
    // Line ends and the shape of the file.
    {"crlf",
     B("[s]\r\nk=v\r\n"),
     {V("s", "k", 1, B("v\0")), N(2, B("s\0\0")), K("s", 2, B("k\0\0"))}},
    {"lf_and_cr", B("[s]\nk=v\rj=w\n"), {V("s", "j", 1, B("w\0")), K("s", 4, B("k\0j\0\0"))}},
    {"blank_lines",
     B("\r\n\n[s]\n\r\r\n  \t \r\nk=v\r\n\r\n"),
     {V("s", "k", 1, B("v\0")), N(2, B("s\0\0"))}},
    {"no_final_line_end", B("[s]\r\nk=last"), {V("s", "k", 4, B("last\0"))}},
    {"missing_file",
     Bytes{nullptr, 0},
     {N(0, B("\0")), V("s", "k", 1, B("d\0")), K("s", 1, B("d\0"))}},
    // After the mark the file is UTF-8 (部品, ドア), answered in Shift-JIS.
    {"utf8_text",
     B("\xEF\xBB\xBF[\xE9\x83\xA8\xE5\x93\x81]\r\nk=\xE3\x83\x89\xE3\x82\xA2\r\n"),
     {N(5, B("部品\0\0")), V("部品", "k", 4, B("ドア\0"))}},

    // Names without regard to case; the file's spelling comes back.
    {"ascii_case",
     B("[Sec]\r\nKey=v\r\n"),
     {V("sEC", "kEY", 1, B("v\0")), K("SEC", 4, B("Key\0\0")), N(4, B("Sec\0\0"))}},
    {"full_width_case",
     B("[Ａｂｃ]\r\nＫｅｙ=全角\r\n"),
     {V("ａＢＣ", "ｋＥＹ", 4, B("全角\0")), K("ａｂＣ", 7, B("Ｋｅｙ\0\0")),
      N(7, B("Ａｂｃ\0\0"))}},
    {"full_width_is_not_ascii",
     B("[ＡＢ]\r\nk=1\r\n[AB]\r\nk=2\r\n"),
     {V("ab", "k", 1, B("2\0")), V("ａｂ", "k", 1, B("1\0"))}},
    {"greek_cyrillic_roman_case",
     B("[ΑΩ]\r\nё=1\r\n[Ⅲ]\r\nk=3\r\n"),
     {V("αω", "Ё", 1, B("1\0")), V("ⅲ", "K", 1, B("3\0"))}},
    // ア is 0x83 0x41 and ヂ 0x83 0x61: a folded second byte would join them.
    {"second_bytes_are_not_letters",
     B("[ア]\r\nk=1\r\n"),
     {V("ヂ", "k", 1, B("d\0")), V("ア", "K", 1, B("1\0"))}},

    // Blanks: tab, LF, VT, FF, CR, space and ^Z go around names and values.
    // A key list is asked with the section name as given (Wine).
    {"blanks_around_names",
     B("  [ s ]  \r\n  k  =  v  v  \r\n"),
     {V("s", "k", 4, B("v  v\0")), V(" s ", "\tk ", 4, B("v  v\0")), K("s", 2, B("k\0\0")),
      K(" s ", 1, B("d\0"))}},
    {"control_blanks",
     B("[s]\r\nk=\t\v\f v \x1a\r\n\x1ak2\x1a=2\r\n"),
     {V("s", "k", 1, B("v\0")), V("s", "k2", 1, B("2\0"))}},
    // The ideographic space (0x81 0x40) is a character, not a blank.
    {"ideographic_space",
     B("[　x　]\r\nk=1\r\n"),
     {V("x", "k", 1, B("d\0")), N(6, B("　x　\0\0"))}},
    {"equals_in_value_blank_in_key",
     B("[s]\r\nmy key = a=b \r\n"),
     {V("s", "MY KEY", 3, B("a=b\0"))}},

    // Quotes: one enclosing pair of either kind goes; anything else stays.
    {"quoted_values",
     B("[s]\r\nd=\" x \"\r\ns='y'\r\nh=\"x\r\nt=x\"\r\nm=\"x'\r\nq=\"\r\ne=\"\"\r\n"),
     {V("s", "d", 3, B(" x \0")), V("s", "s", 1, B("y\0")), V("s", "h", 2, B("\"x\0")),
      V("s", "t", 2, B("x\"\0")), V("s", "m", 3, B("\"x'\0")), V("s", "q", 1, B("\"\0")),
      V("s", "e", 0, B("\0"))}},
    // Defaults lose trailing spaces (never their first character) and
    // quotes; the default of an empty key list keeps its spaces.
    {"defaults",
     B("[s]\r\nk=v\r\n"),
     {V("s", "none", 2, B("dq\0"), "\"dq\""), V("s", "none", 3, B(" sp\0"), " sp  "),
      V("s", "none", 1, B(" \0"), "   "), V("s", "none", 0, B("\0"), nullptr),
      K("none", 1, B("q\0"), "\"q\""), K("none", 5, B(" sp  \0"), " sp  ")}},
    {"empty_value_is_not_the_default",
     B("[s]\r\nk=\r\nj=  \r\n"),
     {V("s", "k", 0, B("\0")), V("s", "j", 0, B("\0"))}},

    // Lines that are not keys.
    // A comment line is never a key (Wine finds one by its name).
    {"comment_lines",
     B("; c=0\r\n[s]\r\n;k=1\r\nk=2\r\n  ; x=3\r\n"),
     {V("s", "k", 1, B("2\0")), K("s", 2, B("k\0\0")), V("s", ";k", 1, B("d\0")),
      V("s", " ; x", 1, B("d\0"))}},
    // The first line of a name decides, even one without '=' (Wine).
    {"lines_without_equals",
     B("[s]\r\nalone\r\nk\r\nk=1\r\nj=2\r\n"),
     {K("s", 4, B("k\0j\0\0")), V("s", "alone", 1, B("d\0")), V("s", "k", 1, B("d\0"))}},
    {"keys_before_first_section",
     B("k0=pre\r\n[s]\r\nk=1\r\n"),
     {V(" ", "k0", 3, B("pre\0")), K("", 3, B("k0\0\0")), N(2, B("s\0\0")),
      V("s", "k0", 1, B("d\0"))}},

    // Repeats: only the first section of a name counts, the first key wins.
    {"duplicate_sections",
     B("[a]\r\nk=1\r\n[b]\r\nx=0\r\n[A]\r\nk=2\r\nj=3\r\n"),
     {V("a", "k", 1, B("1\0")), V("a", "j", 1, B("d\0")), K("a", 2, B("k\0\0")),
      N(6, B("a\0b\0A\0\0"))}},
    {"duplicate_keys",
     B("[s]\r\nk=1\r\nK=2\r\n"),
     {V("s", "k", 1, B("1\0")), K("s", 4, B("k\0K\0\0"))}},

    // Brackets.
    {"empty_section_name",
     B("[]\r\nk=1\r\n[ ]\r\nj=2\r\n[s]\r\n"),
     {N(2, B("s\0\0")), V("", "k", 1, B("d\0")), K("", 1, B("d\0"))}},
    {"bracket_without_close",
     B("[s]\r\n[abc\r\nk=1\r\n[x=y\r\n"),
     {N(2, B("s\0\0")), V("s", "k", 1, B("1\0")), K("s", 5, B("k\0[x\0\0")),
      V("s", "[x", 1, B("y\0"))}},
    {"last_close_bracket_ends_the_name",
     B("[a]b]\r\nk=1\r\n[c] ; note\r\nk=2\r\n"),
     {N(6, B("a]b\0c\0\0")), V("a]b", "k", 1, B("1\0")), V("c", "k", 1, B("2\0"))}},

    // Keys without a name: a list that starts with one reads as empty, and
    // a second one in a row is dropped.
    {"unnamed_keys",
     B("[s]\r\n=1\r\nb=2\r\n[t]\r\na=1\r\n=2\r\n=3\r\nb=4\r\n"),
     {K("s", 1, B("d\0")), V("s", "", 1, B("1\0")), K("t", 5, B("a\0\0b\0\0")),
      V("t", "", 1, B("2\0"))}},

    // A NUL byte ends a name or a value where it stands.
    {"nul_bytes",
     B("[s]\r\nke\0y=va\0lue\r\n[se\0c]\r\nz=1\r\n"),
     {V("s", "ke", 2, B("va\0")), K("s", 3, B("ke\0\0")), N(5, B("s\0se\0\0")),
      V("se", "z", 1, B("1\0"))}},

    // Shift-JIS read by character: ー is 0x81 0x5B, ‐ 0x81 0x5D, 表 0x95 0x5C,
    // ア 0x83 0x41, ソ 0x83 0x5C.
    {"second_byte_brackets_in_sections",
     B("[\x81\x5B]\r\nk=1\r\n[\x81\x5D]\r\nk=2\r\n[\x95\x5C]\r\nk=3\r\n"),
     {N(9, B("\x81\x5B\0\x81\x5D\0\x95\x5C\0\0")), V("\x81\x5B", "k", 1, B("1\0")),
      V("\x81\x5D", "k", 1, B("2\0")), V("\x95\x5C", "k", 1, B("3\0"))}},
    {"second_byte_is_no_close",
     B("[s]\r\n[\x83\x41\x81\x5D\r\nk=1\r\n[\x81\x5D\r\nj=2\r\n"),
     {N(2, B("s\0\0")), K("s", 4, B("k\0j\0\0")), V("s", "j", 1, B("2\0"))}},
    // Read through Unicode, a code that is no character (0x8540) comes back
    // as ・, and a character code page 932 holds twice in one form: 纊 0xED40
    // as 0xFA5C, ￢ 0xEEF9 as 0x81CA. Names match in either form.
    {"codes_read_through_unicode",
     B("[\xED\x40]\r\nk=\x85\x40\xED\x40\xEE\xF9\r\n"),
     {V("\xFA\x5C", "k", 6, B("\x81\x45\xFA\x5C\x81\xCA\0")),
      V("\xED\x40", "K", 6, B("\x81\x45\xFA\x5C\x81\xCA\0")), N(3, B("\xFA\x5C\0\0"))}},
    // A lead byte whose second byte is no character (here CR, or the end of
    // the file) takes that byte with it and reads as ・ (0x81 0x45): both
    // platforms read the file through Unicode.
    {"lead_byte_without_second_byte",
     B("[s]\r\nk=\x81\r\nj=2\r\nm=\x81"),
     {V("s", "k", 2, B("\x81\x45\0")), V("s", "j", 1, B("2\0")), V("s", "m", 2, B("\x81\x45\0"))}},

    // Cuts. A value is cut to size - 1 bytes; a list that does not fit in
    // size - 1 bytes is cut to size - 2 and ends with two NULs, and so does
    // one of exactly size - 2 bytes, which looks the same.
    {"value_cut",
     B("[s]\r\nk=value\r\n"),
     {V("s", "k", 0, B("\0"), "d", 1), V("s", "k", 4, B("valu\0"), "d", 5),
      V("s", "k", 5, B("value\0"), "d", 6), V("s", "none", 3, B("def\0"), "default", 4)}},
    {"value_cut_in_shift_jis",
     B("[s]\r\nk=ああああ\r\n"),
     {V("s", "k", 5, B("\x82\xA0\x82\xA0\x82\0"), "d", 6)}},
    {"quoted_value_cut",
     B("[s]\r\nk=\"quoted\"\r\n"),
     {V("s", "k", 6, B("quoted\0"), "d", 7), V("s", "k", 4, B("quot\0"), "d", 5)}},
    {"section_names_cut",
     B("[Sec1]\r\n[sec2]\r\n[Sec3]\r\n"),
     {N(0, B("\0"), 1), N(0, B("\0\0"), 2), N(6, B("Sec1\0s\0\0"), 8),
      N(14, B("Sec1\0sec2\0Sec3\0\0"), 16), N(15, B("Sec1\0sec2\0Sec3\0\0\0"), 17),
      N(15, B("Sec1\0sec2\0Sec3\0\0"), 18)}},
    {"section_names_cut_in_shift_jis",
     B("[s]\r\n[\x83\x5C\x95\x5C]\r\n[ーー]\r\n"),
     {N(3, B("s\0\x83\0\0"), 5), N(6, B("s\0\x83\x5C\x95\x5C\0\0"), 8)}},
    {"key_list_cut",
     B("[s]\r\nkey1=1\r\nKey2=2\r\n"),
     {K("s", 6, B("key1\0K\0\0"), "d", 8), K("s", 0, B("\0"), "d", 1),
      K("s", 10, B("key1\0Key2\0\0\0"), "d", 12)}},
};

std::string shown(const char* bytes, size_t size) {
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = (unsigned char)bytes[i];
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += c >= 0x20 && c < 0x7F && c != '\\' ? std::string(1, (char)c) : std::string(hex);
  }
  return out;
}

}  // namespace

TEST(profile_reader_answers_every_case_of_the_corpus) {
  std::string dir = oktest::scratch_folder("corpus");
  for (const Case& c : kCases) {
    std::string path = dir + c.name + ".ini";
    if (c.file.data) oktest::put_file(path, std::string(c.file.data, c.file.size));
    for (const Query& q : c.queries) {
      char buffer[64];
      std::memset(buffer, '#', sizeof buffer);
      uint32_t got = plat::profile_read(q.section, q.key, q.def, buffer, q.size, path.c_str());
      size_t written = sizeof buffer;
      while (written > 0 && buffer[written - 1] == '#') --written;
      bool same = got == q.got && written <= q.bytes.size &&
                  std::memcmp(buffer, q.bytes.data, q.bytes.size) == 0;
      ok(same, "%s: [%s] [%s] size %u: %u [%s], expected %u [%s]\n", c.name,
         q.section ? q.section : "(all)", q.key ? q.key : "(all)", q.size, got,
         shown(buffer, written).c_str(), q.got, shown(q.bytes.data, q.bytes.size).c_str());
    }
  }
}
