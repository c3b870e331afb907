// Profile strings as GetPrivateProfileStringA and WritePrivateProfileStringA
// give them. Where Windows and Wine could differ, the checks follow Wine:
// the program's end-to-end tests run there.
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

const char kSample[] =
    "; maintenance\r\n"
    "[Sec1]\r\n"
    "key1=val1\r\n"
    "  Key2  =  \"quoted\"  \r\n"
    ";comment=1\r\n"
    "noequals\r\n"
    "key3=\"half\r\n"
    "key1=dup\r\n"
    "\r\n"
    "[sec2]\r\n"
    "a=1\r\n"
    "[ Sec3 ]\r\n"
    "b = 2 \r\n";

std::string sample_file(const char* test) {
  std::string path = scratch_folder(test) + "SAMPLE.INI";
  put_file(path, kSample);
  return path;
}

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

TEST(profile_values_are_trimmed_unquoted_and_found_without_case) {
  std::string path = sample_file("values");
  ok(read_value("Sec1", "key1", "d", path) == "val1", "key1\n");
  ok(read_value("SEC1", "KEY2", "d", path) == "quoted", "KEY2: %s\n", read_value("SEC1", "KEY2", "d", path).c_str());
  ok(read_value(" sec1 ", " key1 ", "d", path) == "val1", "blanks around the asked names\n");
  ok(read_value("sec3", "B", "d", path) == "2", "section name in blanks, value in blanks\n");
  ok(read_value("Sec1", "key3", "d", path) == "\"half", "unmatched quote: %s\n", read_value("Sec1", "key3", "d", path).c_str());
  ok(read_value("sec2", "key1", "d", path) == "d", "key of another section was found\n");
  // A line without '=' has no value: the default is given.
  ok(read_value("Sec1", "noequals", "def", path) == "def", "line without '='\n");
}

TEST(profile_default_loses_trailing_blanks_only) {
  std::string path = sample_file("defaults");
  ok(read_value("Sec1", "missing", "  def  ", path) == "  def", "default: [%s]\n",
     read_value("Sec1", "missing", "  def  ", path).c_str());
  ok(read_value("Sec1", "missing", nullptr, path) == "", "null default\n");
  ok(read_value("NoSuch", "key1", "x", path) == "x", "missing section\n");
  std::string none = scratch_folder("defaultsnone") + "NONE.INI";
  ok(read_value("Sec1", "key1", "x", none) == "x", "missing file\n");
}

TEST(profile_lists_end_with_a_further_nul) {
  std::string path = sample_file("lists");
  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t got = profile_read(nullptr, nullptr, "", buffer, sizeof buffer, path.c_str());
  ok(got == 15 && std::memcmp(buffer, "Sec1\0sec2\0Sec3\0\0", 16) == 0, "sections: %u\n", got);

  // Comments and lines without '=' are not keys; a repeated key is listed twice.
  std::memset(buffer, '#', sizeof buffer);
  got = profile_read("SEC1", nullptr, "", buffer, sizeof buffer, path.c_str());
  ok(got == 20 && std::memcmp(buffer, "key1\0Key2\0key3\0key1\0\0", 21) == 0, "keys: %u\n", got);

  std::memset(buffer, '#', sizeof buffer);
  got = profile_read("sec3", nullptr, "", buffer, sizeof buffer, path.c_str());
  ok(got == 2 && std::memcmp(buffer, "b\0\0", 3) == 0, "keys of sec3: %u\n", got);
}

TEST(profile_list_of_nothing) {
  std::string dir = scratch_folder("emptylists");
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t got = profile_read(nullptr, nullptr, "", buffer, sizeof buffer, (dir + "NONE.INI").c_str());
  ok(got == 0 && buffer[0] == 0, "sections of a missing file: %u\n", got);

  // Wine gives the default for an empty key list, whether the section is
  // there without keys or missing.
  put_file(dir + "EMPTY.INI", "[Empty]\r\n[Full]\r\nk=v\r\n");
  std::memset(buffer, '#', sizeof buffer);
  got = profile_read("Empty", nullptr, "def", buffer, sizeof buffer, (dir + "EMPTY.INI").c_str());
  ok(got == 3 && std::strcmp(buffer, "def") == 0, "keys of an empty section: %u\n", got);
  got = profile_read("Empty", nullptr, "", buffer, sizeof buffer, (dir + "EMPTY.INI").c_str());
  ok(got == 0 && buffer[0] == 0, "keys of an empty section, empty default: %u\n", got);
  std::memset(buffer, '#', sizeof buffer);
  got = profile_read("Missing", nullptr, "def", buffer, sizeof buffer, (dir + "EMPTY.INI").c_str());
  ok(got == 3 && std::strcmp(buffer, "def") == 0, "keys of a missing section: %u %s\n", got, buffer);
}

TEST(profile_cut_list_gives_size_minus_two) {
  std::string path = sample_file("cutlists");
  struct {
    uint32_t size;
    const char* bytes;
    uint32_t got;
  } cases[] = {
      {3, "S\0\0", 1},
      {6, "Sec1\0\0", 4},
      {7, "Sec1\0\0", 5},           // cut at a name boundary
      {8, "Sec1\0s\0\0", 6},        // the next name cut short
      {16, "Sec1\0sec2\0Sec3\0\0", 14},  // only the final NUL missing: still cut
      {17, "Sec1\0sec2\0Sec3\0\0", 15},  // fits
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    uint32_t got = profile_read(nullptr, nullptr, "", buffer, c.size, path.c_str());
    ok(got == c.got, "size %u: result %u\n", c.size, got);
    ok(std::memcmp(buffer, c.bytes, got + 1) == 0, "size %u: bytes differ\n", c.size);
    if (got == c.size - 2) ok(buffer[c.size - 1] == 0, "size %u: cut list lacks its second NUL\n", c.size);
    ok(buffer[c.size] == '#', "size %u: wrote past the buffer\n", c.size);
  }
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t got = profile_read("sec1", nullptr, "", buffer, 8, path.c_str());
  ok(got == 6 && std::memcmp(buffer, "key1\0K\0\0", 8) == 0, "cut key list: %u\n", got);
  ok(buffer[8] == '#', "key list wrote past the buffer\n");
}

TEST(profile_cut_value_gives_size_minus_one) {
  std::string path = sample_file("cutvalue");
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  ok(profile_read("Sec1", "key1", "d", buffer, 0, path.c_str()) == 0 && buffer[0] == '#', "size 0\n");
  ok(profile_read("Sec1", "key1", "d", buffer, 1, path.c_str()) == 0 && buffer[0] == 0, "size 1\n");
  std::memset(buffer, '#', sizeof buffer);
  ok(profile_read("Sec1", "key1", "d", buffer, 3, path.c_str()) == 2 && std::memcmp(buffer, "va\0#", 4) == 0,
     "size 3\n");
  ok(profile_read("Sec1", "key1", "d", buffer, 5, path.c_str()) == 4 && std::strcmp(buffer, "val1") == 0,
     "exact fit\n");
  // Quotes go before the cut.
  ok(profile_read("Sec1", "key2", "d", buffer, 5, path.c_str()) == 4 && std::strcmp(buffer, "quot") == 0,
     "quoted value cut: %s\n", buffer);
  ok(profile_read("Sec1", "none", "default", buffer, 4, path.c_str()) == 3 && std::strcmp(buffer, "def") == 0,
     "default cut: %s\n", buffer);
}

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
