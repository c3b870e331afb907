// UNLHA32.DLL as the program uses it: loaded from the bin folder, its
// undecorated entry looked up by name, called with the program's command and
// a 1000-byte output buffer. Windows only (run under Wine).
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "archive/unlha32.h"
#include "tests/archive/load_unlha32_win.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

TEST(dll_extracts_as_the_program_calls_it) {
  UnlhaFn unlha = load_unlha32();
  ok(unlha != nullptr, "UNLHA32.DLL or its entry Unlha not found: error %lu\n", GetLastError());
  if (!unlha) return;
  // Paths with a blank, and a folder ending in a character whose second byte
  // is a backslash (表), given with and without the closing backslash.
  std::string root = oktest::scratch_folder("dll_call") + "with blank\\",
              folder = root + "\x95\x5C";
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  // A refused name gives its own result; which names are refused is checked
  // natively (tests/archive/extract_test.cpp).
  lzhtest::Member index("TRBHN.DAT", std::string(3000, '\0') + "parts"), sjis("\x95\x5C.txt"),
      device("NUL");
  oktest::put_file(root + "TRBHN.LZH",
                   member(2, sjis) + member(2, index) + member(0, device) + lzhtest::end_mark());
  const std::string archive = "e -n \"" + root + "TRBHN.LZH\" \"";
  for (const std::string& command : {archive + folder + "\\\"", archive + folder + "\""}) {
    char output[1000];
    int result = unlha(nullptr, command.c_str(), output, sizeof output);
    ok(result == kUnlhaUnsafeName, "%s: result %#x: %s\n", command.c_str(), result, output);
    ok(oktest::file_text(folder + "\\TRBHN.DAT") == index.data, "TRBHN.DAT not extracted\n");
    ok(std::strncmp(output, "\x95\x5C.txt: extracted\r\n", 18) == 0 &&
           std::strstr(output, "2 extracted, 1 refused"),
       "report: %s\n", output);
    DeleteFileA((folder + "\\TRBHN.DAT").c_str());
  }
  // A short buffer gets the report's start, cut at a character, terminated.
  const std::string command = archive + folder + "\"";
  const std::pair<DWORD, const char*> cuts[] = {{1, ""}, {2, ""}, {3, "\x95\x5C"}};
  for (const auto& c : cuts) {
    char small[8];
    std::memset(small, 'Z', sizeof small);
    unlha(nullptr, command.c_str(), small, c.first);
    ok(std::strcmp(small, c.second) == 0 && small[c.first] == 'Z', "cut to %lu: %.8s\n", c.first,
       small);
  }
  ok(unlha(nullptr, command.c_str(), nullptr, 0) == kUnlhaUnsafeName, "no output buffer\n");
  // Nothing but the extract command with its two paths runs.
  const std::string a = "\"" + root + "TRBHN.LZH\"", f = "\"" + folder + "\\\"";
  DeleteFileA((folder + "\\TRBHN.DAT").c_str());
  for (const std::string& refused :
       {std::string(), "l " + a, "x -n " + a + " " + f, "a -n " + a + " " + f,
        "e -r " + a + " " + f, "e -n " + a, "e -n " + a + " " + f + " " + f,
        "e -n " + a + " \"" + folder, "e -n \"\" " + f}) {
    char output[1000];
    ok(unlha(nullptr, refused.c_str(), output, sizeof output) == kUnlhaBadCommand, "'%s' ran\n",
       refused.c_str());
    ok(GetFileAttributesA((folder + "\\TRBHN.DAT").c_str()) == INVALID_FILE_ATTRIBUTES,
       "'%s' extracted\n", refused.c_str());
  }
  ok(unlha(nullptr, nullptr, nullptr, 0) == kUnlhaBadCommand, "no command ran\n");
}
