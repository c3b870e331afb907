// Writing profile strings as WritePrivateProfileStringA does, and reading
// back what was written (the reader's answers on their own are held to the
// platform by the corpus in profile_corpus_test.cpp).
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/profile.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::file_text;
using oktest::put_file;
using oktest::scratch_folder;
using plat::profile_write;

namespace {

std::string read(const char* section, const char* key, const std::string& path) {
  char buffer[64];
  uint32_t got = plat::profile_read(section, key, "d", buffer, sizeof buffer, path.c_str());
  return std::strlen(buffer) == got ? buffer : "<length differs from result>";
}

}  // namespace

TEST(profile_write_adds_updates_and_deletes) {
  std::string path = scratch_folder("write") + "bhnmente.dat";
  ok(profile_write("日付", "LASTDATE", "240105", path.c_str()), "first write failed\n");
  ok(file_text(path) == "[日付]\r\nLASTDATE=240105\r\n", "new file: %s\n", file_text(path).c_str());
  // A new key goes to the end of its section, a new section to the end.
  ok(profile_write("日付", "DATSUU", "2", path.c_str()) &&
         profile_write("Other", "x", "y", path.c_str()) &&
         profile_write("日付", "TMPDATE01", "240103", path.c_str()),
     "writes failed\n");
  ok(file_text(path) ==
         "[日付]\r\nLASTDATE=240105\r\nDATSUU=2\r\nTMPDATE01=240103\r\n[Other]\r\nx=y\r\n",
     "file: %s\n", file_text(path).c_str());

  // An update keeps the other keys, their order and the key's spelling.
  put_file(path, "[日付]\r\nLASTDATE=1\r\nDATSUU=2\r\n[X]\r\nDATSUU=7\r\n[B]\r\ny=2");
  ok(profile_write("日付", "datsuu", "3", path.c_str()) &&
         profile_write("b", "w", "4", path.c_str()),
     "update failed\n");
  ok(file_text(path) ==
         "[日付]\r\nLASTDATE=1\r\nDATSUU=3\r\n[X]\r\nDATSUU=7\r\n[B]\r\ny=2\r\nw=4\r\n",
     "file: %s\n", file_text(path).c_str());
  ok(profile_write("X", "DATSUU", "", path.c_str()) && read("X", "DATSUU", path) == "",
     "an empty value reads back empty\n");

  // A null value deletes the key, a null key the section.
  put_file(path, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
  ok(profile_write("A", "x", nullptr, path.c_str()) &&
         profile_write("b", nullptr, nullptr, path.c_str()) &&
         profile_write("A", "none", nullptr, path.c_str()),
     "deletes failed\n");
  ok(file_text(path) == "[A]\r\ny=2\r\n[C]\r\nw=4\r\n", "file: %s\n", file_text(path).c_str());
}

TEST(profile_shift_jis_names_are_not_case_folded) {
  std::string dir = scratch_folder("sjisprofile"), path = dir + "表\\ソフト.INI";
  plat::create_directory((dir + "表").c_str());
  // ア is 0x83 0x41 and ヂ is 0x83 0x61: folding the second byte as ASCII
  // would make them one name.
  ok(profile_write("ア", "表", "1", path.c_str()) && read("ヂ", "表", path) == "d",
     "ヂ matched ア\n");
  ok(profile_write("ヂ", "表", "2", path.c_str()) && read("ア", "表", path) == "1" &&
         read("ヂ", "表", path) == "2",
     "sections mixed up\n");
}

TEST(profile_reads_see_every_change_of_the_file) {
  std::string dir = scratch_folder("changes");
  std::string path = dir + "W.INI", other = dir + "O.INI";
  // Same size, same second: a file time alone cannot tell the two apart.
  put_file(path, "[s]\r\nk=1\r\nj=2\r\n");
  ok(read("s", "k", path) == "1", "first version\n");
  put_file(path, "[s]\r\nk=2\r\nj=2\r\n");
  ok(read("s", "k", path) == "2", "second version: %s\n", read("s", "k", path).c_str());

  // Files an hour old: nothing forces either platform to read them again.
  put_file(other, "[s]\r\nk=other\r\n");
  for (const std::string* p : {&path, &other}) {
    uint64_t now = 0;
    plat::file_write_time(p->c_str(), &now);
    plat::set_file_write_time(p->c_str(), now - 36000000000ull);
  }
  ok(read("s", "k", path) == "2" && profile_write("s", "k", "3", path.c_str()), "write failed\n");
  ok(read("s", "k", path) == "3" && read("s", "j", path) == "2", "after the write: %s\n",
     read("s", "k", path).c_str());
  ok(read("s", "k", other) == "other" && read("S", "K", path) == "3",
     "second file, then the first\n");
  ok(profile_write("s", "j", nullptr, path.c_str()) && read("s", "j", path) == "d",
     "deleted key still read\n");
  plat::delete_file(path.c_str());
  ok(read("s", "k", path) == "d", "deleted file still read\n");
}
