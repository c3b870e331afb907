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

using catalogue::ListEntry;
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

ListEntry parsed(const char* value) {
  ListEntry entry;
  std::memset(&entry, 0x5A, sizeof entry);
  catalogue::parse_list_value(value, &entry);
  return entry;
}

}  // namespace

TEST(makers_in_file_order_without_exact_info) {
  std::string path = list_file("makers",
                               "[INFO]\r\nTITLE=2024年版\r\n"
                               "[B社]\r\n1001,0=ドア\r\n"
                               "[info]\r\n1002,0=窓\r\n"
                               "[A社]\r\n1003,0=棚\r\n"
                               "[Info]\r\n");
  std::vector<std::string> makers;
  catalogue::read_maker_names(path.c_str(), &makers);
  ok(joined(makers) == "[B社][info][A社][Info]", "makers %s\n", joined(makers).c_str());

  catalogue::read_maker_names((path + ".missing").c_str(), &makers);
  ok(makers.empty(), "a missing file gives %d makers\n", (int)makers.size());
}

TEST(entries_split_into_added_and_deleted) {
  std::string path = list_file("flags",
                               "[A社]\r\n1001,0=ドア,8\r\n1002,1=窓\r\n1003,2=棚,3,x\r\n"
                               "1234,10=十番\r\n1234,0=零番\r\n01005,0=零付き\r\n"
                               "[B社]\r\n2001,0=別\r\n");
  PartRows rows;
  catalogue::read_part_rows(path.c_str(), "A社", false, &rows);
  // 1234,10 reads as part 1234 flag 0, so it shows the value of 1234,0;
  // 01005,0 is looked up as 1005,0 and finds nothing.
  ok(joined(rows.added) == "[ドア][零番][零番][]", "added %s\n", joined(rows.added).c_str());
  ok(joined(rows.deleted) == "[窓][棚]", "deleted %s\n", joined(rows.deleted).c_str());

  catalogue::read_part_rows(path.c_str(), "a社", false, &rows);
  ok(rows.added.size() == 4, "section names match without regard to case: %d rows\n",
     (int)rows.added.size());
  catalogue::read_part_rows(path.c_str(), "C社", false, &rows);
  ok(rows.added.empty() && rows.deleted.empty(), "a missing maker gives no rows\n");

  path = list_file("nomaker", "1001,0=before any section\r\n[INFO]\r\nTITLE=t\r\n");
  catalogue::read_part_rows(path.c_str(), "", false, &rows);
  ok(rows.added.empty() && rows.deleted.empty(), "no maker shows the lines before [INFO]\n");
}

TEST(a_utf8_list_file_is_shown_in_shift_jis) {
  // With its byte-order mark a file is read as UTF-8: [A社] 1001,0=ドア,8.
  std::string path = list_file("utf8",
                               "\xEF\xBB\xBF[INFO]\r\nTITLE=t\r\n[A\xE7\xA4\xBE]\r\n"
                               "1001,0=\xE3\x83\x89\xE3\x82\xA2,8\r\n");
  std::vector<std::string> makers;
  catalogue::read_maker_names(path.c_str(), &makers);
  ok(joined(makers) == "[A社]", "makers %s\n", joined(makers).c_str());
  PartRows rows;
  catalogue::read_part_rows(path.c_str(), "A社", false, &rows);
  ok(joined(rows.added) == "[ドア]", "added %s\n", joined(rows.added).c_str());
}

TEST(numbered_rows_align_the_part_number) {
  ok(catalogue::numbered_row(1234, "ABC") == "  1234  ABC", "[%s]\n",
     catalogue::numbered_row(1234, "ABC").c_str());
  ok(catalogue::numbered_row(12345, "ABC") == " 12345  ABC", "[%s]\n",
     catalogue::numbered_row(12345, "ABC").c_str());
  ok(catalogue::numbered_row(1234567, "") == "1234567  ", "wider numbers are not cut\n");

  std::string path = list_file("numbered", "[A社]\r\n1234,0=ABC\r\n12345,2=ドア\r\n");
  PartRows rows;
  catalogue::read_part_rows(path.c_str(), "A社", true, &rows);
  ok(joined(rows.added) == "[  1234  ABC]", "added %s\n", joined(rows.added).c_str());
  ok(joined(rows.deleted) == "[ 12345  ドア]", "deleted %s\n", joined(rows.deleted).c_str());
}

