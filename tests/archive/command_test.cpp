// The command text UNLHA32.DLL takes, and the report it hands back.
#include <cstring>
#include <string>

#include "archive/command.h"
#include "archive/unlha32.h"
#include "platform/files.h"
#include "tests/archive/member_bytes.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

std::string one_member_archive() {
  lzhtest::Member m;
  m.name = "TRBHN.DAT";
  m.data = "parts index";
  return lzhtest::level2(m) + lzhtest::end_mark();
}

}  // namespace

TEST(the_program_s_command_extracts) {
  // As the program forms it: e -n "<archive>" "<folder\>", paths with blanks
  // and a folder ending in a character whose second byte is a backslash.
  std::string root = oktest::scratch_folder("command_ok") + "with blank\\";
  plat::create_directory(root.c_str());
  std::string folder = root + "\x95\x5C";  // 表
  plat::create_directory(folder.c_str());
  oktest::put_file(root + "TRBHN.LZH", one_member_archive());
  for (const std::string& given : {folder + "\\", folder}) {
    std::string report;
    std::string command = "e -n \"" + root + "TRBHN.LZH\" \"" + given + "\"";
    ok(lzh::run_command(command.c_str(), &report) == kUnlhaDone, "%s: %s\n", command.c_str(), report.c_str());
    std::string got;
    ok(oktest::get_file(folder + "\\TRBHN.DAT", &got) && got == "parts index", "%s: not extracted\n",
       command.c_str());
    ok(report == "TRBHN.DAT: extracted\r\n1 extracted, 0 refused\r\n", "report: %s\n", report.c_str());
    plat::delete_file((folder + "\\TRBHN.DAT").c_str());
  }
}

TEST(other_commands_are_refused_unrun) {
  std::string root = oktest::scratch_folder("command_bad");
  oktest::put_file(root + "a.lzh", one_member_archive());
  std::string a = "\"" + root + "a.lzh\"", f = "\"" + root + "\"";
  const std::string commands[] = {
      "",
      "x -n " + a + " " + f,
      "a -n " + a + " " + f,
      "e -r " + a + " " + f,
      "e -n " + a,
      "e -n " + a + " " + f + " " + f,
      "e -n " + a + " \"" + root,
      "e -n \"\" " + f,
  };
  for (const std::string& command : commands) {
    std::string report;
    ok(lzh::run_command(command.c_str(), &report) == kUnlhaBadCommand, "'%s' not refused\n", command.c_str());
    ok(!plat::file_exists((root + "TRBHN.DAT").c_str()), "'%s' extracted\n", command.c_str());
  }
  std::string report;
  ok(lzh::run_command(nullptr, &report) == kUnlhaBadCommand, "no command\n");
}

TEST(reports_are_cut_to_the_buffer_at_a_character) {
  const std::string report = "ab\x95\x5C" "cd";  // ab表cd
  struct Case {
    size_t size;
    const char* expected;
  };
  const Case cases[] = {{100, "ab\x95\x5C" "cd"}, {7, "ab\x95\x5C" "cd"}, {6, "ab\x95\x5C" "c"},
                        {5, "ab\x95\x5C"}, {4, "ab"}, {3, "ab"}, {1, ""}};
  for (const Case& c : cases) {
    char buffer[128];
    std::memset(buffer, 'Z', sizeof buffer);
    lzh::copy_report(report, buffer, c.size);
    ok(std::strcmp(buffer, c.expected) == 0, "size %u: '%s'\n", (unsigned)c.size, buffer);
    ok(buffer[c.size] == 'Z', "size %u: wrote past the buffer\n", (unsigned)c.size);
  }
  char untouched = 'Z';
  lzh::copy_report(report, &untouched, 0);
  ok(untouched == 'Z', "a buffer of size 0 was written\n");
}
