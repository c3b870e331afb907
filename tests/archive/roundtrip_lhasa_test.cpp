// Archives made by lzhtool's create command come back byte for byte through
// Debian's lhasa, an independent reader, and through our own lzhtool.
// Native only: both readers are Linux programs.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/create_command.h"
#include "platform/native_path.h"
#include "tests/archive/roundtrip_data.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

const char* const kMethods[] = {"-lh5", "-lh6", "-lh7"};

std::string quoted(const std::string& windows_path) {
  return "'" + plat::native_path(windows_path.c_str()) + "'";
}

// Writes the data sets into a fresh folder and archives them with `method`.
bool make_archive(const char* method, const std::vector<roundtrip::DataSet>& sets, std::string* archive) {
  const std::string dir = oktest::scratch_folder("roundtrip_in");
  std::vector<std::string> args = {"a", method, dir + "sets.lzh"};
  for (const roundtrip::DataSet& set : sets) {
    if (!oktest::put_file(dir + set.name, set.bytes)) return false;
    args.push_back(dir + set.name);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  *archive = dir + "sets.lzh";
  return run_create_command(static_cast<int>(argv.size()), argv.data()) == 0;
}

void compare_folder(const char* reader, const char* method, const std::string& dir,
                    const std::vector<roundtrip::DataSet>& sets) {
  for (const roundtrip::DataSet& set : sets) {
    std::string got;
    bool read = oktest::get_file(dir + set.name, &got);
    ok(read && got == set.bytes, "%s %s: %s %s (%u of %u bytes)\n", reader, method, set.name,
       read ? "differs" : "missing", (unsigned)got.size(), (unsigned)set.bytes.size());
  }
}

}  // namespace

TEST(lhasa_extracts_our_archives) {
  ok(std::system("command -v lhasa > /dev/null") == 0, "lhasa is not installed (scripts/install-deps.sh)\n");
  const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  for (const char* method : kMethods) {
    std::string archive;
    ok(make_archive(method, sets, &archive), "%s: archive not created\n", method);
    const std::string out = oktest::scratch_folder("roundtrip_lhasa");
    std::string command = "lhasa -xqw=" + quoted(out) + " " + quoted(archive) + " > /dev/null 2>&1";
    int rc = std::system(command.c_str());
    ok(rc == 0, "%s: lhasa exited with %d\n", method, rc);
    compare_folder("lhasa", method, out, sets);
  }
}

TEST(lzhtool_extracts_our_archives) {
#ifndef PARTSDL_LZHTOOL
  skip_test("lzhtool is not built");
#else
  const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  for (const char* method : kMethods) {
    std::string archive;
    ok(make_archive(method, sets, &archive), "%s: archive not created\n", method);
    const std::string out = oktest::scratch_folder("roundtrip_lzhtool");
    std::string command = std::string("'") + PARTSDL_LZHTOOL + "' e " + quoted(archive) + " " + quoted(out) +
                          " > /dev/null";
    int rc = std::system(command.c_str());
    ok(rc == 0, "%s: lzhtool exited with %d\n", method, rc);
    compare_folder("lzhtool", method, out, sets);
  }
#endif
}