TEST(a_section_shows_at_most_2000_entries) {
  std::string text = "[A社]\r\n";
  for (int i = 0; i < 2500; ++i)
    text += std::to_string(1001 + i) + (i % 2 ? ",1=D" : ",0=A") + std::to_string(i) + "\r\n";
  std::string path = list_file("limit", text);
  PartRows rows;
  catalogue::read_part_rows(path.c_str(), "A社", false, &rows);
  ok(rows.added.size() == 1000 && rows.deleted.size() == 1000, "%d added, %d deleted\n",
     (int)rows.added.size(), (int)rows.deleted.size());
  ok(rows.deleted.size() == 1000 && rows.deleted.back() == "D1999", "last row %s\n",
     rows.deleted.empty() ? "" : rows.deleted.back().c_str());
}

TEST(a_key_list_cut_by_its_buffer_gives_no_half_key) {
  // 1700 keys of 13 bytes overflow the 20000-byte key list inside a key:
  // that half key must not show up as an entry of its own.
  std::string text = "[A社]\r\n";
  for (int i = 0; i < 1700; ++i) text += std::to_string(100000001 + i) + ",000=N\r\n";
  std::string path = list_file("cutkeys", text);
  PartRows rows;
  catalogue::read_part_rows(path.c_str(), "A社", false, &rows);
  ok(rows.deleted.empty(), "%d phantom deleted rows\n", (int)rows.deleted.size());
  ok(rows.added.size() == 20000 / 14, "%d added rows\n", (int)rows.added.size());
}

TEST(values_give_name_and_kind) {
  ListEntry entry = parsed("ドア,8,5");
  ok(std::strcmp(entry.figure_name, "ドア") == 0 && entry.kind == 8, "ドア,8,5: %s %d\n",
     entry.figure_name, entry.kind);
  entry = parsed("ドア");
  ok(std::strcmp(entry.figure_name, "ドア") == 0 && entry.kind == 0, "ドア alone: kind %d\n",
     entry.kind);
  entry = parsed("");
  ok(entry.figure_name[0] == 0 && entry.kind == 0, "empty value\n");
  entry = parsed(",300");
  ok(entry.figure_name[0] == 0 && entry.kind == 44, "kind 300 keeps its low 8 bits: %d\n",
     entry.kind);
  entry = parsed("A,-1");
  ok(entry.kind == 255, "kind -1 gives %d\n", entry.kind);
  entry = parsed("A, 12x");
  ok(entry.kind == 12, "kind ' 12x' gives %d\n", entry.kind);
  entry = parsed("A,abc");
  ok(entry.kind == 0, "kind abc gives %d\n", entry.kind);
  entry = parsed("AB\rC,7");
  ok(std::strcmp(entry.figure_name, "AB") == 0 && entry.kind == 0, "text ends at CR\n");
  entry = parsed("A,99999999999999999999");
  ok(entry.figure_name[1] == 0, "long number parsed without overflow\n");
  // A kind field of more than 79 bytes is read only up to its 79th byte.
  entry = parsed(("A," + std::string(78, '0') + "77").c_str());
  ok(entry.kind == 7, "kind cut at 79 bytes gives %d\n", entry.kind);
}

