// UNLHA32.DLL as the program uses it: loaded from the bin folder, its entry
// looked up by name, called with the program's command and a 1000-byte
// output buffer. Windows only (run under Wine).
#include <windows.h>

#include <cstring>
#include <string>

#include "archive/unlha32.h"
#include "tests/archive/load_unlha32.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

TEST(dll_extracts_as_the_program_calls_it) {
  UnlhaFn unlha = load_unlha32();
  ok(unlha != nullptr, "UNLHA32.DLL or its entry Unlha not found: error %lu\n", GetLastError());
  if (!unlha) return;

  std::string hdtmp = oktest::scratch_folder("dll_call") + "HDTMP\\";
  CreateDirectoryA(hdtmp.c_str(), nullptr);
  lzhtest::Member index;
  index.name = "TRBHN.DAT";
  index.data = std::string(3000, '\0') + "parts";
  lzhtest::Member escape;
  escape.name = "..\\..\\escape.txt";
  escape.data = "outside?";
  lzhtest::Member device;
  device.name = "NUL";
  device.data = "device";
  oktest::put_file(hdtmp + "TRBHN.LZH",
                   lzhtest::level2(index) + lzhtest::level0(escape) + lzhtest::level0(device) + lzhtest::end_mark());

  char command[1000];
  wsprintfA(command, "e -n \"%s\" \"%s\"", (hdtmp + "TRBHN.LZH").c_str(), hdtmp.c_str());
  char output[1000];
  std::memset(output, 'Z', sizeof output);
  int result = unlha(nullptr, command, output, sizeof output);
  ok(result == kUnlhaUnsafeName, "result %#x: %s\n", result, output);
  std::string got;
  ok(oktest::get_file(hdtmp + "TRBHN.DAT", &got) && got == index.data, "TRBHN.DAT not extracted\n");
  ok(oktest::get_file(hdtmp + "escape.txt", &got) && got == "outside?", "escape.txt not in HDTMP\n");
  ok(GetFileAttributesA((hdtmp + "..\\escape.txt").c_str()) == INVALID_FILE_ATTRIBUTES, "escaped the folder\n");
  ok(std::strstr(output, "NUL: refused, device name") != nullptr && std::strstr(output, "2 extracted, 1 refused"),
     "report: %s\n", output);

  // A small buffer takes the start of the report, terminated.
  char small[8];
  std::memset(small, 'Z', sizeof small);
  unlha(nullptr, command, small, 5);
  ok(std::memcmp(small, "TRBH\0ZZZ", 8) == 0, "cut report: %.8s\n", small);

  ok(unlha(nullptr, "l \"x.lzh\"", output, sizeof output) == kUnlhaBadCommand, "list command accepted\n");
  ok(unlha(nullptr, command, nullptr, 0) == kUnlhaUnsafeName, "no output buffer\n");
}
