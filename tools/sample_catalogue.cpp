#include "tools/sample_catalogue.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "archive/crc16.h"
#include "archive/lzh_encoder.h"
#include "download/list_dates.h"
#include "platform/byte_fields.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "store/classification.h"
#include "store/part_data.h"
#include "store/part_files.h"
#include "store/parts_index.h"

namespace sample {

const char kSampleListName[] = "pvnbhn_lst240401.dat";
const char kBulkListName[] = "pvnbhn_lst240501.dat";
const char kBulkMaker[] = "大量建材";
const char kHomeMaker[] = "みらい住設";
const int32_t kHomeParts[5] = {3001, 3002, 3003, 3004, kChainHead};
const char* const kHomeFigureNames[5] = {"I型キッチン L2550", "洗面化粧台 W750",
                                         "ユニットバス 1616", "洋式便器", "システムキッチン L2700"};
const char kLightingMaker[] = "さくら照明";
const int32_t kLightingParts[3] = {4001, 4002, kErrorPagePart};
const char kDeleteListName[] = "pvnbhn_lst240402.dat";
const char kHomeRelatedMaker[] = "みらい住設部材";

namespace {

constexpr int kFirstFigurePart = 50001;
constexpr int kFirstBulkPart = 10001;
constexpr int kMaxBulkParts = 2000;

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

// The figures of a destination's outline, which number the figure entries
// from kFirstFigurePart on, destination after destination.
template <size_t N>
int figure_count(const Line (&lines)[N]) {
  int count = 0;
  for (const Line& line : lines) count += line.level == 3;
  return count;
}

template <size_t N>
Destination destination(const char* file, const Line (&lines)[N]) {
  return {file, lines, N};
}

// A list entry: key "part,flag" and its value "figure name,kind[,...]".
struct Entry {
  int32_t part;
  int flag;  // 0 added, 1 deleted, 2 deleted with the part data
  const char* value;
};

struct Maker {
  const char* name;
  std::vector<Entry> entries;
};

// The sample list as the maker's server publishes one.
const std::vector<Maker>& sample_makers() {
  static const std::vector<Maker> makers = {
      {"日本建材",
       {{1001, 0, "片開きドア W800,8,5"},
        {1002, 0, "片開きドア W900,8,5"},
        {1003, 0, "親子ドア W1200,8,5"},
        {1004, 0, "引違い戸 W1690,8"},
        {1005, 0, "片引戸 W1600,8"},
        {1010, 1, "片開きドア W780,8"},
        {1011, 2, "旧型玄関ドア,8"}}},
      {"東洋サッシ",
       {{2001, 0, "引違い窓 W1690,9"},
        {2002, 0, "上げ下げ窓 W740,9"},
        {2003, 0, "FIX窓 W600,9"},
        {2004, 0, "すべり出し窓 W640,9"},
        {2010, 2, "旧型引違い窓 W1650,9"}}},
      {kHomeMaker,
       {{3001, 0, "I型キッチン L2550,3"},
        {3002, 0, "洗面化粧台 W750,3"},
        {3003, 0, "ユニットバス 1616,3"},
        {3004, 0, "洋式便器,3"},
        {kChainHead, 0, "システムキッチン L2700,3"},
        {3011, 1, "I型キッチン L2400,3"},
        {3012, 1, "洗面化粧台 W600,3"}}},
      {kLightingMaker,
       {{4001, 0, "ダウンライト φ100,5"},
        {4002, 0, "シーリングライト,5"},
        {kErrorPagePart, 0, "ブラケット,5"}}},
  };
  return makers;
}

// The list of the day after, taking back what the sample list installs.
// Keys stand in the order the program meets them.
const std::vector<Maker>& delete_makers() {
  static const std::vector<Maker> makers = {
      {kHomeMaker,
       {{3001, 1, "I型キッチン L2550,3"},
        {kChainHead, 2, "システムキッチン L2700,3"},
        {3004, 1, "洋式便器,3"},
        {3004, 2, "洋式便器,3"},
        {3002, 2, "洗面化粧台 W750,3"}}},
      {kHomeRelatedMaker, {{kChainTail, 2, "キッチン水栓"}, {kCycleOther, 2, "洗面ミラー"}}},
      {kLightingMaker, {{4001, 0, "ダウンライト φ100,5"}, {kOutOfRange, 2, "ブラケット,5"}}},
  };
  return makers;
}

// Parts the server has data for that no list names, with the maker whose
// index group they are filed in.
struct Related {
  int32_t part;
  const char* name;
};
const Related kRelated[] = {{kChainTail, "キッチン水栓"}, {kCycleOther, "洗面ミラー"}};
constexpr int kRelatedMaker = 2;  // みらい住設

std::vector<Maker> bulk_makers(int parts) {
  std::vector<Maker> makers = {{kBulkMaker, {}}};
  static std::vector<std::string> values;
  values.clear();
  for (int n = 0; n < parts; ++n) values.push_back("建具" + std::to_string(n + 1) + ",8");
  for (int n = 0; n < parts; ++n)
    makers[0].entries.push_back({kFirstBulkPart + n, 0, values[n].c_str()});
  return makers;
}

std::string list_text(const std::string& title, const std::vector<Maker>& makers, size_t first) {
  std::string text = "[INFO]\r\nTITLE=" + title + "\r\n";
  char line[128];
  for (size_t m = first; m < makers.size(); ++m) {
    text += std::string("[") + makers[m].name + "]\r\n";
    for (const Entry& entry : makers[m].entries) {
      std::snprintf(line, sizeof line, "%d,%d=%s\r\n", static_cast<int>(entry.part), entry.flag,
                    entry.value);
      text += line;
    }
  }
  return text;
}

std::string with_separator(const std::string& folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') return folder + "\\";
  return folder;
}

bool put(const std::string& path, const std::string& bytes) {
  if (plat::write_file(path.c_str(), bytes.data(), bytes.size())) return true;
  std::fprintf(stderr, "make_sample_library: cannot write %s\n", path.c_str());
  return false;
}

// Every folder on the way to root + relative; folders that exist already
// stay.
void make_folders(const std::string& root, const std::string& relative) {
  const std::string path = root + relative;
  for (size_t at = 1; at <= path.size(); ++at)
    if (at == path.size() || path[at] == '\\' || path[at] == '/')
      plat::create_directory(path.substr(0, at).c_str());
}

// A name field keeps at least one NUL, as the program reads names up to the
// first NUL and the suite expects them terminated.
bool put_name(std::string& bytes, uint32_t offset, const char* name, size_t field) {
  size_t length = std::strlen(name);
  if (length >= field) {
    std::fprintf(stderr, "make_sample_library: name %s too long\n", name);
    return false;
  }
  bytes.replace(offset, length, name);
  return true;
}

bool make_classification_file(const std::string& path, const Destination& d, int* next_part) {
  std::string bytes(store::kClassFileSize, '\0');
  bytes.replace(0, 11, "PVN-VTZ-V02");
  int m = -1, i = -1, f = -1;
  for (size_t n = 0; n < d.count; ++n) {
    const Line& line = d.lines[n];
    bool ok = true;
    if (line.level == 1) {
      ++m, i = -1;
      ok = m < store::kMajorItems &&
           put_name(bytes, store::major_item_offset(m) + 4, line.name, store::kNameBytes);
    } else if (line.level == 2) {
      ++i, f = -1;
      ok = m >= 0 && i < store::kClassItems &&
           put_name(bytes, store::class_item_offset(m, i) + 4, line.name, store::kNameBytes);
    } else {
      ++f;
      ok = m >= 0 && i >= 0 && f < store::kFigureSlots;
      if (ok) {
        uint32_t entry = store::figure_entry_offset(m, i, f);
        plat::put_u16(reinterpret_cast<uint8_t*>(&bytes[entry + 2]),
                      static_cast<uint16_t>((*next_part)++));
        ok = put_name(bytes, entry + 8, line.name, store::kNameBytes);
      }
    }
    if (!ok) {
      std::fprintf(stderr, "make_sample_library: outline of %s does not fit\n", d.file);
      return false;
    }
  }
  return put(path, bytes);
}

int days_ago(int days) {
  plat::LocalDate today = plat::today();
  int day = download::list_date(today.year, today.month, today.day);
  for (int n = 0; n < days; ++n) day = download::day_before(day);
  return day;
}

// ------------------------------------------------------------ part data

void append_u16(std::string* bytes, size_t at, unsigned value) {
  plat::put_u16(reinterpret_cast<uint8_t*>(&(*bytes)[at]), static_cast<uint16_t>(value));
}
void append_u32(std::string* bytes, size_t at, uint32_t value) {
  plat::put_u32(reinterpret_cast<uint8_t*>(&(*bytes)[at]), value);
}

// An element: three bytes the program does not read, its length and type,
// then its fields.
size_t add_element(std::string* stream, unsigned type, size_t length) {
  size_t at = stream->size();
  stream->append(length, '\0');
  append_u16(stream, at + store::kElementLengthOffset, static_cast<unsigned>(length));
  append_u16(stream, at + store::kElementTypeOffset, type);
  return at;
}

// A line from (x0, y0) to (x1, y1): element type 1, four i16 coordinates.
void add_line(std::string* stream, int x0, int y0, int x1, int y1) {
  size_t at = add_element(stream, 1, 15);
  const int xy[4] = {x0, y0, x1, y1};
  for (int k = 0; k < 4; ++k) append_u16(stream, at + 7 + 2 * k, static_cast<uint16_t>(xy[k]));
}

// A closed polyline through points (x, y pairs): element type 2, the point
// count and a flag word (1: closed), then the points.
void add_polyline(std::string* stream, const std::vector<int>& xy) {
  size_t at = add_element(stream, 2, 11 + 2 * xy.size());
  append_u16(stream, at + 7, static_cast<unsigned>(xy.size() / 2));
  append_u16(stream, at + 9, 1);
  for (size_t k = 0; k < xy.size(); ++k)
    append_u16(stream, at + 11 + 2 * k, static_cast<uint16_t>(xy[k]));
}

// An arc about (cx, cy): element type 3, radius, start and sweep in degrees.
void add_arc(std::string* stream, int cx, int cy, int r, int start, int sweep) {
  size_t at = add_element(stream, 3, 17);
  const int fields[5] = {cx, cy, r, start, sweep};
  for (int k = 0; k < 5; ++k) append_u16(stream, at + 7 + 2 * k, static_cast<uint16_t>(fields[k]));
}

// A label of digits and letters: element type 4, position, height, count,
// the characters.
void add_text(std::string* stream, int x, int y, int height, const std::string& text) {
  size_t at = add_element(stream, 4, 14 + text.size());
  append_u16(stream, at + 7, static_cast<uint16_t>(x));
  append_u16(stream, at + 9, static_cast<uint16_t>(y));
  append_u16(stream, at + 11, static_cast<uint16_t>(height));
  (*stream)[at + 13] = static_cast<char>(text.size());
  stream->replace(at + 14, text.size(), text);
}

// A "PT-V01" part: an outline of lines whose size depends on the part
// number with its diagonal, a door leaf with the arc of its swing, a circle
// for odd numbers, the part number as a label, a part reference element for
// each of element_refs, and section 7 records for section_refs.
std::string part_data(int32_t part, const std::vector<int32_t>& element_refs,
                      const std::vector<int32_t>& section_refs) {
  std::string stream;
  const int w = 400 + part % 7 * 100, h = 300 + part % 5 * 100;
  add_line(&stream, 0, 0, w, 0);
  add_line(&stream, w, 0, w, h);
  add_line(&stream, w, h, 0, h);
  add_line(&stream, 0, h, 0, 0);
  add_line(&stream, 0, 0, w, h);
  const int leaf = (w < h ? w : h) * 3 / 4;
  add_polyline(&stream, {0, 0, 20, 0, 20, leaf, 0, leaf});
  add_arc(&stream, 0, 0, leaf, 0, 90);
  if (part % 2) add_arc(&stream, w * 3 / 4, h / 2, h / 5, 0, 360);
  add_text(&stream, w / 2, h / 10, h / 8, std::to_string(part));
  for (int32_t referenced : element_refs) {
    size_t at =
        add_element(&stream, store::kPartReferenceElement, store::kReferencedPartOffset + 2);
    append_u16(&stream, at + store::kReferencedPartOffset, static_cast<unsigned>(referenced));
  }
  std::string bytes(store::kElementStreamOffset, '\0');
  bytes.replace(0, 6, "PT-V01");
  const size_t header = store::kPartMagicArea;
  append_u32(&bytes, header + 4, static_cast<uint32_t>(stream.size()));
  append_u32(&bytes, header + 8, 20);  // sections follow the stream
  append_u16(&bytes, header + 16, store::kPartHeaderSize);
  bytes += stream;
  std::string table(store::kSectionTableSize, '\0');
  append_u32(&table, 4 * store::kPartReferenceSection,
             static_cast<uint32_t>(section_refs.size() * store::kPartReferenceRecordSize));
  bytes += table;
  for (int32_t referenced : section_refs) {
    std::string record(store::kPartReferenceRecordSize, '\0');
    append_u32(&record, store::kReferencedPartNumberOffset, static_cast<uint32_t>(referenced));
    bytes += record;
  }
  return bytes;
}

const char kErrorPage[] =
    "<!DOCTYPE html>\r\n<html><head><title>Service Unavailable</title></head>\r\n"
    "<body><h1>Service Unavailable</h1><p>Please try again later.</p></body></html>\r\n";

std::string sample_data(int32_t part) {
  switch (part) {
    case kErrorPagePart: return kErrorPage;
    case kChainHead: return part_data(part, {kChainTail}, {});
    case kCycleListed: return part_data(part, {kCycleOther}, {});
    case kCycleOther: return part_data(part, {}, {kCycleListed});
    case kOutOfRangeReferrer: return part_data(part, {}, {kOutOfRange, 0});
    default: return part_data(part, {}, {});
  }
}

// ------------------------------------------------------------ parts index

void put_descriptive(std::string* index, uint32_t offset, int16_t code, const std::string& text) {
  append_u16(index, offset, static_cast<uint16_t>(code));
  index->replace(offset + 2, text.size() < 23 ? text.size() : 23, text, 0, 23);
}

void put_record(std::string* index, int g, int s, int k, int32_t part, const std::string& name) {
  uint32_t at = store::record_offset(g, s, k);
  append_u32(index, at, static_cast<uint32_t>(part));
  index->replace(at + 4, name.size() < 23 ? name.size() : 23, name, 0, 23);
}

std::string figure_name(const char* value) {
  const char* comma = std::strchr(value, ',');
  return comma ? std::string(value, comma) : std::string(value);
}

// Group g for maker g (code 101 + g, the maker's name), subgroups of 100
// parts (code s + 1), a part in slot 1 + its place in the subgroup; parts
// that no list names in subgroup 59 of their maker's group.
std::string parts_index(const std::vector<Maker>& makers, bool with_related) {
  std::string index(store::kPartsIndexSize, '\0');
  for (size_t g = 0; g < makers.size(); ++g) {
    put_descriptive(&index, store::group_offset(static_cast<int>(g)), static_cast<int16_t>(101 + g),
                    makers[g].name);
    for (size_t n = 0; n < makers[g].entries.size(); ++n) {
      int s = static_cast<int>(n / (store::kIndexSlots - 1)),
          k = static_cast<int>(n % (store::kIndexSlots - 1)) + 1;
      if (k == 1)
        put_descriptive(&index, store::subgroup_offset(static_cast<int>(g), s),
                        static_cast<int16_t>(s + 1), "部品" + std::to_string(s + 1));
      put_record(&index, static_cast<int>(g), s, k, makers[g].entries[n].part,
                 figure_name(makers[g].entries[n].value));
    }
  }
  if (with_related) {
    const int s = store::kIndexSubgroups - 1;
    put_descriptive(&index, store::subgroup_offset(kRelatedMaker, s), 99, "関連部品");
    for (size_t n = 0; n < sizeof kRelated / sizeof kRelated[0]; ++n)
      put_record(&index, kRelatedMaker, s, static_cast<int>(n), kRelated[n].part, kRelated[n].name);
  }
  return index;
}

// ------------------------------------------------------------ archive

bool append_packed(void* context, const uint8_t* data, size_t size) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), size);
  return true;
}

