// Makes a small parts library under a program folder for demonstrations and
// end-to-end runs: HDINI\, HDTMP\ and HDPARTS\, the five classification files
// filled with a few items and figures per destination, an empty parts index,
// and a list file of several makers in HDPARTS\LST\ (kSampleListName) for
// テキスト読込. Existing files of those names are overwritten.
//
// With a catalogue folder it also lays out the maker's server for the
// stand-in download server: list files of a few days of the last weeks
// (counted back from today), the part data file of every part they name,
// and LASTDATE in the program folder's bhnmente.dat a little before the
// oldest of them, so that the program's list walk finds them all.
//
//   make_sample_library PROGRAM_FOLDER [CATALOGUE_FOLDER]
//
// The sample part numbers start at 50001, far from the numbers the list files
// of the tests use, so adding parts never meets a sample entry by chance.

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/list_file.h"
#include "download/list_dates.h"
#include "platform/clock.h"
#include "store/classification.h"
#include "store/part_data.h"
#include "store/part_files.h"

namespace {

constexpr uint32_t kPartsIndexSize = 6783440;
constexpr int kFirstPartNumber = 50001;

// One line of a destination's outline: 1 a major item, 2 a classification
// item of the last major item, 3 a figure of the last classification item.
struct Line {
  int level;
  const char* name;
};

const Line k3dcad[] = {
    {1, "建具"},
    {2, "玄関ドア"},
    {3, "片開きドア W800"},
    {3, "片開きドア W900"},
    {3, "親子ドア W1200"},
    {2, "室内ドア"},
    {3, "片開きドア W750"},
    {3, "片開きドア W800"},
    {2, "引戸"},
    {3, "片引戸 W1600"},
    {3, "引違い戸 W1690"},
    {2, "窓"},
    {3, "引違い窓 W1690"},
    {3, "上げ下げ窓 W740"},
    {3, "FIX窓 W600"},
    {1, "住設機器"},
    {2, "キッチン"},
    {3, "I型キッチン L2550"},
    {3, "L型キッチン L2400"},
    {2, "浴室"},
    {3, "ユニットバス 1616"},
    {3, "ユニットバス 1620"},
    {2, "洗面"},
    {3, "洗面化粧台 W750"},
    {2, "トイレ"},
    {3, "洋風便器"},
    {3, "手洗器"},
    {1, "家具"},
    {2, "収納"},
    {3, "下駄箱 W900"},
    {3, "食器棚 W1200"},
    {2, "テーブル"},
    {3, "ダイニングテーブル"},
    {3, "座卓 W1200"},
    {1, "外構"},
    {2, "門扉"},
    {3, "両開き門扉 W1200"},
    {2, "フェンス"},
    {3, "メッシュフェンス H800"},
    {2, "カーポート"},
    {3, "カーポート 1台用"},
    {3, "カーポート 2台用"},
};

const Line kRoof[] = {
    {1, "屋根材"},       {2, "瓦"},           {3, "和瓦 J形"},     {3, "平板瓦"},
    {2, "スレート"},     {3, "化粧スレート"}, {2, "金属屋根"},     {3, "ガルバリウム 横葺"},
    {1, "雨樋"},         {2, "軒樋"},         {3, "半丸軒樋 105"}, {3, "角軒樋 120"},
    {2, "竪樋"},         {3, "丸竪樋 60"},    {1, "天窓"},         {2, "天窓"},
    {3, "天窓 780x980"},
};

const Line k2dcad[] = {
    {1, "建具記号"},    {2, "ドア"},     {3, "片開き 800"}, {3, "両開き 1600"}, {2, "窓"},
    {3, "引違い 1690"}, {3, "FIX 600"},  {1, "設備記号"},   {2, "衛生"},        {3, "便器"},
    {3, "洗面器"},      {2, "電気"},     {3, "コンセント"}, {3, "スイッチ"},    {1, "家具記号"},
    {2, "家具"},        {3, "ベッド S"}, {3, "ソファ 3P"},
};

const Line kSheets[] = {
    {1, "外部仕上"},          {2, "屋根"},     {3, "瓦葺き"},
    {3, "金属板葺き"},        {2, "外壁"},     {3, "サイディング 14mm"},
    {3, "モルタル 吹付"},     {1, "内部仕上"}, {2, "床"},
    {3, "フローリング 12mm"}, {2, "壁"},       {3, "ビニルクロス"},
    {1, "設備仕様"},          {2, "給湯"},     {3, "ガス給湯器 24号"},
};

const Line kOther[] = {
    {1, "植栽"},
    {2, "高木"},
    {3, "シマトネリコ H3000"},
    {3, "ヤマボウシ H2500"},
    {2, "低木"},
    {3, "ツツジ"},
    {1, "点景"},
    {2, "人物"},
    {3, "人物 立ち姿"},
    {2, "車"},
    {3, "乗用車 セダン"},
};

struct Destination {
  const char* file;
  const Line* lines;
  size_t count;
};

template <size_t N>
Destination destination(const char* file, const Line (&lines)[N]) {
  return {file, lines, N};
}

void put_u16(std::vector<uint8_t>& bytes, uint32_t offset, unsigned value) {
  bytes[offset] = static_cast<uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// A name field keeps at least one NUL, as the program reads names up to the
// first NUL and the suite expects them terminated.
bool put_name(std::vector<uint8_t>& bytes, uint32_t offset, const char* name) {
  size_t length = std::strlen(name);
  if (length >= static_cast<size_t>(store::kNameBytes)) {
    std::fprintf(stderr, "make_sample_library: name longer than 23 bytes\n");
    return false;
  }
  std::memcpy(&bytes[offset], name, length);
  return true;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "make_sample_library: cannot write %s\n", path.c_str());
    return false;
  }
  bool whole = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  whole = std::fclose(file) == 0 && whole;
  if (!whole) std::fprintf(stderr, "make_sample_library: cannot write %s\n", path.c_str());
  return whole;
}