TEST(names_are_cut_to_23_bytes_between_characters) {
  ListEntry entry = parsed("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123,4");
  ok(std::strcmp(entry.figure_name, "ABCDEFGHIJKLMNOPQRSTUVW") == 0 && entry.kind == 4,
     "30 bytes become %s\n", entry.figure_name);
  // Twelve double-byte characters are 24 bytes: the twelfth does not fit
  // whole and is left out rather than halved.
  entry = parsed("あいうえおかきくけこさし");
  ok(std::strlen(entry.figure_name) == 22, "%d bytes kept\n", (int)std::strlen(entry.figure_name));
  entry = parsed("Aあいうえおかきくけこさし");
  ok(std::strlen(entry.figure_name) == 23, "odd start keeps 23 bytes: %d\n",
     (int)std::strlen(entry.figure_name));
  // The field is NUL-padded to its end, as it is stored.
  bool padded = true;
  for (int i = 23; i < catalogue::kFigureNameSize; ++i) padded = padded && entry.figure_name[i] == 0;
  entry = parsed("X");
  for (int i = 1; i < catalogue::kFigureNameSize; ++i) padded = padded && entry.figure_name[i] == 0;
  ok(padded, "name field not NUL-padded\n");
  // A value cut by its reader in the middle of a character.
  entry = parsed("ドア\x83");
  ok(std::strcmp(entry.figure_name, "ドア") == 0, "lone lead byte dropped\n");
}

TEST(keys_give_number_and_flag) {
  const char keys[] = "1001,0\0001002,1\0001234,10\0 -7,2\0abc\0\0009";
  int32_t numbers[catalogue::kMaxEntries];
  int16_t flags[catalogue::kMaxEntries];
  int n = catalogue::split_list_keys(keys, sizeof keys - 1, numbers, flags);
  const int32_t want_numbers[] = {1001, 1002, 1234, -7, 0, 0, 9};
  const int16_t want_flags[] = {0, 1, 0, 2, 0, 0, 9};
  ok(n == 7, "%d keys\n", n);
  for (int i = 0; i < n && i < 7; ++i)
    ok(numbers[i] == want_numbers[i] && flags[i] == want_flags[i], "key %d: %d,%d\n", i,
       numbers[i], flags[i]);
  n = catalogue::split_list_keys("99999999999,1", 13, numbers, flags);
  ok(n == 1 && numbers[0] == 2147483647 && flags[0] == 1, "huge number held: %d\n", numbers[0]);
  ok(catalogue::split_list_keys("", 0, numbers, flags) == 0, "empty list\n");
}

TEST(caption_shows_the_title) {
  std::string path = list_file("caption", "[INFO]\r\nTITLE = 2024年版 \r\n[A社]\r\n");
  std::string caption = catalogue::list_caption(path.c_str());
  ok(caption == "部品テーブルダウンロード [2024年版]", "caption %s\n", caption.c_str());
  path = list_file("notitle", "[info]\r\n[A社]\r\n");
  ok(catalogue::list_caption(path.c_str()) == "部品テーブルダウンロード []", "no INFO\n");
  // 39 double-byte characters and one more byte reach the 79-byte limit
  // inside the fortieth character: the bracket must stay a bracket.
  std::string title = "X";
  for (int i = 0; i < 40; ++i) title += "表";
  path = list_file("longtitle", "[INFO]\r\nTITLE=" + title + "\r\n");
  caption = catalogue::list_caption(path.c_str());
  ok(caption == "部品テーブルダウンロード [" + title.substr(0, 79) + "]", "long title %s\n",
     caption.c_str());
}

TEST(filter_text_and_directory_part) {
  std::string filter = catalogue::filter_from_text("部品ダウンロードﾌｧｲﾙ (*.DAT)|PVNBHN_LST*.DAT|");
  ok(filter == std::string("部品ダウンロードﾌｧｲﾙ (*.DAT)\0PVNBHN_LST*.DAT\0", filter.size()) &&
         std::strlen(filter.c_str()) + 1 + std::strlen("PVNBHN_LST*.DAT") + 1 == filter.size(),
     "filter not split at the separator\n");
  ok(catalogue::filter_from_text("a#b#") == std::string("a\0b\0", 4), "other separator\n");
  ok(catalogue::filter_from_text("").empty(), "empty text\n");

  ok(catalogue::directory_part("C:\\prog\\HDPARTS\\LST\\pvnbhn_lst240401.dat") ==
         "C:\\prog\\HDPARTS\\LST",
     "folder of a list file\n");
  // The second byte of 表 is a backslash, not a separator.
  ok(catalogue::directory_part("C:\\表\\x.dat") == "C:\\表", "%s\n",
     catalogue::directory_part("C:\\表\\x.dat").c_str());
  ok(catalogue::directory_part("C:\\ソ") == "C:", "file name ending in ソ\n");
  ok(catalogue::directory_part("x.dat").empty(), "no folder\n");
}

