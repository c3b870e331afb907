// UNLHA32.DLL as the program uses it: loaded from the bin folder, its
// undecorated entry looked up by name, called with the program's command and
// a 1000-byte output buffer; and archives of the create command read back
// through it. Windows only (run under Wine).
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "archive/create_command.h"
#include "archive/unlha32.h"
#include "tests/archive/load_unlha32.h"
#include "tests/archive/member_bytes.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

TEST(dll_extracts_as_the_program_calls_it) {
  UnlhaFn unlha = load_unlha32();
  ok(unlha != nullptr, "UNLHA32.DLL or its entry Unlha not found: error %lu\n", GetLastError());
  if (!unlha) return;
  std::string hdtmp = oktest::scratch_folder("dll_call") + "HDTMP\\";
  CreateDirectoryA(hdtmp.c_str(), nullptr);
  lzhtest::Member index, escape, device;
  index.name = "TRBHN.DAT";
  index.data = std::string(3000, '\0') + "parts";
  escape.name = "..\\..\\escape.txt";
  escape.data = "outside?";
  device.name = "NUL";
  oktest::put_file(hdtmp + "TRBHN.LZH",
                   member(2, index) + member(0, escape) + member(0, device) + lzhtest::end_mark());

  char command[1000], output[1000];
  wsprintfA(command, "e -n \"%s\" \"%s\"", (hdtmp + "TRBHN.LZH").c_str(), hdtmp.c_str());
  int result = unlha(nullptr, command, output, sizeof output);
  ok(result == kUnlhaUnsafeName, "result %#x: %s\n", result, output);
  std::string got;
  ok(oktest::get_file(hdtmp + "TRBHN.DAT", &got) && got == index.data, "TRBHN.DAT not extracted\n");
  ok(oktest::get_file(hdtmp + "escape.txt", &got) && got == "outside?", "escape.txt not in HDTMP\n");
  ok(GetFileAttributesA((hdtmp + "..\\escape.txt").c_str()) == INVALID_FILE_ATTRIBUTES, "escaped the folder\n");
  ok(std::strstr(output, "NUL: refused, device name") && std::strstr(output, "2 extracted, 1 refused"), "report: %s\n",
     output);
  char small[8];
  std::memset(small, 'Z', sizeof small);
  unlha(nullptr, command, small, 5);
  ok(std::memcmp(small, "TRBH\0ZZZ", 8) == 0, "cut report: %.8s\n", small);
  ok(unlha(nullptr, "l \"x.lzh\"", output, sizeof output) == kUnlhaBadCommand, "list command accepted\n");
  ok(unlha(nullptr, command, nullptr, 0) == kUnlhaUnsafeName, "no output buffer\n");
}

TEST(dll_extracts_our_archives) {
  UnlhaFn unlha = load_unlha32();
  if (!unlha) return skip_test("UNLHA32.DLL not loaded");
  const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  for (const char* method : {"-lh5", "-lh6", "-lh7"}) {
    const std::string dir = oktest::scratch_folder("roundtrip_dll"), out = oktest::scratch_folder("roundtrip_dll_out");
    std::vector<std::string> args = {"a", method, dir + "sets.lzh"};
    for (const roundtrip::DataSet& set : sets) {
      oktest::put_file(dir + set.name, set.bytes);
      args.push_back(dir + set.name);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    ok(run_create_command(static_cast<int>(argv.size()), argv.data()) == 0, "%s: archive not created\n", method);
    const std::string command = "e -n \"" + dir + "sets.lzh\" \"" + out + "\"";
    char report[2048] = {};
    int rc = unlha(nullptr, command.c_str(), report, sizeof report);
    ok(rc == 0, "%s: Unlha returned %#x: %s\n", method, rc, report);
    for (const roundtrip::DataSet& set : sets) {
      std::string got;
      ok(oktest::get_file(out + set.name, &got) && got == set.bytes, "%s: %s differs (%u of %u bytes)\n", method,
         set.name, (unsigned)got.size(), (unsigned)set.bytes.size());
    }
  }
}
