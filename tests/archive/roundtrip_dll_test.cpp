// Archives made by the create command come back byte for byte through
// UNLHA32.DLL, loaded from the bin folder and called as the program calls it.
// Windows only (run under Wine).
#include <windows.h>

#include <string>
#include <vector>

#include "archive/create_command.h"
#include "tests/archive/load_unlha32.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

TEST(dll_extracts_our_archives) {
  UnlhaFn unlha = load_unlha32();
  ok(unlha != nullptr, "UNLHA32.DLL or its entry Unlha not found: error %lu\n", GetLastError());
  if (!unlha) return;

  const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  const char* const methods[] = {"-lh5", "-lh6", "-lh7"};
  for (const char* method : methods) {
    const std::string dir = oktest::scratch_folder("roundtrip_dll");
    std::vector<std::string> args = {"a", method, dir + "sets.lzh"};
    for (const roundtrip::DataSet& set : sets) {
      ok(oktest::put_file(dir + set.name, set.bytes), "%s not written\n", set.name);
      args.push_back(dir + set.name);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    ok(run_create_command(static_cast<int>(argv.size()), argv.data()) == 0, "%s: archive not created\n", method);

    const std::string out = oktest::scratch_folder("roundtrip_dll_out");
    const std::string command = "e -n \"" + dir + "sets.lzh\" \"" + out + "\"";
    char report[2048] = {};
    int rc = unlha(nullptr, command.c_str(), report, sizeof report);
    ok(rc == 0, "%s: Unlha returned %#x: %s\n", method, rc, report);
    for (const roundtrip::DataSet& set : sets) {
      std::string got;
      bool read = oktest::get_file(out + set.name, &got);
      ok(read && got == set.bytes, "%s: %s %s (%u of %u bytes)\n", method, set.name, read ? "differs" : "missing",
         (unsigned)got.size(), (unsigned)set.bytes.size());
    }
  }
}
