// Writing profile strings as WritePrivateProfileStringA does, and reading
// back what was written (the reader's answers on their own are held to the
// platform by the corpus in profile_corpus_test.cpp).
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/profile.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using plat::profile_read;
using plat::profile_write;
using oktest::get_file;
using oktest::put_file;
using oktest::scratch_folder;

namespace {

std::string read_value(const char* section, const char* key, const char* def, const std::string& path) {
  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t got = profile_read(section, key, def, buffer, sizeof buffer, path.c_str());
  if (std::strlen(buffer) != got) return "<length differs from result>";
  return buffer;
}

std::string contents_of(const std::string& path) {
  std::string bytes;
  if (!get_file(path, &bytes)) return "<missing>";
  return bytes;
}

}  // namespace

TEST(profile_write_creates_file_then_keys_then_sections) {
  std::string path = scratch_folder("create") + "bhnmente.dat";
  ok(profile_write("日付", "LASTDATE", "240105", path.c_str()), "first write failed\n");
  ok(contents_of(path) == "[日付]\r\nLASTDATE=240105\r\n", "new file: %s\n", contents_of(path).c_str());
  ok(profile_write("日付", "DATSUU", "2", path.c_str()), "second key failed\n");
  ok(profile_write("Other", "x", "y", path.c_str()), "new section failed\n");
  ok(profile_write("日付", "TMPDATE01", "240103", path.c_str()), "third key failed\n");
  ok(contents_of(path) == "[日付]\r\nLASTDATE=240105\r\nDATSUU=2\r\nTMPDATE01=240103\r\n[Other]\r\nx=y\r\n",
     "file: %s\n", contents_of(path).c_str());
  ok(read_value("日付", "lastdate", "", path) == "240105", "read back\n");
}

TEST(profile_update_keeps_other_keys_and_their_order) {
  std::string path = scratch_folder("update") + "bhnmente.dat";
  put_file(path, "[日付]\r\nLASTDATE=240101\r\nDATSUU=2\r\nTMPDATE01=240102\r\n[X]\r\nDATSUU=7\r\n");
  ok(profile_write("日付", "datsuu", "3", path.c_str()), "update failed\n");
  // The key keeps the spelling it has in the file.
  ok(contents_of(path) == "[日付]\r\nLASTDATE=240101\r\nDATSUU=3\r\nTMPDATE01=240102\r\n[X]\r\nDATSUU=7\r\n",
     "file: %s\n", contents_of(path).c_str());
  ok(profile_write("X", "DATSUU", "", path.c_str()), "empty value failed\n");
  ok(read_value("X", "DATSUU", "d", path) == "", "empty value reads back as default\n");
}

TEST(profile_new_key_goes_to_the_end_of_its_section) {
  std::string path = scratch_folder("append") + "A.INI";
  put_file(path, "[A]\r\nx=1\r\n[B]\r\ny=2");
  ok(profile_write("a", "z", "3", path.c_str()), "write failed\n");
  ok(profile_write("B", "w", "4", path.c_str()), "write to last section failed\n");
  ok(contents_of(path) == "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\nw=4\r\n", "file: %s\n", contents_of(path).c_str());
}

TEST(profile_null_value_deletes_key_null_key_deletes_section) {
  std::string path = scratch_folder("delete") + "D.INI";
  put_file(path, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
  ok(profile_write("A", "x", nullptr, path.c_str()), "delete key failed\n");
  ok(profile_write("b", nullptr, nullptr, path.c_str()), "delete section failed\n");
  ok(contents_of(path) == "[A]\r\ny=2\r\n[C]\r\nw=4\r\n", "file: %s\n", contents_of(path).c_str());
  ok(profile_write("A", "none", nullptr, path.c_str()), "delete of a missing key\n");
  ok(contents_of(path) == "[A]\r\ny=2\r\n[C]\r\nw=4\r\n", "missing key delete changed the file\n");
}

TEST(profile_shift_jis_names_are_not_case_folded) {
  std::string dir = scratch_folder("sjisprofile");
  std::string path = dir + "表\\ソフト.INI";
  plat::create_directory((dir + "表").c_str());
  // ア is 0x83 0x41 and ヂ is 0x83 0x61: folding the second byte as ASCII
  // would make them one name.
  ok(profile_write("ア", "表", "1", path.c_str()), "write failed\n");
  ok(read_value("ア", "表", "d", path) == "1", "read back\n");
  ok(read_value("ヂ", "表", "d", path) == "d", "ヂ matched ア\n");
  ok(profile_write("ヂ", "表", "2", path.c_str()), "second section failed\n");
  ok(read_value("ア", "表", "d", path) == "1" && read_value("ヂ", "表", "d", path) == "2",
     "sections mixed up\n");
}

TEST(profile_rewrite_within_the_same_second_is_read) {
  // Same size, same second: a file time alone cannot tell the two apart.
  std::string path = scratch_folder("sameseconds") + "L.INI";
  put_file(path, "[s]\r\nk=1\r\n");
  ok(read_value("s", "k", "d", path) == "1", "first version\n");
  put_file(path, "[s]\r\nk=2\r\n");
  ok(read_value("s", "k", "d", path) == "2", "second version: %s\n", read_value("s", "k", "d", path).c_str());
  plat::delete_file(path.c_str());
  ok(read_value("s", "k", "d", path) == "d", "deleted file\n");
}

TEST(profile_write_is_seen_by_the_next_read) {
  std::string dir = scratch_folder("writeread");
  std::string path = dir + "W.INI", other = dir + "O.INI";
  put_file(path, "[s]\r\nk=1\r\nj=2\r\n");
  put_file(other, "[s]\r\nk=other\r\n");
  // Files an hour old: nothing forces either platform to read them again.
  for (const std::string* p : {&path, &other}) {
    uint64_t now = 0;
    plat::file_write_time(p->c_str(), &now);
    plat::set_file_write_time(p->c_str(), now - 36000000000ull);
  }
  ok(read_value("s", "k", "d", path) == "1", "before\n");
  ok(profile_write("s", "k", "3", path.c_str()), "write failed\n");
  ok(read_value("s", "k", "d", path) == "3", "after the write: %s\n", read_value("s", "k", "d", path).c_str());
  ok(read_value("s", "j", "d", path) == "2", "other key after the write\n");
  ok(read_value("s", "k", "d", other) == "other", "second file\n");
  ok(read_value("S", "K", "d", path) == "3", "first file again\n");
  ok(profile_write("s", "j", nullptr, path.c_str()), "delete failed\n");
  ok(read_value("s", "j", "d", path) == "d", "deleted key still read\n");
}
