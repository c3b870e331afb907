// Reading list files: the makers, the part rows with and without numbers,
// the caption, and the pieces they are made from, over files written to
// scratch folders (natively through the emulated reader, under Wine through
// the platform's).
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/file_chooser.h"
#include "catalogue/list_entry.h"
#include "catalogue/list_file.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using catalogue::PartRows;

namespace {

std::string list_file(const char* test, const std::string& text) {
  std::string path = oktest::scratch_folder(test) + "pvnbhn_lst240401.dat";
  oktest::put_file(path, text);
  return path;
}

std::string joined(const std::vector<std::string>& rows) {
  std::string all;
  for (const std::string& row : rows) all += "[" + row + "]";
  return all;
}

std::string makers(const std::string& path) {
  std::vector<std::string> names;
  catalogue::read_maker_names(path.c_str(), &names);
  return joined(names);
}

PartRows part_rows(const std::string& path, const char* maker, bool with_numbers = false) {
  PartRows rows;
  catalogue::read_part_rows(path.c_str(), maker, with_numbers, &rows);
  return rows;
}

}  // namespace

TEST(makers_and_their_rows) {
  std::string path = list_file("makers",
                               "[INFO]\r\nTITLE=t\r\n[B社]\r\n2001,0=別\r\n[info]\r\n[A社]\r\n"
                               "1001,0=ドア,8\r\n1002,1=窓\r\n1003,2=棚,3,x\r\n1234,10=十番\r\n"
                               "1234,0=零番\r\n01005,0=零付き\r\n[Info]\r\n");
  ok(makers(path) == "[B社][info][A社][Info]", "makers %s\n", makers(path).c_str());
  ok(makers(path + ".missing").empty(), "a missing file has makers\n");
  // 1234,10 reads as part 1234 flag 0, so it shows the value of 1234,0;
  // 01005,0 is looked up as 1005,0 and finds nothing.
  PartRows rows = part_rows(path, "a社");
  ok(joined(rows.added) == "[ドア][零番][零番][]", "added %s\n", joined(rows.added).c_str());
  ok(joined(rows.deleted) == "[窓][棚]", "deleted %s\n", joined(rows.deleted).c_str());
  rows = part_rows(path, "C社");
  ok(rows.added.empty() && rows.deleted.empty(), "a missing maker gives rows\n");
  rows = part_rows(list_file("nomaker", "1001,0=before any section\r\n[INFO]\r\n"), "");
  ok(rows.added.empty() && rows.deleted.empty(), "no maker shows the lines before [INFO]\n");

  // With its byte-order mark a file is read as UTF-8: [A社] 1001,0=ドア,8.
  path = list_file("utf8", "\xEF\xBB\xBF[A\xE7\xA4\xBE]\r\n1001,0=\xE3\x83\x89\xE3\x82\xA2,8\r\n");
  ok(makers(path) == "[A社]" && joined(part_rows(path, "A社").added) == "[ドア]", "UTF-8 file\n");

  path = list_file("numbered", "[A社]\r\n1234,0=ABC\r\n12345,2=ドア\r\n");
  rows = part_rows(path, "A社", true);
  ok(joined(rows.added) == "[  1234  ABC]" && joined(rows.deleted) == "[ 12345  ドア]",
     "numbered %s %s\n", joined(rows.added).c_str(), joined(rows.deleted).c_str());
  ok(catalogue::numbered_row(1234567, "") == "1234567  ", "wider numbers are not cut\n");
}

TEST(a_section_shows_at_most_2000_entries_and_no_half_key) {
  std::string text = "[A社]\r\n";
  for (int i = 0; i < 2500; ++i)
    text += std::to_string(1001 + i) + (i % 2 ? ",1=D" : ",0=A") + std::to_string(i) + "\r\n";
  PartRows rows = part_rows(list_file("limit", text), "A社");
  ok(rows.added.size() == 1000 && rows.deleted.size() == 1000 && rows.deleted.back() == "D1999",
     "%d added, %d deleted\n", (int)rows.added.size(), (int)rows.deleted.size());
  // 1700 keys of 13 bytes overflow the 20000-byte key list inside a key:
  // that half key must not show up as an entry of its own.
  text = "[A社]\r\n";
  for (int i = 0; i < 1700; ++i) text += std::to_string(100000001 + i) + ",000=N\r\n";
  rows = part_rows(list_file("cutkeys", text), "A社");
  ok(rows.deleted.empty() && rows.added.size() == 20000 / 14, "%d added, %d deleted\n",
     (int)rows.added.size(), (int)rows.deleted.size());
}