bool make_classification_file(const std::string& path, const Destination& d, int* next_part) {
  std::vector<uint8_t> bytes(store::kClassFileSize, 0);
  std::memcpy(&bytes[0], "PVN-VTZ-V02", 11);
  int m = -1, i = -1, f = -1;
  for (size_t n = 0; n < d.count; ++n) {
    const Line& line = d.lines[n];
    bool ok = true;
    if (line.level == 1) {
      ++m, i = -1;
      ok = m < store::kMajorItems && put_name(bytes, store::major_item_offset(m) + 4, line.name);
    } else if (line.level == 2) {
      ++i, f = -1;
      ok = m >= 0 && i < store::kClassItems &&
           put_name(bytes, store::class_item_offset(m, i) + 4, line.name);
    } else {
      ++f;
      ok = m >= 0 && i >= 0 && f < store::kFigureSlots;
      if (ok) {
        uint32_t entry = store::figure_entry_offset(m, i, f);
        put_u16(bytes, entry + 2, static_cast<unsigned>((*next_part)++));
        ok = put_name(bytes, entry + 8, line.name);
      }
    }
    if (!ok) {
      std::fprintf(stderr, "make_sample_library: outline of %s does not fit\n", d.file);
      return false;
    }
  }
  return write_file(path, bytes);
}

// A list file as the maker's server publishes one: the title, then per
// maker the parts the list adds (flag 0) and deletes (1, or 2 with the
// part data). Shift-JIS, as every literal of this program.
const char kSampleListName[] = "pvnbhn_lst240401.dat";
const char kSampleList[] =
    "[INFO]\r\n"
    "TITLE=2024年4月版 部品リスト\r\n"
    "[日本建材]\r\n"
    "1001,0=片開きドア W800,8,5\r\n"
    "1002,0=片開きドア W900,8,5\r\n"
    "1003,0=親子ドア W1200,8,5\r\n"
    "1004,0=引違い戸 W1690,8\r\n"
    "1005,0=片引戸 W1600,8\r\n"
    "1010,1=片開きドア W780,8\r\n"
    "1011,2=旧型玄関ドア,8\r\n"
    "[東洋サッシ]\r\n"
    "2001,0=引違い窓 W1690,9\r\n"
    "2002,0=上げ下げ窓 W740,9\r\n"
    "2003,0=FIX窓 W600,9\r\n"
    "2004,0=すべり出し窓 W640,9\r\n"
    "2010,2=旧型引違い窓 W1650,9\r\n"
    "[みらい住設]\r\n"
    "3001,0=I型キッチン L2550,3\r\n"
    "3002,0=洗面化粧台 W750,3\r\n"
    "3003,0=ユニットバス 1616,3\r\n"
    "3004,0=洋式便器,3\r\n"
    "3011,1=I型キッチン L2400,3\r\n"
    "3012,1=洗面化粧台 W600,3\r\n"
    "[さくら照明]\r\n"
    "4001,0=ダウンライト φ100,5\r\n"
    "4002,0=シーリングライト,5\r\n"
    "4003,0=ブラケット,5\r\n";

bool make_directory(const std::string& path) {
  if (mkdir(path.c_str(), 0755) == 0) return true;
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  std::fprintf(stderr, "make_sample_library: cannot create %s\n", path.c_str());
  return false;
}

// Days before today that have a list file on the sample server, newest
// first; the walk stops a few days after the oldest.
const int kListDaysAgo[] = {1, 4, 9, 16, 25};
constexpr int kWalkDays = 30;