// An archive of one -lh5- member (stored when it would not shrink) with a
// level 2 header.
std::string lzh_archive(const char* name, const std::string& data) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data.data());
  lzh::MemberHeader header;
  header.name = name;
  header.original_size = static_cast<uint32_t>(data.size());
  header.unix_time = static_cast<uint32_t>(std::time(nullptr));
  header.data_crc = lzh::crc16_update(0, bytes, data.size());
  std::string packed;
  uint64_t packed_size = 0;
  if (data.empty() || lzh::compress(lzh::Method::Lh5, bytes, data.size(), data.size() - 1,
                                    lzh::Output{append_packed, &packed}, &packed_size) != 1) {
    header.method = lzh::Method::Stored;
    packed = data;
  }
  header.packed_size = static_cast<uint32_t>(packed.size());
  return lzh::level2_header(header) + packed + std::string(1, '\0');
}

// ------------------------------------------------------------ server tree

const char kLists[] = "newdownload\\K-VAL\\";

bool serve_parts(const std::string& catalogue, const std::vector<Maker>& makers, bool related) {
  const std::string index = parts_index(makers, related);
  make_folders(catalogue, std::string(kLists) + "HDPARTS");
  if (!put(catalogue + kLists + "HDPARTS\\TRBHN.LZH", lzh_archive(store::kPartsIndexName, index)))
    return false;
  std::vector<int32_t> parts;
  for (const Maker& maker : makers)
    for (const Entry& entry : maker.entries) parts.push_back(entry.part);
  if (related)
    for (const Related& extra : kRelated) parts.push_back(extra.part);
  for (int32_t part : parts) {
    char folder[64], name[32];
    std::snprintf(folder, sizeof folder, "newdownload\\k-val\\HDPARTS\\PARTS%03d",
                  store::store_directory_number(part));
    std::snprintf(name, sizeof name, "\\P%07d.BHN", static_cast<int>(part));
    make_folders(catalogue, folder);
    if (!put(catalogue + folder + name, related ? sample_data(part) : part_data(part, {}, {})))
      return false;
  }
  return true;
}