TEST(values_give_name_and_kind) {
  static const struct {
    std::string value, name;
    int kind;
  } cases[] = {
      {"ドア,8,5", "ドア", 8},
      {"", "", 0},
      {",300", "", 44},
      {"A,-1", "A", 255},
      {"A, 12x", "A", 12},
      {"A,abc", "A", 0},
      {"AB\rC,7", "AB", 0},
      {"A," + std::string(78, '0') + "77", "A", 7},  // kind cut at 79 bytes
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123,4", "ABCDEFGHIJKLMNOPQRSTUVW", 4},
      // Twelve double-byte characters are 24 bytes: the twelfth does not fit
      // whole and is left out rather than halved.
      {"あいうえおかきくけこさし", "あいうえおかきくけこさ", 0},
      {"Aあいうえおかきくけこさし", "Aあいうえおかきくけこさ", 0},
      {"ドア\x83", "ドア", 0},              // a value cut in the middle of a character
      {"A,99999999999999999999", "A", -1},  // any kind, without overflow
  };
  for (const auto& c : cases) {
    catalogue::ListEntry entry;
    std::memset(&entry, 0x5A, sizeof entry);
    catalogue::parse_list_value(c.value.c_str(), &entry);
    ok(c.name == entry.figure_name && (c.kind < 0 || entry.kind == c.kind), "%s: [%.24s] %d\n",
       c.value.c_str(), entry.figure_name, entry.kind);
  }
}

TEST(caption_and_folder) {
  // 39 double-byte characters and one more byte reach the 79-byte limit
  // inside the fortieth character: the bracket must stay a bracket.
  std::string title = "X";
  for (int i = 0; i < 40; ++i) title += "表";
  const std::string cases[][2] = {{"[INFO]\r\nTITLE = 2024年版 \r\n", "2024年版"},
                                  {"[info]\r\n[A社]\r\n", ""},
                                  {"[INFO]\r\nTITLE=" + title + "\r\n", title.substr(0, 79)}};
  for (const auto& c : cases) {
    std::string caption = catalogue::list_caption(list_file("caption", c[0]).c_str());
    ok(caption == "部品テーブルダウンロード [" + c[1] + "]", "caption %s\n", caption.c_str());
  }

  // The second byte of 表 is a backslash, not a separator.
  ok(catalogue::directory_part("C:\\表\\x.dat") == "C:\\表", "folder of 表\\x.dat\n");
  ok(catalogue::directory_part("C:\\ソ") == "C:" && catalogue::directory_part("x.dat").empty(),
     "ソ, no folder\n");
}

// List files come from the network: whatever they hold is read within the
// reader buffers. (Any bytes as keys stay within the 2000 entries:
// fuzz/list_keys_fuzz.cpp.)
TEST(hostile_list_files_stay_within_limits) {
  std::string text;
  std::vector<std::string> names;
  for (int i = 0; i < 10000; ++i) text += "[MAKER" + std::to_string(i) + "]\r\n1001,0=A\r\n";
  catalogue::read_maker_names(list_file("sections", text).c_str(), &names);
  size_t bytes = 0;
  for (const std::string& maker : names) bytes += maker.size() + 1;
  ok(bytes <= 10000 && names.size() > 800 &&
         names.back() == "MAKER" + std::to_string(names.size() - 1),
     "%d makers in %d bytes, the last whole\n", (int)names.size(), (int)bytes);

  text = "[A社]\r\n1001,0=" + std::string(100000, 'N') + ",7\r\nx,y=z\r\n";
  PartRows rows = part_rows(list_file("bigvalue", text), "A社");
  ok(joined(rows.added) == "[" + std::string(23, 'N') + "][]",
     "100 KB value and a key that is no number: %s\n", joined(rows.added).c_str());
}