TEST(common_dialog_errors_have_messages) {
  ok(catalogue::common_dialog_error_text(0) == nullptr, "a cancel shows nothing\n");
  ok(catalogue::common_dialog_error_text(0x3004) == nullptr, "unknown codes show nothing\n");
  const char* text = catalogue::common_dialog_error_text(0x3003);
  ok(text && std::strcmp(text, "文字列を格納するためにコモン ダイアログへ渡すバッファが小さ過ぎます。") == 0,
     "FNERR_BUFFERTOOSMALL\n");
  text = catalogue::common_dialog_error_text(0x0002);
  ok(text && std::strstr(text, "失敗しました。\n\rメモリ") != nullptr, "line break of code 2\n");
  ok(catalogue::common_dialog_error_text(0xFFFF) != nullptr, "CDERR_DIALOGFAILURE\n");
}

// List files come from the network: whatever they hold is read within the
// reader buffers and the 2000-entry limit.
TEST(hostile_list_files_stay_within_limits) {
  std::string text;
  uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const char pick[] = "[]=,\r\n\0\x83\x5c" "a1 ";
    text += (seed >> 24) % 3 ? pick[(seed >> 16) % (sizeof pick - 1)] : (char)(seed >> 8);
  }
  std::string path = list_file("garbage", text);
  std::vector<std::string> makers;
  catalogue::read_maker_names(path.c_str(), &makers);
  PartRows rows;
  for (size_t i = 0; i < makers.size() && i < 20; ++i)
    catalogue::read_part_rows(path.c_str(), makers[i].c_str(), true, &rows);
  ok(rows.added.size() + rows.deleted.size() <= 2000, "garbage gave too many rows\n");

  text.clear();
  for (int i = 0; i < 10000; ++i) text += "[MAKER" + std::to_string(i) + "]\r\n1001,0=A\r\n";
  path = list_file("sections", text);
  catalogue::read_maker_names(path.c_str(), &makers);
  size_t bytes = 0;
  for (const std::string& maker : makers) bytes += maker.size() + 1;
  ok(bytes <= 10000 && makers.size() > 800, "%d makers in %d bytes\n", (int)makers.size(),
     (int)bytes);
  ok(!makers.empty() && makers.back() == "MAKER" + std::to_string(makers.size() - 1),
     "last maker name is whole: %s\n", makers.empty() ? "" : makers.back().c_str());

  text = "[A社]\r\n";
  for (int i = 0; i < 50000; ++i) text += std::to_string(1001 + i % 9000) + ",0=X\r\n";
  text += "1001,1=" + std::string(100000, 'V') + "\r\n";
  path = list_file("manykeys", text);
  catalogue::read_part_rows(path.c_str(), "A社", false, &rows);
  ok(rows.added.size() == 2000 && rows.deleted.empty(), "50000 keys: %d rows\n",
     (int)rows.added.size());

  path = list_file("bigvalue", "[A社]\r\n1001,0=" + std::string(100000, 'N') + ",7\r\nx,y=z\r\n");
  catalogue::read_part_rows(path.c_str(), "A社", false, &rows);
  ok(rows.added.size() == 2 && rows.added[0] == std::string(23, 'N') && rows.added[1].empty(),
     "100 KB value and a key that is no number: %s\n", joined(rows.added).c_str());
}