bool write_last_date(const std::string& program, int days) {
  return put(program + "HDINI\\bhnmente.dat",
             "[日付]\r\nLASTDATE=" + download::list_date_text(days_ago(days)) + "\r\n");
}

std::string dated_title(int day) {
  char title[64];
  std::snprintf(title, sizeof title, "%d年%d月%d日版 部品リスト", 2000 + day / 10000,
                day / 100 % 100, day % 100);
  return title;
}

}  // namespace

bool make_program_folder(const std::string& folder) {
  const std::string root = with_separator(folder);
  for (const char* sub : {"HDINI", "HDTMP", "HDPARTS\\LST"}) make_folders(root, sub);
  const Destination destinations[] = {
      destination("VGZLST0.INI", k3dcad), destination("VGZLST2.INI", kRoof),
      destination("VGZLST3.INI", k2dcad), destination("VGZLST4.INI", kSheets),
      destination("GLZSLCT.INI", kOther),
  };
  int next_part = kFirstFigurePart;
  for (const Destination& d : destinations)
    if (!make_classification_file(root + "HDINI\\" + d.file, d, &next_part)) return false;
  // An empty parts index: every group, subgroup and record slot is free.
  return put(root + "HDPARTS\\" + store::kPartsIndexName,
             std::string(store::kPartsIndexSize, '\0')) &&
         put(root + "HDPARTS\\LST\\" + kSampleListName,
             list_text("2024年4月版 部品リスト", sample_makers(), 0)) &&
         put(root + "HDPARTS\\LST\\" + kDeleteListName,
             list_text("2024年4月2日版 部品リスト", delete_makers(), 0));
}

