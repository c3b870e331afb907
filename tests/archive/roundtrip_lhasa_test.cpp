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

const std::vector<roundtrip::DataSet>& data_sets() {
  static const std::vector<roundtrip::DataSet> sets = roundtrip::round_trip_sets();
  return sets;
}

// The data sets archived with `method`, made once for both readers; empty
// when the create command failed.
const std::string& archive_for(int method) {
  static std::string archives[3];
  static bool made[3];
  if (made[method]) return archives[method];
  made[method] = true;
  const std::string dir = oktest::scratch_folder("roundtrip_in");
  std::vector<std::string> args = {"a", kMethods[method], dir + "sets.lzh"};
  for (const roundtrip::DataSet& set : data_sets()) {
    if (!oktest::put_file(dir + set.name, set.bytes)) return archives[method];
    args.push_back(dir + set.name);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  if (run_create_command(static_cast<int>(argv.size()), argv.data()) == 0) archives[method] = dir + "sets.lzh";
  return archives[method];
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
  for (int m = 0; m < 3; ++m) {
    const std::string& archive = archive_for(m);
    ok(!archive.empty(), "%s: archive not created\n", kMethods[m]);
    const std::string out = oktest::scratch_folder("roundtrip_lhasa");
    std::string command = "lhasa -xqw=" + quoted(out) + " " + quoted(archive) + " > /dev/null 2>&1";
    int rc = std::system(command.c_str());
    ok(rc == 0, "%s: lhasa exited with %d\n", kMethods[m], rc);
    compare_folder("lhasa", kMethods[m], out, data_sets());
  }
}

TEST(lzhtool_extracts_our_archives) {
#ifndef PARTSDL_LZHTOOL
  skip_test("lzhtool is not built");
#else
  for (int m = 0; m < 3; ++m) {
    const std::string& archive = archive_for(m);
    ok(!archive.empty(), "%s: archive not created\n", kMethods[m]);
    const std::string out = oktest::scratch_folder("roundtrip_lzhtool");
    std::string command = std::string("'") + PARTSDL_LZHTOOL + "' e " + quoted(archive) + " " + quoted(out) +
                          " > /dev/null";
    int rc = std::system(command.c_str());
    ok(rc == 0, "%s: lzhtool exited with %d\n", kMethods[m], rc);
    compare_folder("lzhtool", kMethods[m], out, data_sets());
  }
#endif
}
