// Stored names reduced to one element, and the names refused after that.
#include <string>

#include "archive/names.h"
#include "tests/support/ok.h"

TEST(stored_paths_reduce_to_their_last_element) {
  struct Case {
    const char* stored;
    const char* name;
  };
  static const Case cases[] = {
      {"FILE.TXT", "FILE.TXT"},
      {"dir\\sub\\FILE.TXT", "FILE.TXT"},
      {"dir/sub/file.txt", "file.txt"},
      {"/etc/passwd", "passwd"},
      {"C:\\WINDOWS\\win.ini", "win.ini"},
      {"..\\..\\evil.txt", "evil.txt"},
      {"a/b\\c", "c"},
      {"dir\xFFsub\xFF" "file", "file"},
      {"dir\\", ""},
      {"\x95\x5C.txt", "\x95\x5C.txt"},                  // 表.txt: 0x5C is its second byte
      {"\x83\x5C\x83\x74\x83\x67", "\x83\x5C\x83\x74\x83\x67"},  // ソフト
      {"\x95\x5C\\\x83\x5C", "\x83\x5C"},                // 表\ソ
      {"caf\x8B/evil", "evil"},                          // not a character: '/' still separates
      {"x\x81", "x\x81"},                                // a lead byte at the very end
  };
  for (const Case& c : cases) {
    std::string got = lzh::last_path_element(c.stored);
    ok(got == c.name, "'%s' reduced to '%s', expected '%s'\n", c.stored, got.c_str(), c.name);
  }
}

TEST(names_that_leave_the_folder_or_mean_something_else_are_refused) {
  static const char* const refused[] = {
      "", ".", "..", "C:", "c:file.txt", "file.txt:stream", "CON", "con", "Con.txt", "NUL", "nul.tar.gz",
      "AUX", "PRN", "COM1", "com9.log", "LPT1", "lpt9", "CON .txt", "CONIN$", "name.", "name ", "...",
      "tab\there", "\x1B]2;title\x07", "a|b", "a?b", "a*b", "a<b", "a>b", "a\"b",
  };
  for (const char* name : refused)
    ok(lzh::unsafe_name_reason(name) != nullptr, "'%s' accepted\n", name);
  static const char* const accepted[] = {
      "TRBHN.DAT", "file.txt", "COM10", "LPT0", "CONFIG.SYS", "icon.txt", "nul_file", ".hidden", "a..b",
      "\x95\x5C.txt", "\x83\x5C", "\x95\x7C", "Long Filename.txt", "caf\xE9",
  };
  for (const char* name : accepted)
    ok(lzh::unsafe_name_reason(name) == nullptr, "'%s' refused: %s\n", name, lzh::unsafe_name_reason(name));
}