bool put_figure_parts(const std::string& program_folder) {
  const std::string program = with_separator(program_folder);
  const int figures = figure_count(k3dcad) + figure_count(kRoof) + figure_count(k2dcad) +
                      figure_count(kSheets) + figure_count(kOther);
  for (int32_t part = kFirstFigurePart; part < kFirstFigurePart + figures; ++part) {
    store::create_part_folder(program.c_str(), part);
    if (!put(store::part_file_path(program.c_str(), store::PartFileVariant::Current, part),
             part_data(part, {}, {})))
      return false;
  }
  return true;
}

bool make_catalogue(const std::string& program_folder, const std::string& catalogue_folder) {
  const std::string program = with_separator(program_folder),
                    catalogue = with_separator(catalogue_folder);
  make_folders(catalogue, kLists);
  // Days before today with a list file, newest first; each leaves out the
  // first n % 4 makers, so that the lists tell apart. The walk stops a few
  // days after the oldest.
  const int list_days_ago[] = {1, 4, 9, 16, 25};
  for (size_t n = 0; n < sizeof list_days_ago / sizeof list_days_ago[0]; ++n) {
    int day = days_ago(list_days_ago[n]);
    if (!put(catalogue + kLists + download::list_file_name(download::list_date_text(day)),
             list_text(dated_title(day), sample_makers(), n % 4)))
      return false;
  }
  return serve_parts(catalogue, sample_makers(), true) && write_last_date(program, 30);
}