int days_ago(int days) {
  plat::LocalDate today = plat::today();
  int day = download::list_date(today.year, today.month, today.day);
  for (int n = 0; n < days; ++n) day = download::day_before(day);
  return day;
}

// A part data file as the server holds it: the "PT-V01" header of a part
// without elements or sections.
std::vector<uint8_t> sample_part_data() {
  std::vector<uint8_t> bytes(store::kElementStreamOffset + 32, 0);
  std::memcpy(bytes.data(), "PT-V01", 6);
  bytes[store::kPartMagicArea + 16] = store::kPartHeaderSize & 0xFF;
  bytes[store::kPartMagicArea + 17] = store::kPartHeaderSize >> 8;
  return bytes;
}

bool make_directories(const std::string& root, const std::string& relative) {
  std::string path = root;
  for (size_t at = 0; at <= relative.size(); ++at) {
    if (at == relative.size() || relative[at] == '/') {
      if (!make_directory(path + relative.substr(0, at))) return false;
    }
  }
  return true;
}

// The maker's server under catalogue/newdownload, and LASTDATE for the walk.
bool make_catalogue(const std::string& program, const std::string& catalogue) {
  const std::string lists = "newdownload/K-VAL/";
  if (!make_directories(catalogue, lists)) return false;
  std::string local_list = program + "HDPARTS/LST/" + kSampleListName;
  for (int n = 0; n < static_cast<int>(sizeof kListDaysAgo / sizeof kListDaysAgo[0]); ++n) {
    int day = days_ago(kListDaysAgo[n]);
    char title[96];
    std::snprintf(title, sizeof title, "[INFO]\r\nTITLE=%d年%d月%d日版 部品リスト\r\n",
                  2000 + day / 10000, day / 100 % 100, day % 100);
    std::string text = title;
    // The sample list's makers, the first n % 4 of them left out, so that
    // the lists tell apart.
    const char* makers = std::strstr(kSampleList, "\r\n[") + 2;
    for (int skip = 0; skip < n % 4; ++skip) makers = std::strstr(makers, "\r\n[") + 2;
    text += makers;
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (!write_file(catalogue + lists + download::list_file_name(download::list_date_text(day)),
                    bytes))
      return false;
  }
  std::vector<int32_t> parts;
  catalogue::read_list_part_numbers(local_list.c_str(), &parts);
  const std::vector<uint8_t> part = sample_part_data();
  for (int32_t number : parts) {
    char relative[64];
    std::snprintf(relative, sizeof relative, "newdownload/k-val/HDPARTS/PARTS%03d",
                  store::store_directory_number(number));
    char name[32];
    std::snprintf(name, sizeof name, "/P%07d.BHN", number);
    if (!make_directories(catalogue, relative) || !write_file(catalogue + relative + name, part))
      return false;
  }
  std::string state =
      "[日付]\r\nLASTDATE=" + download::list_date_text(days_ago(kWalkDays)) + "\r\n";
  return write_file(program + "HDINI/bhnmente.dat",
                    std::vector<uint8_t>(state.begin(), state.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: make_sample_library PROGRAM_FOLDER [CATALOGUE_FOLDER]\n");
    return 2;
  }
  std::string root = argv[1];
  if (!root.empty() && root.back() != '/') root += '/';
  if (!make_directory(root) || !make_directory(root + "HDINI") || !make_directory(root + "HDTMP") ||
      !make_directory(root + "HDPARTS"))
    return 1;

  const Destination destinations[] = {
      destination("VGZLST0.INI", k3dcad), destination("VGZLST2.INI", kRoof),
      destination("VGZLST3.INI", k2dcad), destination("VGZLST4.INI", kSheets),
      destination("GLZSLCT.INI", kOther),
  };
  int next_part = kFirstPartNumber;
  for (const Destination& d : destinations)
    if (!make_classification_file(root + "HDINI/" + d.file, d, &next_part)) return 1;

  // An empty parts index: every group, subgroup and record slot is free.
  if (!write_file(root + "HDPARTS/TRBHN.DAT", std::vector<uint8_t>(kPartsIndexSize, 0))) return 1;

  if (!make_directory(root + "HDPARTS/LST")) return 1;
  const std::vector<uint8_t> list(kSampleList, kSampleList + sizeof kSampleList - 1);
  if (!write_file(root + "HDPARTS/LST/" + kSampleListName, list)) return 1;
  if (argc == 3) {
    std::string catalogue = argv[2];
    if (!catalogue.empty() && catalogue.back() != '/') catalogue += '/';
    if (!make_directory(catalogue) || !make_catalogue(root, catalogue)) return 1;
  }
  return 0;
}