bool make_bulk_catalogue(const std::string& program_folder, const std::string& catalogue_folder,
                         int parts) {
  const std::string program = with_separator(program_folder),
                    catalogue = with_separator(catalogue_folder);
  if (parts < 1 || parts > kMaxBulkParts) {
    std::fprintf(stderr, "make_sample_library: --bulk takes 1 to %d parts\n", kMaxBulkParts);
    return false;
  }
  const std::vector<Maker> makers = bulk_makers(parts);
  const int day = days_ago(1);
  const std::string list = list_text(dated_title(day), makers, 0);
  make_folders(catalogue, kLists);
  return put(program + "HDPARTS\\LST\\" + kBulkListName, list) &&
         put(catalogue + kLists + download::list_file_name(download::list_date_text(day)), list) &&
         serve_parts(catalogue, makers, false) && write_last_date(program, 3);
}

std::vector<uint8_t> sample_parts_index() {
  std::string index = parts_index(sample_makers(), true);
  return std::vector<uint8_t>(index.begin(), index.end());
}

std::string sample_part_data(int32_t part) {
  for (const Maker& maker : sample_makers())
    for (const Entry& entry : maker.entries)
      if (entry.part == part) return sample_data(part);
  for (const Related& extra : kRelated)
    if (extra.part == part) return sample_data(part);
  return std::string();
}

}  // namespace sample
